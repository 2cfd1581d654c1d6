#pragma once
// The plug-in's processor and controller for one fuzz input, made as a host makes them:
// initialised with a host context and connected to each other (or the processor to the given
// peer), so messages arrive synchronously on the fuzzing thread, inside the sender's call.
// Threads: the fuzzing thread only. Not real-time safe.
#include "controller/MyVSTController.h"
#include "shell/ParameterRegistry.h"
#include "synth/VSTDSP.h"

#include "public.sdk/source/common/memorystream.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"

#include <vector>

namespace zephra {
namespace fuzz {

using namespace Steinberg;
using namespace Steinberg::Vst;

struct PluginUnderTest {
    explicit PluginUnderTest(IConnectionPoint* processorPeer = nullptr)
    {
        static HostApplication host;   // outlives every plug-in object
        processor->initialize(&host);
        controller->initialize(&host);
        processor->connect(peer = processorPeer ? processorPeer : controller.get());
        controller->connect(processor.get());
    }
    ~PluginUnderTest()
    {
        processor->disconnect(peer);
        controller->disconnect(processor.get());
        controller->terminate();
        processor->terminate();
    }

    const bool described = fillDescription();   // before the processor takes its class IDs
    IPtr<VSTDSP> processor = owned(new VSTDSP);
    IPtr<MyVSTController> controller = owned(new MyVSTController);
    IConnectionPoint* peer = nullptr;
};

inline IPtr<MemoryStream> streamOf(const std::vector<uint8_t>& bytes)
{
    auto stream = owned(new MemoryStream);
    stream->write(const_cast<uint8_t*>(bytes.data()), int32(bytes.size()), nullptr);
    stream->seek(0, IBStream::kIBSeekSet, nullptr);
    return stream;
}

// What getState writes (of the processor or the controller); empty when it fails.
template <typename Side>
std::vector<uint8_t> stateOf(Side& side)
{
    auto stream = owned(new MemoryStream);
    if (side.getState(stream) != kResultOk)
        return {};
    const auto* bytes = reinterpret_cast<const uint8_t*>(stream->getData());
    return std::vector<uint8_t>(bytes, bytes + stream->getSize());
}

} // namespace fuzz
} // namespace zephra
