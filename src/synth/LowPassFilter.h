#pragma once
// Two-pole resonant low-pass of the audio-equalizer cookbook form, with its cutoff modulated by
// the mod envelope and the mod LFO. Coefficients are recomputed only when the cutoff, Q or sample
// rate they were made for changes (the result is the same as recomputing every sample).
// Resonance: Q is kept within what a SoundFont can ask for (0 to 96 dB) and within what the
// float coefficients can hold stably, and a resonant filter lowers its gain by half the
// resonance in dB (1/sqrt(Q)), so a resonant preset is not louder than the same preset without
// resonance by more than half its peak. A Q of 1 or less is left without gain change.
// Threads: audio thread (setSampleRate: UI thread while processing is stopped). Real-time safe.

namespace Steinberg {
namespace Vst {

class LowPassFilter {
public:
    static constexpr float kMinCutoff = 50.0f;
    static constexpr float kMaxCutoff = 22000.0f;
    static constexpr float kMinQ = 1e-3f;
    static constexpr float kMaxQ = 63095.734f;       // 960 cB, the SoundFont maximum
    // Smallest bandwidth term: keeps a2 = (1 - alpha) / (1 + alpha) clearly below 1 in float,
    // so the poles stay inside the unit circle at every cutoff, Q and sample rate.
    static constexpr double kMinAlpha = 1e-6;
    // History values this small (-400 dB) are cleared, so a filter fed with zeros after its
    // sample has ended never keeps working on subnormal numbers.
    static constexpr float kTinyHistory = 1e-20f;
    // Far beyond any level a sample and a bounded resonance make: a history past it has run away.
    static constexpr float kRunawayHistory = 1e15f;

    // Starts a note: velocity scaling, cutoff and Q sources and the modulation depth sources.
    // The history carries over from the previous note of the slot. Classic scales the cutoff
    // linearly between 1 and a depth ratio as a modulator rises from 0 to 1; with
    // `inCents` a depth moves the cutoff by its cents in proportion to the modulator (the
    // SoundFont LFO swinging it both ways), as the SoundFont standard has it.
    void start(float velocity, const float* cutoffSource, const float* qSource,
               const float* envelopeDepthSource, const float* lfoDepthSource, bool inCents = false) noexcept;
    // Reloads the per-block values from the sources.
    void refresh() noexcept;
    void setSampleRate(double rate) noexcept;

    // Modulated cutoff for the given mod envelope and mod LFO outputs, clamped to 50..22000 Hz.
    float cutoffFor(float envelopeOutput, float lfoOutput) const noexcept;
    // 50..22000 Hz, and below half the sample rate: above it the filter's poles leave the unit
    // circle (at rates under 44 kHz) and the output would blow up.
    float clampCutoff(float cutoff) const noexcept;
    // Makes the coefficients for `cutoff` current (recomputing only if they differ).
    void useCutoff(float cutoff) noexcept;
    bool coefficientsFor(float cutoff) const noexcept
    {
        return cutoff == madeForCutoff && q == madeForQ;
    }
    // The per-sample coefficients and history as plain values, so a render loop can keep them
    // in registers and write the history back afterwards.
    struct State {
        float b0, b1, b2, a1, a2;   // already divided by a0
        float x1, x2, y1, y2;
        float process(float x) noexcept
        {
            const float y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
            x2 = x1;
            x1 = x;
            y2 = y1;
            y1 = y;
            return y;
        }
    };
    State state() const noexcept { return State{nb0, nb1, nb2, na1, na2, x1, x2, y1, y2}; }
    // Clears a history that has decayed below kTinyHistory or run away past kRunawayHistory.
    void flushTinyHistory() noexcept;
    // Whether a history of these values is to be cleared so.
    static bool historySpent(float x1, float x2, float y1, float y2) noexcept;
    void keepHistory(const State& s) noexcept
    {
        x1 = s.x1;
        x2 = s.x2;
        y1 = s.y1;
        y2 = s.y2;
    }
    // One sample through the filter.
    float process(float x) noexcept
    {
        State s = state();
        const float y = s.process(x);
        keepHistory(s);
        return y;
    }

    float velocity = 1.0f;
    float velocityScale = 1.0f;
    float baseCutoff = 19912.0f;
    float q = 1.0f;
    float envelopeToCutoff = 1.0f;   // cached depth ratios
    float lfoToCutoff = 1.0f;
    bool depthsInCents = false;
    float envelopeOctaves = 0.0f;   // log2 of the depth ratios, for depths in cents
    float lfoOctaves = 0.0f;
    double sampleRate = 44100.0;
    const float* cutoffSource = nullptr;
    const float* qSource = nullptr;
    float a0 = 1.0f, a1 = 0.0f, a2 = 0.0f, b0 = 1.0f, b1 = 0.0f, b2 = 0.0f;
    float y1 = 0.0f, y2 = 0.0f, x1 = 0.0f, x2 = 0.0f;
    const float* envelopeDepthSource = nullptr;
    const float* lfoDepthSource = nullptr;

private:
    void computeCoefficients(float cutoff) noexcept;

    // Coefficients divided by a0, as used per sample.
    float nb0 = 1.0f, nb1 = 0.0f, nb2 = 0.0f, na1 = 0.0f, na2 = 0.0f;
    float madeForCutoff = -1.0f;
    float madeForQ = -1.0f;
};

} // namespace Vst
} // namespace Steinberg
