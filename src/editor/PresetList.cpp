#include "editor/PresetList.h"

#include "platform/PathInfo.h"
#include "platform/Text.h"
#include "soundfont/NameText.h"
#include "soundfont/SoundFontReader.h"

#include <algorithm>
#include <cstdio>
#include <exception>

namespace Steinberg {
namespace Vst {

std::string presetRowText(uint16_t bank, uint16_t program, const char (&name)[20])
{
    char numbers[32];
    std::snprintf(numbers, sizeof numbers, "%03d:%03d - ", int(bank), int(program));
    return numbers + soundFontNameText(name);
}

PresetList buildPresetList(const std::u16string& path)
{
    PresetList list;
    if (path.empty())
        return list;
    std::vector<PresetHeader> headers;
    bool loaded = false;
    try {
        SoundFontReader reader;
        loaded = reader.load(path);
        headers = std::move(reader.presets);
    } catch (const std::exception&) {
        loaded = false;
    }
    if (!loaded) {
        list.status = pathKind(path) == PathKind::missing ? FontStatus::missing
                                                           : FontStatus::notSoundFont;
        return list;
    }
    list.status = FontStatus::listed;

    const size_t count = headers.empty() ? 0 : headers.size() - 1;
    std::vector<std::string> texts;
    texts.reserve(count);
    for (size_t i = 0; i < count; ++i)
        texts.push_back(presetRowText(headers[i].bank, headers[i].preset, headers[i].name));
    list.rows = texts;
    std::sort(list.rows.begin(), list.rows.end());
    for (size_t i = 0; i < count; ++i) {
        const auto row = std::lower_bound(list.rows.begin(), list.rows.end(), texts[i]);
        list.rowToPreset[int32_t(row - list.rows.begin())] = int32_t(i);
    }
    return list;
}

std::string fileLabelText(const std::string& path, FontStatus status)
{
    switch (status) {
        case FontStatus::missing: return path + " (not found)";
        case FontStatus::notSoundFont: return path + " (not a SoundFont 2 or 3 file)";
        default: return path;
    }
}

std::string loadingLabelText(const std::u16string& path)
{
    const std::string shown = displayText(path);
    const size_t separator = shown.find_last_of("/\\");
    return "Loading " + (separator == std::string::npos ? shown : shown.substr(separator + 1)) +
           "\xE2\x80\xA6";
}

std::string presetNameOfRow(const std::string& row)
{
    const size_t dash = row.find(" - ");
    return dash == std::string::npos ? row : row.substr(dash + 3);
}

} // namespace Vst
} // namespace Steinberg
