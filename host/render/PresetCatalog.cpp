#include "PresetCatalog.h"

#include "platform/Text.h"
#include "soundfont/SoundFontReader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace zephra {
namespace render {

bool PresetCatalog::load(const std::string& path, std::string& error)
{
    presets.clear();
    soundFontFault = SoundFontFault::None;
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) {
        soundFontFault = SoundFontFault::Missing;
        error = "SoundFont \"" + path + "\" not found: " + std::strerror(errno);
        return false;
    }
    FILE* probe = S_ISDIR(info.st_mode) ? nullptr : std::fopen(path.c_str(), "rb");
    if (probe == nullptr) {
        soundFontFault = SoundFontFault::Unreadable;
        error = "SoundFont \"" + path + "\" cannot be read: " +
                (S_ISDIR(info.st_mode) ? std::string("it is a folder") : std::string(std::strerror(errno)));
        return false;
    }
    std::fclose(probe);

    std::u16string widePath;
    try {
        widePath = Steinberg::Vst::fromUtf8(path);
    } catch (const std::exception&) {
        soundFontFault = SoundFontFault::Unreadable;
        error = "SoundFont path \"" + path + "\" holds characters the plug-in cannot take";
        return false;
    }
    Steinberg::Vst::SoundFontReader reader;
    if (!reader.load(widePath) || reader.presets.empty()) {
        soundFontFault = SoundFontFault::NotASoundFont;
        error = "\"" + path + "\" is not a SoundFont 2 or 3 file";
        return false;
    }
    presets = Steinberg::Vst::PresetCatalog(reader.presets).presetsInFileOrder();
    if (presets.empty()) {
        soundFontFault = SoundFontFault::NoPresets;
        error = "SoundFont \"" + path + "\" holds no presets";
        return false;
    }
    return true;
}

}   // namespace render
}   // namespace zephra
