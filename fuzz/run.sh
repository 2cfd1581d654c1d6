#!/bin/sh
# Builds the fuzz targets with clang and runs each for the given number of seconds
# (default 30: the smoke run of the test command; 0 only builds and seeds; fuzz/campaign.sh
# runs the long campaign).
# Usage: fuzz/run.sh [seconds] [build dir]
# Corpora grow in <build dir>/corpus/{soundfont,wav,vorbis}; crashes land in <build dir>/artifacts/.
set -eu
# Per-input limit in wall-clock seconds. Inputs need well under a second of CPU; on a shared
# machine at low priority a starved process can wait far longer, so the campaign allows more.
timeout=${ZEPHRA_FUZZ_TIMEOUT:-30}
seconds=${1:-30}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${2:-$root/build-fuzz}

CC=clang-14 CXX=clang++-14 cmake -S "$root" -B "$build" -DZEPHRA_FUZZ=ON -DZEPHRA_TESTS=OFF \
  -DZEPHRA_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target soundfont_fuzz wav_fuzz vorbis_fuzz fuzz_make_seeds >/dev/null

mkdir -p "$build/corpus/soundfont" "$build/corpus/wav" "$build/corpus/vorbis" "$build/artifacts"
"$build/fuzz/fuzz_make_seeds" "$build/corpus/soundfont" "$build/corpus/wav" "$build/corpus/vorbis"

[ "$seconds" -gt 0 ] || exit 0   # 0: build and seed only

# 2 GB of memory is far beyond what any input needs: an input reaching it is a finding.
for target in soundfont wav vorbis; do
  echo "== ${target}_fuzz for ${seconds}s"
  "$build/fuzz/${target}_fuzz" "$build/corpus/$target" \
    -max_total_time="$seconds" -rss_limit_mb=2048 -timeout="$timeout" -max_len=16384 \
    -detect_leaks=1 -print_final_stats=1 -artifact_prefix="$build/artifacts/${target}-"
done
