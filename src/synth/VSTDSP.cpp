#include "synth/VSTDSP.h"

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
VSTDSP::~VSTDSP() = default;

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

void VSTDSP::parametersChanged(const std::vector<int32>& ids)
{
    for (int32 id : ids) {
        switch (id) {
        case kModWheel:
            engine.setWheel(paramValue(kModWheel));
            break;
        case kSustainPedal:
            engine.setPedal(paramValue(kSustainPedal));
            break;
        case kPitchBend:
        case kBendRange:
            engine.setBend(paramValue(kBendRange), paramValue(kPitchBend));
            break;
        default:
            break;   // volume, expression and output level are read per render call
        }
    }
}

// The engine keeps no transport or clock state.
void VSTDSP::transportStarted(double) {}
void VSTDSP::transportStopped(double) {}
void VSTDSP::clockTick(double) {}

// Notes wait in the framework's queue until their sample offset falls due.
void VSTDSP::noteOnReceived(const TimedEvent& event) { eventQueue.push_back(event); }
void VSTDSP::noteOffReceived(const TimedEvent& event) { eventQueue.push_back(event); }

void VSTDSP::noteOn(int16, int16 pitch, float velocity) { engine.noteOn(pitch, velocity); }
void VSTDSP::noteOff(int16, int16 pitch, float) { engine.noteOff(pitch); }

void VSTDSP::render(float*, float*, float* outL, float* outR, int32 count)
{
    const float gain = float(paramValue(kOutputLevel)) * float(paramValue(kVolume)) *
                       float(paramValue(kExpression));
    const SynthEngine::RenderReport report = engine.render(outL, outR, count, gain);
    if (report.adopted)
        sendUsedMemory(report.usedPoints);
    if (report.voiceCountDue)
        sendVoiceCount(report.voiceCount);
}

void VSTDSP::sendVoiceCount(int32 count) noexcept
{
    IMessage* message = allocateMessage();
    if (!message)
        return;
    message->setMessageID("VOICENUM");
    if (IAttributeList* attributes = message->getAttributes()) {
        attributes->setBinary("voiceNum", &count, sizeof(count));
        sendMessage(message);
    }
    message->release();
}

// The processor state carries nothing beyond the framework's parameter values.
void VSTDSP::writeExtraState(IBStream*) {}
void VSTDSP::readExtraState(IBStream*) {}

void VSTDSP::soundFontReceived(int32, SFSynthList& list)
{
    engine.receiveSound(list);
}

} // namespace Vst
} // namespace Steinberg
