#!/usr/bin/env bash
# Runs Steinberg's own VST3 tools on a built bundle, as the strictest hosts would: the SDK's
# conformance validator with its extensive tests (-e), and its editor host, which must show
# the editor at its size for a few seconds without exiting (checked with xwininfo and a
# screenshot, in Xvfb). "linux" runs the Linux tools on a Linux bundle; "windows" runs the
# .exe tools under Wine ($WINE, else wine64) on a Windows bundle.
# Usage: scripts/steinberg-tools.sh linux|windows BUNDLE.vst3
# The tools are looked up in $VST3SDK_TOOLS, else in shared/tools/vst3sdk beside the checkout
# (or one folder further up, for a worktree); without them the stage says so and counts
# nothing. Its last line counts the checks: "steinberg tools: N passed, M failed".
set -uo pipefail
INSIDE_XVFB=0
if [ "${1:-}" = --inside-xvfb ]; then INSIDE_XVFB=1; shift; fi
SYSTEM=${1:?linux or windows}
BUNDLE=$(realpath "${2:?bundle path}")
ROOT=$(cd "$(dirname "$0")/.." && pwd)
TOOLS=${VST3SDK_TOOLS:-}
for candidate in "$ROOT/../shared/tools/vst3sdk" "$ROOT/../../shared/tools/vst3sdk"; do
  if [ -z "$TOOLS" ] && [ -x "$candidate/validator" ]; then TOOLS=$(realpath "$candidate"); fi
done
if [ -z "$TOOLS" ] || [ ! -d "$TOOLS" ]; then
  echo "(Steinberg's tools not found: set VST3SDK_TOOLS; stage skipped)"
  echo "steinberg tools: 0 passed, 0 failed"
  exit 0
fi
PASSED=0
FAILED=0
WORK=${WORK:-$(mktemp -d)}
[ $INSIDE_XVFB = 1 ] || trap 'rm -rf "$WORK"' EXIT
check() {   # check NAME COMMAND...: counts and reports one check
  local name=$1; shift
  if "$@"; then echo "ok: $name"; PASSED=$((PASSED + 1)); else echo "FAILED: $name"; FAILED=$((FAILED + 1)); fi
}

if [ "$SYSTEM" = windows ]; then
  WINE=${WINE:-$(command -v wine64 || echo /usr/lib/wine/wine64)}
  TARGET="Z:${BUNDLE//\//\\}"
  VALIDATOR=("$WINE" "$TOOLS/validator.exe")
  EDITORHOST=("$WINE" "$TOOLS/editorhost.exe")
  # The editor opens at the size its user chose last: start from none.
  rm -rf "${WINEPREFIX:-$HOME/.wine}"/drive_c/users/*/AppData/Roaming/Norvane
else
  TARGET=$BUNDLE
  VALIDATOR=("$TOOLS/validator")
  EDITORHOST=("$TOOLS/editorhost")
  export XDG_CONFIG_HOME="$WORK/config"
fi

validate() {
  "${VALIDATOR[@]}" -e "$TARGET" > "$WORK/validator.log" 2>&1
  local status=$?
  grep -E "^Result: " "$WORK/validator.log" | tail -n 1
  [ $status = 0 ] && grep -qE "^Result: [0-9]+ tests passed, 0 tests failed" "$WORK/validator.log"
}

# Runs inside Xvfb: the editor host shows the editor for a few seconds; its window tree must
# hold a window of the editor's size (on Wine, the "Editor" window's client area with its frame
# around it), and the screenshot must show the editor, not an empty window.
show_editor() {
  xprop -root -f _XEMBED_INFO 32c -set _XEMBED_INFO 0   # a bare Xvfb lacks the atom
  "${EDITORHOST[@]}" "$TARGET" > "$WORK/editorhost.log" 2>&1 &
  local host=$! found="" i
  : > "$WORK/tree.txt"
  for i in $(seq 1 40); do
    sleep 0.5
    kill -0 $host 2>/dev/null || break
    xwininfo -root -tree > "$WORK/tree.txt" 2>/dev/null
    # "WIDTH HEIGHT X Y" (on the screen) of each window; on Wine the "Editor" window is the
    # client area with Wine's frame around it, on Linux the innermost window is the editor's.
    local pattern='s/.* \([0-9]*\)x\([0-9]*\)[+-][0-9-]*[+-][0-9-]*  +\(-\?[0-9]*\)+\(-\?[0-9]*\).*/\1 \2 \3 \4/p'
    if [ "$SYSTEM" = windows ]; then
      found=$(grep '"Editor"' "$WORK/tree.txt" | sed -n "$pattern" |
              awk '$1 >= 681 && $1 < 720 && $2 >= 441 && $2 < 500' | head -n 1)
    else
      found=$(sed -n "$pattern" "$WORK/tree.txt" | awk '$1 == 681 && $2 == 441' | tail -n 1)
    fi
    [ -n "$found" ] && break
  done
  sleep 3
  local alive=1
  kill -0 $host 2>/dev/null || alive=0
  import -window root "$WORK/screen.png" 2>/dev/null
  local lit="" w h x y
  if [ -n "$found" ]; then
    read -r w h x y <<< "$found"
    lit=$(convert "$WORK/screen.png" -crop "${w}x${h}+${x}+${y}" -colorspace Gray \
          -format "%[fx:mean>0.08]" info: 2>/dev/null)
  fi
  kill $host 2>/dev/null
  wait $host 2>/dev/null
  if [ $alive = 0 ] || [ -z "$found" ] || [ "$lit" != 1 ]; then
    echo "editor host: alive=$alive window=${found:-none} drawn=${lit:-no}"
    sed -n '1,20p' "$WORK/editorhost.log"
    grep -v "has no name" "$WORK/tree.txt" | sed -n '1,20p'
    return 1
  fi
  echo "editor host: window of ${w}x${h} at +${x}+${y} shown for 3 s"
}
# Both tools run in one Xvfb (kept with -noreset): under Wine, the first program of a Wine
# server fixes the display every later one gets.
if [ $INSIDE_XVFB = 0 ]; then
  export WORK
  xvfb-run -a -s "-noreset -screen 0 1280x1024x24" "$0" --inside-xvfb "$SYSTEM" "$BUNDLE"
  exit
fi
check "validator -e ($SYSTEM)" validate
check "editor host shows the editor at its size ($SYSTEM)" show_editor
echo "steinberg tools: $PASSED passed, $FAILED failed"
[ "$FAILED" = 0 ]
