#pragma once
// Small font layouts shared by the reader tests, built with the test SoundFont writer.
// Threads: test thread only. Not real-time safe.
#include "support/SoundFontWriter.h"

namespace zephra {
namespace test {

// A ramp of n points: point k = (k + 1) * step.
inline SampleSpec rampSample(const std::string& name, size_t n, int16_t step = 100)
{
    SampleSpec s;
    s.name = name;
    for (size_t k = 0; k < n; ++k)
        s.points.push_back(static_cast<int16_t>((k + 1) * step));
    s.loopStart = 2;
    s.loopEnd = static_cast<uint32_t>(n > 2 ? n - 2 : n);
    return s;
}

// One preset ("Only", bank 0 program 0) over one instrument whose single zone plays sample 0.
inline SoundFontSpec singleZoneFont(const std::vector<GeneratorSpec>& instrumentZone = {},
                                    const std::vector<GeneratorSpec>& presetZone = {})
{
    SoundFontSpec spec;
    spec.samples.push_back(rampSample("ramp", 16));
    spec.instruments.push_back(InstrumentSpec{"inst", {ZoneSpec{instrumentZone, {}, 0}}});
    spec.presets.push_back(PresetSpec{"Only", 0, 0, {ZoneSpec{presetZone, {}, 0}}});
    return spec;
}

} // namespace test
} // namespace zephra
