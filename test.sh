#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test headless;
# then the tests of what runs on threads (the engine's runs, the workbench's robustness runs)
# once more, built with ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
# The benchmarks are built too (not run), so that a change that breaks them fails here.
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DHALVORINE_SANITIZE=ON -DHALVORINE_TESTS=ON -DHALVORINE_BENCH=ON >/dev/null
cmake --build build-test
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build-test --output-on-failure -j "$(nproc)"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DHALVORINE_TSAN=ON -DHALVORINE_TESTS=ON >/dev/null
cmake --build build-tsan --target test_engine test_workbench_threads
ctest --test-dir build-tsan --output-on-failure -j "$(nproc)"
