#pragma once
// The host's input event list for one block (IEventList), with storage reserved up front.
// Threads: filled and read on the audio thread. Real-time safe after construction.
#include "pluginterfaces/vst/ivstevents.h"

#include <vector>

namespace zephra {
namespace host {

class EventList : public Steinberg::Vst::IEventList {
public:
    explicit EventList(Steinberg::int32 capacity = 1024);

    void clear() noexcept { eventCount = 0; }
    Steinberg::int32 capacity() const noexcept { return static_cast<Steinberg::int32>(events.size()); }

    Steinberg::int32 PLUGIN_API getEventCount() override { return eventCount; }
    // Out-of-range index: kInvalidArgument, e untouched.
    Steinberg::tresult PLUGIN_API getEvent(Steinberg::int32 index, Steinberg::Vst::Event& e) override;
    // Appends in the given order (the host library does not sort); full list: kOutOfMemory.
    Steinberg::tresult PLUGIN_API addEvent(Steinberg::Vst::Event& e) override;

    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    Steinberg::uint32 PLUGIN_API addRef() override { return 1; }
    Steinberg::uint32 PLUGIN_API release() override { return 1; }

private:
    std::vector<Steinberg::Vst::Event> events;   // capacity-sized; the first eventCount are in use
    Steinberg::int32 eventCount = 0;
};

}   // namespace host
}   // namespace zephra
