#include "host/EventList.h"

#include <algorithm>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace zephra {
namespace host {

EventList::EventList(int32 capacity) : events(static_cast<size_t>(std::max<int32>(capacity, 1))) {}

tresult PLUGIN_API EventList::getEvent(int32 index, Event& e)
{
    if (index < 0 || index >= eventCount)
        return kInvalidArgument;
    e = events[static_cast<size_t>(index)];
    return kResultOk;
}

tresult PLUGIN_API EventList::addEvent(Event& e)
{
    if (eventCount == capacity())
        return kOutOfMemory;
    events[static_cast<size_t>(eventCount++)] = e;
    return kResultOk;
}

tresult PLUGIN_API EventList::queryInterface(const TUID iid, void** obj)
{
    if (FUnknownPrivate::iidEqual(iid, FUnknown::iid) || FUnknownPrivate::iidEqual(iid, IEventList::iid)) {
        *obj = static_cast<IEventList*>(this);
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}

}   // namespace host
}   // namespace zephra
