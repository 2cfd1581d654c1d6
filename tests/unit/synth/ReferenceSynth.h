#pragma once
// A plain, sample-by-sample rendering of the engine's rules, written as directly as possible
// (coefficients recomputed with a sine and cosine every sample, the loop applied with a modulo
// every fetch) so the fast engine can be checked against it.
// Threads: test code, single thread.
#include "soundfont/SFSynth.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace zephra::test {

class ReferenceSynth {
public:
    ReferenceSynth();
    void setSampleRate(double rate);
    void adopt(const Steinberg::Vst::SFSynthList& records);
    void setWheel(double value);
    void setPedal(double value);
    void setBend(double range, double bend);
    void noteOn(int16_t key, float velocity);
    void noteOff(int16_t key);
    void render(float* outL, float* outR, int32_t count, float gain);
    int busyVoices() const;

private:
    struct Envelope {
        int32_t counter = 6 * 128000000;
        int32_t increment[7] = {};
        float scale[7] = {};
        float offset[7] = {};
        const float* source[6] = {};   // delay, attack, hold, decay, sustain, release
        double rate = 44100.0;
        float output = 0.0f;
        int32_t stage = 6;
    };
    struct Lfo {
        int32_t phase = 0;
        int32_t delayIncrement = 1;
        int32_t runningIncrement = 0;
        float output = 0.0f;
        const float* frequency = nullptr;
        const float* delay = nullptr;
        double rate = 44100.0;
    };
    struct Player {
        const float* points = nullptr;
        int32_t count = 0;
        float reference = 0.0f;
        int32_t loopStart = 0;
        int32_t loopLast = 0;
    };
    struct Voice {
        int32_t serial = -1;
        int16_t key = 0;
        int32_t state = 2;
        int64_t age = 0;
        bool pedalHeld = false;
        float panLeft = 1.0f, panRight = 0.0f;
        double baseIncrement = 0.0, position = 0.0;
        const Steinberg::Vst::SFSynth* record = nullptr;
        const Player* player = nullptr;
        float velocityGain = 1.0f, velocityScale = 1.0f;
        // per-block caches
        float modEnvToPitch = 1, modLfoToPitch = 1, vibLfoToPitch = 1, wheel = 1, bend = 1;
        float baseCutoff = 0, q = 1, resonanceGain = 1, envToCutoff = 1, lfoToCutoff = 1, attenuation = 1, lfoToVolume = 0;
        float a0 = 1, a1 = 0, a2 = 0, b0 = 1, b1 = 0, b2 = 0;
        float x1 = 0, x2 = 0, y1 = 0, y2 = 0;
        double rate = 44100.0;
        Lfo modLfo, vibLfo;
        Envelope modEnv, volEnv;
    };

    static void setUpEnvelope(Envelope& e);
    void advanceEnvelope(Envelope& e) const;
    static void setUpLfo(Lfo& l);
    void advanceLfo(Lfo& l) const;
    static void coefficients(Voice& v, float cutoff);
    void start(Voice& v, int32_t serial, const Steinberg::Vst::SFSynth& r, const Player& p,
               int16_t key, float velocity);
    void release(int32_t serial);
    void endNote(int32_t serial);
    void renderPiece(float* outL, float* outR, int32_t count);
    int allocate() const;

    std::vector<float> curve, panL, panR, wave;
    Steinberg::Vst::SFSynthList records;
    std::vector<Player> players;
    Voice voices[64];
    bool pedal = false;
    // Note-offs that came before the note's minimum length: serial and the sample they fall due.
    std::vector<std::pair<int32_t, int64_t>> pendingOffs;
    int64_t now = 0;   // samples rendered
    int32_t serialCounter = 0;
    float wheelRatio = 1.0f, bendRatio = 1.0f;
    float gainNow = -1.0f, gainTarget = 0.0f, rampFrom = 0.0f, rampStep = 0.0f;   // output gain ramp
    int rampDone = 256;
    double rate = 44100.0;
};

} // namespace zephra::test
