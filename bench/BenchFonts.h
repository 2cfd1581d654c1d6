#pragma once
// Shared pieces of the engine benchmarks: the Debian General MIDI fonts, preset lookup and a
// thread CPU clock. Single-threaded tools; nothing here is real-time code.
#include "soundfont/SoundFontReader.h"

#include <ctime>
#include <string>
#include <sys/stat.h>

namespace zephra::bench {

inline bool fileExists(const std::string& path)
{
    struct stat s {};
    return stat(path.c_str(), &s) == 0;
}

inline std::u16string widen(const std::string& s)
{
    std::u16string out;
    for (unsigned char c : s)
        out.push_back(char16_t(c));   // the font paths used here are ASCII
    return out;
}

inline double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Index of bank:program in the preset table, or -1.
inline int32_t presetIndex(const Steinberg::Vst::SoundFontReader& reader, int bank, int program)
{
    for (size_t i = 0; i + 1 < reader.presets.size(); ++i)
        if (reader.presets[i].bank == bank && reader.presets[i].preset == program)
            return int32_t(i);
    return -1;
}

} // namespace zephra::bench
