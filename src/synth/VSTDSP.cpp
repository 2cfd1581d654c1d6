#include "synth/VSTDSP.h"

#include <algorithm>

namespace Steinberg {
namespace Vst {

VSTDSP::VSTDSP() = default;
VSTDSP::~VSTDSP() = default;

tresult PLUGIN_API VSTDSP::setupProcessing(ProcessSetup& setup)
{
    return MyVSTProcessor::setupProcessing(setup);
}

void VSTDSP::parametersChanged(const std::vector<int32>&) {}

// The engine keeps no transport or clock state.
void VSTDSP::transportStarted(double) {}
void VSTDSP::transportStopped(double) {}
void VSTDSP::clockTick(double) {}

// Notes wait in the framework's queue until their sample offset falls due.
void VSTDSP::noteOnReceived(const TimedEvent& event) { eventQueue.push_back(event); }
void VSTDSP::noteOffReceived(const TimedEvent& event) { eventQueue.push_back(event); }

void VSTDSP::noteOn(int16, int16, float) {}
void VSTDSP::noteOff(int16, int16, float) {}

void VSTDSP::render(float*, float*, float* outL, float* outR, int32 count)
{
    if (count <= 0)
        return;
    std::fill(outL, outL + count, 0.0f);
    std::fill(outR, outR + count, 0.0f);
}

// The processor state carries nothing beyond the framework's parameter values.
void VSTDSP::writeExtraState(IBStream*) {}
void VSTDSP::readExtraState(IBStream*) {}

void VSTDSP::soundFontReceived(int32, SFSynthList& list) { SFSynthList().swap(list); }

} // namespace Vst
} // namespace Steinberg
