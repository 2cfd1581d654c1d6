#pragma once
// Shared pieces of the engine benchmarks: the Debian General MIDI fonts, preset lookup and
// loading, and a thread CPU clock. Single-threaded tools; nothing here is real-time code.
#include "soundfont/SoundFontReader.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace zephra::bench {

// Debian's General MIDI fonts (timgm6mb-soundfont, fluid-soundfont-gm, fluidr3mono-gm-soundfont,
// musescore-general-soundfont-small).
constexpr char kTimGM6mb[] = "/usr/share/sounds/sf2/TimGM6mb.sf2";
constexpr char kFluidR3GM[] = "/usr/share/sounds/sf2/FluidR3_GM.sf2";
constexpr char kFluidR3MonoGM[] = "/usr/share/sounds/sf3/FluidR3Mono_GM.sf3";
constexpr char kMuseScoreGeneralLite[] = "/usr/share/sounds/sf3/MuseScore_General_Lite.sf3";

bool fileExists(const std::string& path);
// Those of `paths` that are installed, in the order given.
std::vector<std::string> installedFonts(std::initializer_list<const char*> paths);

// The path as the reader takes it; the font paths used here are ASCII.
std::u16string widen(const std::string& s);

// This thread's CPU time in seconds.
double cpuSeconds();
// The CPU time of every thread of this process in seconds.
double processCpuSeconds();

// Index of bank:program in the preset table (the first such preset), or -1.
int32_t presetIndex(const Steinberg::Vst::SoundFontReader& reader, int bank, int program);
// The preset's name without the padding of its 20-byte field.
std::string presetName(const Steinberg::Vst::PresetHeader& preset);
// Resolves the preset at `index` and builds its records into reader.synths (emptied first).
void loadPreset(Steinberg::Vst::SoundFontReader& reader, int32_t index);

// Sample points of a preset's records: every record's buffer counted, or each buffer once.
uint64_t totalPoints(const Steinberg::Vst::SFSynthList& records);
uint64_t distinctPoints(const Steinberg::Vst::SFSynthList& records);
// The index of the preset whose records hold the most points by `points` (the first of equals;
// 0 for a font without presets). Leaves the last preset's records in reader.synths.
int32_t largestPreset(Steinberg::Vst::SoundFontReader& reader,
                      uint64_t (*points)(const Steinberg::Vst::SFSynthList&));

} // namespace zephra::bench
