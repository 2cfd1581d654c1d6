#include "support/Sf3Convert.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace zephra {
namespace test {

bool haveSf3convert()
{
    return std::system("command -v sf3convert >/dev/null 2>&1") == 0;
}

std::vector<uint8_t> convertToSf3(const std::vector<uint8_t>& sf2, const std::string& workPrefix)
{
    const std::string in = workPrefix + ".sf2", out = workPrefix + ".sf3";
    std::vector<uint8_t> result;
    if (writeFile(in, sf2)) {
        const std::string command = "sf3convert -z -a 0 -S 1 '" + in + "' '" + out + "' >/dev/null 2>&1";
        if (std::system(command.c_str()) == 0) {
            std::ifstream file(out, std::ios::binary);
            result.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        }
    }
    std::remove(in.c_str());
    std::remove(out.c_str());
    return result;
}

namespace {
// A sine of `period` points per cycle (44100 Hz), `seconds` long, looped over its last half
// on whole cycles.
SampleSpec sine(const std::string& name, uint32_t period, double amplitude, uint8_t rootKey)
{
    SampleSpec s;
    s.name = name;
    s.rootKey = rootKey;
    const uint32_t total = 44100 / period * period;
    for (uint32_t k = 0; k < total; ++k)
        s.points.push_back(static_cast<int16_t>(std::lround(amplitude * std::sin(2.0 * M_PI * k / period))));
    s.loopStart = total / 2 / period * period;
    s.loopEnd = total - 4 * period;
    return s;
}
} // namespace

SoundFontSpec tonesFont()
{
    SoundFontSpec spec;
    spec.samples = {sine("Low", 200, 8000.0, 57), sine("Mid", 100, 16384.0, 69), sine("High", 50, 3000.0, 81)};
    const GeneratorSpec looped{54, 1};
    spec.instruments.push_back(InstrumentSpec{"Low", {ZoneSpec{{rangeGenerator(44, 0, 63), looped}, {}, 0},
                                                      ZoneSpec{{rangeGenerator(44, 64, 127), looped, {48, 60}}, {}, 0}}});
    spec.instruments.push_back(InstrumentSpec{"Mid", {ZoneSpec{{looped}, {}, 1}}});
    spec.instruments.push_back(InstrumentSpec{"High", {ZoneSpec{{looped, {17, 200}}, {}, 2}}});
    spec.presets.push_back(PresetSpec{"Low", 0, 0, {ZoneSpec{{}, {}, 0}}});
    spec.presets.push_back(PresetSpec{"Mid", 1, 0, {ZoneSpec{{}, {}, 1}}});
    spec.presets.push_back(PresetSpec{"High", 2, 0, {ZoneSpec{{}, {}, 2}}});
    spec.presets.push_back(PresetSpec{"All", 3, 0, {ZoneSpec{{}, {}, 0}, ZoneSpec{{}, {}, 1}, ZoneSpec{{}, {}, 2}}});
    return spec;
}

bool findChunk(const std::vector<uint8_t>& file, const char (&id)[5], size_t& offset, uint32_t& size)
{
    for (size_t at = 12; at + 8 <= file.size(); ++at) {
        if (std::memcmp(file.data() + at, id, 4) != 0)
            continue;
        size = static_cast<uint32_t>(file[at + 4] | (file[at + 5] << 8) | (file[at + 6] << 16) |
                                     (static_cast<uint32_t>(file[at + 7]) << 24));
        offset = at + 8;
        return true;
    }
    return false;
}

} // namespace test
} // namespace zephra
