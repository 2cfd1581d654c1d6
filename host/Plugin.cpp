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
    : context_(std::make_unique<HostContext>()), handler_(std::make_unique<ComponentHandler>()),
      messageLog_(std::make_unique<MessageLog>()), parameterChanges_(std::make_unique<ParameterChanges>()),
      outputParameterChanges_(std::make_unique<ParameterChanges>()), events_(std::make_unique<EventList>())
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
    module_ = module.shared_from_this();
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
    component_ = static_cast<IComponent*>(object);

    const tresult initialized = component_->initialize(context_.get());
    if (initialized != kResultOk) {
        error = "the processor's initialize returned " + std::to_string(initialized);
        return false;
    }
    componentInitialized_ = true;

    processor_ = queryFrom<IAudioProcessor>(component_);
    if (!processor_) {
        error = "the processor has no IAudioProcessor interface";
        return false;
    }

    TUID controllerId;
    if (component_->getControllerClassId(controllerId) == kResultOk) {
        object = nullptr;
        if (factory->createInstance(controllerId, IEditController::iid, &object) != kResultOk || !object) {
            error = "the factory could not create the processor's controller";
            return false;
        }
        controller_ = static_cast<IEditController*>(object);
        const tresult controllerInitialized = controller_->initialize(context_.get());
        if (controllerInitialized != kResultOk) {
            error = "the controller's initialize returned " + std::to_string(controllerInitialized);
            return false;
        }
        controllerInitialized_ = true;
    } else {
        // A single-component plug-in is its own controller; a plug-in without any is allowed.
        controller_ = queryFrom<IEditController>(component_);
    }
    if (!controller_)
        return true;

    controller_->setComponentHandler(handler_.get());
    midiMapping_ = queryFrom<IMidiMapping>(controller_);

    IConnectionPoint* processorPoint = queryFrom<IConnectionPoint>(component_);
    IConnectionPoint* controllerPoint = queryFrom<IConnectionPoint>(controller_);
    if (processorPoint && controllerPoint && controllerInitialized_) {
        toController_ =
            std::make_unique<ConnectionProxy>(*messageLog_, MessageDirection::ToController, controllerPoint);
        toProcessor_ = std::make_unique<ConnectionProxy>(*messageLog_, MessageDirection::ToProcessor, processorPoint);
        processorPoint->connect(toController_.get());
        controllerPoint->connect(toProcessor_.get());
        connected_ = true;
    }
    if (processorPoint)
        processorPoint->release();
    if (controllerPoint)
        controllerPoint->release();

    // As a host does right after creation: the controller learns the processor's state.
    VectorStream state;
    if (component_->getState(&state) == kResultOk) {
        state.rewind();
        controller_->setComponentState(&state);
    }
    return true;
}

void Plugin::disconnect()
{
    if (!connected_)
        return;
    if (IConnectionPoint* processorPoint = queryFrom<IConnectionPoint>(component_)) {
        processorPoint->disconnect(toController_.get());
        processorPoint->release();
    }
    if (IConnectionPoint* controllerPoint = queryFrom<IConnectionPoint>(controller_)) {
        controllerPoint->disconnect(toProcessor_.get());
        controllerPoint->release();
    }
    toController_->detach();
    toProcessor_->detach();
    connected_ = false;
}

Plugin::~Plugin()
{
    if (processing_ && processor_)
        processor_->setProcessing(false);
    if (active_ && component_)
        component_->setActive(false);
    disconnect();
    if (midiMapping_)
        midiMapping_->release();
    const bool separateController = controller_ && controllerInitialized_;
    if (controller_) {
        controller_->setComponentHandler(nullptr);
        if (separateController)
            controller_->terminate();
        controller_->release();
    }
    if (processor_)
        processor_->release();
    if (component_) {
        if (componentInitialized_)
            component_->terminate();
        component_->release();
    }
    // Messages still held go back to the host objects before the library can be unloaded.
    messageLog_.reset();
}

FUnknown* Plugin::hostContext() const noexcept
{
    return context_.get();
}

bool Plugin::setup(double sampleRate, int32_t maxBlock, std::string* error)
{
    auto fail = [error](const std::string& reason) {
        if (error)
            *error = reason;
        return false;
    };
    if (!processor_)
        return fail("no processor");
    SpeakerArrangement inputs[] = {SpeakerArr::kStereo};
    SpeakerArrangement outputs[] = {SpeakerArr::kStereo};
    const tresult arranged = processor_->setBusArrangements(inputs, 1, outputs, 1);
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
    if (!processor_)
        return kResultFalse;
    ProcessSetup setup{processMode, kSample32, maxBlock, sampleRate};
    const tresult result = processor_->setupProcessing(setup);
    if (result == kResultOk) {
        sampleRate_ = sampleRate;
        maxBlock_ = maxBlock;
        prepareBuffers(maxBlock);
    }
    return result;
}

tresult Plugin::setActive(bool active)
{
    if (!component_)
        return kResultFalse;
    const tresult result = component_->setActive(active);
    if (result == kResultOk)
        active_ = active;
    return result;
}

tresult Plugin::setProcessing(bool processing)
{
    if (!processor_)
        return kResultFalse;
    const tresult result = processor_->setProcessing(processing);
    if (result == kResultOk || result == kNotImplemented)
        processing_ = processing;
    return result;
}

void Plugin::prepareBuffers(int32_t maxBlock)
{
    const auto samples = static_cast<size_t>(std::max<int32_t>(maxBlock, 0));
    HostAllocationScope scope;
    for (std::vector<float>* channel : {&input_.left, &input_.right, &output_.left, &output_.right})
        channel->reserve(samples);
}

void Plugin::setInputSignal(const std::vector<float>& left, const std::vector<float>& right)
{
    HostAllocationScope scope;
    inputSignal_.left = left;
    inputSignal_.right = right;
    processedSamples_ = 0;
}

const StereoBuffer& Plugin::process(int32_t numSamples, const std::vector<ParameterChange>& parameterChanges,
                                    const std::vector<NoteEvent>& notes, const ProcessContext* context,
                                    const ProcessOptions& options)
{
    if (!processor_ || numSamples < 0 || numSamples > kLongestBlock) {
        lastProcessResult_ = kInvalidArgument;
        output_.left.clear();
        output_.right.clear();
        return output_;
    }
    sizeChannel(output_.left, numSamples);
    sizeChannel(output_.right, numSamples);
    processBlock(numSamples, parameterChanges, notes, context, options, output_.left.data(), output_.right.data());
    return output_;
}

bool Plugin::processInto(int32_t numSamples, const std::vector<ParameterChange>& parameterChanges,
                         const std::vector<NoteEvent>& notes, float* left, float* right)
{
    if (!processor_ || numSamples < 0 || numSamples > kLongestBlock || left == nullptr || right == nullptr) {
        lastProcessResult_ = kInvalidArgument;
        return false;
    }
    processBlock(numSamples, parameterChanges, notes, nullptr, ProcessOptions{}, left, right);
    return true;
}

void Plugin::processBlock(int32_t numSamples, const std::vector<ParameterChange>& parameterChanges,
                          const std::vector<NoteEvent>& notes, const ProcessContext* context,
                          const ProcessOptions& options, float* outputLeft, float* outputRight)
{

    // Input: this block's stretch of the input signal, zeros beyond it.
    for (int channel = 0; channel < 2; ++channel) {
        const std::vector<float>& signal = channel == 0 ? inputSignal_.left : inputSignal_.right;
        std::vector<float>& block = channel == 0 ? input_.left : input_.right;
        sizeChannel(block, numSamples);
        const size_t start = std::min(signal.size(), static_cast<size_t>(processedSamples_));
        const size_t copied = std::min(signal.size() - start, static_cast<size_t>(numSamples));
        std::copy_n(signal.begin() + static_cast<std::ptrdiff_t>(start), copied, block.begin());
        std::fill(block.begin() + static_cast<std::ptrdiff_t>(copied), block.begin() + numSamples, 0.0f);
    }
    std::fill(outputLeft, outputLeft + numSamples, 0.0f);
    std::fill(outputRight, outputRight + numSamples, 0.0f);

    parameterChanges_->clear();
    outputParameterChanges_->clear();
    for (const ParameterChange& change : parameterChanges) {
        int32 index = 0;
        if (IParamValueQueue* queue = parameterChanges_->addParameterData(change.id, index))
            queue->addPoint(change.sampleOffset, change.value, index);
    }
    events_->clear();
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
        events_->addEvent(event);
    }

    float* inputChannels[2] = {input_.left.data(), input_.right.data()};
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
    data.inputParameterChanges = options.nullParameterChanges ? nullptr : parameterChanges_.get();
    data.outputParameterChanges = outputParameterChanges_.get();
    data.inputEvents = options.nullEvents ? nullptr : events_.get();
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

    lastProcessResult_ = processor_->process(data);
    processedSamples_ += numSamples;
    if (options.inPlace && options.layout == BusLayout::Stereo) {
        std::copy(input_.left.begin(), input_.left.end(), outputLeft);
        std::copy(input_.right.begin(), input_.right.end(), outputRight);
    }
}

std::vector<uint8_t> Plugin::processorState(tresult* result)
{
    VectorStream stream;
    const tresult got = component_ ? component_->getState(&stream) : kResultFalse;
    if (result)
        *result = got;
    return stream.bytes();
}

tresult Plugin::setProcessorState(const std::vector<uint8_t>& bytes)
{
    if (!component_)
        return kResultFalse;
    VectorStream stream(bytes);
    return component_->setState(&stream);
}

std::vector<uint8_t> Plugin::controllerState(tresult* result)
{
    VectorStream stream;
    const tresult got = controller_ ? controller_->getState(&stream) : kResultFalse;
    if (result)
        *result = got;
    return stream.bytes();
}

tresult Plugin::setControllerState(const std::vector<uint8_t>& bytes)
{
    if (!controller_)
        return kResultFalse;
    VectorStream stream(bytes);
    return controller_->setState(&stream);
}

tresult Plugin::setControllerComponentState(const std::vector<uint8_t>& bytes)
{
    if (!controller_)
        return kResultFalse;
    VectorStream stream(bytes);
    return controller_->setComponentState(&stream);
}

std::vector<ParameterInfo> Plugin::parameterInfos() const
{
    std::vector<ParameterInfo> infos;
    if (!controller_)
        return infos;
    const int32 count = controller_->getParameterCount();
    for (int32 i = 0; i < count; ++i) {
        ParameterInfo info{};
        if (controller_->getParameterInfo(i, info) == kResultOk)
            infos.push_back(info);
    }
    return infos;
}

std::vector<EditRecord> Plugin::edits() const
{
    return handler_->records();
}
void Plugin::clearEdits()
{
    handler_->clear();
}
std::vector<MessageRecord> Plugin::messages() const
{
    return messageLog_->records();
}
void Plugin::clearMessages()
{
    messageLog_->clear();
}
void Plugin::holdMessages(bool hold)
{
    messageLog_->setHolding(hold);
}
int Plugin::deliverHeldMessages()
{
    return messageLog_->deliverHeld();
}
void Plugin::recordMessages(bool record)
{
    messageLog_->setRecording(record);
}
void Plugin::refuseMessageObjects(bool refuse)
{
    context_->refuseInstances(refuse);
}
int64_t Plugin::refusedMessages() const
{
    return messageLog_->refusedCount();
}

tresult Plugin::sendToProcessor(const char* messageId)
{
    if (!toProcessor_)
        return kResultFalse;
    IMessage* message = nullptr;
    {
        HostAllocationScope scope;
        message = new Message;
    }
    message->setMessageID(messageId);
    const tresult result = toProcessor_->notify(message);
    message->release();
    return result;
}

}   // namespace host
}   // namespace zephra
