#include "processor/MyVSTProcessor.h"

#include "platform/BusNames.h"
#include "shell/PluginDescription.h"

namespace Steinberg {
namespace Vst {
namespace {
// Per-block room for changed parameter IDs; more queues than this in one block are still
// applied but not all listed to the engine.
constexpr size_t kChangedIdCapacity = 1024;
} // namespace

MyVSTProcessor::MyVSTProcessor()
{
    setControllerClass(pluginDescription().controllerClassId);
    changedIds.reserve(kChangedIdCapacity);
}

MyVSTProcessor::~MyVSTProcessor()
{
    // A host that releases without terminating: the thread must not outlive the processor.
    reclaimThread.halt();
}

tresult PLUGIN_API MyVSTProcessor::initialize(FUnknown* context)
{
    // A second initialize without terminate would add every bus twice.
    if (!audioInputs.empty() || !audioOutputs.empty())
        return kResultFalse;
    const tresult result = AudioEffect::initialize(context);
    if (result != kResultOk)
        return result;

    const PluginDescription& description = pluginDescription();
    String128 name;
    formatBusName(name, 128, u"AudioInput %d", 1);
    addAudioInput(name, SpeakerArr::kStereo, kMain, BusInfo::kDefaultActive);
    if (description.sideChainInputCount > 0) {
        formatBusName(name, 128, u"AudioSidChain %d", 1);
        addAudioInput(name, SpeakerArr::kStereo, kAux, BusInfo::kDefaultActive);
    }
    formatBusName(name, 128, u"AudioOutput %d", 1);
    addAudioOutput(name, SpeakerArr::kStereo, kMain, BusInfo::kDefaultActive);
    if (description.eventInputCount > 0) {
        formatBusName(name, 128, u"EventInput %d", 1);
        addEventInput(name, 16, kMain, BusInfo::kDefaultActive);
    }
    if (description.eventOutputCount > 0) {
        formatBusName(name, 128, u"EventOutput %d", 1);
        addEventOutput(name, 16, kMain, BusInfo::kDefaultActive);
    }

    std::vector<int32> ids;
    for (const auto& [id, spec] : description.parameters) {
        paramValues.set(id, spec.defaultPlain);
        ids.push_back(id);
    }
    // A state restored before initialize has not reached the audio thread yet: lay it over
    // the defaults so it still wins.
    if (!stateHandOver.isApplied())
        stageState(uiStaged.bypass, uiStaged.entries, paramValues);
    parametersChanged(ids);
    return kResultOk;
}

tresult PLUGIN_API MyVSTProcessor::setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                                      SpeakerArrangement* outputs, int32 numOuts)
{
    if (numIns != 1 || numOuts != 1 || !inputs || !outputs)
        return kResultFalse;
    if (inputs[0] != SpeakerArr::kStereo || outputs[0] != SpeakerArr::kStereo)
        return kResultFalse;
    return AudioEffect::setBusArrangements(inputs, numIns, outputs, numOuts);
}

} // namespace Vst
} // namespace Steinberg
