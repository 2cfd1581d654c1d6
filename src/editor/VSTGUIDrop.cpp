// The player editor's answer to files dropped on it: a SoundFont loads as if chosen in the file
// selector; anything else leaves the loaded font alone and says why in a notice.
#include "editor/VSTGUI.h"

#include "editor/PresetList.h"
#include "platform/PathExtension.h"
#include "platform/Text.h"
#include "ui/widgets/CFrame.h"

#include <stdexcept>

namespace Steinberg {
namespace Vst {

namespace {
// The spellings the controller loads as SoundFonts.
bool namesSoundFont(const std::string& path)
{
    std::u16string extension;
    try {
        extension = pathExtension(fromUtf8(path));
    } catch (const std::range_error&) {
        return false;
    }
    return extension == u".sf2" || extension == u".SF2" || extension == u".sf3" || extension == u".SF3";
}
} // namespace

bool VSTGUI::onFilesDrop(const std::vector<std::string>& files)
{
    for (const std::string& path : files) {
        if (namesSoundFont(path)) {
            onFileSelected(kSelectorId, path);
            return true;
        }
    }
    if (frame && !files.empty())
        frame->showNotice(fileLabelText(files.front(), FontStatus::notSoundFont).c_str());
    return false;
}

} // namespace Vst
} // namespace Steinberg
