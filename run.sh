#!/usr/bin/env bash
# Builds both programs (release) and starts Halvorine.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
options=(-DCMAKE_BUILD_TYPE=Release -DHALVORINE_TESTS=OFF -DHALVORINE_BENCH=ON)
# Configured once; afterwards the build itself configures again when a CMakeLists.txt changes.
configured() {
  [ -f build/build.ninja ] && [ -f build/CMakeCache.txt ] || return 1
  grep -qx 'CMAKE_BUILD_TYPE:STRING=Release' build/CMakeCache.txt &&
    grep -qx 'HALVORINE_TESTS:BOOL=OFF' build/CMakeCache.txt &&
    grep -qx 'HALVORINE_BENCH:BOOL=ON' build/CMakeCache.txt
}
configured || cmake -S . -B build -G Ninja "${options[@]}" >/dev/null
cmake --build build
exec build/bin/Halvorine "$@"
