#pragma once
// The framework's audio processor: buses, per-block dispatch of parameter changes and
// sample-accurate note events to the engine, processor state and controller messages.
// The engine (a subclass) only implements the pure virtual engine operations below.
//
// Threads: initialize/terminate/setState/getState/setBusArrangements/setupProcessing come from
// the host's UI thread; process and every engine operation it calls run on the audio thread;
// notify runs on the thread that delivers the controller's message (the UI thread).
// Nothing is ever sent to the controller but inside notify, on the thread the controller sent
// from: "USEDMEM" answers "SF2DATA", "VOICENUM" answers the controller's "GETVOICENUM". Neither
// the audio thread nor a thread of the plug-in's own calls the host. A replaced sound is freed
// by the processor's reclaim thread while it is active.
// process() and everything it calls are real-time safe: no locks, no allocation in steady state.
//
// This header is the contract between the framework and the engine: the engine may use the
// protected members and helpers declared here; everything else is the framework's own.
#include "processor/TimedEvent.h"
#include "processor/EventQueue.h"
#include "processor/ParameterValues.h"
#include "processor/PublishedReports.h"
#include "processor/ReclaimThread.h"
#include "processor/StagedState.h"
#include "processor/StateHandOver.h"
#include "sdk/AudioEffect.h"
#include "soundfont/SFSynth.h"

#include <atomic>
#include <cstdint>
#include <vector>

namespace Steinberg {
namespace Vst {

class MyVSTProcessor : public AudioEffect {
public:
    MyVSTProcessor();
    ~MyVSTProcessor() override;

    // --- SDK operations (UI thread unless noted) ---
    tresult PLUGIN_API initialize(FUnknown* context) override;
    tresult PLUGIN_API setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                          SpeakerArrangement* outputs, int32 numOuts) override;
    tresult PLUGIN_API process(ProcessData& data) noexcept override;          // audio thread
    tresult PLUGIN_API setState(IBStream* state) override;
    tresult PLUGIN_API getState(IBStream* state) override;
    // "SF2DATA", "WAVDATA" and "GETVOICENUM" (answered with "VOICENUM" inside the call).
    tresult PLUGIN_API notify(IMessage* message) override;
    // Starts or stops the reclaim thread and sends nothing (UI thread, or the audio thread
    // between offline renders): stopping frees at once what the audio thread handed back.
    tresult PLUGIN_API setActive(TBool state) override;
    tresult PLUGIN_API terminate() override;

    // --- framework operations, in the order of the per-block sequence (audio thread) ---
    virtual tresult processParameterChanges(ProcessData& data) noexcept;
    virtual tresult setParameter(int32 id, double normalised) noexcept;
    virtual tresult processEvents(ProcessData& data) noexcept;
    virtual tresult processClock(ProcessData& data) noexcept;
    virtual tresult processAudio(ProcessData& data) noexcept;
    virtual tresult processBypass(float* inL, float* inR, float* outL, float* outR, int32 count) noexcept;

    // --- engine operations, implemented by the subclass (audio thread unless noted) ---
    // ids: the changed parameter IDs; read their plain values with paramValue().
    // Also called once from initialize (UI thread) with every registry ID, before processing.
    virtual void parametersChanged(const std::vector<int32>& ids) noexcept = 0;
    virtual void transportStarted(double position) noexcept = 0;
    virtual void transportStopped(double position) noexcept = 0;
    virtual void clockTick(double value) noexcept = 0;
    virtual void noteOnReceived(const TimedEvent& event) noexcept = 0;
    virtual void noteOffReceived(const TimedEvent& event) noexcept = 0;
    virtual void noteOn(int16 channel, int16 pitch, float velocity) noexcept = 0;
    virtual void noteOff(int16 channel, int16 pitch, float velocity) noexcept = 0;
    virtual void render(float* inL, float* inR, float* outL, float* outR, int32 count) noexcept = 0;
    virtual void writeExtraState(IBStream* stream) = 0;   // UI thread
    virtual void readExtraState(IBStream* stream) = 0;    // UI thread
    // UI thread (inside notify). The pointers are valid only during the call.
    virtual void wavDataReceived(int32 id, const float* left, const float* right, uint32 frames,
                                 int32 sampleRate);
    // UI thread (inside notify). The receiver owns the records and leaves the vector empty; it
    // may answer with sendUsedMemory.
    virtual void soundFontReceived(int32 fileId, SFSynthList& list);
    // Whether render() writes only finite samples (guarding them as it mixes): the framework's
    // own pass that replaces NaN and infinity is then left out of every rendered block.
    virtual bool rendersOnlyFiniteSamples() const noexcept { return false; }
    // Audio thread, once per bypassed block after its due notes: the engine is not rendered,
    // but may take over what it must not miss (a newly received sound).
    virtual void bypassed() noexcept {}
    // Reclaim thread, every 100 ms while active, and at deactivation: a subclass frees here
    // what the audio thread handed back (never on the audio thread itself). It must not call
    // the host.
    virtual void reclaimMemory() noexcept {}
    // UI thread, inside notify only: sends "USEDMEM" with the amount to the connected controller.
    virtual tresult sendUsedMemory(int64 amount);
    // UI thread, inside notify only: sends "VOICENUM" with the number of busy voices.
    tresult sendVoiceCount(int32 count);

protected:
    // Plain value of a parameter as the engine should see it (0.0 when the ID is unknown).
    // Audio thread; real-time safe.
    double paramValue(int32 id) const noexcept { return paramValues.get(id); }
    // The same held to the parameter's declared range. A restored state keeps its values as
    // stored, so saving it again loses nothing, but the engine never works with one outside
    // the range (a corrupt project's Output Level of 1e30). Audio thread; real-time safe.
    double paramValueInRange(int32 id) const noexcept;
    // Stops the reclaim thread without a last run; a subclass calls it first in its destructor,
    // so the thread never calls into a half-destroyed object. UI thread.
    void haltReclaiming() noexcept { reclaimThread.halt(); }
    // Audio thread, real-time safe: the busy voice count for the controller's next request.
    void publishVoiceCount(int32 count) noexcept { reports.publishVoiceCount(count); }

    ParameterValues paramValues;   // plain values by ID, ascending
    EventQueue eventQueue;         // events waiting for their sample offset (fixed capacity)
    bool bypass = false;
    bool wasPlaying = false;
    double beatPosition = 0.0;
    double lastTempo = 120.0;
    double ticksPerBeat = 8.0;

private:
    // Audio thread: applies a state restored by setState, then tells the engine.
    void applyStagedState() noexcept;
    // Audio thread: moves the records due before count into dueEvents and moves the rest
    // count samples earlier.
    void takeDueEvents(int32 count) noexcept;
    void dispatchEvent(const TimedEvent& event) noexcept;
    // Audio thread: zeroes every output channel the host gave (blocks we cannot render).
    static void silenceOutputs(ProcessData& data) noexcept;
    // Audio thread: replaces any NaN or infinite output sample by 0.
    static void replaceNonFiniteOutput(ProcessData& data) noexcept;
    // UI thread: validated entries on top of base become the next state for the audio thread.
    void stageState(bool restoredBypass, const std::vector<std::pair<int32, double>>& entries,
                    const ParameterValues& base);

    // Sends one report: a message with one binary attribute. UI thread, inside notify.
    tresult sendReport(const char* messageId, const char* key, const void* value, uint32 size);

    PublishedReports reports;
    ReclaimThread reclaimThread{[this] { reclaimMemory(); }};
    StateHandOver stateHandOver;
    StagedState uiStaged;                  // UI thread: last state published, until applied
    std::atomic<bool> publishedBypass{false};  // bypass as the audio thread last set it
    std::vector<int32> changedIds;         // audio thread: reused, reserved at construction
    EventQueue dueEvents;                  // audio thread: the records due in this block
};

} // namespace Vst
} // namespace Steinberg
