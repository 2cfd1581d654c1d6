#include "host/HostContext.h"

#include "host/HostAllocationScope.h"
#include "host/MessageObjects.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace zephra {
namespace host {

tresult PLUGIN_API HostContext::getName(String128 name)
{
    if (!name)
        return kInvalidArgument;
    static const char text[] = "Zephra Host";
    size_t i = 0;
    for (; text[i] != 0 && i < 127; ++i)
        name[i] = static_cast<TChar>(text[i]);
    name[i] = 0;
    return kResultOk;
}

tresult PLUGIN_API HostContext::createInstance(TUID cid, TUID iid, void** obj)
{
    if (!obj)
        return kInvalidArgument;
    *obj = nullptr;
    if (!cid || !iid)
        return kInvalidArgument;
    if (refusing.load())
        return kResultFalse;
    HostAllocationScope scope;
    if (FUnknownPrivate::iidEqual(cid, IMessage::iid) && FUnknownPrivate::iidEqual(iid, IMessage::iid)) {
        *obj = static_cast<IMessage*>(new Message);
        return kResultOk;
    }
    if (FUnknownPrivate::iidEqual(cid, IAttributeList::iid) && FUnknownPrivate::iidEqual(iid, IAttributeList::iid)) {
        *obj = static_cast<IAttributeList*>(new AttributeList);
        return kResultOk;
    }
    return kResultFalse;
}

}   // namespace host
}   // namespace zephra
