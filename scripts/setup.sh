#!/usr/bin/env bash
# Installs what is needed, builds the plug-in, installs the bundle for DAWs (~/.vst3) and
# renders a demo through the plug-in with the default SoundFont into demo.wav.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
BUILD=${BUILD_DIR:-$ROOT/build-release}

scripts/deps.sh
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DZEPHRA_TESTS=OFF -DZEPHRA_BENCH=OFF
cmake --build "$BUILD" -j"$(nproc)" --target zephra_plugin zephra-render

BUNDLE_NAME="Zephra SF2 Player.vst3"
DEST="${HOME}/.vst3"
mkdir -p "$DEST"
rm -rf "${DEST:?}/$BUNDLE_NAME"
cp -r "$BUILD/VST3/$BUNDLE_NAME" "$DEST/"

"$BUILD/host/render/zephra-render" -o "$ROOT/demo.wav"

cat <<MSG

Demo rendered: $ROOT/demo.wav
Plug-in installed: $DEST/$BUNDLE_NAME
Open it in a DAW: rescan VST3 plug-ins (Ardour, REAPER, Bitwig and Carla look in ~/.vst3),
add "Zephra SF2 Player" by Norvane to an instrument track and open its editor: click the
folder icon to choose a SoundFont (/usr/share/sounds/sf2 holds the installed ones) and pick a
preset in the list. From the command line: "$BUILD/host/render/zephra-render --help".
MSG
