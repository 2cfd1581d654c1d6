#include "host/MessageObjects.h"

#include <atomic>

#include "host/HostAllocationScope.h"
#include "host/HostRecords.h"

#include <algorithm>
#include <cstring>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace zephra {
namespace host {

namespace {
// A binary attribute larger than this is refused instead of copied: no message of a
// plug-in needs more, and a bogus size must not turn into a huge allocation.
constexpr uint32 kMaxBinaryBytes = 1u << 30;

bool validId(IAttributeList::AttrID id)
{
    return id != nullptr;
}
}   // namespace

tresult PLUGIN_API AttributeList::setInt(AttrID id, int64 value)
{
    if (!validId(id))
        return kInvalidArgument;
    HostAllocationScope scope;
    integers[id] = value;
    return kResultOk;
}

tresult PLUGIN_API AttributeList::getInt(AttrID id, int64& value)
{
    if (!validId(id))
        return kInvalidArgument;
    auto found = integers.find(id);
    if (found == integers.end())
        return kResultFalse;
    value = found->second;
    return kResultOk;
}

tresult PLUGIN_API AttributeList::setFloat(AttrID id, double value)
{
    if (!validId(id))
        return kInvalidArgument;
    HostAllocationScope scope;
    floats[id] = value;
    return kResultOk;
}

tresult PLUGIN_API AttributeList::getFloat(AttrID id, double& value)
{
    if (!validId(id))
        return kInvalidArgument;
    auto found = floats.find(id);
    if (found == floats.end())
        return kResultFalse;
    value = found->second;
    return kResultOk;
}

tresult PLUGIN_API AttributeList::setString(AttrID id, const TChar* string)
{
    if (!validId(id) || !string)
        return kInvalidArgument;
    HostAllocationScope scope;
    strings[id] = std::u16string(reinterpret_cast<const char16_t*>(string));
    return kResultOk;
}

tresult PLUGIN_API AttributeList::getString(AttrID id, TChar* string, uint32 sizeInBytes)
{
    if (!validId(id) || !string)
        return kInvalidArgument;
    auto found = strings.find(id);
    if (found == strings.end())
        return kResultFalse;
    const uint32 units = sizeInBytes / sizeof(TChar);
    if (units == 0)
        return kResultFalse;
    const size_t copied = std::min<size_t>(found->second.size(), units - 1);
    std::memcpy(string, found->second.data(), copied * sizeof(TChar));
    string[copied] = 0;
    return kResultOk;
}

tresult PLUGIN_API AttributeList::setBinary(AttrID id, const void* data, uint32 sizeInBytes)
{
    if (!validId(id) || (sizeInBytes > 0 && !data) || sizeInBytes > kMaxBinaryBytes)
        return kInvalidArgument;
    HostAllocationScope scope;
    const auto* bytes = static_cast<const uint8_t*>(data);
    binaries[id] = std::vector<uint8_t>(bytes, bytes + sizeInBytes);
    return kResultOk;
}

tresult PLUGIN_API AttributeList::getBinary(AttrID id, const void*& data, uint32& sizeInBytes)
{
    if (!validId(id))
        return kInvalidArgument;
    auto found = binaries.find(id);
    if (found == binaries.end()) {
        sizeInBytes = 0;
        return kResultFalse;
    }
    data = found->second.data();
    sizeInBytes = static_cast<uint32>(found->second.size());
    return kResultOk;
}

void AttributeList::copyInto(MessageRecord& record) const
{
    HostAllocationScope scope;
    record.integers.insert(integers.begin(), integers.end());
    record.floats.insert(floats.begin(), floats.end());
    record.strings.insert(strings.begin(), strings.end());
    record.binaries.insert(binaries.begin(), binaries.end());
}

tresult PLUGIN_API AttributeList::queryInterface(const TUID iid, void** obj)
{
    if (FUnknownPrivate::iidEqual(iid, FUnknown::iid) || FUnknownPrivate::iidEqual(iid, IAttributeList::iid)) {
        addRef();
        *obj = static_cast<IAttributeList*>(this);
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}

uint32 PLUGIN_API AttributeList::addRef()
{
    return ++references;
}

uint32 PLUGIN_API AttributeList::release()
{
    const uint32 left = --references;
    if (left == 0) {
        HostAllocationScope scope;
        delete this;
    }
    return left;
}

namespace {
std::atomic<long> liveMessages{0};
}

long Message::liveCount() noexcept
{
    return liveMessages.load();
}

Message::Message() : attributeList(nullptr)
{
    HostAllocationScope scope;
    attributeList = new AttributeList;
    ++liveMessages;
}

Message::~Message()
{
    attributeList->release();
    --liveMessages;
}

const char* PLUGIN_API Message::getMessageID()
{
    return hasId ? messageId.c_str() : nullptr;
}

void PLUGIN_API Message::setMessageID(const char* id)
{
    HostAllocationScope scope;
    hasId = id != nullptr;
    messageId = id ? id : "";
}

IAttributeList* PLUGIN_API Message::getAttributes()
{
    return attributeList;
}

tresult PLUGIN_API Message::queryInterface(const TUID iid, void** obj)
{
    if (FUnknownPrivate::iidEqual(iid, FUnknown::iid) || FUnknownPrivate::iidEqual(iid, IMessage::iid)) {
        addRef();
        *obj = static_cast<IMessage*>(this);
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}

uint32 PLUGIN_API Message::addRef()
{
    return ++references;
}

uint32 PLUGIN_API Message::release()
{
    const uint32 left = --references;
    if (left == 0) {
        HostAllocationScope scope;
        delete this;
    }
    return left;
}

}   // namespace host
}   // namespace zephra
