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

// Number of samples, at most `limit`, whose mix sees the same modulator outputs as the next one;
// 1 when something changes after the next sample.
template <typename Modulator>
void limitRun(const Modulator& m, int64_t& run, bool& steady) noexcept
{
    if (m.nextOutput() != m.output) {
        steady = false;
        return;
    }
    run = std::min(run, m.steadyRun());
}

// The read loop over a run of constant modulator outputs: fetch, filter, gain, pan.
struct RunConstants {
    float gain;        // (1 - volume depth x mod LFO) x velocity gain
    float envelope;    // volume envelope output
    float attenuation;
    float panLeft;
    float panRight;
    double step;       // read position advance per sample
};

void mixRun(Voice& v, const RunConstants& k, float* left, float* right, int32_t count) noexcept
{
    const SamplePlayer& p = *v.player;
    const float* points = p.points;
    const int64_t loopStart = p.loopStart;
    const int64_t loopLength = int64_t(p.loopLast) - p.loopStart + 1;
    LowPassFilter& filter = v.filter;
    double position = v.position;
    int64_t wrap = v.loopWrap;
    for (int32_t i = 0; i < count; ++i) {
        if (i > 0)
            position += k.step;
        float x = 0.0f;
        const int32_t j = truncToInt32(position);
        if (j >= 0) {
            if (j < loopStart) {
                x = points[j];
            } else {
                const int64_t intoLoop = int64_t(j) - loopStart;
                int64_t wrapped = intoLoop - wrap;
                if (wrapped >= loopLength || wrapped < 0) {
                    wrapped = intoLoop % loopLength;
                    wrap = intoLoop - wrapped;
                }
                x = points[loopStart + wrapped];
            }
        }
        const float y = filter.process(x);
        const float a = k.gain * (y * k.envelope * k.attenuation);
        left[i] += a * k.panLeft;
        right[i] += a * k.panRight;
    }
    v.position = position;
    v.loopWrap = wrap;
}

} // namespace

void renderVoice(Voice& v, float* mixLeft, float* mixRight, int32_t count) noexcept
{
    const Relevance relevant = relevanceOf(v);
    int32_t done = 0;
    while (done < count) {
        // How many samples keep the modulator outputs (and so pitch, cutoff and gain) unchanged.
        int64_t run = count - done;
        bool steady = true;
        limitRun(v.volEnv, run, steady);
        if (relevant.modEnvelope)
            limitRun(v.modEnv, run, steady);
        if (relevant.modLfo)
            limitRun(v.modLfo, run, steady);
        if (relevant.vibratoLfo)
            limitRun(v.vibLfo, run, steady);
        const float modEnvelope = v.modEnv.output;
        const float modLfo = v.modLfo.output;
        const float vibrato = v.vibLfo.output;
        if (!v.filter.coefficientsFor(v.filter.cutoffFor(modEnvelope, modLfo)))
            steady = false;
        const int32_t length = steady ? int32_t(run) : 1;

        RunConstants k;
        k.gain = (1.0f - v.modLfoToVolume * modLfo) * v.velocityGain;
        k.envelope = v.volEnv.output;
        k.attenuation = v.attenuation;
        k.panLeft = v.panLeft;
        k.panRight = v.panRight;
        k.step = v.baseIncrement * double(v.pitchFactor(modEnvelope, modLfo, vibrato));
        mixRun(v, k, mixLeft + done, mixRight + done, length);

        // The advance after the run's last sample, with the outputs it produces.
        v.modLfo.skip(length);
        v.modEnv.skip(length);
        v.vibLfo.skip(length);
        v.volEnv.skip(length);
        v.position += v.baseIncrement *
                      double(v.pitchFactor(v.modEnv.output, v.modLfo.output, v.vibLfo.output));
        v.filter.useCutoff(v.filter.cutoffFor(v.modEnv.output, v.modLfo.output));
        v.age += length;
        done += length;
        if (v.volEnv.stage >= Envelope::kDoneStage) {
            v.state = Free;
            return;
        }
    }
}

} // namespace Vst
} // namespace Steinberg
