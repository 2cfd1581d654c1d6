#pragma once
// The folder a SoundFont file dialog starts in: the loaded font's folder, else the plug-in's
// preset folder, else the system's SoundFont folders (SoundFont 2, then the compressed ones),
// else the home folder; each only when it is a folder that exists.
// Threads: the host's UI thread (asks the file system). Not real-time safe.
#include <string>
#include <vector>

namespace Steinberg {
namespace Vst {

// The system's SoundFont folders on Debian and most Linux systems: Debian's .sf3 fonts
// (MuseScore General, FluidR3Mono) go to the second.
const std::vector<std::string>& systemSoundFontFolders();

// All paths UTF-8. Empty when none of them exists.
std::string initialFontFolder(const std::string& loadedFontPath, const std::string& presetFolder,
                              const std::vector<std::string>& systemFolders, const std::string& homeFolder);

} // namespace Vst
} // namespace Steinberg
