#include "processor/MyVSTProcessor.h"

#include "processor/ProcessorState.h"
#include "shell/PluginDescription.h"

#include <algorithm>
#include <memory>

namespace Steinberg {
namespace Vst {

tresult PLUGIN_API MyVSTProcessor::getState(IBStream* state)
{
    if (!state)
        return kInvalidArgument;
    stateHandOver.reclaim();
    const std::string header = pluginDescription().combinedVersion();
    // Until the audio thread has applied the last restored state, that state is the truth.
    if (!stateHandOver.isApplied())
        writeProcessorState(state, header, uiStaged.bypass, uiStaged.merged);
    else
        writeProcessorState(state, header, publishedBypass.load(std::memory_order_relaxed),
                            paramValues);
    writeExtraState(state);
    return kResultOk;
}

tresult PLUGIN_API MyVSTProcessor::setState(IBStream* state)
{
    if (!state)
        return kInvalidArgument;
    ParsedState parsed;
    // Everything is read and checked before anything changes: a bad stream changes nothing.
    if (readProcessorState(state, pluginDescription().combinedVersion(), parsed) !=
        StateReadResult::Ok)
        return kResultFalse;

    if (!stateHandOver.isApplied()) {
        stageState(parsed.bypass, parsed.entries, uiStaged.merged);
    } else {
        // The key set of the live map changes only on this thread, so copying it here is
        // safe; its values are atomics the audio thread may be writing.
        const ParameterValues base(paramValues);
        stageState(parsed.bypass, parsed.entries, base);
    }
    readExtraState(state);
    return kResultOk;
}

void MyVSTProcessor::stageState(bool restoredBypass,
                                const std::vector<std::pair<int32, double>>& entries,
                                const ParameterValues& base)
{
    auto staged = std::make_unique<StagedState>();
    staged->bypass = restoredBypass;
    staged->entries = entries;
    staged->merged = base;
    staged->merged.setAll(entries);
    staged->ids.reserve(entries.size());
    for (const auto& entry : entries)
        staged->ids.push_back(entry.first);
    staged->streamIdsSorted = staged->ids;
    std::sort(staged->streamIdsSorted.begin(), staged->streamIdsSorted.end());
    staged->streamIdsSorted.erase(
        std::unique(staged->streamIdsSorted.begin(), staged->streamIdsSorted.end()),
        staged->streamIdsSorted.end());

    uiStaged = *staged;
    stateHandOver.publish(std::move(staged));
}

void MyVSTProcessor::applyStagedState() noexcept
{
    StagedState* staged = stateHandOver.take();
    if (!staged)
        return;
    // Parameters the stream did not mention keep what the audio thread set since then.
    for (size_t i = 0; i < staged->merged.size(); ++i) {
        const int32 id = staged->merged.idAt(i);
        if (!std::binary_search(staged->streamIdsSorted.begin(), staged->streamIdsSorted.end(),
                                id) &&
            paramValues.contains(id))
            staged->merged.assign(id, paramValues.get(id));
    }
    paramValues.swap(staged->merged);
    bypass = staged->bypass;
    publishedBypass.store(bypass, std::memory_order_relaxed);
    parametersChanged(staged->ids);
    stateHandOver.retire(staged);
}

} // namespace Vst
} // namespace Steinberg
