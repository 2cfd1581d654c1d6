#!/usr/bin/env bash
# The Windows x64 build and its tests under Wine: cross-builds everything with mingw-w64
# (bundle, host library, zephra-render.exe, test programs), runs the unit and integration
# suites under Wine and the window tests under Wine in Xvfb, Steinberg's validator and editor
# host (Windows builds, under Wine) on the bundle, renders the demo under Wine and compares
# it with the Linux render. Its last line counts the tests.
# Usage: scripts/test-windows.sh [--smoke]   (BUILD_DIR, LINUX_BUILD_DIR override the folders)
# --smoke builds only the bundle and zephra-render.exe, checks the DLL's exports and renders
# the demo under Wine against the Linux render (the short stage of scripts/test.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
SMOKE=0
[ "${1:-}" = "--smoke" ] && SMOKE=1
if [ $SMOKE = 1 ]; then BUILD=${BUILD_DIR:-$ROOT/build-win-smoke}; else BUILD=${BUILD_DIR:-$ROOT/build-win}; fi
LINUX_BUILD=${LINUX_BUILD_DIR:-$ROOT/build}
JOBS=$(nproc)
PASSED=0
FAILED=0
LOGS=$(mktemp -d)
WINESERVER=""
# On the way out the prefix's Wine server (and every Wine process of it) ends too, so nothing
# keeps running, or holds the caller's output pipe, after the script.
trap 'rm -rf "$LOGS"; if [ -n "$WINESERVER" ]; then "$WINESERVER" -k || true; fi' EXIT

RUNNER=()   # a prefix for ctest (xvfb-run for the window tests)
. scripts/lib.sh

scripts/deps.sh

# The build already runs test programs under Wine (test discovery), so the prefix and the
# server come first.
. scripts/wine-env.sh "$BUILD"

echo "== Windows build (mingw-w64)"
start=$(date +%s)
TARGETS=()
TESTS=ON
if [ $SMOKE = 1 ]; then TARGETS=(--target zephra_plugin zephra-render); TESTS=OFF; fi
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DZEPHRA_BENCH=OFF -DZEPHRA_TESTS=$TESTS -DZEPHRA_WERROR=ON
cmake --build "$BUILD" -j"$JOBS" "${TARGETS[@]}"
echo "Windows build: $(( $(date +%s) - start )) s"

echo "== Exports of the Windows module"
DLL="$BUILD/VST3/Zephra SF2 Player.vst3/Contents/x86_64-win/Zephra SF2 Player.vst3"
EXPORTS=$(x86_64-w64-mingw32-objdump -p "$DLL" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
          sed -n 's/^\s*\[ *[0-9]*\] //p' | sort | tr '\n' ' ')
echo "$EXPORTS"
if [ "$EXPORTS" = "ExitDll GetPluginFactory InitDll " ]; then PASSED=$((PASSED + 1)); else FAILED=$((FAILED + 1)); fi

if [ $SMOKE = 0 ]; then
echo "== Windows tests under Wine"
start=$(date +%s)
run_ctest main "$BUILD" -j"$JOBS" --timeout 600 -LE window || true
echo "== Windows window tests under Wine in Xvfb"
RUNNER=(xvfb-run -a)
run_ctest window "$BUILD" --timeout 300 -L window || true
RUNNER=()
echo "Windows tests: $(( $(date +%s) - start )) s"

echo "== Steinberg's validator and editor host under Wine"
# Wine's desktop process went with the last Xvfb; the prefix's server starts afresh so the
# next program gets one on the new display.
"$WINESERVER" -k || true
"$WINESERVER" -p || true
WINE="$WINE" scripts/steinberg-tools.sh windows "$BUILD/VST3/Zephra SF2 Player.vst3" 2>&1 | tee "$LOGS/steinberg.log" || true
toolsPassed=$(sed -n 's/^steinberg tools: \([0-9]*\) passed.*/\1/p' "$LOGS/steinberg.log" | tail -n 1)
toolsFailed=$(sed -n 's/^steinberg tools: [0-9]* passed, \([0-9]*\) failed.*/\1/p' "$LOGS/steinberg.log" | tail -n 1)
PASSED=$((PASSED + ${toolsPassed:-0}))
FAILED=$((FAILED + ${toolsFailed:-1}))
fi

echo "== zephra-render.exe under Wine against the Linux renderer"
FORMATS=(24 16 float)
[ $SMOKE = 1 ] && FORMATS=(24)
if [ -x "$LINUX_BUILD/host/render/zephra-render" ]; then
  for format in "${FORMATS[@]}"; do
    "$LINUX_BUILD/host/render/zephra-render" -q --format "$format" -o "$LOGS/demo-linux.wav"
    "$WINE" "$BUILD/host/render/zephra-render.exe" -q --format "$format" -o "$LOGS/demo-win.wav"
    echo -n "$format: "
    if python3 scripts/compare-wav.py "$LOGS/demo-linux.wav" "$LOGS/demo-win.wav"; then
      PASSED=$((PASSED + 1))
    else
      FAILED=$((FAILED + 1))
    fi
    rm -f "$LOGS/demo-linux.wav" "$LOGS/demo-win.wav"
  done
else
  echo "(no Linux build at $LINUX_BUILD: comparison skipped)"
fi

echo "windows tests: $PASSED passed, $FAILED failed"
[ "$FAILED" = 0 ]
