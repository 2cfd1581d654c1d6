#include "synth/VSTDSP.h"

#include "controller/ExtraStateFields.h"
#include "shell/ParameterIds.h"

#include "pluginterfaces/vst/ivstmessage.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Steinberg {
namespace Vst {
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
        case kModWheelId:
            engine.setWheel(paramValueInRange(kModWheelId));
            break;
        case kSustainPedalId:
            engine.setPedal(paramValueInRange(kSustainPedalId));
            break;
        case kPitchBendId:
        case kBendRangeId:
            engine.setBend(paramValueInRange(kBendRangeId), paramValueInRange(kPitchBendId));
            break;
        case kVolumeId:
            engine.setVolume(paramValueInRange(kVolumeId));
            break;
        case kExpressionId:
            engine.setExpression(paramValueInRange(kExpressionId));
            break;
        default:
            break;   // the output level is read per render call
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
    engine.setResponse(requestedResponse());
    // Classic: Volume and Expression are linear gains here; "SoundFont 2.04" plays them through
    // the voices' modulators.
    float gain = float(paramValueInRange(kOutputLevelId));
    if (engine.response() == SoundResponse::Classic)
        gain = gain * float(paramValueInRange(kVolumeId)) * float(paramValueInRange(kExpressionId));
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

tresult PLUGIN_API VSTDSP::notify(IMessage* message)
{
    const char* id = message ? message->getMessageID() : nullptr;
    if (!id || std::strcmp(id, "RESPONSE") != 0)
        return MyVSTProcessor::notify(message);
    IAttributeList* attributes = message->getAttributes();
    const void* data = nullptr;
    uint32 size = 0;
    if (!attributes || attributes->getBinary("response", data, size) != kResultOk || !data || size < 4)
        return kResultFalse;   // incomplete message: ignored
    uint8_t bytes[4];
    std::memcpy(bytes, data, 4);
    const auto number = int32_t(uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
                                uint32_t(bytes[3]) << 24);
    SoundResponse response;
    if (!responseFromNumber(number, response))
        return kResultFalse;   // a response this build does not know: the current one stays
    chosenResponse.store(response, std::memory_order_relaxed);
    return kResultOk;
}

// Beyond the framework's parameter values the state carries the response, as an extra-state
// field written only for "SoundFont 2.04" (a "Classic" state is what every build wrote).
void VSTDSP::writeExtraState(IBStream* stream)
{
    if (requestedResponse() == SoundResponse::SoundFont204)
        ExtraStateFields::writeResponse(stream, int32_t(SoundResponse::SoundFont204));
}

void VSTDSP::readExtraState(IBStream* stream)
{
    // A state without the field (or naming a response this build does not know) plays Classic.
    int32_t number = 0;
    SoundResponse response = SoundResponse::Classic;
    if (ExtraStateFields::readResponse(stream, number))
        responseFromNumber(number, response);
    chosenResponse.store(response, std::memory_order_relaxed);
}

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
