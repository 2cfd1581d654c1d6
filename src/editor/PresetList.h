#pragma once
// The preset list of a SoundFont as the editor shows it: one "BBB:PPP - Name" row per preset,
// sorted by text, each row mapped to the preset's index in the file's preset table; and what
// to tell the user when the file cannot be listed.
// Threads: the host's UI thread (reads the file). Not real-time safe.
#include "soundfont/PresetCatalog.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Steinberg {
namespace Vst {

enum class FontStatus {
    noPath,          // nothing chosen
    listed,          // a SoundFont 2 or 3 file (possibly with no presets)
    missing,         // nothing at the path: moved or deleted
    notSoundFont,    // something at the path that does not load as a SoundFont 2 or 3 file
};

struct PresetList {
    std::vector<std::string> rows;           // sorted row texts, top row first
    std::map<int32_t, int32_t> rowToPreset;  // row -> preset index in file order
    FontStatus status = FontStatus::noPath;
};

// Lists the presets of the file at path as the catalogue rows them (PresetCatalog: the row
// text and which preset a row stored twice stands for); an empty path gives an empty list.
PresetList buildPresetList(const std::u16string& path);

// The file-name label: the path, followed by why nothing is listed when the file is gone or
// is not a SoundFont.
std::string fileLabelText(const std::string& path, FontStatus status);

// The file-name label while a file loads: "Loading NAME…" with the path's last component
// (bytes that are not UTF-8 shown as U+FFFD).
std::string loadingLabelText(const std::u16string& path);

// The preset name of a row "BBB:PPP - Name" (what typing in the list matches); the whole row
// when it has no such form.
std::string presetNameOfRow(const std::string& row);

} // namespace Vst
} // namespace Steinberg
