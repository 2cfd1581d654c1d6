#pragma once
// Where the user's folders lie: the home folder and the plug-in's VST3 preset folder (the
// starting folder of the editor's file selector). Folders are neither created nor checked.
// Threads: any (reads the environment; do not call while another thread changes it).
// Not real-time safe (allocates).
#include <string>

namespace Steinberg {
namespace Vst {

// The user's home folder ending in one "/": $HOME when it is set to an absolute path,
// otherwise the home folder of the user's account entry. Empty when neither is known, so
// callers fall back to their own default rather than to a folder relative to the cwd.
std::u16string homeFolder();

// The plug-in's preset folder after the Linux VST3 convention:
// homeFolder() + ".vst3/presets/" + vendor + "/" + product + "/". Empty when no home is known.
std::u16string presetFolder(const std::u16string& vendor, const std::u16string& product);

// The Windows composition, kept as pure functions of the environment values.
// A variable that is unset (null) or 260 units or longer counts as an empty piece.
// windowsHomeFolder(u"C:", u"\\Users\\user1") == u"C:\\Users\\user1\\".
std::u16string windowsHomeFolder(const char16_t* homeDrive, const char16_t* homePath);
// home + "Documents\" + "VST3 Presets\" + vendor + "\" + product + "\".
std::u16string windowsPresetFolder(const std::u16string& home, const std::u16string& vendor,
                                   const std::u16string& product);

} // namespace Vst
} // namespace Steinberg
