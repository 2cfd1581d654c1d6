#pragma once
// The link between processor and controller, as a DAW makes it: each side is connected to a
// proxy that records every message and hands it to the other side synchronously, inside the
// sender's notify call. As the SDK's own proxy does, it delivers only what is sent on the
// thread that connected the components (the UI thread): a message sent on any other thread is
// refused with kResultFalse, recorded as refused and counted. The log can instead hold
// messages back and deliver them later, to imitate a host that delivers late.
// Threads: any; senders may be the UI and the audio thread at once (the log takes a lock, which
// is the host's cost, not the plug-in's). Not real-time safe: recording allocates inside a
// HostAllocationScope.
#include "host/HostRecords.h"

#include "pluginterfaces/vst/ivstmessage.h"

#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace zephra {
namespace host {

class MessageLog {
public:
    MessageLog() = default;
    ~MessageLog();   // releases messages still held
    MessageLog(const MessageLog&) = delete;
    MessageLog& operator=(const MessageLog&) = delete;

    // Records the message; if held, keeps a reference and returns true (the caller then does
    // not deliver). Otherwise sequence receives the record's number for deliveryFinished.
    bool recordSend(MessageDirection direction, Steinberg::Vst::IMessage* message,
                    Steinberg::Vst::IConnectionPoint* target, uint64_t& sequence);
    void deliveryFinished(uint64_t sequence, Steinberg::tresult result);
    // Records a message refused for the thread it was sent on, and counts it here and in the
    // process-wide count.
    void recordRefused(MessageDirection direction, Steinberg::Vst::IMessage* message);
    int64_t refusedCount() const;

    void setHolding(bool hold);
    void setRecording(bool record);
    int deliverHeld();   // delivers in send order; returns the number delivered

    std::vector<MessageRecord> records() const;
    void clear();

private:
    struct HeldMessage {
        Steinberg::Vst::IMessage* message;   // own reference
        Steinberg::Vst::IConnectionPoint* target;
        uint64_t sequence;
    };

    mutable std::mutex mutex;
    std::vector<MessageRecord> messageRecords;
    std::vector<uint64_t> sequences;   // send number of each record, ascending
    uint64_t nextSequence = 0;
    std::vector<HeldMessage> heldMessages;
    bool holding = false;
    bool recording = true;
    int64_t refused = 0;
};

// Messages refused by every connection of this process so far.
int64_t refusedMessagesInProcess() noexcept;

class ConnectionProxy : public Steinberg::Vst::IConnectionPoint {
public:
    // direction: where messages sent into this proxy go; target: that side's connection point.
    // Made on the thread that connects the components: the only one whose messages it delivers.
    ConnectionProxy(MessageLog& log, MessageDirection direction, Steinberg::Vst::IConnectionPoint* target);

    void detach() noexcept;   // later messages are refused with kResultFalse

    // The plug-in side may call these on its peer; the proxy's link is fixed by the host.
    Steinberg::tresult PLUGIN_API connect(Steinberg::Vst::IConnectionPoint* other) override;
    Steinberg::tresult PLUGIN_API disconnect(Steinberg::Vst::IConnectionPoint* other) override;
    // Records and delivers (or holds) the message; null message: kInvalidArgument; sent on
    // another thread than the connecting one: refused (kResultFalse), recorded and counted.
    Steinberg::tresult PLUGIN_API notify(Steinberg::Vst::IMessage* message) override;

    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    Steinberg::uint32 PLUGIN_API addRef() override { return 1; }
    Steinberg::uint32 PLUGIN_API release() override { return 1; }

private:
    MessageLog& log;
    MessageDirection direction;
    Steinberg::Vst::IConnectionPoint* peer;
    std::thread::id uiThread;
};

}   // namespace host
}   // namespace zephra
