#!/usr/bin/env bash
# Builds both programs (release) and starts Halvorine.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DHALVORINE_TESTS=OFF -DHALVORINE_BENCH=ON >/dev/null
cmake --build build
exec build/bin/Halvorine "$@"
