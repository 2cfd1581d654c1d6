#include "editor/PresetList.h"

#include "platform/PathInfo.h"
#include "platform/Text.h"
#include "soundfont/SoundFontReader.h"

#include <exception>

namespace Steinberg {
namespace Vst {

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

    const PresetCatalog catalog(headers);
    for (const PresetEntry& row : catalog.sortedRows())
        list.rows.push_back(row.row);
    list.rowToPreset = catalog.presetOfEachRow();
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
