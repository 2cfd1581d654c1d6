#!/bin/sh
# Builds the fuzz targets with clang and runs each for the given number of seconds, two at a
# time (default 30: the smoke run of the test command; 0 only builds and seeds; fuzz/campaign.sh
# runs the long campaign).
# Usage: fuzz/run.sh [seconds] [build dir]
# Corpora grow in <build dir>/corpus/<target>; crashes land in <build dir>/artifacts/.
set -eu
# Per-input limit in wall-clock seconds. Inputs need well under a second of CPU; on a shared
# machine at low priority a starved process can wait far longer, so the campaign allows more.
timeout=${ZEPHRA_FUZZ_TIMEOUT:-30}
seconds=${1:-30}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${2:-$root/build-fuzz}
targets="soundfont wav vorbis component_state controller_state processor_messages midi_file"

CC=clang-14 CXX=clang++-14 cmake -S "$root" -B "$build" -DZEPHRA_FUZZ=ON -DZEPHRA_TESTS=OFF \
  -DZEPHRA_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEPHRA_WERROR="${ZEPHRA_WERROR:-OFF}" >/dev/null
cmake --build "$build" -j2 --target $(for t in $targets; do printf '%s_fuzz ' "$t"; done) fuzz_make_seeds >/dev/null

for t in $targets; do mkdir -p "$build/corpus/$t"; done
mkdir -p "$build/artifacts"
"$build/fuzz/fuzz_make_seeds" "$build/corpus/soundfont" "$build/corpus/wav" "$build/corpus/vorbis" \
  "$build/corpus/component_state" "$build/corpus/controller_state" "$build/corpus/processor_messages"
# Real General MIDI songs: Debian's openttd-openmsx.
cp /usr/share/games/openttd/baseset/openmsx/*.mid "$build/corpus/midi_file/" 2>/dev/null ||
  echo "openttd-openmsx is not installed: the MIDI target starts without songs" >&2

[ "$seconds" -gt 0 ] || exit 0   # 0: build and seed only

# Two at a time on the machine's two cores, each pair's logs shown when it is done. 2 GB of
# memory is far beyond what any input needs: an input reaching it is a finding.
status=0
for pair in "soundfont wav" "vorbis component_state" "controller_state processor_messages" midi_file; do
  pids=""
  for target in $pair; do
    length=16384
    [ "$target" = midi_file ] && length=65536   # songs are longer than the other inputs
    "$build/fuzz/${target}_fuzz" "$build/corpus/$target" \
      -max_total_time="$seconds" -rss_limit_mb=2048 -timeout="$timeout" -max_len=$length -detect_leaks=1 \
      -print_final_stats=1 -artifact_prefix="$build/artifacts/${target}-" >"$build/$target.log" 2>&1 &
    pids="$pids $!"
  done
  for pid in $pids; do wait "$pid" || status=1; done
  for target in $pair; do echo "== ${target}_fuzz for ${seconds}s" && cat "$build/$target.log"; done
done
exit $status
