#include "unit/synth/TestRecords.h"

#include <cmath>
#include <utility>
#include <vector>

using Steinberg::Vst::SFSynth;

namespace zephra::test {

SFSynth neutralSineRecord(int32_t points, bool looped)
{
    SFSynth r;
    std::vector<float> samples(size_t(points) + 1, 0.0f);
    for (int32_t k = 0; k < points; ++k)
        samples[size_t(k)] = float(std::sin(2.0 * M_PI * k / 100.0) * 0.5);
    r.samples = Steinberg::Vst::SharedSamples(std::move(samples));
    r.keyLow = 0;
    r.keyHigh = 127;
    r.velocityLow = 0;
    r.velocityHigh = 127;
    r.loopStart = 0;
    r.loopEnd = (points / 100) * 100;
    r.sampleRate = 44100;
    r.sampleModes = looped ? 1 : 0;
    r.rootKey = 69;
    r.attenuation = 1.0f;
    r.pan = 0.0f;
    r.volEnvDelay = r.volEnvAttack = r.volEnvHold = r.volEnvDecay = r.volEnvRelease = 0.001f;
    r.volEnvSustain = 1.0f;
    r.modEnvDelay = r.modEnvAttack = r.modEnvHold = r.modEnvDecay = r.modEnvRelease = 0.001f;
    r.modEnvSustain = 1.0f;
    r.filterCutoff = 22000.0f;
    r.filterResonance = 1.0f;
    r.modEnvToFilterCutoff = r.modEnvToPitch = 1.0f;
    r.modLfoToFilterCutoff = r.modLfoToPitch = r.vibLfoToPitch = 1.0f;
    r.modLfoToVolume = 0.0f;
    r.modLfoFrequency = r.vibLfoFrequency = 8.176f;
    r.modLfoDelay = r.vibLfoDelay = 0.001f;
    return r;
}

SFSynth rampRecord(int32_t points, int32_t loopStart, int32_t loopEnd)
{
    SFSynth r = neutralSineRecord(points, true);
    std::vector<float> samples(size_t(points) + 1, 0.0f);
    for (int32_t k = 0; k < points; ++k)
        samples[size_t(k)] = float(k) / 32768.0f;
    r.samples = Steinberg::Vst::SharedSamples(std::move(samples));
    r.loopStart = loopStart;
    r.loopEnd = loopEnd;
    return r;
}

} // namespace zephra::test
