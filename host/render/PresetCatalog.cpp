#include "PresetCatalog.h"

#include "platform/Text.h"
#include "soundfont/SoundFontReader.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace zephra {
namespace render {

std::string presetRowText(uint16_t bank, uint16_t program, const std::string& name) {
    char text[256];
    std::snprintf(text, sizeof text, "%03d:%03d - %s", bank, program, name.c_str());
    return text;
}

bool PresetCatalog::load(const std::string& path, std::string& error) {
    presets.clear();
    fault_ = SoundFontFault::None;
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) {
        fault_ = SoundFontFault::Missing;
        error = "SoundFont \"" + path + "\" not found: " + std::strerror(errno);
        return false;
    }
    FILE* probe = S_ISDIR(info.st_mode) ? nullptr : std::fopen(path.c_str(), "rb");
    if (probe == nullptr) {
        fault_ = SoundFontFault::Unreadable;
        error = "SoundFont \"" + path + "\" cannot be read: " +
                (S_ISDIR(info.st_mode) ? std::string("it is a folder") : std::string(std::strerror(errno)));
        return false;
    }
    std::fclose(probe);

    std::u16string widePath;
    try {
        widePath = Steinberg::Vst::fromUtf8(path);
    } catch (const std::exception&) {
        fault_ = SoundFontFault::Unreadable;
        error = "SoundFont path \"" + path + "\" holds characters the plug-in cannot take";
        return false;
    }
    Steinberg::Vst::SoundFontReader reader;
    if (!reader.load(widePath) || reader.presets.empty()) {
        fault_ = SoundFontFault::NotASoundFont;
        error = "\"" + path + "\" is not a SoundFont 2 or 3 file";
        return false;
    }
    // The last preset header is the file's terminal record, not a preset.
    for (size_t i = 0; i + 1 < reader.presets.size(); ++i) {
        const auto& header = reader.presets[i];
        PresetEntry entry;
        entry.index = static_cast<int32_t>(i);
        entry.bank = header.bank;
        entry.program = header.preset;
        entry.name.assign(header.name, strnlen(header.name, sizeof header.name));
        entry.row = presetRowText(entry.bank, entry.program, entry.name);
        presets.push_back(std::move(entry));
    }
    if (presets.empty()) {
        fault_ = SoundFontFault::NoPresets;
        error = "SoundFont \"" + path + "\" holds no presets";
        return false;
    }
    return true;
}

std::vector<PresetEntry> PresetCatalog::sortedRows() const {
    std::vector<PresetEntry> rows = presets;
    std::stable_sort(rows.begin(), rows.end(),
                     [](const PresetEntry& a, const PresetEntry& b) { return a.row < b.row; });
    return rows;
}

int32_t PresetCatalog::topRowPreset() const {
    const std::vector<PresetEntry> rows = sortedRows();
    if (rows.empty()) return -1;
    int32_t preset = rows.front().index;
    for (const PresetEntry& entry : presets)
        if (entry.row == rows.front().row) preset = entry.index;
    return preset;
}

int32_t PresetCatalog::find(int32_t bank, int32_t program) const {
    for (const PresetEntry& entry : presets)
        if (entry.bank == bank && entry.program == program) return entry.index;
    return -1;
}

bool PresetCatalog::contains(int32_t presetIndex) const {
    return presetIndex >= 0 && static_cast<size_t>(presetIndex) < presets.size();
}

const PresetEntry* PresetCatalog::entry(int32_t presetIndex) const {
    return contains(presetIndex) ? &presets[static_cast<size_t>(presetIndex)] : nullptr;
}

} // namespace render
} // namespace zephra
