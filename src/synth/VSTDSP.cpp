#include "synth/VSTDSP.h"

#include <algorithm>
#include <cmath>

namespace Steinberg {
namespace Vst {
namespace {

// Parameter IDs the engine reads.
constexpr int32 kModWheel = 1;
constexpr int32 kVolume = 7;
constexpr int32 kExpression = 11;
constexpr int32 kSustainPedal = 64;
constexpr int32 kPitchBend = 129;
constexpr int32 kBendRange = 1000;
constexpr int32 kOutputLevel = 1001;

} // namespace

VSTDSP::VSTDSP() = default;
VSTDSP::~VSTDSP()
{
    // The reclaim thread calls into this object: it stops before this part of it goes.
    haltReclaiming();
}

tresult PLUGIN_API VSTDSP::setupProcessing(ProcessSetup& setup)
{
    // A rate that is not a positive number would make every increment meaningless.
    if (!(setup.sampleRate > 0.0) || !std::isfinite(setup.sampleRate))
        return kResultFalse;
    const tresult result = MyVSTProcessor::setupProcessing(setup);
    if (result == kResultOk)
        engine.setSampleRate(setup.sampleRate);
    return result;
}

void VSTDSP::parametersChanged(const std::vector<int32>& ids) noexcept
{
    for (int32 id : ids) {
        switch (id) {
        case kModWheel:
            engine.setWheel(paramValueInRange(kModWheel));
            break;
        case kSustainPedal:
            engine.setPedal(paramValueInRange(kSustainPedal));
            break;
        case kPitchBend:
        case kBendRange:
            engine.setBend(paramValueInRange(kBendRange), paramValueInRange(kPitchBend));
            break;
        default:
            break;   // volume, expression and output level are read per render call
        }
    }
}

// The engine keeps no transport or clock state.
void VSTDSP::transportStarted(double) noexcept {}
void VSTDSP::transportStopped(double) noexcept {}
void VSTDSP::clockTick(double) noexcept {}

// Notes wait in the framework's queue until their sample offset falls due.
void VSTDSP::noteOnReceived(const TimedEvent& event) noexcept { eventQueue.push_back(event); }
// A note-off is never dropped for lack of room, or its key would hang.
void VSTDSP::noteOffReceived(const TimedEvent& event) noexcept { eventQueue.pushKeeping(event); }

void VSTDSP::noteOn(int16, int16 pitch, float velocity) noexcept { engine.noteOn(pitch, velocity); }
void VSTDSP::noteOff(int16, int16 pitch, float) noexcept { engine.noteOff(pitch); }

void VSTDSP::render(float*, float*, float* outL, float* outR, int32 count) noexcept
{
    const float gain = float(paramValueInRange(kOutputLevel)) * float(paramValueInRange(kVolume)) *
                       float(paramValueInRange(kExpression));
    const SynthEngine::RenderReport report = engine.render(outL, outR, count, gain);
    if (report.voiceCountDue)
        publishVoiceCount(report.voiceCount);
}

void VSTDSP::bypassed() noexcept
{
    // A sound chosen while bypassed is taken over now, so it is the one heard afterwards.
    int64_t usedPoints = 0;
    engine.adoptPendingSound(usedPoints);
}

void VSTDSP::reclaimMemory() noexcept
{
    engine.collectRetiredSound();
}

uint32 PLUGIN_API VSTDSP::getTailSamples()
{
    // The longest release of the current sound, and never less than one block, so a host
    // rendering offline keeps the notes' release tails.
    return std::max<uint32>(engine.tailSamples(), uint32(std::max(processSetup.maxSamplesPerBlock, 1)));
}

// The processor state carries nothing beyond the framework's parameter values.
void VSTDSP::writeExtraState(IBStream*) {}
void VSTDSP::readExtraState(IBStream*) {}

void VSTDSP::soundFontReceived(int32, SFSynthList& list)
{
    // Answered inside the controller's send, on its thread: the points this sound holds once
    // the audio thread has adopted it (at the end of its next render call).
    int64_t points = 0;
    if (engine.receiveSound(list, &points))
        sendUsedMemory(points);
}

} // namespace Vst
} // namespace Steinberg
