#include "soundfont/PresetCatalog.h"

#include "soundfont/NameText.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace Steinberg {
namespace Vst {

std::string presetRowText(uint16_t bank, uint16_t program, const std::string& name)
{
    char numbers[32];
    std::snprintf(numbers, sizeof numbers, "%03d:%03d - ", int(bank), int(program));
    return numbers + name;
}

std::string presetRowText(uint16_t bank, uint16_t program, const char (&name)[20])
{
    return presetRowText(bank, program, soundFontNameText(name));
}

PresetCatalog::PresetCatalog(const std::vector<PresetHeader>& headers)
{
    const size_t count = headers.empty() ? 0 : headers.size() - 1;
    presets.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const PresetHeader& header = headers[i];
        PresetEntry entry;
        entry.index = static_cast<int32_t>(i);
        entry.bank = header.bank;
        entry.program = header.preset;
        entry.name.assign(header.name, strnlen(header.name, sizeof header.name));
        entry.row = presetRowText(header.bank, header.preset, header.name);
        presets.push_back(std::move(entry));
    }
}

std::vector<PresetEntry> PresetCatalog::sortedRows() const
{
    std::vector<PresetEntry> rows = presets;
    std::stable_sort(rows.begin(), rows.end(),
                     [](const PresetEntry& a, const PresetEntry& b) { return a.row < b.row; });
    return rows;
}

std::map<int32_t, int32_t> PresetCatalog::presetOfEachRow() const
{
    const std::vector<PresetEntry> rows = sortedRows();
    const auto byText = [](const PresetEntry& a, const std::string& text) { return a.row < text; };
    std::map<int32_t, int32_t> chosen;
    for (const PresetEntry& preset : presets) {
        const auto row = std::lower_bound(rows.begin(), rows.end(), preset.row, byText);
        chosen[int32_t(row - rows.begin())] = preset.index;   // later presets overwrite
    }
    return chosen;
}

int32_t PresetCatalog::topRowPreset() const
{
    const std::map<int32_t, int32_t> chosen = presetOfEachRow();
    return chosen.empty() ? -1 : chosen.begin()->second;
}

int32_t PresetCatalog::find(int32_t bank, int32_t program) const
{
    for (const PresetEntry& entry : presets)
        if (entry.bank == bank && entry.program == program) return entry.index;
    return -1;
}

bool PresetCatalog::contains(int32_t presetIndex) const
{
    return presetIndex >= 0 && static_cast<size_t>(presetIndex) < presets.size();
}

const PresetEntry* PresetCatalog::entry(int32_t presetIndex) const
{
    return contains(presetIndex) ? &presets[static_cast<size_t>(presetIndex)] : nullptr;
}

} // namespace Vst
} // namespace Steinberg
