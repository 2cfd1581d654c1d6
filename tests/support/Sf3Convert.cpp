#include "support/Sf3Convert.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace zephra {
namespace test {

bool haveSf3convert() { return std::system("command -v sf3convert >/dev/null 2>&1") == 0; }

std::vector<uint8_t> convertToSf3(const std::vector<uint8_t>& sf2, const std::string& work)
{
    std::vector<uint8_t> result;
    if (writeFile(work + ".sf2", sf2) &&
        std::system(("sf3convert -z -a 0 -S 1 '" + work + ".sf2' '" + work + ".sf3' >/dev/null 2>&1").c_str()) == 0) {
        std::ifstream file(work + ".sf3", std::ios::binary);
        result.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    std::remove((work + ".sf2").c_str());
    std::remove((work + ".sf3").c_str());
    return result;
}

SoundFontSpec tonesFont()
{
    SoundFontSpec spec;
    for (const auto& [period, amplitude] : {std::pair{200u, 8000.0}, std::pair{100u, 16384.0}, std::pair{50u, 3000.0}}) {
        SampleSpec s;   // one second of whole cycles, looped over most of its second half
        for (uint32_t k = 0; k < 44100 / period * period; ++k)
            s.points.push_back(static_cast<int16_t>(std::lround(amplitude * std::sin(2.0 * M_PI * k / period))));
        s.loopStart = 22000 / period * period;
        s.loopEnd = static_cast<uint32_t>(s.points.size()) - 4 * period;
        spec.samples.push_back(s);
    }
    const GeneratorSpec looped{54, 1};
    spec.instruments = {{"Low", {{{rangeGenerator(44, 0, 63), looped}, {}, 0}, {{rangeGenerator(44, 64, 127), looped, {48, 60}}, {}, 0}}},
                        {"Mid", {{{looped}, {}, 1}}},
                        {"High", {{{looped, {17, 200}}, {}, 2}}}};
    spec.presets = {{"Low", 0, 0, {{{}, {}, 0}}}, {"Mid", 1, 0, {{{}, {}, 1}}}, {"High", 2, 0, {{{}, {}, 2}}},
                    {"All", 3, 0, {{{}, {}, 0}, {{}, {}, 1}, {{}, {}, 2}}}};
    return spec;
}

} // namespace test
} // namespace zephra
