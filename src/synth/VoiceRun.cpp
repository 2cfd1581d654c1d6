#include "synth/VoiceRun.h"

#include <algorithm>
#include <cmath>

namespace Steinberg {
namespace Vst {
namespace {

// Shortens `run` to the coming advances that all produce the modulator's next output.
template <typename Modulator>
void limitRun(const Modulator& m, int64_t& run) noexcept
{
    run = std::min(run, m.steadyRun());
}

template <typename Modulator>
void skipOrDefer(Modulator& m, bool isRelevant, int64_t length, int64_t& deferred) noexcept
{
    if (isRelevant)
        m.skip(length);
    else
        deferred += length;
}

// How far the filter can lift a bounded input above its bound (the sum of |impulse response|):
// at most 3 sqrt(Q) once the resonant gain is taken off, and 3 for any Q up to 1 (2.7 at a
// cutoff just under half the sample rate).
float filterLiftBound(float q) noexcept
{
    const float safeQ = q > 1.0f ? std::min(q, LowPassFilter::kMaxQ) : 1.0f;
    return 3.0f * std::sqrt(safeQ);
}

} // namespace

void Cursor::attach(Voice& voice, float limit) noexcept
{
    v = &voice;
    relevant = Relevance{
        v->modEnvToPitch != 1.0f || v->filter.envelopeToCutoff != 1.0f,
        v->modLfoToPitch != 1.0f || v->filter.lfoToCutoff != 1.0f || v->modLfoToVolume != 0.0f,
        v->wheelRatio != 1.0f || v->vibLfoToPitch != 1.0f,
    };
    quietLimit = limit;
    deferredModLfo = deferredModEnvelope = deferredVibrato = 0;
    lastPitch.valid = false;
    lastCutoff.valid = false;
}

float Cursor::pitchFactorFor(float modEnvelope, float modLfo, float vibrato) noexcept
{
    PitchAnswer& a = lastPitch;
    if (!(a.valid && a.modEnvelope == modEnvelope && a.modLfo == modLfo && a.vibrato == vibrato))
        a = PitchAnswer{modEnvelope, modLfo, vibrato, v->pitchFactor(modEnvelope, modLfo, vibrato), true};
    return a.factor;
}

float Cursor::cutoffFor(float modEnvelope, float modLfo) noexcept
{
    CutoffAnswer& a = lastCutoff;
    if (!(a.valid && a.modEnvelope == modEnvelope && a.modLfo == modLfo))
        a = CutoffAnswer{modEnvelope, modLfo, v->filter.cutoffFor(modEnvelope, modLfo), true};
    return a.cutoff;
}

int32_t Cursor::beginRun(int32_t limit) noexcept
{
    Voice& voice = *v;
    lane.player = *voice.player;
    lane.position = voice.position;
    lane.wrap = voice.loopWrap;
    lane.filter = voice.filter.state();
    lane.gain = (1.0f - voice.modLfoToVolume * voice.modLfo.output) * voice.velocityGain;
    lane.envelope = voice.volEnv.output;
    lane.attenuation = voice.attenuation;
    lane.panLeft = voice.panLeft;
    lane.panRight = voice.panRight;
    lane.peak = voice.quietPeak;
    lane.judged = quietLimit > 0.0f && voice.volEnv.stage == Envelope::kReleaseStage;

    // The outputs of the coming advances, and for how many advances they hold. A modulator
    // whose depths are neutral cannot change anything, so it does not shorten the run.
    int64_t run = INT64_MAX;
    limitRun(voice.volEnv, run);
    const float envelope = voice.volEnv.nextOutput();
    float modEnvelope = voice.modEnv.output, modLfo = voice.modLfo.output, vibrato = voice.vibLfo.output;
    if (relevant.modEnvelope) {
        limitRun(voice.modEnv, run);
        modEnvelope = voice.modEnv.nextOutput();
    }
    if (relevant.modLfo) {
        limitRun(voice.modLfo, run);
        modLfo = voice.modLfo.nextOutput();
    }
    if (relevant.vibratoLfo) {
        limitRun(voice.vibLfo, run);
        vibrato = voice.vibLfo.nextOutput();
    }
    // The run may reach one sample past the last such advance, unless that advance ends the
    // voice: a free voice is not mixed any more.
    if (run != INT64_MAX && !voice.volEnv.doneAfter(run))
        ++run;
    // A released voice that may end inaudible is judged at the end of each block of its life.
    if (quietLimit > 0.0f && voice.volEnv.stage == Envelope::kReleaseStage)
        run = std::min(run, kQuietBlock - voice.age % kQuietBlock);
    length = int32_t(std::min<int64_t>(limit, run));

    voice.filter.useCutoff(cutoffFor(modEnvelope, modLfo));
    rest.filter = voice.filter.state();
    rest.gain = (1.0f - voice.modLfoToVolume * modLfo) * voice.velocityGain;
    rest.envelope = envelope;
    lane.step = voice.baseIncrement * double(pitchFactorFor(modEnvelope, modLfo, vibrato));
    return length;
}

void Cursor::switchToRest() noexcept
{
    lane.filter.b0 = rest.filter.b0;
    lane.filter.b1 = rest.filter.b1;
    lane.filter.b2 = rest.filter.b2;
    lane.filter.a1 = rest.filter.a1;
    lane.filter.a2 = rest.filter.a2;
    lane.gain = rest.gain;
    lane.envelope = rest.envelope;
}

bool Cursor::endRun() noexcept
{
    Voice& voice = *v;
    voice.position = lane.position;
    voice.loopWrap = lane.wrap;
    voice.filter.keepHistory(lane.filter);
    voice.quietPeak = lane.peak;
    // Modulators that cannot change anything are advanced once, when the cursor finishes.
    skipOrDefer(voice.modLfo, relevant.modLfo, length, deferredModLfo);
    skipOrDefer(voice.modEnv, relevant.modEnvelope, length, deferredModEnvelope);
    skipOrDefer(voice.vibLfo, relevant.vibratoLfo, length, deferredVibrato);
    voice.volEnv.skip(length);
    voice.previousPosition = voice.position;
    voice.lastAdvance = voice.baseIncrement *
                        double(pitchFactorFor(voice.modEnv.output, voice.modLfo.output, voice.vibLfo.output));
    voice.position += voice.lastAdvance;
    voice.filter.useCutoff(cutoffFor(voice.modEnv.output, voice.modLfo.output));
    voice.age += length;
    if (voice.volEnv.stage >= Envelope::kDoneStage || judgedInaudible()) {
        voice.state = Free;
        finish();
        return false;
    }
    return true;
}

bool Cursor::judgedInaudible() noexcept
{
    Voice& voice = *v;
    if (voice.age % kQuietBlock != 0)
        return false;
    const float heardBlock = voice.quietPeak;
    voice.quietPeak = 0.0f;   // the next block is judged on its own
    if (!(quietLimit > 0.0f) || voice.volEnv.stage != Envelope::kReleaseStage)
        return false;
    // Once the read position is inside the loop, the loudest input still to come is the loop's
    // loudest point; the envelope only falls in the release, and the tremolo can at most
    // double the gain. Before the loop the rest of the sample is unknown, so nothing ends.
    const SamplePlayer& player = *voice.player;
    if (truncToInt32(voice.position) < player.loopStart)
        return false;
    const float pan = std::max(voice.panLeft, voice.panRight);
    const float reachable = voice.volEnv.output * voice.attenuation * voice.velocityGain *
                            (1.0f + std::fabs(voice.modLfoToVolume)) * player.loopPeak *
                            filterLiftBound(voice.filter.q) * pan;
    return heardBlock * pan < quietLimit && reachable < quietLimit;
}

bool Cursor::continuesLastRun() const noexcept
{
    const LowPassFilter::State& f = lane.filter;
    return lane.step == v->lastAdvance && f.b0 == rest.filter.b0 && f.b1 == rest.filter.b1 &&
           f.b2 == rest.filter.b2 && f.a1 == rest.filter.a1 && f.a2 == rest.filter.a2 && lane.gain == rest.gain &&
           lane.envelope == rest.envelope;
}

void Cursor::finish() noexcept
{
    v->modLfo.skip(deferredModLfo);
    v->modEnv.skip(deferredModEnvelope);
    v->vibLfo.skip(deferredVibrato);
    deferredModLfo = deferredModEnvelope = deferredVibrato = 0;
}

} // namespace Vst
} // namespace Steinberg
