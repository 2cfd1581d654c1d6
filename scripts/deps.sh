#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, run and test Zephra SF2 Player.
set -euo pipefail
SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi

PACKAGES=(
  # toolchain
  build-essential cmake pkg-config ccache git clang llvm libclang-rt-14-dev
  # VST3 SDK interfaces and helpers (compiled in place from /usr/share/juce)
  juce-modules-source-data
  # libraries
  libcairo2-dev libxcb1-dev libsndfile1-dev libfluidsynth-dev
  # stb_vorbis (one header) decodes the Ogg Vorbis samples of SoundFont 3 files
  libstb-dev
  # tests and benchmarks
  googletest libgtest-dev libgmock-dev libbenchmark-dev fluidsynth
  xvfb xauth xdotool x11-apps imagemagick zenity sox
  # real General MIDI songs: seeds of the MIDI reader's fuzz target, renders compared with FluidSynth
  openttd-openmsx
  # Windows x64 build (mingw-w64, posix threads) and its tests under Wine
  g++-mingw-w64-x86-64-posix wine64
  # SoundFonts: TimGM6mb is the default for the demo, FluidR3_GM the large reference
  timgm6mb-soundfont fluid-soundfont-gm
  # SoundFont 3: sf3convert makes compressed test fonts; Debian's own .sf3 fonts as real data
  sf3convert musescore-general-soundfont-small fluidr3mono-gm-soundfont
)

export DEBIAN_FRONTEND=noninteractive
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
