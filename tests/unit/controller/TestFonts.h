#pragma once
// SoundFonts and WAV files for the controller's tests, built in code.
// Threads: any. Not real-time safe.
#include "support/SoundFontWriter.h"
#include "support/WavWriter.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace zephra {
namespace test {

// Semitones by which preset i of makePitchedPresetsFont is tuned up.
inline int presetTransposition(int preset) { return 3 * preset; }

// A font of presetCount presets ("Tone i", bank 0, program i) that all play one looped 441 Hz
// sine (root key 69, 100 points per cycle at 44100 Hz) through their own instrument, tuned up
// by presetTransposition(i) semitones (coarse tune), so each preset sounds at its own pitch.
inline std::vector<uint8_t> makePitchedPresetsFont(int presetCount)
{
    SampleSpec sine;
    sine.name = "Sine";
    sine.rootKey = 69;
    const uint32_t cycle = 100;
    for (uint32_t k = 0; k < 5 * cycle; ++k)
        sine.points.push_back(static_cast<int16_t>(
            std::lround(16384.0 * std::sin(2.0 * M_PI * static_cast<double>(k) / cycle))));
    sine.loopStart = cycle;
    sine.loopEnd = 4 * cycle;

    SoundFontSpec spec;
    spec.samples.push_back(sine);
    for (int i = 0; i < presetCount; ++i) {
        InstrumentSpec instrument{"Tone " + std::to_string(i), {}};
        ZoneSpec zone;
        zone.generators.push_back(GeneratorSpec{38, -12000});   // release: immediate
        zone.generators.push_back(GeneratorSpec{51, static_cast<int16_t>(presetTransposition(i))});
        zone.generators.push_back(GeneratorSpec{54, 1});        // looped
        zone.link = 0;
        instrument.zones.push_back(zone);
        spec.instruments.push_back(instrument);

        PresetSpec preset;
        preset.name = "Tone " + std::to_string(i);
        preset.program = static_cast<uint16_t>(i);
        ZoneSpec presetZone;
        presetZone.link = i;
        preset.zones.push_back(presetZone);
        spec.presets.push_back(preset);
    }
    return buildSoundFont(spec);
}

// A 16-bit stereo WAV of frames frames at 44100 Hz (left rising, right falling).
inline std::vector<uint8_t> makeStereoWav(int frames)
{
    std::vector<int32_t> samples;
    for (int i = 0; i < frames; ++i) {
        samples.push_back(i * 8);
        samples.push_back(-i * 8);
    }
    return makeWav(2, 16, 44100, samples);
}

} // namespace test
} // namespace zephra
