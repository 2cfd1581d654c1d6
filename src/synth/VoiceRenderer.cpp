#include "synth/VoiceRenderer.h"

#include "synth/FixedPoint.h"

#include <algorithm>

namespace Steinberg {
namespace Vst {
namespace {

// Which modulators can change anything: a depth ratio of exactly 1 (or a volume depth of 0)
// turns the modulator's factor into exactly 1, whatever its output.
struct Relevance {
    bool modEnvelope;
    bool modLfo;
    bool vibratoLfo;
};

Relevance relevanceOf(const Voice& v) noexcept
{
    return Relevance{
        v.modEnvToPitch != 1.0f || v.filter.envelopeToCutoff != 1.0f,
        v.modLfoToPitch != 1.0f || v.filter.lfoToCutoff != 1.0f || v.modLfoToVolume != 0.0f,
        v.wheelRatio != 1.0f || v.vibLfoToPitch != 1.0f,
    };
}

// Shortens `run` to the coming advances that all produce the modulator's next output.
template <typename Modulator>
void limitRun(const Modulator& m, int64_t& run) noexcept
{
    run = std::min(run, m.steadyRun());
}

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
    // The filtered, enveloped sample at read index j, before panning.
    float amplitudeAt(int32_t j) noexcept { return amplitudeOf(player.fetch(j, wrap)); }
    float amplitudeOf(float x) noexcept
    {
        const float y = filter.process(x);
        return gain * (y * envelope * attenuation);
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

// One voice worked through in runs: a run's first sample is mixed with the outputs the voice has
// now, and every further sample, after a step of the read position, with the outputs that the
// coming advances all produce (they stay the same until a modulator's table index moves). Once
// the run ends the voice is advanced properly, so the results equal mixing and advancing sample
// by sample.
class Cursor {
public:
    explicit Cursor(Voice& voice) noexcept : v(voice), relevant(relevanceOf(voice)) {}

    // Prepares a run of at most `limit` samples and returns its length (at least 1).
    int32_t beginRun(int32_t limit) noexcept
    {
        const SamplePlayer& p = *v.player;
        lane.player = p;
        lane.position = v.position;
        lane.wrap = v.loopWrap;
        lane.filter = v.filter.state();
        lane.gain = (1.0f - v.modLfoToVolume * v.modLfo.output) * v.velocityGain;
        lane.envelope = v.volEnv.output;
        lane.attenuation = v.attenuation;
        lane.panLeft = v.panLeft;
        lane.panRight = v.panRight;

        // The outputs of the coming advances, and for how many advances they hold. A modulator
        // whose depths are neutral cannot change anything, so it does not shorten the run.
        int64_t run = INT64_MAX;
        limitRun(v.volEnv, run);
        const float envelope = v.volEnv.nextOutput();
        float modEnvelope = v.modEnv.output, modLfo = v.modLfo.output, vibrato = v.vibLfo.output;
        if (relevant.modEnvelope) {
            limitRun(v.modEnv, run);
            modEnvelope = v.modEnv.nextOutput();
        }
        if (relevant.modLfo) {
            limitRun(v.modLfo, run);
            modLfo = v.modLfo.nextOutput();
        }
        if (relevant.vibratoLfo) {
            limitRun(v.vibLfo, run);
            vibrato = v.vibLfo.nextOutput();
        }
        // The run may reach one sample past the last such advance, unless that advance ends the
        // voice: a free voice is not mixed any more.
        if (run != INT64_MAX && !v.volEnv.doneAfter(run))
            ++run;
        length = int32_t(std::min<int64_t>(limit, run));

        v.filter.useCutoff(v.filter.cutoffFor(modEnvelope, modLfo));
        rest.filter = v.filter.state();
        rest.gain = (1.0f - v.modLfoToVolume * modLfo) * v.velocityGain;
        rest.envelope = envelope;
        lane.step = v.baseIncrement * double(v.pitchFactor(modEnvelope, modLfo, vibrato));
        return length;
    }

    // Mixes the run's first sample, then switches the lane to the values of the rest of the run.
    void mixFirst(float* left, float* right, int32_t i) noexcept
    {
        lane.mix(left, right, i);
        lane.filter.b0 = rest.filter.b0;
        lane.filter.b1 = rest.filter.b1;
        lane.filter.b2 = rest.filter.b2;
        lane.filter.a1 = rest.filter.a1;
        lane.filter.a2 = rest.filter.a2;
        lane.gain = rest.gain;
        lane.envelope = rest.envelope;
    }

    // Stores the run's read state and performs the advance after its last sample; false once
    // the voice has become free.
    bool endRun() noexcept
    {
        v.position = lane.position;
        v.loopWrap = lane.wrap;
        v.filter.keepHistory(lane.filter);
        // Modulators that cannot change anything are advanced once, when the cursor finishes.
        skipOrDefer(v.modLfo, relevant.modLfo, deferredModLfo);
        skipOrDefer(v.modEnv, relevant.modEnvelope, deferredModEnvelope);
        skipOrDefer(v.vibLfo, relevant.vibratoLfo, deferredVibrato);
        v.volEnv.skip(length);
        v.position += v.baseIncrement *
                      double(v.pitchFactor(v.modEnv.output, v.modLfo.output, v.vibLfo.output));
        v.filter.useCutoff(v.filter.cutoffFor(v.modEnv.output, v.modLfo.output));
        v.age += length;
        if (v.volEnv.stage >= Envelope::kDoneStage) {
            v.state = Free;
            finish();
            return false;
        }
        return true;
    }

    // Brings the deferred modulators up to date; call once the voice's stretch is done.
    void finish() noexcept
    {
        v.modLfo.skip(deferredModLfo);
        v.modEnv.skip(deferredModEnvelope);
        v.vibLfo.skip(deferredVibrato);
        deferredModLfo = deferredModEnvelope = deferredVibrato = 0;
    }

    Lane lane;

private:
    // Values for the samples after the first one of the run.
    struct Rest {
        LowPassFilter::State filter;
        float gain;
        float envelope;
    };

    template <typename Modulator>
    void skipOrDefer(Modulator& m, bool isRelevant, int64_t& deferred) noexcept
    {
        if (isRelevant)
            m.skip(length);
        else
            deferred += length;
    }

    Voice& v;
    const Relevance relevant;
    Rest rest{};
    int32_t length = 0;
    int64_t deferredModLfo = 0;
    int64_t deferredModEnvelope = 0;
    int64_t deferredVibrato = 0;
};

// Runs one cursor alone from sample `from` to `count`; `remaining` samples of its current run
// are left to mix, `first` tells whether the run's first sample is still to come.
void finishAlone(Cursor& c, float* left, float* right, int32_t from, int32_t count, int32_t remaining,
                 bool first) noexcept
{
    int32_t i = from;
    while (true) {
        if (remaining > 0 && first) {
            c.mixFirst(left, right, i++);
            --remaining;
        }
        Lane lane = c.lane;
        if (lane.inRangeFor(remaining)) {
            while (remaining > 0) {
                int64_t offset = 0;
                int32_t plain = lane.plainRun(remaining, offset);
                if (plain == 0) {   // one checked fetch across the stretch's end
                    const float a = lane.nextAmplitudeInRange();
                    left[i] += a * lane.panLeft;
                    right[i] += a * lane.panRight;
                    ++i;
                    --remaining;
                    continue;
                }
                remaining -= plain;
                for (; plain > 0; --plain, ++i) {
                    const float a = lane.nextAmplitudePlain(offset);
                    left[i] += a * lane.panLeft;
                    right[i] += a * lane.panRight;
                }
            }
        }
        for (; remaining > 0; --remaining)
            lane.mixNext(left, right, i++);
        c.lane = lane;
        if (!c.endRun())
            return;
        if (i >= count) {
            c.finish();
            return;
        }
        remaining = c.beginRun(count - i);
        first = true;
    }
}

} // namespace

void renderVoice(Voice& voice, float* mixLeft, float* mixRight, int32_t count) noexcept
{
    if (count <= 0)
        return;
    Cursor c(voice);
    finishAlone(c, mixLeft, mixRight, 0, count, c.beginRun(count), true);
}

void renderVoicePair(Voice& first, Voice& second, float* mixLeft, float* mixRight, int32_t count) noexcept
{
    if (count <= 0)
        return;
    Cursor a(first), b(second);
    int32_t remainingA = a.beginRun(count), remainingB = b.beginRun(count);
    bool firstA = true, firstB = true;
    int32_t i = 0;
    while (true) {
        // Sample i: a run may begin here for either voice. The first voice always goes first.
        if (firstA)
            a.mixFirst(mixLeft, mixRight, i);
        else
            a.lane.mixNext(mixLeft, mixRight, i);
        if (firstB)
            b.mixFirst(mixLeft, mixRight, i);
        else
            b.lane.mixNext(mixLeft, mixRight, i);
        firstA = firstB = false;
        --remainingA;
        --remainingB;
        ++i;
        // Both voices inside their runs: the interleaved loop hides each filter's latency.
        const int32_t together = std::min(remainingA, remainingB);
        Lane la = a.lane, lb = b.lane;
        if (la.inRangeFor(together) && lb.inRangeFor(together)) {
            int32_t pending = together;
            while (pending > 0) {
                int64_t offsetA = 0, offsetB = 0;
                int32_t plain = std::min(la.plainRun(pending, offsetA), lb.plainRun(pending, offsetB));
                if (plain == 0) {   // one checked fetch each across a stretch's end
                    const float a = la.nextAmplitudeInRange();
                    const float b = lb.nextAmplitudeInRange();
                    mixLeft[i] = (mixLeft[i] + a * la.panLeft) + b * lb.panLeft;
                    mixRight[i] = (mixRight[i] + a * la.panRight) + b * lb.panRight;
                    ++i;
                    --pending;
                    continue;
                }
                pending -= plain;
                for (; plain > 0; --plain, ++i) {
                    const float a = la.nextAmplitudePlain(offsetA);
                    const float b = lb.nextAmplitudePlain(offsetB);
                    // Summed in voice order, kept in registers between the two voices.
                    mixLeft[i] = (mixLeft[i] + a * la.panLeft) + b * lb.panLeft;
                    mixRight[i] = (mixRight[i] + a * la.panRight) + b * lb.panRight;
                }
            }
        } else {
            for (int32_t t = 0; t < together; ++t, ++i) {
                la.mixNext(mixLeft, mixRight, i);
                lb.mixNext(mixLeft, mixRight, i);
            }
        }
        a.lane = la;
        b.lane = lb;
        remainingA -= together;
        remainingB -= together;

        bool aliveA = true, aliveB = true;
        if (remainingA == 0) {
            aliveA = a.endRun();
            if (aliveA && i < count) {
                remainingA = a.beginRun(count - i);
                firstA = true;
            }
        }
        if (remainingB == 0) {
            aliveB = b.endRun();
            if (aliveB && i < count) {
                remainingB = b.beginRun(count - i);
                firstB = true;
            }
        }
        if (i >= count || (!aliveA && !aliveB)) {
            if (aliveA)
                a.finish();
            if (aliveB)
                b.finish();
            return;
        }
        if (!aliveA) {
            finishAlone(b, mixLeft, mixRight, i, count, remainingB, firstB);
            return;
        }
        if (!aliveB) {
            finishAlone(a, mixLeft, mixRight, i, count, remainingA, firstA);
            return;
        }
    }
}

} // namespace Vst
} // namespace Steinberg
