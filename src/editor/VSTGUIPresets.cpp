// The player editor's SoundFont choice: the file selector, the sorted preset list, loading
// the chosen row's preset, and showing the stored preset when the editor opens.
#include "editor/VSTGUI.h"

#include "controller/MyVSTController.h"
#include "editor/CListBox.h"
#include "editor/InitialFolder.h"
#include "platform/Folders.h"
#include "platform/Text.h"
#include "shell/ParameterIds.h"
#include "shell/PluginDescription.h"
#include "ui/widgets/CTextLabel.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace Steinberg {
namespace Vst {

using namespace ::VSTGUI;

namespace {
// A path's bytes for the file system (and the dialog program); empty when it has none.
std::string bytesOrEmpty(const std::u16string& path)
{
    try {
        return pathToBytes(path);
    } catch (const std::range_error&) {
        return {};
    }
}
} // namespace

std::u16string VSTGUI::loadedPath() const
{
    const MyVSTController* player = playerController();
    if (!player)
        return {};
    const auto found = player->filePaths.find(kSoundFontFileId);
    return found == player->filePaths.end() ? std::u16string() : found->second;
}

std::vector<std::string> VSTGUI::buildPresetList(const std::u16string& path)
{
    if (path.empty()) {
        fontStatus = FontStatus::noPath;
        return {};
    }
    PresetList list = Vst::buildPresetList(path);
    rowToPreset = std::move(list.rowToPreset);
    fontStatus = list.status;
    return std::move(list.rows);
}

void VSTGUI::openSoundFontSelector()
{
    openFileSelector(kSelectorId, {CFileExtension("ALL Files", "*"),
                                   CFileExtension("SoundFont2 File", "sf2"),
                                   CFileExtension("SoundFont 3 File", "sf3")});
}

std::string VSTGUI::initialSelectorFolder() const
{
    const PluginDescription& description = pluginDescription();
    std::string presets;
    try {
        presets = toUtf8(presetFolder(fromUtf8(description.vendor), fromUtf8(description.name)));
    } catch (const std::range_error&) {
        presets.clear();
    }
    return initialFontFolder(bytesOrEmpty(loadedPath()), presets, systemSoundFontFolders(),
                             bytesOrEmpty(homeFolder()));
}

void VSTGUI::onFileSelected(int32 selectorId, const std::string& path)
{
    if (selectorId != kSelectorId)
        return;
    // The path's exact bytes, also those that are not UTF-8: such a file still loads.
    const std::u16string widePath = pathFromBytes(path);
    const std::vector<std::string> rows = buildPresetList(widePath);
    const auto top = rowToPreset.emplace(0, 0).first;   // no rows: preset 0
    const int32_t preset = top->second;
    if (MyVSTController* player = playerController())
        player->loadFile(widePath, &preset);
    fileLine = fileLabelText(displayText(widePath), fontStatus);
    showLoadState();
    if (presetList) {
        presetList->setRows(rows);
        // A new file's list starts at its top.
        presetList->browser->setScrollOffset(CPoint(0, 0));
        selectAndReveal(0, int32(presetList->browser->getHeight()) / kScrollRowPixels);
    }
}

void VSTGUI::onListSelect(CListBox* listBox, int32 row)
{
    if (!listBox || listBox != presetList)
        return;
    const std::u16string path = loadedPath();
    if (path.empty())
        return;
    const auto entry = rowToPreset.find(row);
    if (entry == rowToPreset.end())
        return;
    const int32_t preset = entry->second;
    if (MyVSTController* player = playerController())
        player->loadFile(path, &preset);
}

void VSTGUI::showStoredSelection()
{
    const MyVSTController* player = playerController();
    if (!player || !presetList)
        return;
    const auto options = player->fileOptions.find(kSoundFontFileId);
    if (options == player->fileOptions.end() || options->second.size() != 4)
        return;
    const uint8_t* bytes = options->second.data();
    const auto preset = static_cast<int32_t>(uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 |
                                             uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24);
    int32 row = 0;
    for (const auto& entry : rowToPreset)
        if (entry.second == preset)
            row = entry.first;   // the last such row
    selectAndReveal(row, row + int32(presetList->browser->getHeight()) / kScrollRowPixels);
}

void VSTGUI::selectAndReveal(int32 row, int32 target)
{
    CDataBrowser* browser = presetList->browser;
    browser->setSelectedRow(row, false);
    // A target past the end would scroll nowhere and could leave the selection out of view.
    const auto rows = int32(presetList->strings.size());
    if (rows > 0)
        browser->makeRowVisible(std::min(target, rows - 1));
    browser->setDirty(true);
}

} // namespace Vst
} // namespace Steinberg
