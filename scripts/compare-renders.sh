#!/usr/bin/env bash
# Renders real multi-channel General MIDI files with zephra-render and with FluidSynth, with
# both Debian GM SoundFonts, and prints one Markdown table row per file and font: length, time,
# real-time factor, peak memory, peak level and samples beyond full scale.
#   scripts/compare-renders.sh [BUILD_DIR] [MIDI FILE ...]
# Without MIDI files it takes six of Debian's openttd-openmsx songs (apt-get install
# openttd-openmsx). zephra-render normalises its mix; its "mix peak" is the level before that, at
# the plug-in's own "Output Level" with the samples it has beyond full scale (what a render
# without normalising clips), and "beyond full scale" counts the samples of the written file. FluidSynth runs with its defaults (gain 0.2, reverb and chorus on) into a float WAV.
#
#   scripts/compare-renders.sh --cpu [BUILD_DIR] [MIDI FILE ...]
# The CPU comparison instead: every openttd-openmsx song and the generated 16-channel piece
# (without MIDI files) with TimGM6mb, FluidR3_GM and FluidR3Mono_GM.sf3, each song rendered by
# zephra-render and by `fluidsynth -ni -R 0 -C 0` (reverb and chorus off, as the plug-in has
# neither) back to back, REPEAT times (default 2) keeping each side's lowest CPU time. Prints
# one row per song and font, then per font the median, worst and best ratio of the CPU times.
set -euo pipefail
cd "$(dirname "$0")/.."
CPU_MODE=0
if [ "${1:-}" = "--cpu" ]; then CPU_MODE=1; shift; fi
BUILD=${1:-build}
shift || true
RENDER="$BUILD/host/render/zephra-render"
SONGS=/usr/share/games/openttd/baseset/openmsx
FILES=("$@")
if [ $CPU_MODE = 1 ]; then
  WORK=$(mktemp -d)
  trap 'rm -rf "$WORK"' EXIT
  if [ ${#FILES[@]} -eq 0 ]; then
    [ -d "$SONGS" ] || { echo "openttd-openmsx is not installed; give MIDI files" >&2; exit 2; }
    FILES=("$SONGS"/*.mid)
    if [ -x "$BUILD/bench/render_bench" ]; then
      "$BUILD/bench/render_bench" --write-piece16 "$WORK/generated-16-channels.mid"
      FILES+=("$WORK/generated-16-channels.mid")
    fi
  fi
  # CPU seconds (user + system) of a command, its output discarded.
  cpu() {
    /usr/bin/time -f "%U %S" -o "$WORK/t" "$@" >/dev/null 2>&1 || true
    awk '{ printf "%.3f", $1 + $2 }' "$WORK/t"
  }
  echo "load before: $(uptime)"
  echo "| song | font | zephra CPU s | FluidSynth CPU s | ratio |"
  echo "|---|---|---|---|---|"
  for font in /usr/share/sounds/sf2/TimGM6mb.sf2 /usr/share/sounds/sf2/FluidR3_GM.sf2 /usr/share/sounds/sf3/FluidR3Mono_GM.sf3; do
    [ -f "$font" ] || continue
    for midi in "${FILES[@]}"; do
      z=""; f=""
      for _ in $(seq "${REPEAT:-2}"); do
        t=$(cpu "$RENDER" --sf2 "$font" --midi "$midi" -o "$WORK/z.wav")
        z=$(awk -v a="$t" -v b="$z" 'BEGIN { print (b == "" || a < b) ? a : b }')
        t=$(cpu fluidsynth -ni -R 0 -C 0 -F "$WORK/f.wav" -r 44100 "$font" "$midi")
        f=$(awk -v a="$t" -v b="$f" 'BEGIN { print (b == "" || a < b) ? a : b }')
      done
      echo "| $(basename "$midi" .mid) | $(basename "$font") | $z | $f | $(awk -v a="$z" -v b="$f" 'BEGIN { printf "%.2f", a / b }') |"
    done
  done | tee "$WORK/rows"
  echo "load after: $(uptime)"
  echo
  echo "| font | songs | CPU time, ours / FluidSynth's: median | worst | best |"
  echo "|---|---|---|---|---|"
  awk -F'|' '{ gsub(/ /, "", $3); gsub(/ /, "", $6); if ($6 ~ /^[0-9.]+$/) print $3, $6 }' "$WORK/rows" |
    sort -k1,1 -k2,2n | awk '
      { font[NR] = $1; ratio[NR] = $2 }
      END {
        for (i = 1; i <= NR; ) {
          j = i; while (j <= NR && font[j] == font[i]) j++
          n = j - i; m = i + int((n - 1) / 2)
          median = n % 2 ? ratio[m] : (ratio[m] + ratio[m + 1]) / 2
          printf "| %s | %d | %.2f | %.2f | %.2f |\n", font[i], n, median, ratio[j - 1], ratio[i]
          i = j
        }
      }'
  exit 0
fi
if [ ${#FILES[@]} -eq 0 ]; then
  [ -d "$SONGS" ] || { echo "openttd-openmsx is not installed; give MIDI files" >&2; exit 2; }
  for name in tttheme2 keep_on_rolling modern_motion linns_basket busy_schedule mighty_giant_run; do
    FILES+=("$SONGS/$name.mid")
  done
fi
FONTS=(/usr/share/sounds/sf2/TimGM6mb.sf2 /usr/share/sounds/sf2/FluidR3_GM.sf2)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

# Peak (dBFS) and samples beyond full scale of a WAV file, read as floats through sox.
levels() {
  sox "$1" -t f32 -e floating-point - 2>/dev/null | python3 -c '
import array, math, sys
a = array.array("f"); a.frombytes(sys.stdin.buffer.read())
peak = max(max(a), -min(a)) if a else 0.0
print("%.1f %d" % (20 * math.log10(peak) if peak > 0 else -999, sum(1 for x in a if x > 1.0 or x < -1.0)))'
}

echo "| file | font | instances | length s | zephra time s (CPU) | zephra x real time (CPU) | zephra peak MB | zephra mix peak dBFS | zephra beyond full scale without normalising | zephra gain dB | zephra beyond full scale | FluidSynth length s | FluidSynth time s (CPU) | FluidSynth x real time (CPU) | FluidSynth peak MB | FluidSynth peak dBFS | FluidSynth beyond full scale |"
echo "|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|"
for midi in "${FILES[@]}"; do
  for font in "${FONTS[@]}"; do
    [ -f "$font" ] || continue
    /usr/bin/time -f "%e %M %U %S" -o "$WORK/z.time" "$RENDER" --sf2 "$font" --midi "$midi" -o "$WORK/z.wav" \
      >"$WORK/z.out" 2>"$WORK/z.err"
    read -r zTime zKb zUser zSys <"$WORK/z.time"
    summary=$(grep '^rendered' "$WORK/z.out")
    length=$(sed -E 's/^rendered ([0-9.]+) s.*/\1/' <<<"$summary")
    instances=$(sed -E 's/.* with ([0-9]+) instance.*/\1/' <<<"$summary")
    mixPeak=$(sed -E 's/.*mix peak (-?[0-9.]+) dBFS.*/\1/' <<<"$summary")
    gain=$(sed -E 's/.*gain of ([-+][0-9.]+) dB.*/\1/' <<<"$summary")
    unnormalised=$(sed -E 's/.*dBFS \(([0-9]+) samples above full scale\).*/\1/' <<<"$summary")
    read -r _ zClipped < <(levels "$WORK/z.wav")
    /usr/bin/time -f "%e %M %U %S" -o "$WORK/f.time" fluidsynth -ni -q -r 44100 -O float -F "$WORK/f.wav" "$font" "$midi" \
      >/dev/null 2>&1
    read -r fTime fKb fUser fSys <"$WORK/f.time"
    fLength=$(soxi -D "$WORK/f.wav" 2>/dev/null)
    read -r fPeak fClipped < <(levels "$WORK/f.wav")
    awk -v m="$(basename "$midi")" -v f="$(basename "$font")" -v c="$instances" -v l="$length" -v zt="$zTime" \
        -v zk="$zKb" -v zp="$mixPeak" -v u="$unnormalised" -v g="$gain" -v zc="$zClipped" -v ft="$fTime" -v fk="$fKb" -v fl="$fLength" \
        -v fp="$fPeak" -v fc="$fClipped" -v zc2="$(awk -v a="$zUser" -v b="$zSys" 'BEGIN{print a+b}')" \
        -v fc2="$(awk -v a="$fUser" -v b="$fSys" 'BEGIN{print a+b}')" 'BEGIN {
      printf "| %s | %s | %s | %.1f | %.2f (%.2f) | %.0f (%.0f) | %.0f | %s | %s | %s | %s | %.1f | %.2f (%.2f) | %.0f (%.0f) | %.0f | %s | %s |\n",
        m, f, c, l, zt, zc2, l / zt, l / zc2, zk / 1024, zp, u, g, zc, fl, ft, fc2, fl / ft, fl / fc2, fk / 1024, fp, fc }'
  done
done
