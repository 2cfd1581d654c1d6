#!/usr/bin/env bash
# Checks zephra-render against real General MIDI songs with both Debian GM SoundFonts:
#  - every note of the file sounds (build/bench/heard_notes plays each note alone, as planned);
#  - every render lasts as long as the song's End-of-Track (read here by a parser of its own)
#    plus the sound after it: the file ends within 0.1 s of the later of the End-of-Track and
#    the last sample above -100 dB of the peak.
#   scripts/check-renders.sh [BUILD_DIR] [MIDI FILE ...]
# Without MIDI files it takes every song of Debian's openttd-openmsx. Prints two Markdown tables;
# the exit status is 1 when a note is missing or a length is off.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
shift || true
RENDER="$BUILD/host/render/zephra-render"
HEARD="$BUILD/bench/heard_notes"
SONGS=/usr/share/games/openttd/baseset/openmsx
FILES=("$@")
if [ ${#FILES[@]} -eq 0 ]; then
  [ -d "$SONGS" ] || { echo "openttd-openmsx is not installed; give MIDI files" >&2; exit 2; }
  FILES=("$SONGS"/*.mid)
fi
FONTS=(/usr/share/sounds/sf2/TimGM6mb.sf2 /usr/share/sounds/sf2/FluidR3_GM.sf2)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
status=0

# Seconds to the latest End-of-Track (or last event of a track without one), along the tempo map.
end_of_track() {
  python3 - "$1" <<'EOF'
import struct, sys
data = open(sys.argv[1], "rb").read()
assert data[:4] == b"MThd"
length, fmt, ntracks, division = struct.unpack(">IHHH", data[4:14])
pos, tempos, ends = 8 + length, [], []
def vlq(p):
    v = 0
    while True:
        b = data[p]; p += 1; v = (v << 7) | (b & 0x7F)
        if b < 0x80: return v, p
while pos + 8 <= len(data) and len(ends) < ntracks:
    tag, size = data[pos:pos + 4], struct.unpack(">I", data[pos + 4:pos + 8])[0]
    p, end, pos = pos + 8, min(pos + 8 + size, len(data)), pos + 8 + size
    if tag != b"MTrk": continue
    tick, running = 0, 0
    while p < end:
        delta, p = vlq(p); tick += delta
        status = running
        if data[p] & 0x80: status = data[p]; p += 1
        if status < 0xF0: running = status
        if status == 0xFF:
            kind = data[p]; n, p = vlq(p + 1)
            if kind == 0x51: tempos.append((tick, int.from_bytes(data[p:p + 3], "big")))
            p += n
            if kind == 0x2F: break
        elif status in (0xF0, 0xF7):
            n, p = vlq(p); p += n
        else:
            p += 1 if status & 0xF0 in (0xC0, 0xD0) else 2
    ends.append(tick)
last = max(ends)
if division & 0x8000:
    print(last / ((256 - (division >> 8)) * (division & 0xFF))); sys.exit()
seconds, at, us = 0.0, 0, 500000
for tick, value in sorted(tempos, key=lambda t: t[0]):
    if tick >= last: break
    seconds += (tick - at) * us / 1e6 / division; at, us = tick, value
print(seconds + (last - at) * us / 1e6 / division)
EOF
}

# Length of a float WAV and the time just after its last sample above -100 dB of its peak.
length_and_last_audible() {
  python3 - "$1" <<'EOF'
import array, struct, sys
data = open(sys.argv[1], "rb").read()
p, rate, samples = 12, 44100, None
while p + 8 <= len(data):
    tag, size = data[p:p + 4], struct.unpack("<I", data[p + 4:p + 8])[0]
    if tag == b"fmt ": rate = struct.unpack("<I", data[p + 12:p + 16])[0]
    if tag == b"data": samples = array.array("f", data[p + 8:p + 8 + size])
    p += 8 + size + (size & 1)
peak = max(max(samples), -min(samples))
i = len(samples) - 1
while i >= 0 and abs(samples[i]) <= peak * 1e-5: i -= 1
print("%.4f %.4f" % (len(samples) / 2 / rate, (i // 2 + 1) / rate))
EOF
}

echo "| file | font | End-of-Track s | zephra song s | length s | last above -100 dB s | length - expected s | ok |"
echo "|---|---|---|---|---|---|---|---|"
for midi in "${FILES[@]}"; do
  eot=$(end_of_track "$midi")
  for font in "${FONTS[@]}"; do
    [ -f "$font" ] || continue
    "$RENDER" --sf2 "$font" --midi "$midi" --format float -o "$WORK/z.wav" >"$WORK/z.out" 2>"$WORK/z.err"
    song=$(sed -nE 's/^rendered [0-9.]+ s \(song ([0-9.]+) s.*/\1/p' "$WORK/z.out")
    read -r length audible < <(length_and_last_audible "$WORK/z.wav")
    row=$(awk -v m="$(basename "$midi")" -v f="$(basename "$font")" -v e="$eot" -v s="$song" -v l="$length" \
      -v a="$audible" 'BEGIN {
        expected = a > e ? a : e; off = l - expected; ok = (off >= -0.1 && off <= 0.1 && s - e < 0.1 && e - s < 0.1)
        printf "| %s | %s | %.2f | %.2f | %.2f | %.2f | %+.3f | %s |", m, f, e, s, l, a, off, ok ? "yes" : "NO" }')
    echo "$row"
    [[ "$row" == *"| yes |" ]] || status=1
  done
done
echo
for font in "${FONTS[@]}"; do
  [ -f "$font" ] || continue
  "$HEARD" --sf2 "$font" "${FILES[@]}" | { [ "$font" == "${FONTS[0]}" ] && cat || tail -n +3; } || status=1
done
exit $status
