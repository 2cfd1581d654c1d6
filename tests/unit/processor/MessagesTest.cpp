// Controller messages: "SF2DATA", "WAVDATA" and "GETVOICENUM" in, "USEDMEM" and "VOICENUM" out.
#include "ProcessorTestSupport.h"
#include "soundfont/InFlightSynthLists.h"

#include "pluginterfaces/vst/ivstmessage.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <new>
#include <thread>

using namespace zephra::test;

namespace {

// Keeps what the framework hands to the engine's message hooks.
class ReceivingProcessor : public RecordingProcessor {
public:
    int soundFonts = 0;
    int32 lastFileId = 0;
    SFSynthList received;
    int wavs = 0;
    int32 wavId = 0;
    std::vector<float> wavLeft, wavRight;
    int32 wavRate = 0;

    void soundFontReceived(int32 fileId, SFSynthList& list) override
    {
        ++soundFonts;
        lastFileId = fileId;
        received.swap(list);
        list.clear();
    }
    void wavDataReceived(int32 id, const float* left, const float* right, uint32 frames,
                         int32 sampleRate) override
    {
        ++wavs;
        wavId = id;
        wavLeft.assign(left, left + frames);
        wavRight.assign(right, right + frames);
        wavRate = sampleRate;
    }
    using MyVSTProcessor::sendUsedMemory;
};

// The controller's end of the connection, recording what arrives.
class RecordingPeer : public IConnectionPoint {
public:
    std::vector<std::string> ids;
    std::vector<int64> amounts;
    std::vector<int32> voices;
    tresult PLUGIN_API connect(IConnectionPoint*) override { return kResultOk; }
    tresult PLUGIN_API disconnect(IConnectionPoint*) override { return kResultOk; }
    tresult PLUGIN_API notify(IMessage* message) override
    {
        ids.emplace_back(message->getMessageID());
        const void* data = nullptr;
        uint32 size = 0;
        if (message->getAttributes()->getBinary("usedMem", data, size) == kResultOk && size == 8) {
            int64 amount;
            std::memcpy(&amount, data, 8);
            amounts.push_back(amount);
        }
        int32 count = 0;
        if (message->getAttributes()->getBinary("voiceNum", data, size) == kResultOk && size == 4)
            voices.push_back((std::memcpy(&count, data, 4), count));
        return kResultOk;
    }
    tresult PLUGIN_API queryInterface(const TUID, void**) override { return kNoInterface; }
    uint32 PLUGIN_API addRef() override { return 1; }
    uint32 PLUGIN_API release() override { return 1; }
};

IPtr<IMessage> message(const char* id)
{
    IPtr<IMessage> m = owned(new HostMessage);
    m->setMessageID(id);
    return m;
}

void setInt32(IMessage* m, const char* key, int32 value)
{
    m->getAttributes()->setBinary(key, &value, 4);
}

void setList(IMessage* m, const SFSynthList& list, uint32 size = 24)
{
    const uint64 header[3] = {reinterpret_cast<uint64>(list.data()),
                              reinterpret_cast<uint64>(list.data() + list.size()),
                              reinterpret_cast<uint64>(list.data() + list.capacity())};
    m->getAttributes()->setBinary("SFSynthList", header, size);
}

SFSynthList twoRecords()
{
    SFSynthList list(2);
    list[0].samples = SharedSamples({0.1f, 0.2f, 0.0f});
    list[0].rootKey = 48;
    list[1].samples = SharedSamples({0.5f, 0.0f});
    list[1].keyLow = 60;
    return list;
}

class Messages : public ::testing::Test {
protected:
    void SetUp() override
    {
        useFilledDescription();
        processor = owned(new ReceivingProcessor);
        processor->initialize(nullptr);
    }
    IPtr<ReceivingProcessor> processor;
};

} // namespace

TEST_F(Messages, NullMessageIsAnInvalidArgument)
{
    EXPECT_EQ(processor->notify(nullptr), kInvalidArgument);
}

// Guards against the hand-over copying sample points: the processor's records are its own,
// but they share the sender's sample buffers.
TEST_F(Messages, SoundFontBeingSentIsCopiedSharingItsSampleBuffers)
{
    SFSynthList list = twoRecords();
    auto m = message("SF2DATA");
    setInt32(m, "fileID", 1);
    setList(m, list);
    {
        InFlightSynthLists::Scope sending(list.data(), list.data() + list.size());
        ASSERT_EQ(processor->notify(m), kResultOk);
    }
    ASSERT_EQ(processor->soundFonts, 1);
    EXPECT_EQ(processor->lastFileId, 1);
    ASSERT_EQ(processor->received.size(), 2u);
    EXPECT_NE(&processor->received[0], &list[0]);
    EXPECT_TRUE(processor->received[0].samples.sharesBufferWith(list[0].samples));
    EXPECT_TRUE(processor->received[1].samples.sharesBufferWith(list[1].samples));
    EXPECT_EQ(processor->received[0].rootKey, 48);
    EXPECT_EQ(processor->received[1].keyLow, 60);
}

TEST_F(Messages, EmptyListBeingSentArrivesEmpty)
{
    SFSynthList list;
    auto m = message("SF2DATA");
    setInt32(m, "fileID", 3);
    setList(m, list);
    InFlightSynthLists::Scope sending(list.data(), list.data());
    ASSERT_EQ(processor->notify(m), kResultOk);
    EXPECT_EQ(processor->soundFonts, 1);
    EXPECT_TRUE(processor->received.empty());
}

// Regression guard: a message delivered after the sender freed its records must not be read.
TEST_F(Messages, LateOrForeignSoundFontMessageIsRefused)
{
    auto m = message("SF2DATA");
    setInt32(m, "fileID", 1);
    {
        SFSynthList list = twoRecords();
        setList(m, list);
        InFlightSynthLists::Scope sending(list.data(), list.data() + list.size());
    }
    EXPECT_EQ(processor->notify(m), kResultFalse);   // the send is over

    const uint64 forged[2] = {0x1000, 0x1000 + 10 * sizeof(SFSynth)};
    auto f = message("SF2DATA");
    setInt32(f, "fileID", 1);
    f->getAttributes()->setBinary("SFSynthList", forged, 16);
    EXPECT_EQ(processor->notify(f), kResultFalse);
    EXPECT_EQ(processor->soundFonts, 0);
}

TEST_F(Messages, SubRangeOfARegisteredListIsRefused)
{
    SFSynthList list = twoRecords();
    auto m = message("SF2DATA");
    setInt32(m, "fileID", 1);
    const uint64 header[2] = {reinterpret_cast<uint64>(list.data() + 1),
                              reinterpret_cast<uint64>(list.data() + 2)};
    m->getAttributes()->setBinary("SFSynthList", header, 16);
    InFlightSynthLists::Scope sending(list.data(), list.data() + list.size());
    EXPECT_EQ(processor->notify(m), kResultFalse);
}

TEST_F(Messages, SoundFontMessageMissingAttributesOrShortListIsIgnored)
{
    SFSynthList list = twoRecords();
    InFlightSynthLists::Scope sending(list.data(), list.data() + list.size());
    auto noId = message("SF2DATA");
    setList(noId, list);
    EXPECT_EQ(processor->notify(noId), kResultFalse);
    auto noList = message("SF2DATA");
    setInt32(noList, "fileID", 1);
    EXPECT_EQ(processor->notify(noList), kResultFalse);
    auto shortList = message("SF2DATA");
    setInt32(shortList, "fileID", 1);
    setList(shortList, list, 15);
    EXPECT_EQ(processor->notify(shortList), kResultFalse);
    auto shortId = message("SF2DATA");
    shortId->getAttributes()->setBinary("fileID", "ab", 2);
    setList(shortId, list);
    EXPECT_EQ(processor->notify(shortId), kResultFalse);
    EXPECT_EQ(processor->soundFonts, 0);

    auto sixteen = message("SF2DATA");
    setInt32(sixteen, "fileID", 2);
    setList(sixteen, list, 16);   // the third address is not needed
    EXPECT_EQ(processor->notify(sixteen), kResultOk);
}

TEST_F(Messages, FrameworkReleasesReceivedRecords)
{
    IPtr<RecordingProcessor> plain = owned(new RecordingProcessor);
    SFSynthList list = twoRecords();
    SFSynthList copy = list;
    plain->soundFontReceived(1, copy);
    EXPECT_TRUE(copy.empty());
}

TEST_F(Messages, WavDataReachesTheHookWithFramesFromTheRightChannel)
{
    const float left[3] = {0.1f, 0.2f, 0.3f};
    const float right[3] = {-0.1f, -0.2f, -0.3f};
    auto m = message("WAVDATA");
    setInt32(m, "wavID", 9);
    m->getAttributes()->setBinary("wavL", left, sizeof(left));
    m->getAttributes()->setBinary("wavR", right, sizeof(right));
    setInt32(m, "samplerate", 44100);
    ASSERT_EQ(processor->notify(m), kResultOk);
    EXPECT_EQ(processor->wavs, 1);
    EXPECT_EQ(processor->wavId, 9);
    EXPECT_EQ(processor->wavLeft, std::vector<float>(left, left + 3));
    EXPECT_EQ(processor->wavRight, std::vector<float>(right, right + 3));
    EXPECT_EQ(processor->wavRate, 44100);
}

// Regression guard: a left channel shorter than the right must not be read past its end.
TEST_F(Messages, WavDataWithMissingAttributeOrShortLeftChannelIsIgnored)
{
    const float samples[4] = {0.1f, 0.2f, 0.3f, 0.4f};
    auto shortLeft = message("WAVDATA");
    setInt32(shortLeft, "wavID", 1);
    shortLeft->getAttributes()->setBinary("wavL", samples, 8);
    shortLeft->getAttributes()->setBinary("wavR", samples, 16);
    setInt32(shortLeft, "samplerate", 44100);
    EXPECT_EQ(processor->notify(shortLeft), kResultFalse);

    auto noRate = message("WAVDATA");
    setInt32(noRate, "wavID", 1);
    noRate->getAttributes()->setBinary("wavL", samples, 16);
    noRate->getAttributes()->setBinary("wavR", samples, 16);
    EXPECT_EQ(processor->notify(noRate), kResultFalse);
    EXPECT_EQ(processor->wavs, 0);
}

TEST_F(Messages, OtherMessagesGoToTheBaseClass)
{
    auto m = message("SOMETHING");
    EXPECT_NE(processor->notify(m), kInvalidArgument);
    auto prefix = message("SF2DATAX");
    EXPECT_EQ(processor->soundFonts, 0);
    processor->notify(prefix);
    EXPECT_EQ(processor->soundFonts, 0);
}

// Guards against reading past a "TextMessage" whose "Text" fills the SDK base's buffer (the
// SDK's own attribute list hands 256 characters on without a terminating zero), and against
// text that is no UTF-16 throwing out of notify.
TEST_F(Messages, TextMessagesAreReadWithinTheirBufferAndBadTextIsRefused)
{
    auto m = message("TextMessage");
    m->getAttributes()->setString("Text", std::basic_string<TChar>(300, TChar('x')).c_str());
    EXPECT_EQ(processor->notify(m), kResultOk);
    m->getAttributes()->setString("Text", std::basic_string<TChar>(3, TChar(0xDFDF)).c_str());
    EXPECT_EQ(processor->notify(m), kResultFalse);
}

TEST(UsedMemory, IsSentToTheConnectedPeerAsEightBytes)
{
    useFilledDescription();
    HostApplication host;   // not reference counted: it must outlive the processor
    IPtr<ReceivingProcessor> processor = owned(new ReceivingProcessor);
    processor->initialize(&host);
    RecordingPeer peer;
    processor->connect(&peer);
    EXPECT_EQ(processor->sendUsedMemory(123456789012LL), kResultOk);
    EXPECT_EQ(peer.ids, (std::vector<std::string>{"USEDMEM"}));
    EXPECT_EQ(peer.amounts, (std::vector<int64>{123456789012LL}));
    processor->disconnect(&peer);
}

TEST(UsedMemory, WithoutAHostMessageNothingIsSent)
{
    useFilledDescription();
    IPtr<ReceivingProcessor> processor = owned(new ReceivingProcessor);
    processor->initialize(nullptr);   // no host: no message objects
    RecordingPeer peer;
    processor->connect(&peer);
    EXPECT_NE(processor->sendUsedMemory(5), kResultOk);
    EXPECT_TRUE(peer.ids.empty());
    processor->disconnect(&peer);
}

// Guards against an allocation failure escaping notify into the host.
TEST(SoundFontMessages, RunningOutOfMemoryRefusesTheListInsteadOfThrowing)
{
    struct Starved : ReceivingProcessor {
        void soundFontReceived(int32, SFSynthList&) override { throw std::bad_alloc(); }
    };
    useFilledDescription();
    IPtr<Starved> processor = owned(new Starved);
    processor->initialize(nullptr);
    SFSynthList list = twoRecords();
    auto m = message("SF2DATA");
    setInt32(m, "fileID", 1);
    setList(m, list);
    InFlightSynthLists::Scope sending(list.data(), list.data() + list.size());
    EXPECT_EQ(processor->notify(m), kResultFalse);
}

// Voice counts published by the audio thread reach the controller only inside its request, on
// its thread: the highest since the last answer, nothing when nothing was counted since, and
// nothing at activation or deactivation (which a host may do from its audio thread).
TEST(Reports, VoiceCountsLeaveOnlyInsideTheControllersRequest)
{
    struct Publisher : ReceivingProcessor {
        using MyVSTProcessor::publishVoiceCount;
    };
    useFilledDescription();
    HostApplication host;
    IPtr<Publisher> processor = owned(new Publisher);
    processor->initialize(&host);
    RecordingPeer peer;
    processor->connect(&peer);
    processor->setActive(true);
    std::thread audio([&] {
        for (int32 voices : {3, 7, 5})
            processor->publishVoiceCount(voices);
    });
    audio.join();
    processor->setActive(false);
    EXPECT_TRUE(peer.ids.empty());
    EXPECT_EQ(processor->notify(message("GETVOICENUM")), kResultOk);
    EXPECT_EQ(processor->notify(message("GETVOICENUM")), kResultOk);
    EXPECT_EQ(peer.voices, (std::vector<int32>{7}));
    processor->disconnect(&peer);
}

// A replaced sound is freed by the reclaim thread while the processor is active, whoever else
// calls, and once more at deactivation; never afterwards.
TEST(Reports, TheReclaimThreadRunsOnlyWhileActive)
{
    struct Reclaiming : ReceivingProcessor {
        std::atomic<int> runs{0};
        void reclaimMemory() noexcept override { ++runs; }
        ~Reclaiming() override { haltReclaiming(); }
    };
    useFilledDescription();
    IPtr<Reclaiming> processor = owned(new Reclaiming);
    processor->initialize(nullptr);
    processor->setActive(true);
    while (processor->runs == 0)   // every 100 ms; the test's time limit catches a thread that never runs
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const int running = processor->runs;
    processor->setActive(false);
    const int stopped = processor->runs;
    EXPECT_GT(stopped, running);
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    EXPECT_EQ(processor->runs, stopped);
}

// Guards against a copy reading a list whose send has ended: a copy sees all of it or nothing.
TEST(InFlightRegistry, ConcurrentSendsAndCopiesNeverReadAnEndedSend)
{
    std::atomic<bool> done{false};
    std::atomic<const SFSynth*> first{nullptr}, last{nullptr};
    std::thread sender([&] {
        for (int i = 0; i < 400; ++i) {
            SFSynthList list = twoRecords();
            InFlightSynthLists::Scope sending(list.data(), list.data() + list.size());
            last = list.data() + list.size(), first = list.data();
            std::this_thread::yield();
        }
        done = true;
    });
    for (SFSynthList copy; !done; copy.clear()) {
        const SFSynth* a = first;
        EXPECT_TRUE(!a || !InFlightSynthLists::copyIfInFlight(a, last, copy) || copy.size() == 2u);
    }
    sender.join();
}
