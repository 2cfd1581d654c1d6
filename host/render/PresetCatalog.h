#pragma once
// The presets of a SoundFont as the editor lists them (the catalogue in soundfont/), loaded
// from a path with the checks that the file exists, can be read and is a SoundFont with presets.
//
// Threads: the thread that builds it. Not real-time safe (file I/O).
#include "soundfont/PresetCatalog.h"

#include <cstdint>
#include <string>

namespace zephra {
namespace render {

using PresetEntry = Steinberg::Vst::PresetEntry;
using Steinberg::Vst::presetRowText;

enum class SoundFontFault { None, Missing, Unreadable, NotASoundFont, NoPresets };

class PresetCatalog : public Steinberg::Vst::PresetCatalog {
public:
    // False with a reason (and the kind of fault) when the file cannot serve as a SoundFont.
    bool load(const std::string& path, std::string& error);
    SoundFontFault fault() const { return soundFontFault; }

private:
    SoundFontFault soundFontFault = SoundFontFault::None;
};

}   // namespace render
}   // namespace zephra
