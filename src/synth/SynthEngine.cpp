#include "synth/SynthEngine.h"

#include "synth/VoiceRenderer.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Steinberg {
namespace Vst {

static_assert(SynthEngine::kChunk <= kLaneChunk, "the vector loop mixes at most kLaneChunk samples at a time");
static_assert(SynthEngine::kVoiceCount <= VoiceLanes::kMaxVoices, "the vector loop holds every voice");

namespace {

// What the output stage writes for a scaled mix value: the value, or 0 when it is not a finite
// number (so no NaN or infinity reaches the host, with no second pass over the output).
inline float finiteOrSilence(float x) noexcept
{
    return std::fabs(x) <= std::numeric_limits<float>::max() ? x : 0.0f;
}

// -100 dBFS: an output amplitude no one hears.
constexpr float kInaudibleOutput = 1e-5f;

} // namespace

SynthEngine::SynthEngine()
{
    std::fill(mixLeft, mixLeft + kChunk, 0.0f);
    std::fill(mixRight, mixRight + kChunk, 0.0f);
    useVoiceLoop(fastestVoiceLoop());
}

void SynthEngine::useVoiceLoop(VoiceLoop chosen) noexcept
{
    if (!voiceLoopAvailable(chosen))
        return;
    loop = chosen;
    laneKernels = laneKernelsOf(chosen);
    // Eight lanes for a last group of four voices or fewer is twice the work it needs.
    narrowLaneKernels = chosen == VoiceLoop::avx2 ? laneKernelsOf(VoiceLoop::sse2) : nullptr;
}

SynthEngine::~SynthEngine()
{
    for (Voice& v : voices)
        v.reset();
    mailbox.drain();
    delete current;
}

void SynthEngine::setSampleRate(double newRate) noexcept
{
    rate = newRate;
    minimumNoteSamples = int32_t(std::max(1.0, std::round(newRate * kMinimumNoteSeconds)));
    for (Voice& v : voices)
        v.setSampleRate(newRate);
    // The sound playing now follows the new rate as a pending one will at adoption, or every
    // note would sound at the old rate's pitch.
    if (current && current->madeForRate != rate)
        current->retune(rate);
}

bool SynthEngine::receiveSound(SFSynthList& list, int64_t* pointCount)
{
    // An empty list leaves nothing pending, so the sound playing now stays.
    if (list.empty()) {
        SFSynthList().swap(list);
        return false;
    }
    mailbox.collectRetired();
    std::unique_ptr<Sound> sound = Sound::make(list, rate);
    if (pointCount)
        *pointCount = sound->pointCount;
    mailbox.post(sound);   // the newest sound replaces one still pending
    return true;
}

uint32_t SynthEngine::tailSamples() const noexcept
{
    const double samples = double(tailSeconds.load(std::memory_order_relaxed)) * rate;
    return samples < 4294967295.0 ? uint32_t(std::ceil(samples)) : UINT32_MAX;
}

void SynthEngine::setResponse(SoundResponse newResponse) noexcept
{
    if (newResponse == responseMode)
        return;
    for (Voice& v : voices)
        v.reset();
    responseMode = newResponse;
}

void SynthEngine::setWheel(double value) noexcept
{
    wheel = float(std::pow(2.0, value * 0.041666666666666664));
    inputs.set(ModulationInputs::kModWheel, float(value));
}

void SynthEngine::setPedal(double value) noexcept
{
    const bool down = value > 0.5;
    if (pedal && !down)
        pedalReleased();
    pedal = down;
    inputs.set(ModulationInputs::kSustain, float(value));
}

void SynthEngine::setBend(double rangeSemitones, double bendValue) noexcept
{
    bend = float(std::pow(2.0, rangeSemitones * bendValue * 0.08333333333333333));
    inputs.set(ModulationInputs::kPitchWheel, float((bendValue + 1.0) * 0.5));
    inputs.set(ModulationInputs::kWheelSensitivity, float(rangeSemitones / 127.0));
}

void SynthEngine::setVolume(double value) noexcept
{
    inputs.set(ModulationInputs::kVolume, float(value));
}

void SynthEngine::setExpression(double value) noexcept
{
    inputs.set(ModulationInputs::kExpression, float(value));
}

void SynthEngine::noteOn(int16_t key, float velocity) noexcept
{
    if (current == nullptr || current->players.empty())
        return;
    const int32_t serial = noteSerial;
    noteSerial = noteSerial == INT32_MAX ? 0 : noteSerial + 1;

    // A key struck again: its sounding voices end (or are held by the pedal) before the new ones.
    for (Voice& v : voices) {
        if (v.key != key || v.state != Sounding)
            continue;
        if (v.pedalHeld) {
            releaseSerial(v.serial);
            continue;
        }
        if (pedal)
            markPedalHeld(v.serial);
        else
            releaseSerial(v.serial);
        break;
    }

    // A record takes the velocities from its low bound up to, not including, its high bound plus
    // one, on the 0..127 scale: every velocity lands in exactly one of adjacent layers, and a
    // MIDI velocity k, which arrives as k / 127 rounded to a float, in the layer that names k.
    // The margin absorbs that rounding.
    const double level = double(velocity) * 127.0;
    constexpr double kMargin = 1.0e-4;
    for (size_t i = 0; i < current->records.size(); ++i) {
        const SFSynth& r = current->records[i];
        const bool keyMatches = r.keyLow <= key && key <= r.keyHigh;
        const bool velocityMatches = level >= r.velocityLow - kMargin && level < r.velocityHigh + 1 - kMargin;
        if (!keyMatches || !velocityMatches)
            continue;
        const int index = allocateVoice();
        if (index < 0)
            continue;
        voices[index].start(serial, r, current->players[i], key, velocity, &wheel, &bend);
        if (responseMode == SoundResponse::SoundFont204)
            modulations[index].begin(voices[index], r, inputs, key, velocity);
    }
}

void SynthEngine::noteOff(int16_t key) noexcept
{
    for (Voice& v : voices) {
        if (v.key != key || v.state != Sounding || v.pedalHeld)
            continue;
        bool waiting = false;   // this note's note-off came already and waits for its length
        for (int i = 0; i < deferredCount && !waiting; ++i)
            waiting = deferred[i].serial == v.serial;
        if (waiting)
            continue;
        if (!deferRelease(v.serial, v.age))
            endNote(v.serial);
        return;
    }
}

// A note-off taking effect: the pedal holds the note, else it is released.
void SynthEngine::endNote(int32_t serial) noexcept
{
    if (pedal)
        markPedalHeld(serial);
    else
        releaseSerial(serial);
}

bool SynthEngine::deferRelease(int32_t serial, int64_t age) noexcept
{
    if (age >= minimumNoteSamples)
        return false;
    if (deferredCount == kVoiceCount) {
        // Entries whose notes were stolen or struck again meanwhile have nothing left to end.
        int kept = 0;
        for (int i = 0; i < deferredCount; ++i) {
            bool sounding = false;
            for (const Voice& v : voices)
                sounding = sounding || (v.serial == deferred[i].serial && v.state == Sounding);
            if (sounding)
                deferred[kept++] = deferred[i];
        }
        deferredCount = kept;
        if (deferredCount == kVoiceCount)
            return false;   // cannot happen: one entry per sounding note
    }
    deferred[deferredCount++] = {serial, int32_t(minimumNoteSamples - age)};
    return true;
}

// Samples, at most `limit`, until the next deferred note-off takes effect.
int32_t SynthEngine::samplesToDeferredRelease(int32_t limit) const noexcept
{
    for (int i = 0; i < deferredCount; ++i)
        limit = std::min(limit, deferred[i].samplesLeft);
    return limit;
}

void SynthEngine::advanceDeferredReleases(int32_t samples) noexcept
{
    int kept = 0;
    for (int i = 0; i < deferredCount; ++i) {
        DeferredRelease d = deferred[i];
        d.samplesLeft -= samples;
        if (d.samplesLeft > 0) {
            deferred[kept++] = d;
            continue;
        }
        // A note struck again or held by the pedal meanwhile is left as that made it.
        bool sounding = false;
        for (const Voice& v : voices)
            sounding = sounding || (v.serial == d.serial && v.state == Sounding && !v.pedalHeld);
        if (sounding)
            endNote(d.serial);
    }
    deferredCount = kept;
}

int SynthEngine::allocateVoice() const noexcept
{
    for (int i = 0; i < kVoiceCount; ++i)
        if (voices[i].state == Free)
            return i;
    for (int i = 0; i < kVoiceCount; ++i)
        if (voices[i].state == Released)
            return i;
    // The oldest; voices that have not sounded a sample yet are never taken.
    int oldest = -1;
    int64_t oldestAge = 0;
    for (int i = 0; i < kVoiceCount; ++i) {
        if (voices[i].age > oldestAge) {
            oldest = i;
            oldestAge = voices[i].age;
        }
    }
    return oldest;
}

void SynthEngine::releaseSerial(int32_t serial) noexcept
{
    for (Voice& v : voices)
        if (v.serial == serial)
            v.release();
}

void SynthEngine::markPedalHeld(int32_t serial) noexcept
{
    for (Voice& v : voices)
        if (v.serial == serial)
            v.pedalHeld = true;
}

void SynthEngine::pedalReleased() noexcept
{
    for (Voice& v : voices)
        if (v.state == Sounding && v.pedalHeld)
            releaseSerial(v.serial);
    pedal = false;
}

int32_t SynthEngine::busyVoiceCount() const noexcept
{
    int32_t busy = 0;
    for (const Voice& v : voices)
        if (v.state == Sounding || v.state == Released)
            ++busy;
    return busy;
}

void SynthEngine::refreshVoices() noexcept
{
    // Modulators follow a changed controller here, once per render call, before the voices
    // take their values into the caches the per-sample loop reads.
    if (responseMode == SoundResponse::SoundFont204 && inputs.changed != 0)
        for (int i = 0; i < kVoiceCount; ++i)
            if (voices[i].state != Free)
                modulations[i].update(voices[i], inputs);
    inputs.changed = 0;
    for (Voice& v : voices)
        if (v.state != Free)
            v.refresh();
}

void SynthEngine::mix(float* outL, float* outR, int32_t count, float quietLimit) noexcept
{
    if (count <= 0)
        return;   // no run may begin: beginning one moves the voice's filter on
    Voice* busy[kVoiceCount];
    int32_t busyCount = 0;
    for (Voice& v : voices)
        if (v.state != Free)
            busy[busyCount++] = &v;
    if (laneKernels != nullptr) {
        for (int32_t k = 0; k < busyCount; ++k)
            busy[k]->filter.flushTinyHistory();
        voiceLanes.begin(*laneKernels, narrowLaneKernels, busy, busyCount, count, quietLimit);
    }
    for (int32_t done = 0; done < count;) {
        const int32_t n = std::min<int32_t>(kChunk, count - done);
        std::fill(mixLeft, mixLeft + n, 0.0f);
        std::fill(mixRight, mixRight + n, 0.0f);
        if (laneKernels != nullptr)
            voiceLanes.mixChunk(n, mixLeft, mixRight);
        else
            mixScalar(n, quietLimit);
        int32_t i = 0;
        // A changed gain moves there in a straight line over kGainRamp samples, reaching it
        // exactly, so automated levels do not step (whatever the block size).
        for (; i < n && gainRampDone < kGainRamp; ++i) {
            ++gainRampDone;
            gainNow = gainRampDone == kGainRamp ? gainTarget : gainRampFrom + gainRampStep * float(gainRampDone);
            outL[done + i] = finiteOrSilence(gainNow * (mixLeft[i] * 0.25f));
            outR[done + i] = finiteOrSilence(gainNow * (mixRight[i] * 0.25f));
        }
        const float gain = gainTarget;
        if (laneKernels != nullptr) {
            laneKernels->output(mixLeft + i, gain, outL + done + i, n - i);
            laneKernels->output(mixRight + i, gain, outR + done + i, n - i);
        } else {
            for (; i < n; ++i) {
                outL[done + i] = finiteOrSilence(gain * (mixLeft[i] * 0.25f));
                outR[done + i] = finiteOrSilence(gain * (mixRight[i] * 0.25f));
            }
        }
        done += n;
    }
    countQuietEndings(busy, busyCount);
}

void SynthEngine::mixScalar(int32_t count, float quietLimit) noexcept
{
    // Voice by voice (two at a time): each sample still sums the voices in index order.
    Voice* waiting = nullptr;
    for (Voice& v : voices) {
        if (v.state == Free)
            continue;
        // A filter left decaying on zeros (a one-shot sample that has ended) is cleared once it
        // is inaudible, so it never works on subnormal numbers for the rest of the note.
        v.filter.flushTinyHistory();
        if (waiting == nullptr) {
            waiting = &v;
            continue;
        }
        renderVoicePair(*waiting, v, mixLeft, mixRight, count, quietLimit);
        waiting = nullptr;
    }
    if (waiting != nullptr)
        renderVoice(*waiting, mixLeft, mixRight, count, quietLimit);
}

void SynthEngine::countQuietEndings(Voice* const* busy, int32_t busyCount) noexcept
{
    // A voice whose envelope ended is past its release; one that became free inside it ended quiet.
    for (int32_t k = 0; k < busyCount; ++k)
        if (busy[k]->state == Free && busy[k]->volEnv.stage == Envelope::kReleaseStage)
            ++quietEndingCount;
}

bool SynthEngine::adoptPending(int64_t& usedPoints) noexcept
{
    Sound* next = mailbox.take();
    if (next == nullptr)
        return false;
    for (Voice& v : voices)
        v.reset();
    deferredCount = 0;
    if (next->madeForRate != rate)
        next->retune(rate);   // players follow the rate current at adoption
    Sound* replaced = current;
    current = next;
    mailbox.retire(replaced);
    usedPoints = next->pointCount;
    tailSeconds.store(next->longestRelease, std::memory_order_relaxed);
    return true;
}

SynthEngine::RenderReport SynthEngine::render(float* outL, float* outR, int32_t count,
                                              float gain) noexcept
{
    RenderReport report;
    const int32_t n = std::max<int32_t>(count, 0);
    // A gain that is not a number or below 0 is silence.
    const float target = std::isfinite(gain) && gain > 0.0f ? gain : 0.0f;
    if (gainNow < 0.0f || busyVoiceCount() == 0) {
        // Nothing sounds (or nothing has yet): the new level holds at once.
        gainNow = gainTarget = target;
        gainRampDone = kGainRamp;
    } else if (target != gainTarget) {
        gainRampFrom = gainNow;
        gainTarget = target;
        gainRampStep = (target - gainNow) / float(kGainRamp);
        gainRampDone = 0;
    }
    // Below this amplitude in the mix a voice is under -100 dBFS at the output; with no
    // output gain every voice is.
    const float loudest = std::max(gainNow, gainTarget) * 0.25f;
    const float quietLimit = !quietEnding       ? 0.0f
                             : loudest > 0.0f ? kInaudibleOutput / loudest
                                              : std::numeric_limits<float>::infinity();
    // Rendered in pieces that end where a deferred note-off falls due, each piece as if the
    // note-off had come from the host at that sample.
    for (int32_t done = 0;;) {
        const int32_t piece = samplesToDeferredRelease(n - done);
        if (busyVoiceCount() == 0) {
            // An idle instance: silence, with no voice or mix work.
            std::fill(outL + done, outL + done + piece, 0.0f);
            std::fill(outR + done, outR + done + piece, 0.0f);
        } else {
            refreshVoices();
            mix(outL + done, outR + done, piece, quietLimit);
        }
        done += piece;
        advanceDeferredReleases(piece);
        if (done == n)
            break;
    }
    report.adopted = adoptPending(report.usedPoints);
    reportCounter += n;
    if (reportCounter >= kVoiceReportInterval) {
        report.voiceCountDue = true;
        report.voiceCount = busyVoiceCount();
        reportCounter -= kVoiceReportInterval;
    }
    return report;
}

} // namespace Vst
} // namespace Steinberg
