#pragma once
// Test doubles for the processor framework: a subclass of MyVSTProcessor that records every
// engine call, minimal host-side parameter change and event lists, and a stereo block.
// Threads: test thread only, except where a test says otherwise.
#include "processor/MyVSTProcessor.h"
#include "shell/ParameterRegistry.h"

#include "pluginterfaces/vst/ivstevents.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"
#include "public.sdk/source/common/memorystream.h"

#include <string>
#include <utility>
#include <vector>

namespace zephra::test {

using namespace Steinberg;
using namespace Steinberg::Vst;

// One engine call as the framework made it.
struct EngineCall {
    std::string what;           // "render", "noteOn", "noteOff", "clockTick", "started", ...
    int32 count = 0;            // render: sample count
    int16 channel = 0;
    int16 pitch = 0;
    double value = 0.0;         // velocity, tick value or transport position
    std::vector<int32> ids;     // parametersChanged
    float firstInput = 0.0f;    // render: first input sample of the stretch
};

// The engine side of the framework, recording instead of synthesising. Queues received notes
// as the player's engine does, and fills each rendered stretch with a marker value.
class RecordingProcessor : public MyVSTProcessor {
public:
    std::vector<EngineCall> calls;
    float renderMarker = 0.5f;
    bool recordParameterValues = false;
    std::vector<std::vector<std::pair<int32, double>>> seenValues;   // per parametersChanged

    void parametersChanged(const std::vector<int32>& ids) noexcept override;
    void transportStarted(double position) noexcept override { calls.push_back({"started", 0, 0, 0, position, {}, 0}); }
    void transportStopped(double position) noexcept override { calls.push_back({"stopped", 0, 0, 0, position, {}, 0}); }
    void clockTick(double value) noexcept override { calls.push_back({"clockTick", 0, 0, 0, value, {}, 0}); }
    void noteOnReceived(const TimedEvent& event) noexcept override { eventQueue.push_back(event); }
    void noteOffReceived(const TimedEvent& event) noexcept override { eventQueue.push_back(event); }
    void noteOn(int16 channel, int16 pitch, float velocity) noexcept override
    {
        calls.push_back({"noteOn", 0, channel, pitch, velocity, {}, 0});
    }
    void noteOff(int16 channel, int16 pitch, float velocity) noexcept override
    {
        calls.push_back({"noteOff", 0, channel, pitch, velocity, {}, 0});
    }
    void render(float* inL, float*, float* outL, float* outR, int32 count) noexcept override;
    void writeExtraState(IBStream*) override {}
    void readExtraState(IBStream*) override {}

    // Test access to the framework's protected members.
    double value(int32 id) const { return paramValue(id); }
    const ParameterValues& values() const { return paramValues; }
    bool isBypassed() const { return bypass; }
    EventQueue& queue() { return eventQueue; }
    double beats() const { return beatPosition; }
    bool playing() const { return wasPlaying; }
    double tempo() const { return lastTempo; }
    std::vector<std::string> names() const;
    void clearCalls() { calls.clear(); }
};

// A parameter queue with its points.
class FakeParamQueue : public IParamValueQueue {
public:
    FakeParamQueue(ParamID id, std::vector<std::pair<int32, double>> points, bool readable = true)
        : id(id), points(std::move(points)), readable(readable) {}
    ParamID PLUGIN_API getParameterId() override { return id; }
    int32 PLUGIN_API getPointCount() override { return static_cast<int32>(points.size()); }
    tresult PLUGIN_API getPoint(int32 index, int32& offset, ParamValue& value) override;
    tresult PLUGIN_API addPoint(int32, ParamValue, int32&) override { return kResultFalse; }
    tresult PLUGIN_API queryInterface(const TUID, void**) override { return kNoInterface; }
    uint32 PLUGIN_API addRef() override { return 1; }
    uint32 PLUGIN_API release() override { return 1; }

private:
    ParamID id;
    std::vector<std::pair<int32, double>> points;
    bool readable;
};

class FakeParameterChanges : public IParameterChanges {
public:
    std::vector<FakeParamQueue> queues;
    bool withNullQueue = false;   // report one more queue that reads as null
    void add(ParamID id, std::vector<std::pair<int32, double>> points, bool readable = true)
    {
        queues.emplace_back(id, std::move(points), readable);
    }
    int32 PLUGIN_API getParameterCount() override
    {
        return static_cast<int32>(queues.size()) + (withNullQueue ? 1 : 0);
    }
    IParamValueQueue* PLUGIN_API getParameterData(int32 index) override;
    IParamValueQueue* PLUGIN_API addParameterData(const ParamID&, int32&) override { return nullptr; }
    tresult PLUGIN_API queryInterface(const TUID, void**) override { return kNoInterface; }
    uint32 PLUGIN_API addRef() override { return 1; }
    uint32 PLUGIN_API release() override { return 1; }
};

class FakeEventList : public IEventList {
public:
    std::vector<Event> events;
    std::vector<bool> unreadable;   // parallel to events; true = getEvent fails
    void noteOn(int32 offset, int16 pitch, float velocity = 0.8f, int16 channel = 0) noexcept;
    void noteOff(int32 offset, int16 pitch, float velocity = 0.0f, int16 channel = 0) noexcept;
    void other(int32 offset);
    int32 PLUGIN_API getEventCount() override { return static_cast<int32>(events.size()); }
    tresult PLUGIN_API getEvent(int32 index, Event& e) override;
    tresult PLUGIN_API addEvent(Event&) override { return kResultFalse; }
    tresult PLUGIN_API queryInterface(const TUID, void**) override { return kNoInterface; }
    uint32 PLUGIN_API addRef() override { return 1; }
    uint32 PLUGIN_API release() override { return 1; }
};

// Stereo in, stereo out buffers and the ProcessData pointing at them.
struct StereoBlock {
    explicit StereoBlock(int32 samples, float inputValue = 0.25f);
    ProcessData data;
    std::vector<float> inL, inR, outL, outR;
    float* inputs[2];
    float* outputs[2];
    AudioBusBuffers inBus{};
    AudioBusBuffers outBus{};
};

// The module's description as the module entry fills it (idempotent).
void useFilledDescription();
// Any processor of the framework after initialize and a 32-bit real-time setupProcessing.
void initializeAndSetUp(MyVSTProcessor& processor, double sampleRate, int32 maxBlock);
// A recording processor after initialize and setupProcessing (sampleRate, maxBlock), active,
// with no calls recorded.
void prepare(RecordingProcessor& processor, double sampleRate = 48000.0, int32 maxBlock = 8192);
// getState as bytes.
std::vector<uint8_t> stateBytes(MyVSTProcessor& processor);
// setState from bytes.
tresult setStateBytes(MyVSTProcessor& processor, const std::vector<uint8_t>& bytes);
// The expected default state: 104 bytes.
std::vector<uint8_t> defaultStateBytes();

} // namespace zephra::test
