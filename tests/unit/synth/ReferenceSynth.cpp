#include "unit/synth/ReferenceSynth.h"

#include <algorithm>
#include <cmath>

using Steinberg::Vst::SFSynth;
using Steinberg::Vst::SFSynthList;

namespace zephra::test {
namespace {


int32_t trunc32(double v)
{
    if (v >= -2147483648.0 && v < 2147483648.0)
        return int32_t(v);
    return INT32_MIN;
}

// trunc(u / seconds), limited to one whole stage per sample.
int32_t stageIncrement(float u, float seconds)
{
    const float x = u / seconds;
    if (!(x < 128000000.0f))
        return 128000000;
    if (!(x > 0.0f))
        return 0;
    return int32_t(x);
}

float clampCutoff(float c, double rate)
{
    if (!(c >= 50.0f))
        return 50.0f;
    return std::min(std::min(c, 22000.0f), float(rate * 0.499));
}

} // namespace

ReferenceSynth::ReferenceSynth()
    : curve(896), panL(101), panR(101), wave(441)
{
    for (int k = 0; k < 128; ++k) {
        curve[k] = 0.0f;
        curve[128 + k] = float(k) / 128.0f;
        curve[256 + k] = 1.0f;
        curve[512 + k] = 0.0f;
        curve[768 + k] = 0.0f;
    }
    curve[384] = 0.9255464f;
    for (int k = 1; k < 128; ++k)
        curve[384 + k] = float(curve[384 + k - 1] * 0.9255464);
    for (int k = 0; k < 128; ++k)
        curve[640 + k] = curve[384 + k];
    for (int k = 0; k <= 100; ++k) {
        panL[k] = float(std::cos(k * 0.015707964));
        panR[k] = float(std::sin(k * 0.015707964));
    }
    for (int k = 0; k < 441; ++k)
        wave[k] = float((1.0 - std::cos(k * 0.014247586)) * 0.5);
}

void ReferenceSynth::setSampleRate(double r)
{
    rate = r;
    for (Voice& v : voices) {
        v.rate = r;
        v.modEnv.rate = v.volEnv.rate = r;
        v.modLfo.rate = v.vibLfo.rate = r;
    }
}

void ReferenceSynth::adopt(const SFSynthList& list)
{
    for (Voice& v : voices) {
        v.state = 2;
        v.serial = -1;
        v.key = 0;
        v.age = 0;
        v.pedalHeld = false;
    }
    pendingOffs.clear();
    records = list;
    players.clear();
    for (const SFSynth& r : records) {
        Player p;
        const float u = float(440.0 * std::pow(2.0, (r.rootKey - 69) * 0.08333333333333333)) *
                        float(rate / double(float(r.sampleRate))) *
                        std::pow(2.0f, -float(r.pitchCorrection) * 0.00083333335f);
        const int64_t count = int64_t(r.samples.size());
        int64_t ls = count - 3, le = count - 2;
        if (r.sampleModes != 0) {
            ls = r.loopStart;
            le = r.loopEnd;
        }
        if (!r.samples.empty() && count > 2 && u >= 1.0f && ls >= 0 && ls <= count - 1 && le > ls &&
            le <= count - 1) {
            p = Player{r.samples.data(), int32_t(count), u, int32_t(ls), int32_t(le - 1)};
        } else {
            static const float silent[5] = {0, 0, 0, 0, 0};
            p = Player{silent, 5, 8820.0f, 0, 4};
        }
        players.push_back(p);
    }
}

void ReferenceSynth::setWheel(double value) { wheelRatio = float(std::pow(2.0, value * 0.041666666666666664)); }

void ReferenceSynth::setPedal(double value)
{
    const bool down = value > 0.5;
    if (pedal && !down) {
        for (Voice& v : voices)
            if (v.state == 0 && v.pedalHeld)
                release(v.serial);
        pedal = false;
    }
    pedal = down;
}

void ReferenceSynth::setBend(double range, double bend)
{
    bendRatio = float(std::pow(2.0, range * bend * 0.08333333333333333));
}

void ReferenceSynth::setUpEnvelope(Envelope& e)
{
    const float u = float(128.0 / e.rate) * 1000000.0f;
    const float s = *e.source[4];
    for (int i : {0, 1, 2, 3})
        e.increment[i] = stageIncrement(u, *e.source[i]);
    e.increment[4] = 0;
    e.increment[5] = stageIncrement(u, *e.source[5]);
    e.increment[6] = 0;
    e.scale[0] = e.scale[1] = e.scale[2] = 1.0f;
    e.offset[0] = e.offset[1] = e.offset[2] = 0.0f;
    e.scale[3] = 1.0f - s;
    e.offset[3] = s;
    e.scale[4] = 0.0f;
    e.offset[4] = s;
    e.offset[5] = 0.0f;
    e.scale[6] = e.offset[6] = 0.0f;
}

void ReferenceSynth::advanceEnvelope(Envelope& e) const
{
    e.output = curve[e.counter / 1000000] * e.scale[e.stage] + e.offset[e.stage];
    int64_t c = int64_t(e.counter) + e.increment[e.stage];
    e.counter = int32_t(std::clamp<int64_t>(c, 0, 895999999));
    if (e.counter / 1000000 >= (e.stage + 1) * 128)
        e.stage += 1;
}

void ReferenceSynth::setUpLfo(Lfo& l)
{
    l.runningIncrement = trunc32(double(*l.frequency * 1000000.0f * 441.0f) / l.rate);
    l.delayIncrement = 1;
}

void ReferenceSynth::advanceLfo(Lfo& l) const
{
    if (l.phase < 0) {
        l.output = 0.0f;
        l.phase += l.delayIncrement;
        return;
    }
    l.output = wave[(l.phase / 1000000) % 441];
    l.phase = int32_t((int64_t(l.phase) + l.runningIncrement) % 441000000);
}

void ReferenceSynth::coefficients(Voice& v, float cutoff)
{
    const float w = float(double(cutoff * 6.2831855f) / v.rate);
    const double s = std::sin(double(w)), c = std::cos(double(w));
    const float q = v.q > 1e-3f ? std::min(v.q, 63095.734f) : 1e-3f;
    const double alpha = std::max(s / (2.0 * double(q)), 1e-6);
    // A resonant filter gives up half its peak in dB.
    v.resonanceGain = q > 1.0f ? float(1.0 / std::sqrt(std::max(s / (2.0 * alpha), 1.0))) : 1.0f;
    v.a0 = float(1.0 + alpha);
    v.a1 = float(-2.0 * c);
    v.a2 = float(1.0 - alpha);
    v.b1 = float(1.0 - c);
    v.b0 = v.b2 = float((1.0 - c) * 0.5);
}

void ReferenceSynth::start(Voice& v, int32_t serial, const SFSynth& r, const Player& p, int16_t key,
                           float velocity)
{
    v.serial = serial;
    v.state = 2;
    v.age = 0;
    v.pedalHeld = false;
    const int64_t pan = std::clamp<int64_t>(int64_t(trunc32(r.pan)) + 50, 0, 100);
    v.panLeft = panL[pan];
    v.panRight = panR[pan];
    const float* mod[6] = {&r.modEnvDelay, &r.modEnvAttack, &r.modEnvHold, &r.modEnvDecay, &r.modEnvSustain, &r.modEnvRelease};
    const float* vol[6] = {&r.volEnvDelay, &r.volEnvAttack, &r.volEnvHold, &r.volEnvDecay, &r.volEnvSustain, &r.volEnvRelease};
    for (int i = 0; i < 6; ++i) {
        v.modEnv.source[i] = mod[i];
        v.volEnv.source[i] = vol[i];
    }
    for (Envelope* e : {&v.modEnv, &v.volEnv}) {
        e->counter = 0;
        e->stage = 0;
        e->output = 0.0f;
        e->scale[5] = 0.0f;
        setUpEnvelope(*e);
    }
    v.modLfo.frequency = &r.modLfoFrequency;
    v.modLfo.delay = &r.modLfoDelay;
    v.vibLfo.frequency = &r.vibLfoFrequency;
    v.vibLfo.delay = &r.vibLfoDelay;
    for (Lfo* l : {&v.modLfo, &v.vibLfo}) {
        l->output = 0.0f;
        setUpLfo(*l);
        const double samples = double(*l->delay) * l->rate;
        l->phase = -int32_t(samples > 0.0 ? std::min(samples, 2147483647.0) : 0.0);
    }
    v.record = &r;
    v.player = &p;
    v.position = 0.0;
    const double f = 440.0 * std::pow(2.0, double(r.coarseTune + key - 69) / 12.0 + double(r.fineTune) / 1200.0);
    v.baseIncrement = f / double(p.reference);
    v.attenuation = r.attenuation;
    v.velocityGain = std::clamp(velocity, 0.0f, 1.0f);
    v.velocityScale = 0.75f + 0.25f * std::clamp(velocity, 0.0f, 1.0f);
    v.baseCutoff = r.filterCutoff * v.velocityScale;
    v.q = r.filterResonance;
    coefficients(v, clampCutoff(v.baseCutoff, v.rate));
    v.key = key;
    v.state = 0;
    v.age = 0;
}

void ReferenceSynth::release(int32_t serial)
{
    for (Voice& v : voices) {
        if (v.serial != serial)
            continue;
        v.state = 1;
        for (Envelope* e : {&v.modEnv, &v.volEnv}) {
            e->stage = 5;
            e->counter = 640000000;
            e->scale[5] = e->output < 1e-30f ? 0.0f : e->output;
        }
    }
}

int ReferenceSynth::allocate() const
{
    for (int i = 0; i < 64; ++i)
        if (voices[i].state == 2)
            return i;
    for (int i = 0; i < 64; ++i)
        if (voices[i].state == 1)
            return i;
    int best = -1;
    int64_t age = 0;
    for (int i = 0; i < 64; ++i)
        if (voices[i].age > age) {
            best = i;
            age = voices[i].age;
        }
    return best;
}

void ReferenceSynth::noteOn(int16_t key, float velocity)
{
    if (players.empty())
        return;
    const int32_t s = serialCounter++;
    for (Voice& v : voices) {
        if (v.key != key || v.state != 0)
            continue;
        if (v.pedalHeld) {
            release(v.serial);
            continue;
        }
        if (pedal) {
            for (Voice& w : voices)
                if (w.serial == v.serial)
                    w.pedalHeld = true;
        } else {
            release(v.serial);
        }
        break;
    }
    for (size_t i = 0; i < records.size(); ++i) {
        const SFSynth& r = records[i];
        const double level = velocity * 127.0;   // layers cover [low, high + 1), less a margin
        if (r.keyLow <= key && key <= r.keyHigh && level >= r.velocityLow - 1e-4 && level < r.velocityHigh + 1 - 1e-4) {
            const int slot = allocate();
            if (slot >= 0)
                start(voices[slot], s, r, players[i], key, velocity);
        }
    }
}

void ReferenceSynth::noteOff(int16_t key)
{
    const int64_t shortest = std::max<int64_t>(1, std::llround(rate * 0.010));
    for (Voice& v : voices) {
        if (v.key != key || v.state != 0 || v.pedalHeld)
            continue;
        const bool waiting = std::any_of(pendingOffs.begin(), pendingOffs.end(),
                                         [&](const auto& p) { return p.first == v.serial; });
        if (waiting)
            continue;
        if (v.age < shortest)
            pendingOffs.emplace_back(v.serial, now + shortest - v.age);
        else
            endNote(v.serial);
        return;
    }
}

void ReferenceSynth::endNote(int32_t serial)
{
    if (pedal) {
        for (Voice& w : voices)
            if (w.serial == serial)
                w.pedalHeld = true;
    } else {
        release(serial);
    }
}

int ReferenceSynth::busyVoices() const
{
    int n = 0;
    for (const Voice& v : voices)
        n += v.state != 2;
    return n;
}

void ReferenceSynth::render(float* outL, float* outR, int32_t count, float gain)
{
    const float target = std::isfinite(gain) && gain > 0.0f ? gain : 0.0f;
    const bool silent = gainNow < 0.0f || busyVoices() == 0;   // nothing to ramp: the level holds
    if (silent || target != gainTarget) {
        rampFrom = gainNow;
        rampStep = (target - gainNow) / 256.0f;
        gainNow = silent ? target : gainNow;
        rampDone = silent ? 256 : 0;
        gainTarget = target;
    }
    for (int32_t done = 0;;) {
        int64_t piece = count - done;
        for (const auto& p : pendingOffs)
            piece = std::min(piece, p.second - now);
        renderPiece(outL + done, outR + done, int32_t(piece));
        done += int32_t(piece);
        now += piece;
        for (size_t i = 0; i < pendingOffs.size();) {
            if (pendingOffs[i].second > now) {
                ++i;
                continue;
            }
            const int32_t serial = pendingOffs[i].first;
            pendingOffs.erase(pendingOffs.begin() + long(i));
            for (const Voice& v : voices)
                if (v.serial == serial && v.state == 0 && !v.pedalHeld) {
                    endNote(serial);
                    break;
                }
        }
        if (done >= count)
            return;
    }
}

// One stretch without note events: the voices' per-call refresh, then sample by sample.
void ReferenceSynth::renderPiece(float* outL, float* outR, int32_t count)
{
    for (Voice& v : voices) {
        if (v.state == 2)
            continue;
        const SFSynth& r = *v.record;
        setUpLfo(v.modLfo);
        setUpLfo(v.vibLfo);
        setUpEnvelope(v.modEnv);
        setUpEnvelope(v.volEnv);
        v.modEnvToPitch = r.modEnvToPitch;
        v.modLfoToPitch = r.modLfoToPitch;
        v.vibLfoToPitch = r.vibLfoToPitch;
        v.wheel = wheelRatio;
        v.bend = bendRatio;
        v.baseCutoff = r.filterCutoff * v.velocityScale;
        v.q = r.filterResonance;
        v.envToCutoff = r.modEnvToFilterCutoff;
        v.lfoToCutoff = r.modLfoToFilterCutoff;
        v.attenuation = r.attenuation;
        v.lfoToVolume = r.modLfoToVolume;
    }
    for (int32_t i = 0; i < count; ++i) {
        float left = 0.0f, right = 0.0f;
        for (Voice& v : voices) {
            if (v.state == 2)
                continue;
            const Player& p = *v.player;
            int32_t j = trunc32(v.position);
            float x = 0.0f;
            if (j >= 0) {
                if (j >= p.loopStart)
                    j = p.loopStart + int32_t((int64_t(j) - p.loopStart) % (int64_t(p.loopLast) - p.loopStart + 1));
                x = p.points[j];
            }
            if (i % 256 == 0 && std::fabs(v.x1) < 1e-20f && std::fabs(v.x2) < 1e-20f &&
                std::fabs(v.y1) < 1e-20f && std::fabs(v.y2) < 1e-20f)
                v.x1 = v.x2 = v.y1 = v.y2 = 0.0f;   // an inaudible tail is cleared every 256 samples
            const float inv = 1.0f / v.a0;
            const float g = v.resonanceGain;
            const float y = ((v.b0 * inv) * g) * x + ((v.b1 * inv) * g) * v.x1 + ((v.b2 * inv) * g) * v.x2 -
                            (v.a1 * inv) * v.y1 - (v.a2 * inv) * v.y2;
            v.x2 = v.x1;
            v.x1 = x;
            v.y2 = v.y1;
            v.y1 = y;
            const float vg = (1.0f - v.lfoToVolume * v.modLfo.output) * v.velocityGain;
            const float a = vg * (y * v.volEnv.output * v.attenuation);
            left += a * v.panLeft;
            right += a * v.panRight;
        }
        left *= 0.25f;
        right *= 0.25f;
        // A changed gain is ramped to in a straight line over 256 samples.
        if (rampDone < 256 && ++rampDone)
            gainNow = rampDone == 256 ? gainTarget : rampFrom + rampStep * float(rampDone);
        outL[i] = (rampDone < 256 ? gainNow : gainTarget) * left;
        outR[i] = (rampDone < 256 ? gainNow : gainTarget) * right;
        for (Voice& v : voices) {
            if (v.state == 2)
                continue;
            advanceLfo(v.modLfo);
            advanceEnvelope(v.modEnv);
            advanceLfo(v.vibLfo);
            advanceEnvelope(v.volEnv);
            const float P = (1.0f - (1.0f - v.modEnvToPitch) * v.modEnv.output) *
                            (1.0f - (1.0f - v.modLfoToPitch) * v.modLfo.output) *
                            (1.0f - (1.0f - v.wheel) * v.vibLfo.output) * v.bend *
                            (1.0f - (1.0f - v.vibLfoToPitch) * v.vibLfo.output);
            v.position += v.baseIncrement * P;
            float cutoff = v.baseCutoff * (1.0f - (1.0f - v.envToCutoff) * v.modEnv.output) *
                           (1.0f - (1.0f - v.lfoToCutoff) * v.modLfo.output);
            coefficients(v, clampCutoff(cutoff, v.rate));
            if (v.volEnv.stage >= 6)
                v.state = 2;
            v.age += 1;
        }
    }
}

} // namespace zephra::test
