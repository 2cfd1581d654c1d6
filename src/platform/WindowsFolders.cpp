// The Windows composition of the user's folders, as pure functions of the environment values
// (used by the Win32 folder lookup and tested on every platform).
#include "platform/Folders.h"

namespace Steinberg {
namespace Vst {

namespace {
// Windows reads each variable into a buffer of 260 units; longer values do not fit.
std::u16string windowsPiece(const char16_t* value)
{
    if (!value) return {};
    std::u16string piece(value);
    return piece.size() < 260 ? piece : std::u16string();
}
} // namespace

std::u16string windowsHomeFolder(const char16_t* homeDrive, const char16_t* homePath)
{
    return windowsPiece(homeDrive) + windowsPiece(homePath) + u"\\";
}

std::u16string windowsPresetFolder(const std::u16string& home, const std::u16string& vendor,
                                   const std::u16string& product)
{
    return home + u"Documents\\" + u"VST3 Presets\\" + vendor + u"\\" + product + u"\\";
}

} // namespace Vst
} // namespace Steinberg
