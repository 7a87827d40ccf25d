#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test headless;
# then the engine's tests once more, built with ThreadSanitizer (its runs use threads).
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DHALVORINE_SANITIZE=ON -DHALVORINE_TESTS=ON >/dev/null
cmake --build build-test
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build-test --output-on-failure -j "$(nproc)"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DHALVORINE_TSAN=ON -DHALVORINE_TESTS=ON >/dev/null
cmake --build build-tsan --target test_engine
ctest --test-dir build-tsan --output-on-failure -j "$(nproc)"
