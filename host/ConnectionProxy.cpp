#include "host/ConnectionProxy.h"

#include "host/HostAllocationScope.h"
#include "host/MessageObjects.h"

#include <atomic>
#include <thread>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace zephra {
namespace host {

namespace {
// Copies what a message carries. Messages made by our HostContext list their attributes; a
// message object of any other origin still gives its ID.
void describe(IMessage* message, MessageRecord& record)
{
    const char* id = message->getMessageID();
    record.id = id ? id : "";
    if (const auto* own = dynamic_cast<const Message*>(message))
        own->attributes().copyInto(record);
}

std::atomic<int64_t>& refusedInProcess()
{
    static std::atomic<int64_t> count{0};
    return count;
}
}   // namespace

int64_t refusedMessagesInProcess() noexcept
{
    return refusedInProcess().load();
}

MessageLog::~MessageLog()
{
    HostAllocationScope scope;
    for (HeldMessage& held : heldMessages)
        held.message->release();
}

bool MessageLog::recordSend(MessageDirection direction, IMessage* message, IConnectionPoint* target, uint64_t& sequence)
{
    HostAllocationScope scope;
    std::lock_guard<std::mutex> lock(mutex);
    sequence = nextSequence++;
    if (recording) {
        MessageRecord record;
        record.direction = direction;
        record.thread = std::this_thread::get_id();
        record.held = holding;
        describe(message, record);
        messageRecords.push_back(std::move(record));
        sequences.push_back(sequence);
    }
    if (!holding)
        return false;
    message->addRef();
    heldMessages.push_back(HeldMessage{message, target, sequence});
    return true;
}

void MessageLog::deliveryFinished(uint64_t sequence, tresult result)
{
    std::lock_guard<std::mutex> lock(mutex);
    // The record is almost always the last one; search from the back.
    for (size_t i = sequences.size(); i-- > 0;) {
        if (sequences[i] == sequence) {
            messageRecords[i].deliveryResult = result;
            return;
        }
        if (sequences[i] < sequence)
            return;
    }
}

void MessageLog::recordRefused(MessageDirection direction, IMessage* message)
{
    HostAllocationScope scope;
    std::lock_guard<std::mutex> lock(mutex);
    ++refused;
    ++refusedInProcess();
    const uint64_t sequence = nextSequence++;
    if (!recording)
        return;
    MessageRecord record;
    record.direction = direction;
    record.thread = std::this_thread::get_id();
    record.refused = true;
    record.deliveryResult = kResultFalse;
    describe(message, record);
    messageRecords.push_back(std::move(record));
    sequences.push_back(sequence);
}

int64_t MessageLog::refusedCount() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return refused;
}

void MessageLog::setHolding(bool hold)
{
    std::lock_guard<std::mutex> lock(mutex);
    holding = hold;
}

void MessageLog::setRecording(bool record)
{
    std::lock_guard<std::mutex> lock(mutex);
    recording = record;
}

int MessageLog::deliverHeld()
{
    std::vector<HeldMessage> pending;
    {
        std::lock_guard<std::mutex> lock(mutex);
        pending.swap(heldMessages);
    }
    // Deliver outside the lock: the receiver may send a message of its own in reply.
    int delivered = 0;
    for (HeldMessage& held : pending) {
        const tresult result = held.target ? held.target->notify(held.message) : kResultFalse;
        deliveryFinished(held.sequence, result);
        HostAllocationScope scope;
        held.message->release();
        ++delivered;
    }
    return delivered;
}

std::vector<MessageRecord> MessageLog::records() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return messageRecords;
}

void MessageLog::clear()
{
    HostAllocationScope scope;
    std::lock_guard<std::mutex> lock(mutex);
    messageRecords.clear();
    sequences.clear();
}

ConnectionProxy::ConnectionProxy(MessageLog& log, MessageDirection direction, IConnectionPoint* target)
    : log(log), direction(direction), peer(target), uiThread(std::this_thread::get_id())
{
}

void ConnectionProxy::detach() noexcept
{
    peer = nullptr;
}

tresult PLUGIN_API ConnectionProxy::connect(IConnectionPoint* other)
{
    return other ? kResultOk : kInvalidArgument;
}

tresult PLUGIN_API ConnectionProxy::disconnect(IConnectionPoint* other)
{
    return other ? kResultOk : kInvalidArgument;
}

tresult PLUGIN_API ConnectionProxy::notify(IMessage* message)
{
    if (!message)
        return kInvalidArgument;
    IConnectionPoint* target = peer;
    if (!target)
        return kResultFalse;
    if (std::this_thread::get_id() != uiThread) {
        log.recordRefused(direction, message);
        return kResultFalse;
    }
    uint64_t sequence = 0;
    if (log.recordSend(direction, message, target, sequence))
        return kResultOk;   // held: delivered later by deliverHeld
    const tresult result = target->notify(message);
    log.deliveryFinished(sequence, result);
    return result;
}

tresult PLUGIN_API ConnectionProxy::queryInterface(const TUID iid, void** obj)
{
    if (FUnknownPrivate::iidEqual(iid, FUnknown::iid) || FUnknownPrivate::iidEqual(iid, IConnectionPoint::iid)) {
        *obj = static_cast<IConnectionPoint*>(this);
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}

}   // namespace host
}   // namespace zephra
