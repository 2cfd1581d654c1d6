#pragma once
// One of the engine's 64 voices: plays one record through its sample player, two envelopes,
// two LFOs and a low-pass filter. Modulation inputs are pointers to floats (record fields, the
// engine's controller ratios, or neutral constants); per-block values are cached at refresh.
// Threads: audio thread (setSampleRate: UI thread while processing is stopped). Real-time safe.
#include "soundfont/SFSynth.h"
#include "synth/Envelope.h"
#include "synth/Lfo.h"
#include "synth/LowPassFilter.h"
#include "synth/SamplePlayer.h"

#include <cstdint>

namespace Steinberg {
namespace Vst {

enum VoiceState : int32_t { Sounding = 0, Released = 1, Free = 2 };

struct Voice {
    Voice() noexcept;

    // Free, serial -1, neutral sources. The filter history is kept.
    void reset() noexcept;
    // Starts record `r` played by `p` for key `k` at velocity `v`, with the engine's wheel and
    // bend ratios as pitch sources.
    void start(int32_t noteSerial, const SFSynth& r, const SamplePlayer& p, int16_t k, float v,
               const float* wheelRatio, const float* bendRatio) noexcept;
    // Both envelopes fall from the level reached.
    void release() noexcept;
    // Start of a render call: increments, envelope stages and cached depths from the sources.
    void refresh() noexcept;
    void setSampleRate(double rate) noexcept;

    // Pitch factor for the given modulator outputs, with the cached depths: Classic scales the
    // pitch linearly between 1 and each depth ratio, with `depthsInCents` a depth moves it by
    // its cents in proportion to the modulator, as the SoundFont standard has it.
    float pitchFactor(float modEnvelope, float modLfo, float vibratoLfo) const noexcept;
    // Output of the sample fetch at the current read position (0 before the start or once the
    // position has left the 32-bit range).
    float fetch() noexcept;

    int32_t serial = -1;
    int16_t key = 0;
    float velocity = 1.0f;
    float panLeft = 1.0f;
    float panRight = 0.0f;
    int32_t state = Free;
    int64_t age = 0;
    bool pedalHeld = false;
    const float* panSource;
    double baseIncrement = 0.0;
    double position = 0.0;
    float modEnvToPitch = 1.0f;
    float modLfoToPitch = 1.0f;
    float vibLfoToPitch = 1.0f;
    float wheelRatio = 1.0f;
    float bendRatio = 1.0f;
    bool depthsInCents = false;
    float modEnvOctaves = 0.0f, modLfoOctaves = 0.0f, vibratoOctaves = 0.0f;   // log2 of the ratios
    const float* modEnvToPitchSource;
    const float* modLfoToPitchSource;
    const float* vibLfoToPitchSource;
    const float* wheelRatioSource;
    const float* bendRatioSource;
    const SamplePlayer* player;
    float attenuation = 1.0f;
    float modLfoToVolume = 0.0f;
    const float* attenuationSource;
    const float* modLfoToVolumeSource;
    float velocityGain = 1.0f;
    LowPassFilter filter;
    Lfo modLfo;
    Lfo vibLfo;
    Envelope modEnv;
    Envelope volEnv;
    // Whole loop lengths already taken off the read index: saves a division per fetch.
    int64_t loopWrap = 0;
    // Largest |amplitude| (before panning) in the current block of the voice's life, for the
    // judgement whether a released voice can still be heard; infinite in the block of its release.
    float quietPeak = 0.0f;
    // The read position before the last advance between runs, and that advance (negative
    // before the first): a run that goes on with the same step and values continues from there.
    double previousPosition = 0.0;
    double lastAdvance = -1.0;
};

} // namespace Vst
} // namespace Steinberg
