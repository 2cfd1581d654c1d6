// The connection between controller and processor through the bundle: a SoundFont handed over
// inside the controller's send call, refusal of messages that are late, foreign or incomplete,
// and the processor's "USEDMEM" report inside the same send, on the UI thread.
#include "host/PluginHost.h"
#include "soundfont/SFSynth.h"
#include "support/SoundFontWriter.h"

#include "pluginterfaces/vst/ivsthostapplication.h"
#include "pluginterfaces/vst/ivstmessage.h"
#include "support/StateBytes.h"
#include "support/BundleFixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <thread>
#include <unistd.h>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace zephra::host;

namespace {

using zephra::test::appendInt32;
using zephra::test::controllerStateNaming;

class BundleMessages : public zephra::test::BundleFixture {
protected:
    void SetUp() override {
        setUpProcessing(44100.0, 512);
        if (HasFatalFailure())
            return;
        ASSERT_EQ(plugin->component()->queryInterface(IConnectionPoint::iid, reinterpret_cast<void**>(&processorPoint)), kResultOk);
        fontPath = ::testing::TempDir() + "zephra_messages_" + std::to_string(getpid()) + ".sf2";
        ASSERT_TRUE(zephra::test::writeFile(fontPath, zephra::test::makeSineSoundFont()));
    }

    void TearDown() override {
        if (processorPoint)
            processorPoint->release();
        std::remove(fontPath.c_str());
    }

    IMessage* newMessage(const char* id) {
        FUnknownPtr<IHostApplication> application(plugin->hostContext());
        EXPECT_TRUE(application);
        IMessage* message = allocateMessage(application);
        EXPECT_NE(message, nullptr);
        message->setMessageID(id);
        return message;
    }

    tresult send(IMessage* message) {
        const tresult result = processorPoint->notify(message);
        message->release();
        return result;
    }

    // Renders a few blocks with a note and says whether anything was heard.
    bool playsANote() {
        bool heard = false;
        for (int block = 0; block < 8; ++block) {
            const std::vector<NoteEvent> notes = block == 1 ? std::vector<NoteEvent>{NoteEvent::on(0, 69, 1.0f)}
                                                            : std::vector<NoteEvent>{};
            const StereoBuffer& out = plugin->process(512, {}, notes);
            for (float sample : out.left)
                heard = heard || sample != 0.0f;
        }
        return heard;
    }

    int count(const char* id, MessageDirection direction) {
        int found = 0;
        for (const MessageRecord& record : plugin->messages())
            found += record.id == id && record.direction == direction;
        return found;
    }

    IConnectionPoint* processorPoint = nullptr;
    std::string fontPath;
};

// The report comes back inside the restore, before any block, on the thread that sent (the
// host's UI thread): hosts refuse messages sent on any other.
TEST_F(BundleMessages, ASoundFontIsHandedOverInsideTheSendAndReportedBackOnTheUiThread) {
    ASSERT_EQ(plugin->setControllerState(controllerStateNaming(fontPath, 0)), kResultOk);
    const std::vector<MessageRecord> sent = plugin->messages();
    ASSERT_EQ(count("SF2DATA", MessageDirection::ToProcessor), 1);
    ASSERT_EQ(count("USEDMEM", MessageDirection::ToController), 1);
    for (const MessageRecord& record : sent) {
        EXPECT_EQ(record.thread, std::this_thread::get_id()) << record.id;
        EXPECT_EQ(record.deliveryResult, kResultOk) << record.id;
        if (record.id == "SF2DATA") {
            EXPECT_EQ(record.binaries.at("SFSynthList").size(), 24u);
            EXPECT_EQ(record.binaries.at("fileID").size(), 4u);
        }
        if (record.id == "USEDMEM") {
            ASSERT_EQ(record.binaries.at("usedMem").size(), 8u);
            int64_t amount = 0;
            std::memcpy(&amount, record.binaries.at("usedMem").data(), 8);
            EXPECT_GT(amount, 0);
        }
    }
    EXPECT_TRUE(playsANote());
}

// Guards against a host that delivers the message after the controller's send call returned:
// the addresses in it then name freed memory and must not be read.
TEST_F(BundleMessages, ASoundFontDeliveredLateIsRefused) {
    plugin->holdMessages(true);
    ASSERT_EQ(plugin->setControllerState(controllerStateNaming(fontPath, 0)), kResultOk);
    ASSERT_EQ(count("SF2DATA", MessageDirection::ToProcessor), 1);
    plugin->holdMessages(false);
    EXPECT_EQ(plugin->deliverHeldMessages(), 1);
    for (const MessageRecord& record : plugin->messages()) {
        if (record.id == "SF2DATA") {
            EXPECT_NE(record.deliveryResult, kResultOk);
        }
    }
    EXPECT_FALSE(playsANote());
    EXPECT_EQ(count("USEDMEM", MessageDirection::ToController), 0);
    // The next timely hand-over works again.
    ASSERT_EQ(plugin->setControllerState(controllerStateNaming(fontPath, 0)), kResultOk);
    EXPECT_TRUE(playsANote());
}

TEST_F(BundleMessages, RecordsTheControllerDidNotHandOverAreNotRead) {
    SFSynthList foreign(3);   // records of the test's own, never handed over by the controller
    const SFSynth* triple[3] = {foreign.data(), foreign.data() + foreign.size(), foreign.data() + foreign.size()};
    IMessage* message = newMessage("SF2DATA");
    const int32_t fileId = 1;
    message->getAttributes()->setBinary("fileID", &fileId, 4);
    message->getAttributes()->setBinary("SFSynthList", triple, sizeof triple);
    EXPECT_NE(send(message), kResultOk);
    EXPECT_FALSE(playsANote());
    EXPECT_EQ(count("USEDMEM", MessageDirection::ToController), 0);
}

TEST_F(BundleMessages, WildAddressesAreRefusedWithoutBeingTouched) {
    const uint64_t wild[][2] = {{0, 0}, {0xDEADBEEF, 0xDEADBEEF + 4096}, {0x1000, 0x10}, {~uint64_t(0), 0},
                                {0x10, ~uint64_t(0)}};
    for (const auto& pair : wild) {
        IMessage* message = newMessage("SF2DATA");
        const int32_t fileId = 1;
        uint64_t triple[3] = {pair[0], pair[1], pair[1]};
        message->getAttributes()->setBinary("fileID", &fileId, 4);
        message->getAttributes()->setBinary("SFSynthList", triple, sizeof triple);
        EXPECT_NE(send(message), kResultOk);
    }
    EXPECT_FALSE(playsANote());
}

TEST_F(BundleMessages, IncompleteSoundFontMessagesAreIgnored) {
    const int32_t fileId = 1;
    const uint64_t triple[3] = {0x1000, 0x2000, 0x2000};
    {
        IMessage* message = newMessage("SF2DATA");   // no attributes at all
        EXPECT_NE(send(message), kResultOk);
    }
    {
        IMessage* message = newMessage("SF2DATA");   // no list
        message->getAttributes()->setBinary("fileID", &fileId, 4);
        EXPECT_NE(send(message), kResultOk);
    }
    {
        IMessage* message = newMessage("SF2DATA");   // no file ID
        message->getAttributes()->setBinary("SFSynthList", triple, sizeof triple);
        EXPECT_NE(send(message), kResultOk);
    }
    for (uint32 shortSize : {0u, 1u, 8u, 15u}) {
        IMessage* message = newMessage("SF2DATA");
        message->getAttributes()->setBinary("fileID", &fileId, 4);
        message->getAttributes()->setBinary("SFSynthList", triple, shortSize);
        EXPECT_NE(send(message), kResultOk) << shortSize << " bytes";
    }
    {
        IMessage* message = newMessage("SF2DATA");   // the list as an integer, not a byte block
        message->getAttributes()->setBinary("fileID", &fileId, 4);
        message->getAttributes()->setInt("SFSynthList", 0x1000);
        EXPECT_NE(send(message), kResultOk);
    }
    EXPECT_FALSE(playsANote());
}

TEST_F(BundleMessages, CompleteWaveDataIsAcceptedAndLeavesTheEngineSilent) {
    const std::vector<float> samples(441, 0.25f);
    const int32_t id = 1;
    const int32_t rate = 44100;
    IMessage* message = newMessage("WAVDATA");
    IAttributeList* attributes = message->getAttributes();
    attributes->setBinary("wavID", &id, 4);
    attributes->setBinary("wavL", samples.data(), static_cast<uint32>(samples.size() * 4));
    attributes->setBinary("wavR", samples.data(), static_cast<uint32>(samples.size() * 4));
    attributes->setBinary("samplerate", &rate, 4);
    EXPECT_EQ(send(message), kResultOk);
    EXPECT_FALSE(playsANote());
}

TEST_F(BundleMessages, IncompleteWaveDataIsIgnored) {
    const std::vector<float> samples(16, 0.25f);
    const int32_t id = 1;
    const int32_t rate = 44100;
    const char* keys[] = {"wavID", "wavL", "wavR", "samplerate"};
    for (int missing = 0; missing < 4; ++missing) {
        IMessage* message = newMessage("WAVDATA");
        IAttributeList* attributes = message->getAttributes();
        for (int k = 0; k < 4; ++k) {
            if (k == missing)
                continue;
            if (k == 1 || k == 2)
                attributes->setBinary(keys[k], samples.data(), static_cast<uint32>(samples.size() * 4));
            else
                attributes->setBinary(keys[k], k == 0 ? &id : &rate, 4);
        }
        EXPECT_NE(send(message), kResultOk) << "without " << keys[missing];
    }
    // A left channel shorter than the right one would be read past its end.
    IMessage* message = newMessage("WAVDATA");
    IAttributeList* attributes = message->getAttributes();
    attributes->setBinary("wavID", &id, 4);
    attributes->setBinary("wavL", samples.data(), 8);
    attributes->setBinary("wavR", samples.data(), static_cast<uint32>(samples.size() * 4));
    attributes->setBinary("samplerate", &rate, 4);
    EXPECT_NE(send(message), kResultOk);
}

TEST_F(BundleMessages, ResponseMessagesWithoutFourBytesOrWithAnUnknownResponseAreIgnored) {
    const size_t classicSize = plugin->processorState().size();
    const int32_t unknown = 2, soundFont = 1;
    for (const auto& [data, size] : {std::pair<const int32_t*, uint32>{&soundFont, 3}, {&unknown, 4}, {nullptr, 0}}) {
        IMessage* message = newMessage("RESPONSE");
        if (data)
            message->getAttributes()->setBinary("response", data, size);
        EXPECT_EQ(send(message), kResultFalse);
        EXPECT_EQ(plugin->processorState().size(), classicSize);
    }
    IMessage* message = newMessage("RESPONSE");
    message->getAttributes()->setBinary("response", &soundFont, 4);
    EXPECT_EQ(send(message), kResultOk);
    EXPECT_EQ(plugin->processorState().size(), classicSize + 12);
}

// A host may give no message objects: the processor then reports nothing, and plays on.
TEST_F(BundleMessages, WithoutMessageObjectsTheVoiceReportIsLeftOut) {
    ASSERT_EQ(plugin->setControllerState(controllerStateNaming(fontPath, 0)), kResultOk);
    plugin->refuseMessageObjects(true);
    EXPECT_TRUE(playsANote());
    EXPECT_TRUE(playsANote());   // past 4410 samples: a count to answer with
    EXPECT_EQ(plugin->sendToProcessor("GETVOICENUM"), kResultOk);
    EXPECT_EQ(count("VOICENUM", MessageDirection::ToController), 0);
    plugin->refuseMessageObjects(false);
}

TEST_F(BundleMessages, ANullMessageIsAnInvalidArgument) {
    EXPECT_EQ(processorPoint->notify(nullptr), kInvalidArgument);
}

TEST_F(BundleMessages, OtherMessagesAreLeftToTheBaseClass) {
    EXPECT_NE(send(newMessage("SF2DAT")), kInvalidArgument);
    EXPECT_NE(send(newMessage("SF2DATA2")), kInvalidArgument);
    EXPECT_NE(send(newMessage("")), kInvalidArgument);
    IMessage* unnamed = newMessage("X");
    unnamed->setMessageID(nullptr);
    EXPECT_NE(send(unnamed), kInvalidArgument);
    EXPECT_FALSE(playsANote());
}

} // namespace
