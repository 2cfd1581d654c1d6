# Shared by the test scripts (sourced, not run). The caller sets LOGS (a scratch folder) and
# PASSED and FAILED (running totals), and may set RUNNER to a command prefix (xvfb-run).

# run_ctest <log name> <build folder> [ctest arguments...]
# Runs ctest on one build folder and adds its counts to PASSED and FAILED. Returns non-zero
# when a test failed or none ran (then FAILED counts at least one).
run_ctest() {
  local log="$LOGS/ctest-$1.log" build=$2; shift 2
  local status=0
  ${RUNNER[@]+"${RUNNER[@]}"} ctest --test-dir "$build" --output-on-failure "$@" 2>&1 | tee "$log" || status=$?
  local total failed
  total=$(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' "$log" | tail -n 1)
  failed=$(sed -n 's/.*, \([0-9]*\) tests failed out of.*/\1/p' "$log" | tail -n 1)
  PASSED=$((PASSED + ${total:-0} - ${failed:-0}))
  FAILED=$((FAILED + ${failed:-0}))
  if [ "$status" != 0 ] || [ -z "$total" ]; then
    FAILED=$((FAILED > 0 ? FAILED : 1))
    return 1
  fi
}
