#include "editor/PresetList.h"

#include "platform/PathInfo.h"
#include "soundfont/SoundFontReader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>

namespace Steinberg {
namespace Vst {

std::string presetRowText(uint16_t bank, uint16_t program, const char (&name)[20])
{
    const size_t length = ::strnlen(name, sizeof name);
    char text[256];
    std::snprintf(text, sizeof text, "%03d:%03d - %.*s", int(bank), int(program), int(length), name);
    return text;
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

} // namespace Vst
} // namespace Steinberg
