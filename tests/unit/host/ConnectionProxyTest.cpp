#include "host/ConnectionProxy.h"
#include "host/HostContext.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace zephra::host;

namespace {

// A receiving side that remembers the IDs it got, in order, and answers with a fixed result.
class Receiver : public IConnectionPoint {
public:
    explicit Receiver(std::vector<std::string>& journal, const char* name, tresult answer = kResultOk)
        : journal_(journal), name_(name), answer_(answer) {}
    tresult PLUGIN_API connect(IConnectionPoint*) override { return kResultOk; }
    tresult PLUGIN_API disconnect(IConnectionPoint*) override { return kResultOk; }
    tresult PLUGIN_API notify(IMessage* message) override {
        journal_.push_back(name_ + ":" + message->getMessageID());
        return answer_;
    }
    tresult PLUGIN_API queryInterface(const TUID, void** obj) override {
        *obj = nullptr;
        return kNoInterface;
    }
    uint32 PLUGIN_API addRef() override { return 1; }
    uint32 PLUGIN_API release() override { return 1; }

private:
    std::vector<std::string>& journal_;
    std::string name_;
    tresult answer_;
};

class Connection : public ::testing::Test {
protected:
    IMessage* message(const char* id) {
        TUID iid;
        std::memcpy(iid, IMessage::iid, sizeof iid);
        void* object = nullptr;
        context.createInstance(iid, iid, &object);
        auto* result = static_cast<IMessage*>(object);
        result->setMessageID(id);
        return result;
    }

    tresult send(ConnectionProxy& proxy, const char* id) {
        IMessage* m = message(id);
        const tresult result = proxy.notify(m);
        m->release();
        return result;
    }

    HostContext context;
    std::vector<std::string> journal;
    Receiver processor{journal, "processor"};
    Receiver controller{journal, "controller", kResultFalse};
    MessageLog log;
    ConnectionProxy toProcessor{log, MessageDirection::ToProcessor, &processor};
    ConnectionProxy toController{log, MessageDirection::ToController, &controller};
};

TEST_F(Connection, DeliversAtOnceAndRecordsTheReceiversAnswer) {
    EXPECT_EQ(send(toProcessor, "SF2DATA"), kResultOk);
    EXPECT_EQ(send(toController, "USEDMEM"), kResultFalse);
    EXPECT_EQ(journal, (std::vector<std::string>{"processor:SF2DATA", "controller:USEDMEM"}));
    const auto records = log.records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].direction, MessageDirection::ToProcessor);
    EXPECT_EQ(records[0].deliveryResult, kResultOk);
    EXPECT_EQ(records[1].direction, MessageDirection::ToController);
    EXPECT_EQ(records[1].deliveryResult, kResultFalse);
}

TEST_F(Connection, HeldMessagesKeepTheirSendOrderAcrossBothDirections) {
    log.setHolding(true);
    EXPECT_EQ(send(toProcessor, "A"), kResultOk);
    EXPECT_EQ(send(toController, "B"), kResultOk);
    EXPECT_EQ(send(toProcessor, "C"), kResultOk);
    EXPECT_TRUE(journal.empty());
    log.setHolding(false);
    EXPECT_EQ(log.deliverHeld(), 3);
    EXPECT_EQ(journal, (std::vector<std::string>{"processor:A", "controller:B", "processor:C"}));
    const auto records = log.records();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_TRUE(records[1].held);
    EXPECT_EQ(records[1].deliveryResult, kResultFalse);
}

TEST_F(Connection, ANullMessageIsRefused) {
    EXPECT_EQ(toProcessor.notify(nullptr), kInvalidArgument);
    EXPECT_TRUE(log.records().empty());
}

TEST_F(Connection, ADetachedProxyDeliversNothing) {
    toProcessor.detach();
    EXPECT_EQ(send(toProcessor, "SF2DATA"), kResultFalse);
    EXPECT_TRUE(journal.empty());
}

TEST_F(Connection, WithoutRecordingMessagesStillArrive) {
    log.setRecording(false);
    send(toProcessor, "A");
    log.setRecording(true);
    send(toProcessor, "B");
    EXPECT_EQ(journal.size(), 2u);
    ASSERT_EQ(log.records().size(), 1u);
    EXPECT_EQ(log.records()[0].id, "B");
}

TEST_F(Connection, ClearingForgetsRecordsButNotHeldMessages) {
    log.setHolding(true);
    send(toProcessor, "A");
    log.clear();
    EXPECT_TRUE(log.records().empty());
    EXPECT_EQ(log.deliverHeld(), 1);
    EXPECT_EQ(journal, (std::vector<std::string>{"processor:A"}));
}

TEST_F(Connection, TheMessageCarriesItsAttributesIntoTheRecord) {
    IMessage* m = message("VOICENUM");
    const int32_t voices = 5;
    m->getAttributes()->setBinary("voiceNum", &voices, 4);
    toController.notify(m);
    m->release();
    const auto records = log.records();
    ASSERT_EQ(records.size(), 1u);
    ASSERT_EQ(records[0].binaries.at("voiceNum").size(), 4u);
    EXPECT_EQ(records[0].binaries.at("voiceNum")[0], 5);
}

} // namespace
