#include "ProcessorTestSupport.h"

#include "controller/ControllerState.h"
#include "support/StateBytes.h"

#include <cstring>

namespace zephra::test {

void RecordingProcessor::parametersChanged(const std::vector<int32>& ids) noexcept
{
    calls.push_back({"parametersChanged", 0, 0, 0, 0.0, ids, 0});
    if (recordParameterValues) {
        std::vector<std::pair<int32, double>> snapshot;
        for (int32 id : ids)
            snapshot.emplace_back(id, paramValue(id));
        seenValues.push_back(snapshot);
    }
}

void RecordingProcessor::render(float* inL, float*, float* outL, float* outR, int32 count) noexcept
{
    calls.push_back({"render", count, 0, 0, 0.0, {}, count > 0 ? inL[0] : 0.0f});
    for (int32 i = 0; i < count; ++i)
        outL[i] = outR[i] = renderMarker;
}

std::vector<std::string> RecordingProcessor::names() const
{
    std::vector<std::string> result;
    for (const EngineCall& call : calls)
        result.push_back(call.what);
    return result;
}

tresult PLUGIN_API FakeParamQueue::getPoint(int32 index, int32& offset, ParamValue& value)
{
    if (!readable || index < 0 || index >= getPointCount())
        return kResultFalse;
    offset = points[static_cast<size_t>(index)].first;
    value = points[static_cast<size_t>(index)].second;
    return kResultOk;
}

IParamValueQueue* PLUGIN_API FakeParameterChanges::getParameterData(int32 index)
{
    if (index < 0 || index >= static_cast<int32>(queues.size()))
        return nullptr;
    return &queues[static_cast<size_t>(index)];
}

void FakeEventList::noteOn(int32 offset, int16 pitch, float velocity, int16 channel) noexcept
{
    Event e{};
    e.type = Event::kNoteOnEvent;
    e.sampleOffset = offset;
    e.noteOn.channel = channel;
    e.noteOn.pitch = pitch;
    e.noteOn.velocity = velocity;
    e.noteOn.noteId = -1;
    events.push_back(e);
    unreadable.push_back(false);
}

void FakeEventList::noteOff(int32 offset, int16 pitch, float velocity, int16 channel) noexcept
{
    Event e{};
    e.type = Event::kNoteOffEvent;
    e.sampleOffset = offset;
    e.noteOff.channel = channel;
    e.noteOff.pitch = pitch;
    e.noteOff.velocity = velocity;
    e.noteOff.noteId = -1;
    events.push_back(e);
    unreadable.push_back(false);
}

void FakeEventList::other(int32 offset)
{
    Event e{};
    e.type = Event::kPolyPressureEvent;
    e.sampleOffset = offset;
    events.push_back(e);
    unreadable.push_back(false);
}

tresult PLUGIN_API FakeEventList::getEvent(int32 index, Event& e)
{
    if (index < 0 || index >= getEventCount() || unreadable[static_cast<size_t>(index)])
        return kResultFalse;
    e = events[static_cast<size_t>(index)];
    return kResultOk;
}

StereoBlock::StereoBlock(int32 samples, float inputValue)
    : inL(static_cast<size_t>(samples), inputValue), inR(static_cast<size_t>(samples), inputValue),
      outL(static_cast<size_t>(samples), 0.0f), outR(static_cast<size_t>(samples), 0.0f)
{
    inputs[0] = inL.data();
    inputs[1] = inR.data();
    outputs[0] = outL.data();
    outputs[1] = outR.data();
    inBus.numChannels = 2;
    inBus.channelBuffers32 = inputs;
    outBus.numChannels = 2;
    outBus.channelBuffers32 = outputs;
    data.processMode = kRealtime;
    data.symbolicSampleSize = kSample32;
    data.numSamples = samples;
    data.numInputs = 1;
    data.numOutputs = 1;
    data.inputs = &inBus;
    data.outputs = &outBus;
}

void useFilledDescription()
{
    fillDescription();
}

void initializeAndSetUp(MyVSTProcessor& processor, double sampleRate, int32 maxBlock)
{
    useFilledDescription();
    processor.initialize(nullptr);
    ProcessSetup setup{kRealtime, kSample32, maxBlock, sampleRate};
    processor.setupProcessing(setup);
}

void prepare(RecordingProcessor& processor, double sampleRate, int32 maxBlock)
{
    initializeAndSetUp(processor, sampleRate, maxBlock);
    processor.setActive(true);
    processor.clearCalls();
}

std::vector<uint8_t> stateBytes(MyVSTProcessor& processor)
{
    MemoryStream stream;
    processor.getState(&stream);
    const auto* data = reinterpret_cast<const uint8_t*>(stream.getData());
    return std::vector<uint8_t>(data, data + stream.getSize());
}

tresult setStateBytes(MyVSTProcessor& processor, const std::vector<uint8_t>& bytes)
{
    MemoryStream stream;
    int32 written = 0;
    if (!bytes.empty())
        stream.write(const_cast<uint8_t*>(bytes.data()), static_cast<int32>(bytes.size()), &written);
    int64 position = 0;
    stream.seek(0, IBStream::kIBSeekSet, &position);
    return processor.setState(&stream);
}

std::vector<uint8_t> defaultStateBytes()
{
    return processorStateBytes(Steinberg::Vst::kStateHeader, 0, defaultStateEntries());
}

} // namespace zephra::test
