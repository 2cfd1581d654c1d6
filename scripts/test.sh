#!/usr/bin/env bash
# Runs every test: installs what is needed, builds, runs the unit and integration suites
# (X11 tests under Xvfb), the same suites under AddressSanitizer and UndefinedBehaviorSanitizer,
# a short fuzzing smoke run of each fuzz target and a smoke run of each benchmark.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
JOBS=$(nproc)

scripts/deps.sh

echo "== Build (RelWithDebInfo)"
cmake -S "$ROOT" -B "$ROOT/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$ROOT/build" -j"$JOBS"

echo "== Tests"
ctest --test-dir "$ROOT/build" --output-on-failure -j"$JOBS" --timeout 600

echo "== Tests under ASan/UBSan"
cmake -S "$ROOT" -B "$ROOT/build-asan" -DCMAKE_BUILD_TYPE=Debug -DZEPHRA_SANITIZE=ON -DZEPHRA_BENCH=OFF
cmake --build "$ROOT/build-asan" -j"$JOBS"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir "$ROOT/build-asan" --output-on-failure -j"$JOBS" --timeout 900

echo "== Fuzzing smoke run"
fuzz/run.sh 30

echo "== Benchmark smoke run"
scripts/bench.sh --smoke

echo "== All tests passed"
