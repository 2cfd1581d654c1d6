#include "host/PluginHost.h"

#include "host/ComponentHandler.h"
#include "host/ConnectionProxy.h"
#include "host/EventList.h"
#include "host/HostContext.h"
#include "host/MessageObjects.h"
#include "host/ParameterChanges.h"
#include "host/VectorStream.h"

#include "pluginterfaces/vst/ivstmessage.h"
#include "pluginterfaces/vst/vstspeaker.h"

#include <algorithm>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace zephra {
namespace host {

namespace {
const char kProcessorCategory[] = "Audio Module Class";

// No host hands out blocks anywhere near this long; a caller asking for one has a bug, and the
// buffers for it must not be allocated.
constexpr int32_t kLongestBlock = 1 << 20;

template <typename Interface>
Interface* queryFrom(FUnknown* object)
{
    if (!object)
        return nullptr;
    Interface* result = nullptr;
    if (object->queryInterface(Interface::iid, reinterpret_cast<void**>(&result)) != kResultOk)
        return nullptr;
    return result;
}

// Grows a buffer only when a block is larger than anything set up so far; the growth is the
// host's allocation, not the plug-in's.
void sizeChannel(std::vector<float>& channel, int32_t samples)
{
    const auto wanted = static_cast<size_t>(samples);
    if (wanted > channel.capacity()) {
        HostAllocationScope scope;
        channel.reserve(wanted);
    }
    channel.resize(wanted);
}
}   // namespace

Plugin::Plugin()
    : hostApplication(std::make_unique<HostContext>()), handler(std::make_unique<ComponentHandler>()),
      messageLog(std::make_unique<MessageLog>()), inputParameterChanges(std::make_unique<ParameterChanges>()),
      outputParameterChanges(std::make_unique<ParameterChanges>()), events(std::make_unique<EventList>())
{
}

std::unique_ptr<Plugin> Plugin::create(Module& module, std::string& error)
{
    std::unique_ptr<Plugin> plugin(new Plugin);
    if (!plugin->build(module, error))
        return nullptr;   // the destructor undoes whatever build finished
    return plugin;
}

bool Plugin::build(Module& module, std::string& error)
{
    loadedModule = module.shared_from_this();
    IPluginFactory* factory = module.factory();
    if (!factory) {
        error = "the module has no factory";
        return false;
    }
    const ClassRecord* processorClass = module.findClass(kProcessorCategory);
    if (!processorClass) {
        error = "the factory lists no \"Audio Module Class\" class";
        return false;
    }
    TUID processorId;
    std::copy(processorClass->classId.begin(), processorClass->classId.end(), processorId);
    void* object = nullptr;
    if (factory->createInstance(processorId, IComponent::iid, &object) != kResultOk || !object) {
        error = "the factory could not create the processor \"" + processorClass->name + "\"";
        return false;
    }
    componentInterface = static_cast<IComponent*>(object);

    const tresult initialized = componentInterface->initialize(hostApplication.get());
    if (initialized != kResultOk) {
        error = "the processor's initialize returned " + std::to_string(initialized);
        return false;
    }
    componentIsInitialized = true;

    processorInterface = queryFrom<IAudioProcessor>(componentInterface);
    if (!processorInterface) {
        error = "the processor has no IAudioProcessor interface";
        return false;
    }

    TUID controllerId;
    if (componentInterface->getControllerClassId(controllerId) == kResultOk) {
        object = nullptr;
        if (factory->createInstance(controllerId, IEditController::iid, &object) != kResultOk || !object) {
            error = "the factory could not create the processor's controller";
            return false;
        }
        controllerInterface = static_cast<IEditController*>(object);
        const tresult controllerInitialized = controllerInterface->initialize(hostApplication.get());
        if (controllerInitialized != kResultOk) {
            error = "the controller's initialize returned " + std::to_string(controllerInitialized);
            return false;
        }
        controllerIsInitialized = true;
    } else {
        // A single-component plug-in is its own controller; a plug-in without any is allowed.
        controllerInterface = queryFrom<IEditController>(componentInterface);
    }
    if (!controllerInterface)
        return true;

    controllerInterface->setComponentHandler(handler.get());
    midiMappingInterface = queryFrom<IMidiMapping>(controllerInterface);

    IConnectionPoint* processorPoint = queryFrom<IConnectionPoint>(componentInterface);
    IConnectionPoint* controllerPoint = queryFrom<IConnectionPoint>(controllerInterface);
    if (processorPoint && controllerPoint && controllerIsInitialized) {
        toController = std::make_unique<ConnectionProxy>(*messageLog, MessageDirection::ToController, controllerPoint);
        toProcessor = std::make_unique<ConnectionProxy>(*messageLog, MessageDirection::ToProcessor, processorPoint);
        processorPoint->connect(toController.get());
        controllerPoint->connect(toProcessor.get());
        connected = true;
    }
    if (processorPoint)
        processorPoint->release();
    if (controllerPoint)
        controllerPoint->release();

    // As a host does right after creation: the controller learns the processor's state.
    VectorStream state;
    if (componentInterface->getState(&state) == kResultOk) {
        state.rewind();
        controllerInterface->setComponentState(&state);
    }
    return true;
}

void Plugin::disconnect()
{
    if (!connected)
        return;
    if (IConnectionPoint* processorPoint = queryFrom<IConnectionPoint>(componentInterface)) {
        processorPoint->disconnect(toController.get());
        processorPoint->release();
    }
    if (IConnectionPoint* controllerPoint = queryFrom<IConnectionPoint>(controllerInterface)) {
        controllerPoint->disconnect(toProcessor.get());
        controllerPoint->release();
    }
    toController->detach();
    toProcessor->detach();
    connected = false;
}

Plugin::~Plugin()
{
    if (isProcessing && processorInterface)
        processorInterface->setProcessing(false);
    if (isActive && componentInterface)
        componentInterface->setActive(false);
    disconnect();
    if (midiMappingInterface)
        midiMappingInterface->release();
    const bool separateController = controllerInterface && controllerIsInitialized;
    if (controllerInterface) {
        controllerInterface->setComponentHandler(nullptr);
        if (separateController)
            controllerInterface->terminate();
        controllerInterface->release();
    }
    if (processorInterface)
        processorInterface->release();
    if (componentInterface) {
        if (componentIsInitialized)
            componentInterface->terminate();
        componentInterface->release();
    }
    // Messages still held go back to the host objects before the library can be unloaded.
    messageLog.reset();
}

FUnknown* Plugin::hostContext() const noexcept
{
    return hostApplication.get();
}

bool Plugin::setup(double sampleRate, int32_t maxBlock, std::string* error)
{
    auto fail = [error](const std::string& reason) {
        if (error)
            *error = reason;
        return false;
    };
    if (!processorInterface)
        return fail("no processor");
    SpeakerArrangement inputs[] = {SpeakerArr::kStereo};
    SpeakerArrangement outputs[] = {SpeakerArr::kStereo};
    const tresult arranged = processorInterface->setBusArrangements(inputs, 1, outputs, 1);
    if (arranged != kResultOk)
        return fail("setBusArrangements (stereo in, stereo out) returned " + std::to_string(arranged));
    const tresult prepared = setupProcessing(sampleRate, maxBlock);
    if (prepared != kResultOk)
        return fail("setupProcessing returned " + std::to_string(prepared));
    const tresult activated = setActive(true);
    if (activated != kResultOk)
        return fail("setActive(true) returned " + std::to_string(activated));
    const tresult started = setProcessing(true);
    if (started != kResultOk && started != kNotImplemented)
        return fail("setProcessing(true) returned " + std::to_string(started));
    return true;
}

tresult Plugin::setupProcessing(double sampleRate, int32_t maxBlock, int32_t processMode)
{
    if (!processorInterface)
        return kResultFalse;
    ProcessSetup setup{processMode, kSample32, maxBlock, sampleRate};
    const tresult result = processorInterface->setupProcessing(setup);
    if (result == kResultOk) {
        setupSampleRate = sampleRate;
        setupMaxBlock = maxBlock;
        prepareBuffers(maxBlock);
    }
    return result;
}

tresult Plugin::setActive(bool active)
{
    if (!componentInterface)
        return kResultFalse;
    const tresult result = componentInterface->setActive(active);
    if (result == kResultOk)
        isActive = active;
    return result;
}

tresult Plugin::setProcessing(bool processing)
{
    if (!processorInterface)
        return kResultFalse;
    const tresult result = processorInterface->setProcessing(processing);
    if (result == kResultOk || result == kNotImplemented)
        isProcessing = processing;
    return result;
}

void Plugin::prepareBuffers(int32_t maxBlock)
{
    const auto samples = static_cast<size_t>(std::max<int32_t>(maxBlock, 0));
    HostAllocationScope scope;
    for (std::vector<float>* channel : {&input.left, &input.right, &output.left, &output.right})
        channel->reserve(samples);
}

void Plugin::setInputSignal(const std::vector<float>& left, const std::vector<float>& right)
{
    HostAllocationScope scope;
    inputSignal.left = left;
    inputSignal.right = right;
    processedSampleCount = 0;
}

const StereoBuffer& Plugin::process(int32_t numSamples, const std::vector<ParameterChange>& parameterChanges,
                                    const std::vector<NoteEvent>& notes, const ProcessContext* context,
                                    const ProcessOptions& options)
{
    if (!processorInterface || numSamples < 0 || numSamples > kLongestBlock) {
        lastResult = kInvalidArgument;
        output.left.clear();
        output.right.clear();
        return output;
    }
    sizeChannel(output.left, numSamples);
    sizeChannel(output.right, numSamples);
    processBlock(numSamples, parameterChanges, notes, context, options, output.left.data(), output.right.data());
    return output;
}

bool Plugin::processInto(int32_t numSamples, const std::vector<ParameterChange>& parameterChanges,
                         const std::vector<NoteEvent>& notes, float* left, float* right)
{
    if (!processorInterface || numSamples < 0 || numSamples > kLongestBlock || left == nullptr || right == nullptr) {
        lastResult = kInvalidArgument;
        return false;
    }
    processBlock(numSamples, parameterChanges, notes, nullptr, ProcessOptions{}, left, right);
    return true;
}

void Plugin::processBlock(int32_t numSamples, const std::vector<ParameterChange>& parameterChanges,
                          const std::vector<NoteEvent>& notes, const ProcessContext* context,
                          const ProcessOptions& options, float* outputLeft, float* outputRight)
{

    // Input: this block's stretch of the input signal, zeros beyond it. The buffers only grow,
    // and once the signal is used up their silence stays in place from block to block (a
    // plug-in does not write its inputs; in-place processing, which does, clears it again).
    bool silentBlock = true;
    for (int channel = 0; channel < 2; ++channel) {
        const std::vector<float>& signal = channel == 0 ? inputSignal.left : inputSignal.right;
        std::vector<float>& block = channel == 0 ? input.left : input.right;
        const size_t start = std::min(signal.size(), static_cast<size_t>(processedSampleCount));
        const size_t copied = std::min(signal.size() - start, static_cast<size_t>(numSamples));
        silentBlock = silentBlock && copied == 0;
        if (copied == 0 && static_cast<size_t>(numSamples) <= silentInputSamples)
            continue;
        if (block.size() < static_cast<size_t>(numSamples))
            sizeChannel(block, numSamples);
        std::copy_n(signal.begin() + static_cast<std::ptrdiff_t>(start), copied, block.begin());
        std::fill(block.begin() + static_cast<std::ptrdiff_t>(copied), block.begin() + numSamples, 0.0f);
    }
    if (!silentBlock || options.inPlace)
        silentInputSamples = 0;
    else
        silentInputSamples = std::max(silentInputSamples, static_cast<size_t>(numSamples));
    std::fill(outputLeft, outputLeft + numSamples, 0.0f);
    std::fill(outputRight, outputRight + numSamples, 0.0f);

    inputParameterChanges->clear();
    outputParameterChanges->clear();
    for (const ParameterChange& change : parameterChanges) {
        int32 index = 0;
        if (IParamValueQueue* queue = inputParameterChanges->addParameterData(change.id, index))
            queue->addPoint(change.sampleOffset, change.value, index);
    }
    events->clear();
    for (const NoteEvent& note : notes) {
        Event event{};
        event.busIndex = 0;
        event.sampleOffset = note.sampleOffset;
        event.flags = Event::kIsLive;
        if (note.kind == NoteEvent::Kind::On) {
            event.type = Event::kNoteOnEvent;
            event.noteOn = NoteOnEvent{note.channel, note.pitch, 0.0f, note.velocity, 0, note.noteId};
        } else {
            event.type = Event::kNoteOffEvent;
            event.noteOff = NoteOffEvent{note.channel, note.pitch, note.velocity, note.noteId, 0.0f};
        }
        events->addEvent(event);
    }

    float* inputChannels[2] = {input.left.data(), input.right.data()};
    float* outputChannels[2] = {outputLeft, outputRight};
    if (options.inPlace) {
        outputChannels[0] = inputChannels[0];
        outputChannels[1] = inputChannels[1];
    }
    AudioBusBuffers inputBus;
    AudioBusBuffers outputBus;
    inputBus.numChannels = 2;
    inputBus.channelBuffers32 = inputChannels;
    outputBus.numChannels = 2;
    outputBus.channelBuffers32 = outputChannels;

    ProcessData data;
    data.processMode = options.processMode;
    data.symbolicSampleSize = kSample32;
    data.numSamples = numSamples;
    data.numInputs = 1;
    data.numOutputs = 1;
    data.inputs = &inputBus;
    data.outputs = &outputBus;
    data.inputParameterChanges = options.nullParameterChanges ? nullptr : inputParameterChanges.get();
    data.outputParameterChanges = outputParameterChanges.get();
    data.inputEvents = options.nullEvents ? nullptr : events.get();
    data.outputEvents = nullptr;
    data.processContext = const_cast<ProcessContext*>(context);

    float* nullChannels[2] = {nullptr, nullptr};
    switch (options.layout) {
    case BusLayout::Stereo:
        break;
    case BusLayout::NoBuses:
        data.numInputs = 0;
        data.numOutputs = 0;
        data.inputs = nullptr;
        data.outputs = nullptr;
        break;
    case BusLayout::ZeroChannels:
        inputBus.numChannels = 0;
        inputBus.channelBuffers32 = nullptr;
        outputBus.numChannels = 0;
        outputBus.channelBuffers32 = nullptr;
        break;
    case BusLayout::NullChannelPointers:
        inputBus.channelBuffers32 = nullChannels;
        outputBus.channelBuffers32 = nullChannels;
        break;
    case BusLayout::MonoOutput:
        outputBus.numChannels = 1;
        break;
    }

    lastResult = processorInterface->process(data);
    processedSampleCount += numSamples;
    if (options.inPlace && options.layout == BusLayout::Stereo) {
        std::copy_n(input.left.begin(), numSamples, outputLeft);
        std::copy_n(input.right.begin(), numSamples, outputRight);
    }
}

std::vector<uint8_t> Plugin::processorState(tresult* result)
{
    VectorStream stream;
    const tresult got = componentInterface ? componentInterface->getState(&stream) : kResultFalse;
    if (result)
        *result = got;
    return stream.bytes();
}

tresult Plugin::setProcessorState(const std::vector<uint8_t>& bytes)
{
    if (!componentInterface)
        return kResultFalse;
    VectorStream stream(bytes);
    return componentInterface->setState(&stream);
}

std::vector<uint8_t> Plugin::controllerState(tresult* result)
{
    VectorStream stream;
    const tresult got = controllerInterface ? controllerInterface->getState(&stream) : kResultFalse;
    if (result)
        *result = got;
    return stream.bytes();
}

tresult Plugin::setControllerState(const std::vector<uint8_t>& bytes)
{
    if (!controllerInterface)
        return kResultFalse;
    VectorStream stream(bytes);
    return controllerInterface->setState(&stream);
}

tresult Plugin::setControllerComponentState(const std::vector<uint8_t>& bytes)
{
    if (!controllerInterface)
        return kResultFalse;
    VectorStream stream(bytes);
    return controllerInterface->setComponentState(&stream);
}

std::vector<ParameterInfo> Plugin::parameterInfos() const
{
    std::vector<ParameterInfo> infos;
    if (!controllerInterface)
        return infos;
    const int32 count = controllerInterface->getParameterCount();
    for (int32 i = 0; i < count; ++i) {
        ParameterInfo info{};
        if (controllerInterface->getParameterInfo(i, info) == kResultOk)
            infos.push_back(info);
    }
    return infos;
}

std::vector<EditRecord> Plugin::edits() const
{
    return handler->records();
}
void Plugin::clearEdits()
{
    handler->clear();
}
std::vector<MessageRecord> Plugin::messages() const
{
    return messageLog->records();
}
void Plugin::clearMessages()
{
    messageLog->clear();
}
void Plugin::holdMessages(bool hold)
{
    messageLog->setHolding(hold);
}
int Plugin::deliverHeldMessages()
{
    return messageLog->deliverHeld();
}
void Plugin::recordMessages(bool record)
{
    messageLog->setRecording(record);
}
void Plugin::refuseMessageObjects(bool refuse)
{
    hostApplication->refuseInstances(refuse);
}
int64_t Plugin::refusedMessages() const
{
    return messageLog->refusedCount();
}

tresult Plugin::sendToProcessor(const char* messageId)
{
    if (!toProcessor)
        return kResultFalse;
    IMessage* message = nullptr;
    {
        HostAllocationScope scope;
        message = new Message;
    }
    message->setMessageID(messageId);
    const tresult result = toProcessor->notify(message);
    message->release();
    return result;
}

}   // namespace host
}   // namespace zephra
