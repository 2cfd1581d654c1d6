#pragma once
// The host context handed to initialize: the SDK's HostApplication, whose message factory makes
// our Message and AttributeList objects inside a HostAllocationScope.
// Threads: any (the plug-in allocates messages on the UI and on the audio thread).
// Not real-time safe: createInstance allocates (marked as the host's allocation).
#include "public.sdk/source/vst/hosting/hostclasses.h"

#include <atomic>

namespace zephra {
namespace host {

class HostContext : public Steinberg::Vst::HostApplication {
public:
    HostContext() = default;

    Steinberg::tresult PLUGIN_API getName(Steinberg::Vst::String128 name) override;
    // IMessage and IAttributeList; everything else: kResultFalse with *obj null.
    Steinberg::tresult PLUGIN_API createInstance(Steinberg::TUID cid, Steinberg::TUID iid, void** obj) override;

    // While refusing, createInstance makes nothing, as a host without a message factory would.
    void refuseInstances(bool refuse) noexcept { refusing.store(refuse); }

private:
    std::atomic<bool> refusing{false};
};

}   // namespace host
}   // namespace zephra
