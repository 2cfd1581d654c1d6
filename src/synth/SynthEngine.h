#pragma once
// The 64-voice SoundFont engine without any plug-in interface: note handling and voice
// allocation, the controllers, rendering with the output gain, and the adoption of a newly
// received record list between render calls.
//
// Threads: receiveSound runs on the message (UI) thread, collectRetiredSound on any thread but
// the audio thread; setSampleRate on the UI thread while
// processing is stopped; everything else on the audio thread, noexcept and real-time safe
// (no locks, no allocation, no freeing).
#include "soundfont/SFSynth.h"
#include "synth/Sound.h"
#include "synth/SoundMailbox.h"
#include "synth/SoundResponse.h"
#include "synth/Voice.h"
#include "synth/VoiceLanes.h"
#include "synth/VoiceLoop.h"
#include "synth/VoiceModulation.h"

#include <atomic>
#include <cstdint>
#include <memory>

namespace Steinberg {
namespace Vst {

class SynthEngine {
public:
    static constexpr int kVoiceCount = 64;
    static constexpr int32_t kVoiceReportInterval = 4410;   // samples between voice counts
    static constexpr int kChunk = 256;                      // samples mixed at a time
    static constexpr int32_t kGainRamp = 256;               // samples a gain change takes
    static constexpr double kMinimumNoteSeconds = 0.010;    // shortest note heard

    // What one render call has to report to the controller.
    struct RenderReport {
        bool adopted = false;        // a new sound was adopted at its end
        int64_t usedPoints = 0;      // sample points of the adopted sound
        bool voiceCountDue = false;  // 4410 samples have passed since the last count
        int32_t voiceCount = 0;      // voices sounding or released
    };

    SynthEngine();
    ~SynthEngine();
    SynthEngine(const SynthEngine&) = delete;
    SynthEngine& operator=(const SynthEngine&) = delete;

    void setSampleRate(double rate) noexcept;
    double sampleRate() const noexcept { return rate; }

    // Message thread: takes the records (leaving `list` empty) as the pending sound, replacing
    // one that is still pending; an empty list is dropped and the current sound stays.
    // Returns whether they were taken, and then their sample points in *pointCount (when given).
    // Throws std::bad_alloc when memory runs out (nothing changes then).
    bool receiveSound(SFSynthList& list, int64_t* pointCount = nullptr);
    // Any thread but the audio thread: frees the sound the audio thread replaced, so its
    // sample memory goes soon after the new one is adopted, not only at the next load.
    void collectRetiredSound() noexcept { mailbox.collectRetired(); }
    // Any thread: the current sound's longest volume release in samples (0 without a sound).
    uint32_t tailSamples() const noexcept;

    // How notes and controllers sound (Classic until set). A change silences every voice at
    // once, as a new sound does: a voice cannot change its response while it plays.
    void setResponse(SoundResponse response) noexcept;
    SoundResponse response() const noexcept { return responseMode; }

    // Controllers. Volume and Expression reach the voices only in the "SoundFont 2.04"
    // response; in Classic the caller's output gain carries them.
    void setWheel(double value) noexcept;
    void setPedal(double value) noexcept;
    void setBend(double rangeSemitones, double bend) noexcept;
    void setVolume(double value) noexcept;
    void setExpression(double value) noexcept;

    void noteOn(int16_t key, float velocity) noexcept;
    // A note-off that comes less than kMinimumNoteSeconds (in samples at the current rate)
    // after its note-on takes effect when the note has lasted that long, sample-exactly, so
    // even a note-off on the note-on's own sample leaves a note that is heard.
    void noteOff(int16_t key) noexcept;

    // Renders `count` samples of gain x mix into the outputs, then adopts a pending sound and
    // counts samples towards the voice report. A gain that differs from the last call's is
    // ramped to over kGainRamp samples while voices sound (at once while none does); a gain
    // that is not a finite positive number is 0. Every output sample is a finite number (one
    // that would not be is 0), and with no voice busy the call only writes silence.
    RenderReport render(float* outL, float* outR, int32_t count, float gain) noexcept;

    // A released voice whose output has stayed below -100 dBFS (at the output gain in effect)
    // for a whole block of kQuietBlock samples of its life, and can no longer rise above it,
    // ends then instead of running its release to the end. On by default; off, the engine
    // renders exactly as its plain per-sample definition.
    void setQuietVoiceEnding(bool on) noexcept { quietEnding = on; }
    // Voices ended so since construction.
    int64_t quietEndings() const noexcept { return quietEndingCount; }
    // The voice loop used (the fastest available by default); a loop not available is ignored.
    void useVoiceLoop(VoiceLoop chosen) noexcept;
    VoiceLoop voiceLoop() const noexcept { return loop; }
    // Adopts a pending sound without rendering (blocks the plug-in is bypassed in); true and
    // its point count when one was adopted.
    bool adoptPendingSound(int64_t& usedPoints) noexcept { return adoptPending(usedPoints); }

    // Observers for the plug-in and for tests.
    const Voice& voice(int index) const noexcept { return voices[index]; }
    const VoiceModulation& voiceModulation(int index) const noexcept { return modulations[index]; }
    int32_t busyVoiceCount() const noexcept;
    bool pedalDown() const noexcept { return pedal; }
    float wheelRatio() const noexcept { return wheel; }
    float bendRatio() const noexcept { return bend; }
    size_t playerCount() const noexcept { return current ? current->players.size() : 0; }
    const Sound* currentSound() const noexcept { return current; }

private:
    int allocateVoice() const noexcept;
    void releaseSerial(int32_t serial) noexcept;
    void markPedalHeld(int32_t serial) noexcept;
    void pedalReleased() noexcept;
    void endNote(int32_t serial) noexcept;
    bool deferRelease(int32_t serial, int64_t age) noexcept;
    int32_t samplesToDeferredRelease(int32_t limit) const noexcept;
    void advanceDeferredReleases(int32_t samples) noexcept;
    void refreshVoices() noexcept;
    void mix(float* outL, float* outR, int32_t count, float quietLimit) noexcept;
    void mixScalar(int32_t count, float quietLimit) noexcept;
    void countQuietEndings(Voice* const* busy, int32_t busyCount) noexcept;
    bool adoptPending(int64_t& usedPoints) noexcept;

    Sound* current = nullptr;   // owned; freed by the mailbox's retired slot or the destructor
    SoundMailbox mailbox;
    Voice voices[kVoiceCount];
    SoundResponse responseMode = SoundResponse::Classic;
    ModulationInputs inputs;                  // what the modulators read ("SoundFont 2.04")
    VoiceModulation modulations[kVoiceCount]; // per voice, used in "SoundFont 2.04" only
    bool pedal = false;
    int32_t noteSerial = 0;
    // Note-offs waiting for their note's minimum length: the note's serial and the samples
    // left until the note-off takes effect. One per sounding note at most.
    struct DeferredRelease {
        int32_t serial;
        int32_t samplesLeft;
    };
    DeferredRelease deferred[kVoiceCount];
    int deferredCount = 0;
    int32_t minimumNoteSamples = 441;
    float bend = 1.0f;
    float wheel = 1.0f;
    int64_t reportCounter = 0;   // wide, so a huge block cannot overflow it
    double rate = 44100.0;
    float gainNow = -1.0f;                  // output gain reached; -1 before the first call
    float gainTarget = 0.0f;                // the gain asked for last
    float gainRampFrom = 0.0f;
    float gainRampStep = 0.0f;
    int32_t gainRampDone = kGainRamp;       // samples of the ramp done; kGainRamp: none running
    std::atomic<float> tailSeconds{0.0f};   // longest release of the current sound
    VoiceLoop loop = VoiceLoop::scalar;
    const LaneKernels* laneKernels = nullptr;   // the vectorised loop's, or nullptr for the scalar one
    const LaneKernels* narrowLaneKernels = nullptr;   // for a last group of few voices
    bool quietEnding = true;
    int64_t quietEndingCount = 0;
    alignas(32) float mixLeft[kChunk];
    alignas(32) float mixRight[kChunk];
    VoiceLanes voiceLanes;   // the vectorised loop's working state
};

} // namespace Vst
} // namespace Steinberg
