#!/usr/bin/env bash
# Benchmarks: the SoundFont reader, the engine beside libfluidsynth in the same run, held
# percussive voices beside sustained ones, the resonance peak report over the Debian General
# MIDI fonts, the renderer's real-time factor, the memory and load time of a preset beside
# libfluidsynth's, and the same for the largest preset of a compressed (.sf3) font beside its
# .sf2. --smoke runs each briefly (used by the test command).
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
BUILD=${BUILD_DIR:-$ROOT/build}
SMOKE=0
[ "${1:-}" = "--smoke" ] && SMOKE=1

if [ ! -x "$BUILD/bench/synth_bench" ]; then
  scripts/deps.sh
  cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build "$BUILD" -j"$(nproc)"
fi

if [ $SMOKE = 1 ]; then
  "$BUILD/bench/bench_soundfont" --benchmark_min_time=0.01
  "$BUILD/bench/synth_bench" --smoke
  "$BUILD/bench/held_voices_bench" --smoke
  "$BUILD/bench/resonance_report" --smoke
  [ -x "$BUILD/bench/render_bench" ] && "$BUILD/bench/render_bench" --smoke
  [ -x "$BUILD/bench/memory_bench" ] && "$BUILD/bench/memory_bench" --smoke
  [ -x "$BUILD/bench/compressed_bench" ] && "$BUILD/bench/compressed_bench" --smoke
else
  "$BUILD/bench/bench_soundfont"
  "$BUILD/bench/synth_bench"
  "$BUILD/bench/held_voices_bench"
  "$BUILD/bench/resonance_report"
  [ -x "$BUILD/bench/render_bench" ] && "$BUILD/bench/render_bench"
  [ -x "$BUILD/bench/memory_bench" ] && "$BUILD/bench/memory_bench"
  [ -x "$BUILD/bench/compressed_bench" ] && "$BUILD/bench/compressed_bench"
fi
exit 0
