#pragma once
// How one voice is worked through in runs, shared by the scalar voice loop and the vectorised
// one: over a run none of the voice's modulators changes its output (the envelopes and LFOs
// move in table steps), so every sample of the run after the first uses the same filter
// coefficients, gain, envelope level and read step. A run's first sample is mixed with the
// outputs the voice has now; once the run ends the voice is advanced properly, so the results
// equal mixing and advancing sample by sample.
//
// Voices in their release are also judged here, once per kQuietBlock samples of their life:
// one whose output stayed below the quiet limit for the whole block, and can never come back
// above it (its falling envelope times the loudest point of its loop), ends then.
// Threads: audio thread; real-time safe.
#include "synth/Voice.h"

#include "synth/FixedPoint.h"

#include <cstdint>

namespace Steinberg {
namespace Vst {

// Samples of a voice's life over which its output is judged quiet or not.
constexpr int64_t kQuietBlock = 256;

// Everything one sample of a run needs, as plain values so the loop keeps them in registers.
struct Lane {
    SamplePlayer player;  // a copy, so nothing of it is reloaded after each mix store
    double position;
    double step;          // read position advance per sample within the run
    int64_t wrap;
    LowPassFilter::State filter;
    float gain;           // (1 - volume depth x mod LFO) x velocity gain
    float envelope;       // volume envelope output
    float attenuation;
    float panLeft;
    float panRight;
    float peak;           // largest |amplitude| since the voice's last quiet check
    bool judged;          // the peak counts: the voice may end inaudible in its release

    // The filtered, enveloped sample for input x, before panning; keeps the peak.
    float amplitudeOf(float x) noexcept
    {
        const float y = filter.process(x);
        const float a = gain * (y * envelope * attenuation);
        if (judged) {
            const float size = a < 0.0f ? -a : a;
            peak = size > peak ? size : peak;   // a NaN leaves the peak (as the vector loop's max does)
        }
        return a;
    }
    // The sample at read index j.
    float amplitudeAt(int32_t j) noexcept { return amplitudeOf(player.fetch(j, wrap)); }
    // Mixes the sample at the current read position (no interpolation, loop applied on fetch).
    void mix(float* left, float* right, int32_t i) noexcept
    {
        const float a = amplitudeAt(truncToInt32(position));
        left[i] += a * panLeft;
        right[i] += a * panRight;
    }
    // The next sample of the run: the position moves first.
    void mixNext(float* left, float* right, int32_t i) noexcept
    {
        position += step;
        mix(left, right, i);
    }
    // Amplitude of the next sample of the run when the position is known to stay within
    // 0 .. 2^31 - 1 (see inRangeFor).
    float nextAmplitudeInRange() noexcept
    {
        position += step;
        return amplitudeAt(static_cast<int32_t>(position));
    }
    // Whether the next `count` positions all lie within 0 .. 2^31 - 1, with a margin for the
    // rounding of repeated additions.
    bool inRangeFor(int32_t count) const noexcept
    {
        return position >= 0.0 && step >= 0.0 && position + double(count) * step < 2147483000.0;
    }
    // How many of the next samples (at most `limit`, position in range) read within one stretch
    // of points: before the loop start, or inside the loop pass the fetch is in now. Their
    // points are then simply points[index - offset], with no loop arithmetic. 0 when the next
    // sample may leave that stretch (the checked fetch then moves on to the next pass).
    int32_t plainRun(int32_t limit, int64_t& offset) const noexcept
    {
        const int64_t j = static_cast<int32_t>(position);
        const int64_t length = int64_t(player.loopLast) - player.loopStart + 1;
        int64_t end;   // first index outside the stretch
        if (j < player.loopStart) {
            offset = 0;
            end = player.loopStart;
        } else if (j - player.loopStart - wrap >= 0 && j - player.loopStart - wrap < length) {
            offset = wrap;
            end = int64_t(player.loopStart) + wrap + length;
        } else {
            return 0;
        }
        if (step <= 0.0)
            return limit;
        // A margin for the rounding of the repeated additions that make the positions.
        const double margin = 1e-6 + 1e-13 * (position + double(limit) * step);
        const double samples = (double(end) - position - margin) / step;
        if (!(samples >= 1.0))
            return 0;
        return samples >= double(limit) ? limit : int32_t(samples);
    }
    // The next sample from a stretch found by plainRun.
    float nextAmplitudePlain(int64_t offset) noexcept
    {
        position += step;
        return amplitudeOf(player.points[static_cast<int32_t>(position) - offset]);
    }
};

// One voice's runs: prepares each run's values, and advances the voice when a run ends.
class Cursor {
public:
    Cursor() noexcept = default;
    // Starts working on `voice`; quietLimit is the amplitude (before panning, in the engine's
    // mix units) under which a released voice counts as inaudible, 0 to end no voice early.
    void attach(Voice& voice, float quietLimit) noexcept;

    // Prepares a run of at most `limit` samples and returns its length (at least 1).
    int32_t beginRun(int32_t limit) noexcept;
    // Mixes the run's first sample, then switches the lane to the values of the rest of the run.
    void mixFirst(float* left, float* right, int32_t i) noexcept
    {
        lane.mix(left, right, i);
        switchToRest();
    }
    // After the run's first sample: the lane takes the values of the rest of the run.
    void switchToRest() noexcept;
    // Stores the run's read state and performs the advance after its last sample; false once
    // the voice has become free (its envelope ended, or it ended inaudible in its release).
    bool endRun() noexcept;
    // Brings the deferred modulators up to date; call once the voice's stretch is done.
    void finish() noexcept;
    // After beginRun: whether the new run's first sample uses the same values as the rest of
    // it, and the voice's last advance was the run's step. The run then goes on from the last
    // one as if none had ended: the same values, one more step from previousPosition().
    bool continuesLastRun() const noexcept;
    double previousPosition() const noexcept { return v->previousPosition; }

    Lane lane;

private:
    // Which modulators can change anything: a depth ratio of exactly 1 (or a volume depth of
    // 0) turns the modulator's factor into exactly 1, whatever its output.
    struct Relevance {
        bool modEnvelope;
        bool modLfo;
        bool vibratoLfo;
    };
    // Values for the samples after the first one of the run.
    struct Rest {
        LowPassFilter::State filter;
        float gain;
        float envelope;
    };

    // Whether the quiet check is due after this run, and if so whether the voice ends.
    bool judgedInaudible() noexcept;
    // The voice's pitch factor and filter cutoff for the given modulator outputs. A run's end
    // asks for the outputs its beginning asked for as the next ones, so the last answer is kept
    // (the voice's depths do not change while the cursor is attached).
    float pitchFactorFor(float modEnvelope, float modLfo, float vibrato) noexcept;
    float cutoffFor(float modEnvelope, float modLfo) noexcept;

    struct PitchAnswer {
        float modEnvelope, modLfo, vibrato, factor;
        bool valid;
    };
    struct CutoffAnswer {
        float modEnvelope, modLfo, cutoff;
        bool valid;
    };

    Voice* v = nullptr;
    Relevance relevant{};
    Rest rest{};
    PitchAnswer lastPitch{};
    CutoffAnswer lastCutoff{};
    float quietLimit = 0.0f;
    int32_t length = 0;
    int64_t deferredModLfo = 0;
    int64_t deferredModEnvelope = 0;
    int64_t deferredVibrato = 0;
};

} // namespace Vst
} // namespace Steinberg
