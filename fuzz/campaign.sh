#!/bin/sh
# The long fuzz campaign: builds the targets (as fuzz/run.sh does) and runs them all at once at
# low priority for the given number of seconds each (default 1800), logging to
# <log dir>/zephra-fuzz-<target>.log (default /tmp). Waits for all to finish and prints their
# final statistics. Give target names after the build dir to run only those.
# Usage: fuzz/campaign.sh [seconds] [log dir] [build dir] [target ...]
set -eu
# Per-input limit in wall-clock seconds. Inputs need well under a second of CPU; on a shared
# machine at low priority a starved process can wait far longer, so the campaign allows more.
timeout=${ZEPHRA_FUZZ_TIMEOUT:-120}
seconds=${1:-1800}
logs=${2:-/tmp}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${3:-$root/build-fuzz}
[ $# -gt 3 ] && shift 3 || set -- soundfont wav vorbis component_state controller_state processor_messages midi_file

"$root/fuzz/run.sh" 0 "$build"   # build and seed only
pids=""
for target in "$@"; do
  length=16384
  [ "$target" = midi_file ] && length=65536   # MIDI songs are longer than the other inputs
  nice -n 19 "$build/fuzz/${target}_fuzz" "$build/corpus/$target" \
    -max_total_time="$seconds" -rss_limit_mb=2048 -timeout="$timeout" -max_len=$length \
    -detect_leaks=1 -print_final_stats=1 -artifact_prefix="$build/artifacts/${target}-" \
    >"$logs/zephra-fuzz-$target.log" 2>&1 &
  pids="$pids $!"
done
status=0
for pid in $pids; do
  wait "$pid" || status=1
done
for target in "$@"; do
  echo "== ${target}_fuzz"
  grep -E '^(Done|stat::)|ERROR|SUMMARY' "$logs/zephra-fuzz-$target.log" || true
done
exit $status
