#include "synth/Voice.h"

#include "synth/Bounded.h"
#include "synth/FixedPoint.h"
#include "synth/NeutralValues.h"
#include "synth/SynthTables.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Steinberg {
namespace Vst {
namespace {

const SamplePlayer silentPlayer = SamplePlayer::silent();

} // namespace

Voice::Voice() noexcept { reset(); }

void Voice::reset() noexcept
{
    const float* zero = &NeutralValues::zero;
    serial = -1;
    key = 0;
    velocity = 1.0f;
    state = Free;
    age = 0;
    pedalHeld = false;
    panSource = zero;
    modEnvToPitchSource = zero;
    modLfoToPitchSource = zero;
    vibLfoToPitchSource = zero;
    wheelRatioSource = zero;
    bendRatioSource = &NeutralValues::one;
    player = &silentPlayer;
    attenuationSource = zero;
    modLfoToVolumeSource = zero;
    modEnv.reset();
    volEnv.reset();
    modLfo.reset();
    vibLfo.reset();
    filter.cutoffSource = zero;
    filter.qSource = &NeutralValues::one;
    filter.envelopeDepthSource = zero;
    filter.lfoDepthSource = zero;
    loopWrap = 0;
    quietPeak = 0.0f;
    lastAdvance = -1.0;
}

void Voice::start(int32_t noteSerial, const SFSynth& r, const SamplePlayer& p, int16_t k, float v,
                  const float* wheel, const float* bend) noexcept
{
    serial = noteSerial;
    key = 0;
    velocity = 1.0f;
    state = Free;
    age = 0;
    pedalHeld = false;
    panSource = &r.pan;
    const int32_t panIndex = int32_t(std::clamp<int64_t>(int64_t(truncToInt32(*panSource)) + 50, 0, 100));
    panLeft = SynthTables::panLeft[panIndex];
    panRight = SynthTables::panRight[panIndex];

    modEnv.start({&r.modEnvDelay, &r.modEnvAttack, &r.modEnvHold, &r.modEnvDecay, &r.modEnvSustain,
                  &r.modEnvRelease}, false);
    volEnv.start({&r.volEnvDelay, &r.volEnvAttack, &r.volEnvHold, &r.volEnvDecay, &r.volEnvSustain,
                  &r.volEnvRelease}, true);
    modLfo.start(&r.modLfoFrequency, &r.modLfoDelay);
    vibLfo.start(&r.vibLfoFrequency, &r.vibLfoDelay);

    player = &p;
    position = 0.0;
    loopWrap = 0;
    quietPeak = 0.0f;
    lastAdvance = -1.0;
    const double semitones = double(int64_t(r.coarseTune) + k - 69);
    const double frequency = 440.0 * std::pow(2.0, semitones / 12.0 + double(r.fineTune) / 1200.0);
    baseIncrement = frequency / double(p.referenceFrequency);

    modEnvToPitchSource = &r.modEnvToPitch;
    modLfoToPitchSource = &r.modLfoToPitch;
    vibLfoToPitchSource = &r.vibLfoToPitch;
    wheelRatioSource = wheel;
    bendRatioSource = bend;
    depthsInCents = false;

    attenuationSource = &r.attenuation;
    attenuation = boundedGain(r.attenuation);
    modLfoToVolumeSource = &r.modLfoToVolume;
    velocityGain = std::clamp(v, 0.0f, 1.0f);

    filter.start(v, &r.filterCutoff, &r.filterResonance, &r.modEnvToFilterCutoff,
                 &r.modLfoToFilterCutoff);

    key = k;
    velocity = v;
    state = Sounding;
    age = 0;
}

void Voice::release() noexcept
{
    state = Released;
    // The block the release falls in held the note's sound: it never counts as quiet.
    quietPeak = std::numeric_limits<float>::infinity();
    modEnv.release();
    volEnv.release();
}

void Voice::refresh() noexcept
{
    modLfo.setUp();
    vibLfo.setUp();
    modEnv.setUp();
    volEnv.setUp();
    modEnvToPitch = *modEnvToPitchSource;
    modLfoToPitch = *modLfoToPitchSource;
    vibLfoToPitch = *vibLfoToPitchSource;
    wheelRatio = *wheelRatioSource;
    bendRatio = *bendRatioSource;
    if (depthsInCents) {
        // A ratio that is no positive number (an idle voice's zero sources) moves nothing.
        const auto octaves = [](float ratio) { return ratio > 0.0f ? std::log2(ratio) : 0.0f; };
        modEnvOctaves = octaves(modEnvToPitch);
        modLfoOctaves = octaves(modLfoToPitch);
        vibratoOctaves = octaves(vibLfoToPitch) + octaves(wheelRatio);
    }
    filter.refresh();
    attenuation = boundedGain(*attenuationSource);
    // The tremolo depth: at most full attenuation, at most doubling at the LFO's peak.
    modLfoToVolume = bounded(*modLfoToVolumeSource, -1.0f, 1.0f);
}

void Voice::setSampleRate(double rate) noexcept
{
    modLfo.setSampleRate(rate);
    vibLfo.setSampleRate(rate);
    modEnv.setSampleRate(rate);
    volEnv.setSampleRate(rate);
    filter.setSampleRate(rate);
}

float Voice::pitchFactor(float modEnvelope, float modLfoOut, float vibratoOut) const noexcept
{
    if (depthsInCents)
        return std::exp2(modEnvOctaves * modEnvelope + modLfoOctaves * modLfoOut + vibratoOctaves * vibratoOut) *
               bendRatio;
    return (1.0f - (1.0f - modEnvToPitch) * modEnvelope) * (1.0f - (1.0f - modLfoToPitch) * modLfoOut) *
           (1.0f - (1.0f - wheelRatio) * vibratoOut) * bendRatio *
           (1.0f - (1.0f - vibLfoToPitch) * vibratoOut);
}

float Voice::fetch() noexcept
{
    return player->fetch(truncToInt32(position), loopWrap);
}

} // namespace Vst
} // namespace Steinberg
