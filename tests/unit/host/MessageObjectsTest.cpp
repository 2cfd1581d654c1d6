#include "host/HostAllocationScope.h"
#include "host/HostContext.h"
#include "host/HostRecords.h"
#include "host/MessageObjects.h"

#include <gtest/gtest.h>

#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <cstring>
#include <thread>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace zephra::host;

namespace {

IMessage* newMessage(HostContext& context) {
    void* object = nullptr;
    TUID messageId;
    std::memcpy(messageId, IMessage::iid, sizeof(TUID));
    EXPECT_EQ(context.createInstance(messageId, messageId, &object), kResultOk);
    return static_cast<IMessage*>(object);
}

TEST(HostContexts, MakeMessagesAndAttributeListsAndNothingElse) {
    HostContext context;
    IMessage* message = newMessage(context);
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->getMessageID(), nullptr);
    EXPECT_NE(message->getAttributes(), nullptr);
    message->release();

    TUID attributesId;
    std::memcpy(attributesId, IAttributeList::iid, sizeof(TUID));
    void* object = nullptr;
    ASSERT_EQ(context.createInstance(attributesId, attributesId, &object), kResultOk);
    static_cast<IAttributeList*>(object)->release();

    TUID otherId;
    std::memcpy(otherId, IMidiMapping::iid, sizeof(TUID));
    object = reinterpret_cast<void*>(1);
    EXPECT_EQ(context.createInstance(otherId, otherId, &object), kResultFalse);
    EXPECT_EQ(object, nullptr);
}

TEST(HostContexts, CanRefuseToMakeMessagesLikeAHostWithoutAFactory) {
    HostContext context;
    context.refuseInstances(true);
    TUID messageId;
    std::memcpy(messageId, IMessage::iid, sizeof(TUID));
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(context.createInstance(messageId, messageId, &object), kResultFalse);
    EXPECT_EQ(object, nullptr);
    context.refuseInstances(false);
    IMessage* message = newMessage(context);
    ASSERT_NE(message, nullptr);
    message->release();
}

TEST(HostContexts, HaveAName) {
    HostContext context;
    String128 name = {};
    ASSERT_EQ(context.getName(name), kResultOk);
    EXPECT_EQ(name[0], u'Z');
}

TEST(MessageAttributes, KeepEachKindOfValue) {
    HostContext context;
    IMessage* message = newMessage(context);
    message->setMessageID("SF2DATA");
    EXPECT_STREQ(message->getMessageID(), "SF2DATA");
    IAttributeList* attributes = message->getAttributes();

    const uint8_t bytes[] = {1, 2, 3};
    ASSERT_EQ(attributes->setBinary("fileID", bytes, 3), kResultOk);
    ASSERT_EQ(attributes->setInt("count", -5), kResultOk);
    ASSERT_EQ(attributes->setFloat("gain", 0.25), kResultOk);
    ASSERT_EQ(attributes->setString("text", u"ab"), kResultOk);

    const void* data = nullptr;
    uint32 size = 0;
    ASSERT_EQ(attributes->getBinary("fileID", data, size), kResultOk);
    ASSERT_EQ(size, 3u);
    EXPECT_EQ(std::memcmp(data, bytes, 3), 0);
    int64 integer = 0;
    ASSERT_EQ(attributes->getInt("count", integer), kResultOk);
    EXPECT_EQ(integer, -5);
    double real = 0.0;
    ASSERT_EQ(attributes->getFloat("gain", real), kResultOk);
    EXPECT_EQ(real, 0.25);
    TChar text[8] = {};
    ASSERT_EQ(attributes->getString("text", text, sizeof text), kResultOk);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(text)), u"ab");
    message->release();
}

TEST(MessageAttributes, MissingKeysAndNullArgumentsAreRefused) {
    HostContext context;
    IMessage* message = newMessage(context);
    IAttributeList* attributes = message->getAttributes();
    const void* data = reinterpret_cast<const void*>(1);
    uint32 size = 99;
    EXPECT_EQ(attributes->getBinary("absent", data, size), kResultFalse);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(attributes->setBinary(nullptr, "x", 1), kInvalidArgument);
    EXPECT_EQ(attributes->setBinary("key", nullptr, 4), kInvalidArgument);
    EXPECT_EQ(attributes->setString("key", nullptr), kInvalidArgument);
    int64 integer = 0;
    EXPECT_EQ(attributes->getInt("absent", integer), kResultFalse);
    message->release();
}

TEST(MessageAttributes, AnEmptyBinaryValueIsKeptAndFreed) {
    HostContext context;
    IMessage* message = newMessage(context);
    IAttributeList* attributes = message->getAttributes();
    ASSERT_EQ(attributes->setBinary("wavL", nullptr, 0), kResultOk);
    const void* data = nullptr;
    uint32 size = 7;
    EXPECT_EQ(attributes->getBinary("wavL", data, size), kResultOk);
    EXPECT_EQ(size, 0u);
    message->release();   // LeakSanitizer guards against the empty value being lost
}

TEST(MessageAttributes, AStringIsCutToTheCallersBufferAndStaysTerminated) {
    HostContext context;
    IMessage* message = newMessage(context);
    IAttributeList* attributes = message->getAttributes();
    attributes->setString("text", u"abcdef");
    TChar text[3] = {u'x', u'x', u'x'};
    ASSERT_EQ(attributes->getString("text", text, sizeof text), kResultOk);
    EXPECT_EQ(text[0], u'a');
    EXPECT_EQ(text[1], u'b');
    EXPECT_EQ(text[2], 0);
    message->release();
}

TEST(MessageAttributes, CopyIntoARecordListsEveryAttribute) {
    HostContext context;
    IMessage* message = newMessage(context);
    const int64_t amount = 123456;
    message->getAttributes()->setBinary("usedMem", &amount, sizeof amount);
    message->getAttributes()->setInt("n", 3);
    MessageRecord record;
    dynamic_cast<Message*>(message)->attributes().copyInto(record);
    ASSERT_EQ(record.binaries.count("usedMem"), 1u);
    EXPECT_EQ(record.binaries["usedMem"].size(), 8u);
    EXPECT_EQ(record.integers["n"], 3);
    message->release();
}

TEST(HostAllocationScopes, NestAndEndWithTheirOwner) {
    EXPECT_FALSE(HostAllocationScope::active());
    {
        HostAllocationScope outer;
        EXPECT_TRUE(HostAllocationScope::active());
        {
            HostAllocationScope inner;
            EXPECT_TRUE(HostAllocationScope::active());
        }
        EXPECT_TRUE(HostAllocationScope::active());
    }
    EXPECT_FALSE(HostAllocationScope::active());
}

TEST(HostAllocationScopes, BelongToOneThread) {
    HostAllocationScope scope;
    bool activeElsewhere = true;
    std::thread other([&] { activeElsewhere = HostAllocationScope::active(); });
    other.join();
    EXPECT_FALSE(activeElsewhere);
}

} // namespace
