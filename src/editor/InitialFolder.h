#pragma once
// The folder a SoundFont file dialog starts in: the loaded font's folder, else the plug-in's
// preset folder, else the system's SoundFont folder, else the home folder; each only when it
// is a folder that exists.
// Threads: the host's UI thread (asks the file system). Not real-time safe.
#include <string>

namespace Steinberg {
namespace Vst {

// The system's SoundFont folder on Debian and most Linux systems.
constexpr const char* kSystemSoundFontFolder = "/usr/share/sounds/sf2";

// All paths UTF-8. Empty when none of them exists.
std::string initialFontFolder(const std::string& loadedFontPath, const std::string& presetFolder,
                              const std::string& systemFolder, const std::string& homeFolder);

} // namespace Vst
} // namespace Steinberg
