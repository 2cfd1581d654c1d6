#pragma once
// A small per-user settings file in the user's configuration folder: where it lies, and reading
// and replacing it whole. Linux: $XDG_CONFIG_HOME (when absolute), else ~/.config;
// Windows: the roaming application data folder (UserSettingsWin32.cpp).
// Threads: any (reads the environment; do not call while another thread changes it).
// Not real-time safe (file I/O).
#include <string>

namespace Steinberg {
namespace Vst {

// The user's configuration folder ending in a separator; empty when none is known.
std::u16string userConfigFolder();
// The settings file fileName of a product: <config>/vendor/product/fileName (with the system's
// separators); empty when no configuration folder is known.
std::u16string userSettingsPath(const std::u16string& vendor, const std::u16string& product,
                                const std::u16string& fileName);

// The whole file, when it exists and holds at most maxBytes; false otherwise.
bool readSmallFile(const std::u16string& path, std::string& bytes, size_t maxBytes);

// Replaces the file with bytes: written beside it under a temporary name, then renamed over it,
// so a reader never sees half a file. Missing folders on the way are made. False on failure
// (the old file, if any, is left as it was).
bool replaceFile(const std::u16string& path, const std::string& bytes);

} // namespace Vst
} // namespace Steinberg
