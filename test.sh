#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test headless.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DHALVORINE_SANITIZE=ON -DHALVORINE_TESTS=ON >/dev/null
cmake --build build-test
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build-test --output-on-failure -j "$(nproc)"
