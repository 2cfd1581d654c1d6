#pragma once
// The SoundFont player's audio processor: the framework's processor with the 64-voice engine
// behind its engine operations. It publishes the busy voice count ("VOICENUM", every 4410
// samples) and the adopted sound's sample points ("USEDMEM"); the framework's report sender
// thread sends them.
// Threads: as MyVSTProcessor: setupProcessing on the UI thread while processing is stopped,
// soundFontReceived on the message (UI) thread, getTailSamples on any host thread, the engine
// operations on the audio thread, real-time safe.
#include "processor/MyVSTProcessor.h"
#include "synth/SynthEngine.h"

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
    void writeExtraState(IBStream* stream) override;
    void readExtraState(IBStream* stream) override;
    void soundFontReceived(int32 fileId, SFSynthList& list) override;
    void bypassed() noexcept override;
    // The engine's output stage replaces NaN and infinity as it writes the samples.
    bool rendersOnlyFiniteSamples() const noexcept override { return true; }
    // Frees the sound the engine replaced, so the previous SoundFont's memory goes at once.
    void reportTick() noexcept override;

    // Read access for tests.
    const SynthEngine& synthEngine() const noexcept { return engine; }

private:
    SynthEngine engine;
};

} // namespace Vst
} // namespace Steinberg
