#!/usr/bin/env bash
# Draws the README's editor screenshots with the build's own off-screen drawing:
# docs/editor.png at 100 % and docs/editor@2x.png at 200 % (content scale 2). The font is a
# copy of TimGM6mb whose first presets carry Windows-1252, Chinese, Japanese, Cyrillic and
# over-long names, in a deep folder with a long non-Latin name; the pointer rests on a row cut
# with "…", so its tooltip shows.
# Usage: scripts/screenshots.sh [build folder]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
HOST="$BUILD/host/editorhost/zephra-editorhost"
BUNDLE="$BUILD/VST3/Zephra SF2 Player.vst3"
SOURCE=/usr/share/sounds/sf2/TimGM6mb.sf2
[ -x "$HOST" ] || { echo "build zephra-editorhost first ($HOST)" >&2; exit 1; }
[ -f "$SOURCE" ] || { echo "TimGM6mb is not installed (timgm6mb-soundfont)" >&2; exit 1; }

WORK="${TMPDIR:-/tmp}/zephra-screenshots"
rm -rf "$WORK"
trap 'rm -rf "$WORK"' EXIT
FOLDER="$WORK/Sound Libraries/Keys and Orchestra Collection/日本語の音色/Renamed for the README"
mkdir -p "$FOLDER"
FONT="$FOLDER/TimGM6mb with international preset names.sf2"
python3 - "$SOURCE" "$FONT" <<'PY'
import struct, sys
source, target = sys.argv[1], sys.argv[2]
data = bytearray(open(source, 'rb').read())
names = {  # (bank, program): the name's bytes as a font editor would store them
    (0, 0): 'Flügel Konzert'.encode('cp1252'),
    (0, 1): '明るいピアノ'.encode(),
    (0, 2): '电钢琴 Electric'.encode(),
    (0, 3): b'Honky-Tonk Upright 2',
    (0, 4): b'Rhodes Mark II Stage',
    (0, 5): 'Электропиано'.encode(),
    (0, 6): "Clavecín d'été".encode('cp1252'),
    (0, 8): 'チェレスタ'.encode(),
}
at = data.find(b'phdr')
size = struct.unpack_from('<I', data, at + 4)[0]
for record in range(size // 38):
    offset = at + 8 + 38 * record
    program, bank = struct.unpack_from('<HH', data, offset + 20)
    if (bank, program) in names:
        data[offset:offset + 20] = names[(bank, program)][:20].ljust(20, b'\0')
open(target, 'wb').write(bytes(data))
PY
# The Japanese row (000:001) selected, the pointer on a row cut with "…" below it.
PRESET=$(python3 - "$FONT" <<'PY'
import struct, sys
data = open(sys.argv[1], 'rb').read()
at = data.find(b'phdr')
for record in range(struct.unpack_from('<I', data, at + 4)[0] // 38):
    program, bank = struct.unpack_from('<HH', data, at + 8 + 38 * record + 20)
    if (bank, program) == (0, 1):
        print(record)
PY
)
"$HOST" --bundle "$BUNDLE" --font "$FONT" --preset "$PRESET" --screenshot docs/editor.png --hover 120,202
"$HOST" --bundle "$BUNDLE" --font "$FONT" --preset "$PRESET" --scale 2 --screenshot docs/editor@2x.png --hover 120,202
