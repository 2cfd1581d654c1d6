#!/usr/bin/env bash
# Cross-builds the Windows x64 bundle with mingw-w64 and zips it with a short install text into
# dist/Zephra-SF2-Player-<version>-win64.zip. Usage: scripts/build-windows.sh
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
BUILD=${BUILD_DIR:-$ROOT/build-win-release}

scripts/deps.sh
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DZEPHRA_TESTS=OFF -DZEPHRA_BENCH=OFF
cmake --build "$BUILD" -j"$(nproc)" --target zephra_plugin zephra-render

VERSION=$(sed -n 's/^project(ZephraSF2Player VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
STAGE="$BUILD/dist-stage"
rm -rf "$STAGE"
mkdir -p "$STAGE" "$ROOT/dist"
cp -r "$BUILD/VST3/Zephra SF2 Player.vst3" "$STAGE/"
cp "$BUILD/host/render/zephra-render.exe" "$STAGE/"
cat > "$STAGE/INSTALL.txt" <<TEXT
Zephra SF2 Player $VERSION for Windows (64-bit VST3) by Norvane

Install: copy the folder "Zephra SF2 Player.vst3" into
    %COMMONPROGRAMFILES%\\VST3
(usually C:\\Program Files\\Common Files\\VST3), then let your DAW rescan its VST3 plug-ins
and add "Zephra SF2 Player" to an instrument track. Click the folder icon in its editor to
choose a SoundFont 2 (.sf2) file, then pick a preset in the list.

zephra-render.exe renders a MIDI file (or a built-in demo) through the plug-in from the
command line: zephra-render.exe --help
TEXT
sed -i 's/$/\r/' "$STAGE/INSTALL.txt"
ZIP="$ROOT/dist/Zephra-SF2-Player-$VERSION-win64.zip"
rm -f "$ZIP"
(cd "$STAGE" && cmake -E tar cf "$ZIP" --format=zip "Zephra SF2 Player.vst3" zephra-render.exe INSTALL.txt)
echo "Windows bundle: $ZIP"
