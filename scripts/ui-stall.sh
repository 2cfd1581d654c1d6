#!/usr/bin/env bash
# Measures how long the host's UI thread is held while a SoundFont is chosen in the editor:
# zephra-editorhost opens the editor in an X server (Xvfb), xdotool clicks the load icon, a
# stand-in for the dialog program answers with the font, and on closing the editor host prints
# the three longest single calls its run loop made (event handling, timers, drawing included)
# and when they came (the click comes about a second after the window opened).
# Usage: scripts/ui-stall.sh [font] [seconds to wait]   (BUILD_DIR overrides "build")
# Default font: Debian's MuseScore_General_Lite.sf3, whose piano takes seconds to decode.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD_DIR:-build}
FONT=${1:-/usr/share/sounds/sf3/MuseScore_General_Lite.sf3}
WAIT=${2:-12}
[ -f "$FONT" ] || { echo "no font at $FONT" >&2; exit 1; }
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
mkdir "$WORK/bin"
printf '#!/bin/sh\necho "%s"\n' "$FONT" > "$WORK/bin/zenity"
chmod +x "$WORK/bin/zenity"
cat > "$WORK/run.sh" <<RUN
#!/usr/bin/env bash
set -euo pipefail
export PATH="$WORK/bin:\$PATH"
"$BUILD/host/editorhost/zephra-editorhost" --bundle "$BUILD/VST3/Zephra SF2 Player.vst3" \
  --report-stalls --quit-after $((WAIT * 1000)) > "$WORK/out" &
host=\$!
for _ in \$(seq 100); do grep -q '^ready' "$WORK/out" 2>/dev/null && break; sleep 0.1; done
window=\$(sed -n 's/^ready window=//p' "$WORK/out")
sleep 1   # the editor has drawn; now the user chooses the font
xdotool mousemove --window "\$window" 30 30 click 1
wait \$host
cat "$WORK/out"
RUN
chmod +x "$WORK/run.sh"
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
xvfb-run -a -s "-screen 0 1280x1024x24" "$WORK/run.sh"
