// A minimal VST3 module for testing the host library on its own: one processor (gain 0.5 from
// input to output, messages on notes and activation) and one controller (answers "HELLO" with
// "PING" and reports an edit when it receives the component state). Two broken variants:
// FAKE_FAILING_INITIALIZE (the processor's initialize fails) and FAKE_NO_CONTROLLER (the
// factory cannot make the controller the processor names).
#include "FakePluginProbe.h"

#include "pluginterfaces/base/ibstream.h"
#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstevents.h"
#include "pluginterfaces/vst/ivstmessage.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"
#include "public.sdk/source/vst/vstcomponent.h"
#include "pluginterfaces/gui/iplugview.h"
#include "public.sdk/source/vst/vsteditcontroller.h"

#include <cstring>

using namespace Steinberg;
using namespace Steinberg::Vst;

// The SDK subset's edit controller refers to the editor interface ID without defining it.
namespace Steinberg {
DEF_CLASS_IID(IPlugView)
}

namespace {

FakeProbe probe;

const FUID processorId(0x11111111, 0x22222222, 0x33333333, 0x44444444);
const FUID controllerId(0x55555555, 0x66666666, 0x77777777, 0x88888888);

void sendWithInt(ComponentBase& from, const char* id, const char* key, int32 value) {
    IMessage* message = from.allocateMessage();
    if (!message)
        return;
    message->setMessageID(id);
    message->getAttributes()->setBinary(key, &value, sizeof value);
    from.sendMessage(message);
    message->release();
}

class FakeProcessor : public Component, public IAudioProcessor {
public:
    FakeProcessor() { setControllerClass(controllerId); }

#if defined(FAKE_FAILING_INITIALIZE)
    // The variant whose processor cannot start.
    tresult PLUGIN_API initialize(FUnknown*) override { return kResultFalse; }
#endif

    tresult PLUGIN_API setBusArrangements(SpeakerArrangement*, int32 numIns, SpeakerArrangement*,
                                          int32 numOuts) override {
        return numIns == 1 && numOuts == 1 ? kResultOk : kResultFalse;
    }
    tresult PLUGIN_API getBusArrangement(BusDirection, int32, SpeakerArrangement& arrangement) override {
        arrangement = SpeakerArr::kStereo;
        return kResultOk;
    }
    tresult PLUGIN_API canProcessSampleSize(int32 size) override {
        return size == kSample32 ? kResultOk : kResultFalse;
    }
    uint32 PLUGIN_API getLatencySamples() override { return 0; }
    tresult PLUGIN_API setupProcessing(ProcessSetup& setup) override {
        probe.maxBlockSetUp = setup.maxSamplesPerBlock;
        probe.sampleRateSetUp = setup.sampleRate;
        return kResultOk;
    }
    tresult PLUGIN_API setProcessing(TBool) override { return kNotImplemented; }
    uint32 PLUGIN_API getTailSamples() override { return 0; }

    tresult PLUGIN_API setActive(TBool state) override {
        ++probe.activeCalls;
        if (state)
            sendWithInt(*this, "HELLO", "count", probe.activeCalls);
        return kResultOk;
    }

    tresult PLUGIN_API process(ProcessData& data) override {
        ++probe.processCalls;
        probe.numSamples = data.numSamples;
        probe.numInputs = data.numInputs;
        probe.numOutputs = data.numOutputs;
        probe.inputChannels = data.inputs ? data.inputs[0].numChannels : -1;
        probe.outputChannels = data.outputs ? data.outputs[0].numChannels : -1;
        probe.hadParameterChanges = data.inputParameterChanges != nullptr;
        probe.hadEvents = data.inputEvents != nullptr;
        probe.hadContext = data.processContext != nullptr;
        probe.contextTempo = data.processContext ? data.processContext->tempo : 0.0;
        probe.parameterQueues = 0;
        probe.firstQueuePoints = 0;
        if (IParameterChanges* changes = data.inputParameterChanges) {
            probe.parameterQueues = changes->getParameterCount();
            if (IParamValueQueue* queue = changes->getParameterData(0)) {
                probe.firstQueueId = queue->getParameterId();
                probe.firstQueuePoints = queue->getPointCount();
                int32 offset = 0;
                queue->getPoint(queue->getPointCount() - 1, offset, probe.firstQueueLastValue);
            }
        }
        probe.events = 0;
        if (IEventList* events = data.inputEvents) {
            probe.events = events->getEventCount();
            Event event{};
            if (events->getEvent(0, event) == kResultOk) {
                probe.firstEventType = event.type;
                probe.firstEventOffset = event.sampleOffset;
                probe.firstEventPitch = event.type == Event::kNoteOnEvent ? event.noteOn.pitch : event.noteOff.pitch;
                probe.firstEventVelocity = event.type == Event::kNoteOnEvent ? event.noteOn.velocity : event.noteOff.velocity;
                if (event.type == Event::kNoteOnEvent)
                    sendWithInt(*this, "NOTE", "pitch", event.noteOn.pitch);
            }
        }
        if (data.numInputs < 1 || data.numOutputs < 1 || !data.inputs || !data.outputs)
            return kResultOk;
        AudioBusBuffers& in = data.inputs[0];
        AudioBusBuffers& out = data.outputs[0];
        probe.inPlace = in.channelBuffers32 && out.channelBuffers32 && in.numChannels > 0 &&
                        out.numChannels > 0 && in.channelBuffers32[0] == out.channelBuffers32[0];
        if (in.numChannels < 2 || out.numChannels < 2 || !in.channelBuffers32 || !out.channelBuffers32)
            return kResultOk;
        for (int c = 0; c < 2; ++c) {
            if (!in.channelBuffers32[c] || !out.channelBuffers32[c])
                return kResultOk;
            for (int32 i = 0; i < data.numSamples; ++i)
                out.channelBuffers32[c][i] = 0.5f * in.channelBuffers32[c][i];
        }
        return kResultOk;
    }

    tresult PLUGIN_API getState(IBStream* stream) override {
        int32 written = 0;
        return stream->write(&probe.state, sizeof probe.state, &written);
    }
    tresult PLUGIN_API setState(IBStream* stream) override {
        int32 value = 0;
        int32 read = 0;
        if (stream->read(&value, sizeof value, &read) != kResultOk || read != sizeof value)
            return kResultFalse;
        probe.state = value;
        return kResultOk;
    }

    tresult PLUGIN_API notify(IMessage* message) override {
        if (message && message->getMessageID() && std::strcmp(message->getMessageID(), "PING") == 0) {
            ++probe.pingsReceived;
            return kResultOk;
        }
        return Component::notify(message);
    }

    OBJ_METHODS(FakeProcessor, Component)
    DEFINE_INTERFACES
        DEF_INTERFACE(IAudioProcessor)
    END_DEFINE_INTERFACES(Component)
    REFCOUNT_METHODS(Component)
};

class FakeController : public EditController {
public:
    tresult PLUGIN_API setComponentState(IBStream*) override {
        if (componentHandler) {
            componentHandler->beginEdit(1);
            componentHandler->performEdit(1, 0.25);
            componentHandler->endEdit(1);
        }
        return kResultOk;
    }
    tresult PLUGIN_API notify(IMessage* message) override {
        if (message && message->getMessageID() && std::strcmp(message->getMessageID(), "HELLO") == 0) {
            sendWithInt(*this, "PING", "count", 1);
            return kResultOk;
        }
        if (message && message->getMessageID() && std::strcmp(message->getMessageID(), "NOTE") == 0)
            return kResultOk;
        return EditController::notify(message);
    }
};

class FakeFactory : public IPluginFactory2 {
public:
    tresult PLUGIN_API getFactoryInfo(PFactoryInfo* info) override {
        *info = PFactoryInfo();
        std::strcpy(info->vendor, "Fake Vendor");
        std::strcpy(info->url, "https://example.invalid");
        info->flags = PFactoryInfo::kUnicode;
        return kResultOk;
    }
    int32 PLUGIN_API countClasses() override { return 2; }
    tresult PLUGIN_API getClassInfo(int32 index, PClassInfo* info) override {
        PClassInfo2 info2;
        if (getClassInfo2(index, &info2) != kResultOk)
            return kInvalidArgument;
        *info = PClassInfo();
        std::memcpy(info->cid, info2.cid, sizeof info->cid);
        info->cardinality = info2.cardinality;
        std::memcpy(info->category, info2.category, sizeof info->category);
        std::memcpy(info->name, info2.name, sizeof info->name);
        return kResultOk;
    }
    tresult PLUGIN_API getClassInfo2(int32 index, PClassInfo2* info) override {
        *info = PClassInfo2();
        if (index < 0 || index > 1)
            return kInvalidArgument;
        (index == 0 ? processorId : controllerId).toTUID(info->cid);
        info->cardinality = PClassInfo::kManyInstances;
        std::strcpy(info->category, index == 0 ? kVstAudioEffectClass : kVstComponentControllerClass);
        std::strcpy(info->name, index == 0 ? "Fake" : "Fake Controller");
        info->classFlags = index == 0 ? 1 : 0;
        std::strcpy(info->subCategories, index == 0 ? "Fx" : "");
        std::strcpy(info->version, "0.1");
        std::strcpy(info->sdkVersion, "VST 3.6.8");
        return kResultOk;
    }
    tresult PLUGIN_API createInstance(FIDString cid, FIDString iid, void** obj) override {
        *obj = nullptr;
        FUnknown* object = nullptr;
        if (FUnknownPrivate::iidEqual(cid, processorId.toTUID()))
            object = static_cast<IAudioProcessor*>(new FakeProcessor);
#if !defined(FAKE_NO_CONTROLLER)
        else if (FUnknownPrivate::iidEqual(cid, controllerId.toTUID()))
            object = static_cast<IEditController*>(new FakeController);
#endif
        if (!object)
            return kNoInterface;
        const tresult result = object->queryInterface(iid, obj);
        object->release();
        return result;
    }
    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override {
        if (FUnknownPrivate::iidEqual(iid, FUnknown::iid) || FUnknownPrivate::iidEqual(iid, IPluginFactory::iid) ||
            FUnknownPrivate::iidEqual(iid, IPluginFactory2::iid)) {
            addRef();
            *obj = static_cast<IPluginFactory2*>(this);
            return kResultOk;
        }
        *obj = nullptr;
        return kNoInterface;
    }
    uint32 PLUGIN_API addRef() override { return ++references; }
    uint32 PLUGIN_API release() override { return --references; }   // static object: never freed

    uint32 references = 0;
};

FakeFactory factory;

} // namespace

extern "C" {
__attribute__((visibility("default"))) bool ModuleEntry(void*) {
    probe = FakeProbe{};
    return true;
}
__attribute__((visibility("default"))) bool ModuleExit() { return true; }
__attribute__((visibility("default"))) IPluginFactory* PLUGIN_API GetPluginFactory() {
    factory.addRef();
    return &factory;
}
__attribute__((visibility("default"))) FakeProbe* FakePluginProbe() { return &probe; }
}
