// The controller's state calls: mirroring the processor's state into the parameter objects,
// and writing and restoring its own state (which reloads the remembered files).
#include "controller/MyVSTController.h"
#include "controller/ExtraStateFields.h"

#include "pluginterfaces/base/smartpointer.h"

#include <exception>

namespace Steinberg {
namespace Vst {

namespace {
// Reading allocates (bounded by the stream's bytes); should memory run out anyway, the stream
// is refused rather than letting the exception cross the VST3 interface.
template <typename Read>
bool readStateSafely(Read read)
{
    try {
        return read();
    } catch (const std::exception&) {
        return false;
    }
}
} // namespace

tresult PLUGIN_API MyVSTController::setComponentState(IBStream* state)
{
    // The whole prefix is read before anything is set: a damaged stream changes nothing.
    ProcessorStatePrefix prefix;
    if (!readStateSafely([&] {
            return readProcessorStatePrefix(state, description.combinedVersion(), prefix);
        }))
        return kResultFalse;
    // The response follows the entries; a state without it is a "Classic" one. A change is
    // passed on to the processor, which has it already when the host restored its state first.
    int32_t number = 0;
    SoundResponse response = SoundResponse::Classic;
    if (ExtraStateFields::readResponse(state, number))
        responseFromNumber(number, response);
    if (response != chosenResponse) {
        chosenResponse = response;
        sendResponse();
    }
    setParamNormalized(kBypassParameterId, prefix.bypass ? 1.0 : 0.0);
    for (const auto& [id, plain] : prefix.values) {
        const ParamID tag = static_cast<ParamID>(id);
        if (getParameterObject(tag)) setParamNormalized(tag, plainParamToNormalized(tag, plain));
    }
    return kResultOk;
}

void MyVSTController::chooseResponse(SoundResponse response)
{
    if (response == chosenResponse)
        return;
    chosenResponse = response;
    sendResponse();
    setDirty(true);   // hosts without IComponentHandler2 are not told
}

void MyVSTController::sendResponse()
{
    // The processor keeps it (and writes it into its state); the message travels on this, the
    // UI thread, as every message between the two sides does.
    IPtr<IMessage> message = owned(allocateMessage());
    IAttributeList* attributes = message ? message->getAttributes() : nullptr;
    if (!attributes)
        return;
    message->setMessageID("RESPONSE");
    const auto u = static_cast<uint32_t>(chosenResponse);
    const uint8_t bytes[4] = {uint8_t(u), uint8_t(u >> 8), uint8_t(u >> 16), uint8_t(u >> 24)};
    attributes->setBinary("response", bytes, 4);
    sendMessage(message);
}

tresult PLUGIN_API MyVSTController::getState(IBStream* state)
{
    try {
        writeControllerState(state, description.combinedVersion(), filePaths, fileOptions,
                             stringLists);
    } catch (const std::exception&) {
        return kResultFalse;   // out of memory: the host keeps no half-written state
    }
    return kResultOk;
}

tresult PLUGIN_API MyVSTController::setState(IBStream* state)
{
    // Read into a temporary and commit only a well-formed stream, so the old state stays
    // whole when the stream is refused.
    ControllerStateData restored;
    if (!readStateSafely([&] {
            return readControllerState(state, description.combinedVersion(), restored);
        }))
        return kResultFalse;

    for (auto& [id, path] : restored.filePaths) filePaths[id] = std::move(path);
    for (auto& [id, blob] : restored.fileOptions) fileOptions[id] = std::move(blob);

    // The remembered files are loaded and sent again, also those remembered before.
    reloadRememberedFiles();

    for (auto& [key, items] : restored.stringLists) stringLists[key] = std::move(items);
    return kResultOk;
}

} // namespace Vst
} // namespace Steinberg
