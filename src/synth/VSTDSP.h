#pragma once
// The SoundFont player's audio processor: the framework's processor with the 64-voice engine
// behind its engine operations.
// Threads: as MyVSTProcessor (setupProcessing and soundFontReceived on the UI thread; the
// engine operations on the audio thread, real-time safe).
#include "processor/MyVSTProcessor.h"

namespace Steinberg {
namespace Vst {

class VSTDSP : public MyVSTProcessor {
public:
    VSTDSP();
    ~VSTDSP() override;

    tresult PLUGIN_API setupProcessing(ProcessSetup& setup) override;

    void parametersChanged(const std::vector<int32>& ids) override;
    void transportStarted(double position) override;
    void transportStopped(double position) override;
    void clockTick(double value) override;
    void noteOnReceived(const TimedEvent& event) override;
    void noteOffReceived(const TimedEvent& event) override;
    void noteOn(int16 channel, int16 pitch, float velocity) override;
    void noteOff(int16 channel, int16 pitch, float velocity) override;
    void render(float* inL, float* inR, float* outL, float* outR, int32 count) override;
    void writeExtraState(IBStream* stream) override;
    void readExtraState(IBStream* stream) override;
    void soundFontReceived(int32 fileId, SFSynthList& list) override;
};

} // namespace Vst
} // namespace Steinberg
