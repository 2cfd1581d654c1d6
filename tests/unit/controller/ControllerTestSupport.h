#pragma once
// A controller under test with a host context and a recording processor-side peer, plus
// stream helpers (the byte builders are support/StateBytes). The peer receives messages synchronously, as the controller's send runs.
// Threads: the test's thread. Not real-time safe.
#include "controller/ControllerState.h"
#include "controller/MyVSTController.h"
#include "shell/ParameterRegistry.h"
#include "soundfont/InFlightSynthLists.h"
#include "support/StateBytes.h"
#include "support/TempFile.h"

#include "base/source/fobject.h"
#include "public.sdk/source/common/memorystream.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"

#include <cmath>
#include <limits>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace zephra {
namespace test {

using namespace Steinberg;
using namespace Steinberg::Vst;

// One message as the processor side saw it.
struct ReceivedMessage {
    std::string id;
    std::map<std::string, std::vector<uint8_t>> binaries;
    bool listWasInFlight = false;   // "SF2DATA": the named range was registered during the send
    SFSynthList records;            // "SF2DATA": the records copied inside notify
};

class RecordingPeer : public FObject, public IConnectionPoint {
public:
    tresult PLUGIN_API connect(IConnectionPoint*) override { return kResultOk; }
    tresult PLUGIN_API disconnect(IConnectionPoint*) override { return kResultOk; }
    tresult PLUGIN_API notify(IMessage* message) override
    {
        if (!message) return kInvalidArgument;
        ReceivedMessage received;
        received.id = message->getMessageID() ? message->getMessageID() : "";
        IAttributeList* attributes = message->getAttributes();
        for (const char* key : {"fileID", "SFSynthList", "wavID", "wavL", "wavR", "samplerate"}) {
            const void* data = nullptr;
            uint32 size = 0;
            if (attributes && attributes->getBinary(key, data, size) == kResultOk && data)
                received.binaries[key].assign(static_cast<const uint8_t*>(data),
                                              static_cast<const uint8_t*>(data) + size);
        }
        const auto list = received.binaries.find("SFSynthList");
        if (list != received.binaries.end() && list->second.size() >= 16) {
            const SFSynth* range[2];
            std::memcpy(range, list->second.data(), sizeof range);
            received.listWasInFlight =
                InFlightSynthLists::copyIfInFlight(range[0], range[1], received.records);
        }
        messages.push_back(std::move(received));
        return kResultOk;
    }

    OBJ_METHODS(RecordingPeer, FObject)
    REFCOUNT_METHODS(FObject)
    DEFINE_INTERFACES
        DEF_INTERFACE(IConnectionPoint)
    END_DEFINE_INTERFACES(FObject)

    std::vector<ReceivedMessage> messages;
};

// The module's description as the module entry fills it, kept for the test binary's life.
inline const PluginDescription& filledDescription()
{
    static PluginDescription description = [] {
        PluginDescription filled;
        fillDescription(filled);
        return filled;
    }();
    return description;
}

// An initialised controller connected to a recording peer.
struct ControllerFixture {
    explicit ControllerFixture(const PluginDescription& description = filledDescription(),
                               bool withHostContext = true)
        : controller(owned(new MyVSTController(description))), peer(owned(new RecordingPeer))
    {
        controller->initialize(withHostContext ? static_cast<FUnknown*>(context.get()) : nullptr);
        controller->connect(peer);
    }
    ~ControllerFixture()
    {
        controller->disconnect(peer);
        controller->terminate();
    }

    // The SDK's host application does not delete itself on release: owned here.
    std::unique_ptr<HostApplication> context = std::make_unique<HostApplication>();
    IPtr<MyVSTController> controller;
    IPtr<RecordingPeer> peer;
};

inline std::vector<uint8_t> streamBytes(MemoryStream& stream)
{
    const auto* data = reinterpret_cast<const uint8_t*>(stream.getData());
    return std::vector<uint8_t>(data, data + stream.getSize());
}

inline std::vector<uint8_t> controllerState(MyVSTController& controller)
{
    MemoryStream stream;
    controller.getState(&stream);
    return streamBytes(stream);
}

inline tresult setControllerState(MyVSTController& controller, std::vector<uint8_t> bytes)
{
    MemoryStream stream(bytes.data(), static_cast<TSize>(bytes.size()));
    return controller.setState(&stream);
}

inline tresult setComponentState(MyVSTController& controller, std::vector<uint8_t> bytes)
{
    MemoryStream stream(bytes.data(), static_cast<TSize>(bytes.size()));
    return controller.setComponentState(&stream);
}

} // namespace test
} // namespace zephra
