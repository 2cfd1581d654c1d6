#!/usr/bin/env bash
# Runs every test: installs what is needed, builds, runs the unit and integration suites
# (X11 tests under Xvfb), Steinberg's validator and editor host on the bundle (when the tools
# are at hand, see scripts/steinberg-tools.sh), the same suites under AddressSanitizer and
# UndefinedBehaviorSanitizer, the concurrency tests under ThreadSanitizer, a short fuzzing smoke
# run of each fuzz target (two at a time), a smoke run of each benchmark, and the Windows build
# with its suites under Wine
# (scripts/test-windows.sh: the unit and integration suites, the window test in Xvfb, the
# bundle's exports and zephra-render.exe's demo against the Linux render).
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
JOBS=$(nproc)
PASSED=0
FAILED=0
LOGS=$(mktemp -d)
trap 'rm -rf "$LOGS"' EXIT
. scripts/lib.sh
# Every build here treats a warning as an error (the fuzz build too, through fuzz/run.sh).
export ZEPHRA_WERROR=ON

# Runs ctest on one build folder (run_ctest, scripts/lib.sh) and stops at the first failure.
run_suites() {
  local build=$1; shift
  run_ctest "$(basename "$build")" "$build" -j"$JOBS" "$@" || {
    echo "tests: $PASSED passed, $FAILED failed"
    exit 1
  }
}

scripts/deps.sh

echo "== Build (RelWithDebInfo)"
cmake -S "$ROOT" -B "$ROOT/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEPHRA_WERROR=ON
cmake --build "$ROOT/build" -j"$JOBS"

echo "== Tests"
run_suites "$ROOT/build" --timeout 600

echo "== Steinberg's validator and editor host on the bundle"
status=0
scripts/steinberg-tools.sh linux "$ROOT/build/VST3/Zephra SF2 Player.vst3" 2>&1 | tee "$LOGS/steinberg.log" || status=$?
toolsPassed=$(sed -n 's/^steinberg tools: \([0-9]*\) passed.*/\1/p' "$LOGS/steinberg.log" | tail -n 1)
toolsFailed=$(sed -n 's/^steinberg tools: [0-9]* passed, \([0-9]*\) failed.*/\1/p' "$LOGS/steinberg.log" | tail -n 1)
PASSED=$((PASSED + ${toolsPassed:-0}))
FAILED=$((FAILED + ${toolsFailed:-0}))
if [ "$status" != 0 ] || [ -z "$toolsPassed" ]; then
  echo "tests: $PASSED passed, $((FAILED > 0 ? FAILED : 1)) failed"
  exit 1
fi

echo "== Tests under ASan/UBSan"
cmake -S "$ROOT" -B "$ROOT/build-asan" -DCMAKE_BUILD_TYPE=Debug -DZEPHRA_SANITIZE=ON -DZEPHRA_BENCH=OFF \
  -DZEPHRA_WERROR=ON
cmake --build "$ROOT/build-asan" -j"$JOBS"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
run_suites "$ROOT/build-asan" --timeout 900
unset ASAN_OPTIONS UBSAN_OPTIONS

echo "== Concurrency tests under ThreadSanitizer"
cmake -S "$ROOT" -B "$ROOT/build-tsan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEPHRA_TSAN=ON -DZEPHRA_BENCH=OFF \
  -DZEPHRA_WERROR=ON
cmake --build "$ROOT/build-tsan" -j"$JOBS" --target zephra_concurrency_suites
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$ROOT/scripts/tsan.supp"
run_suites "$ROOT/build-tsan" --timeout 900 -L concurrency
unset TSAN_OPTIONS

echo "== Fuzzing smoke run"
fuzz/run.sh 30

echo "== Benchmark smoke run"
scripts/bench.sh --smoke

echo "== Windows build and tests (mingw-w64, Wine)"
status=0
LINUX_BUILD_DIR="$ROOT/build" scripts/test-windows.sh 2>&1 | tee "$LOGS/windows.log" || status=$?
windowsPassed=$(sed -n 's/^windows tests: \([0-9]*\) passed.*/\1/p' "$LOGS/windows.log" | tail -n 1)
windowsFailed=$(sed -n 's/^windows tests: [0-9]* passed, \([0-9]*\) failed.*/\1/p' "$LOGS/windows.log" | tail -n 1)
PASSED=$((PASSED + ${windowsPassed:-0}))
FAILED=$((FAILED + ${windowsFailed:-0}))
if [ "$status" != 0 ] || [ -z "$windowsPassed" ]; then
  echo "tests: $PASSED passed, $((FAILED > 0 ? FAILED : 1)) failed"
  exit 1
fi

echo "== All tests passed"
echo "tests: $PASSED passed, $FAILED failed"
