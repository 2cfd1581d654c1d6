#pragma once
// The SoundFont player's audio processor: the framework's processor with the 64-voice engine
// behind its engine operations. It publishes the busy voice count every 4410 samples for the
// controller's next request ("VOICENUM"), and answers a received sound with its sample points
// ("USEDMEM") inside the controller's send. The response ("Classic" or "SoundFont 2.04") arrives
// from the controller in a "RESPONSE" message (attribute "response": int32) or with the component
// state, whose extra state carries it; the audio thread takes it up at its next render call.
// Threads: as MyVSTProcessor: setupProcessing on the UI thread while processing is stopped,
// soundFontReceived on the message (UI) thread, getTailSamples on any host thread, the engine
// operations on the audio thread, real-time safe.
#include "processor/MyVSTProcessor.h"
#include "synth/SoundResponse.h"
#include "synth/SynthEngine.h"

#include <atomic>

namespace Steinberg {
namespace Vst {

class VSTDSP : public MyVSTProcessor {
public:
    VSTDSP();
    ~VSTDSP() override;

    tresult PLUGIN_API setupProcessing(ProcessSetup& setup) override;
    uint32 PLUGIN_API getTailSamples() override;

    void parametersChanged(const std::vector<int32>& ids) noexcept override;
    void transportStarted(double position) noexcept override;
    void transportStopped(double position) noexcept override;
    void clockTick(double value) noexcept override;
    void noteOnReceived(const TimedEvent& event) noexcept override;
    void noteOffReceived(const TimedEvent& event) noexcept override;
    void noteOn(int16 channel, int16 pitch, float velocity) noexcept override;
    void noteOff(int16 channel, int16 pitch, float velocity) noexcept override;
    void render(float* inL, float* inR, float* outL, float* outR, int32 count) noexcept override;
    // "RESPONSE" (UI thread); everything else goes to the framework.
    tresult PLUGIN_API notify(IMessage* message) override;
    void writeExtraState(IBStream* stream) override;
    void readExtraState(IBStream* stream) override;
    void soundFontReceived(int32 fileId, SFSynthList& list) override;
    void bypassed() noexcept override;
    // The engine's output stage replaces NaN and infinity as it writes the samples.
    bool rendersOnlyFiniteSamples() const noexcept override { return true; }
    // Frees the sound the engine replaced, so the previous SoundFont's memory goes at once.
    void reclaimMemory() noexcept override;

    // Read access for tests.
    const SynthEngine& synthEngine() const noexcept { return engine; }
    // The response asked for last (the engine follows at its next render call). Any thread.
    SoundResponse requestedResponse() const noexcept { return chosenResponse.load(std::memory_order_relaxed); }

private:
    SynthEngine engine;
    // Written on the UI thread (state, message), read by the audio thread.
    std::atomic<SoundResponse> chosenResponse{SoundResponse::Classic};
    static_assert(std::atomic<SoundResponse>::is_always_lock_free, "the response hand-over must be lock-free");
};

} // namespace Vst
} // namespace Steinberg
