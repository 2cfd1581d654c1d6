#include "FakePluginProbe.h"
#include "host/MessageObjects.h"
#include "host/PluginHost.h"

#include "pluginterfaces/vst/ivstevents.h"

#include <gtest/gtest.h>

#include <limits>
#include <thread>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace zephra::host;

namespace {

class FakePluginInstance : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        module = Module::load(HOST_FAKE_PLUGIN, error);
        ASSERT_NE(module, nullptr) << error;
        probe = reinterpret_cast<FakeProbeFunction>(module->symbol("FakePluginProbe"))();
        plugin = Plugin::create(*module, error);
        ASSERT_NE(plugin, nullptr) << error;
    }

    std::shared_ptr<Module> module;
    std::unique_ptr<Plugin> plugin;
    FakeProbe* probe = nullptr;
};

TEST_F(FakePluginInstance, CreationGivesEveryInterfaceAndHandsTheStateToTheController) {
    EXPECT_NE(plugin->component(), nullptr);
    EXPECT_NE(plugin->processor(), nullptr);
    EXPECT_NE(plugin->controller(), nullptr);
    EXPECT_NE(plugin->hostContext(), nullptr);
    // The fake controller answers setComponentState with one edit gesture.
    const std::vector<EditRecord> edits = plugin->edits();
    ASSERT_EQ(edits.size(), 3u);
    EXPECT_EQ(edits[0].kind, EditRecord::Kind::BeginEdit);
    EXPECT_EQ(edits[1].kind, EditRecord::Kind::PerformEdit);
    EXPECT_EQ(edits[1].id, 1u);
    EXPECT_EQ(edits[1].value, 0.25);
    EXPECT_EQ(edits[2].kind, EditRecord::Kind::EndEdit);
    EXPECT_EQ(edits[0].thread, std::this_thread::get_id());
    plugin->clearEdits();
    EXPECT_TRUE(plugin->edits().empty());
}

TEST_F(FakePluginInstance, SetUpPassesRateAndBlockSizeAndActivates) {
    std::string error;
    ASSERT_TRUE(plugin->setup(48000.0, 512, &error)) << error;
    EXPECT_EQ(probe->maxBlockSetUp, 512);
    EXPECT_EQ(probe->sampleRateSetUp, 48000.0);
    EXPECT_EQ(probe->activeCalls, 1);
    EXPECT_TRUE(plugin->active());
}

TEST_F(FakePluginInstance, MessagesAreDeliveredInsideTheSendersCallAndRecorded) {
    ASSERT_TRUE(plugin->setup(44100.0, 64));
    // setActive(true) sends "HELLO"; the controller answers "PING" from inside its notify.
    EXPECT_EQ(probe->pingsReceived, 1);
    const std::vector<MessageRecord> messages = plugin->messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].id, "HELLO");
    EXPECT_EQ(messages[0].direction, MessageDirection::ToController);
    EXPECT_EQ(messages[0].binaries.at("count").size(), 4u);
    EXPECT_EQ(messages[0].thread, std::this_thread::get_id());
    EXPECT_FALSE(messages[0].held);
    EXPECT_EQ(messages[1].id, "PING");
    EXPECT_EQ(messages[1].direction, MessageDirection::ToProcessor);
    EXPECT_EQ(messages[1].deliveryResult, kResultOk);
}

TEST_F(FakePluginInstance, HeldMessagesWaitUntilDeliveredLater) {
    plugin->holdMessages(true);
    ASSERT_TRUE(plugin->setup(44100.0, 64));
    EXPECT_EQ(probe->pingsReceived, 0);
    ASSERT_EQ(plugin->messages().size(), 1u);
    EXPECT_TRUE(plugin->messages()[0].held);

    plugin->holdMessages(false);
    EXPECT_EQ(plugin->deliverHeldMessages(), 1);
    EXPECT_EQ(probe->pingsReceived, 1);   // the late "HELLO" still got its answer
    EXPECT_EQ(plugin->deliverHeldMessages(), 0);
}

// Guards against a held message being lost (leaked) when the instance ends before delivery.
TEST_F(FakePluginInstance, MessagesStillHeldAtTheEndAreReleased) {
    const long before = Message::liveCount();
    plugin->holdMessages(true);
    ASSERT_TRUE(plugin->setup(44100.0, 64));
    EXPECT_EQ(Message::liveCount(), before + 1);   // the held "HELLO"
    plugin.reset();
    EXPECT_EQ(Message::liveCount(), before);
    EXPECT_EQ(probe->pingsReceived, 0);   // released, never delivered
}

// As the SDK's proxy: only the thread that connected the two sides may send.
TEST_F(FakePluginInstance, MessagesFromTheAudioThreadAreRefusedRecordedAndCounted) {
    ASSERT_TRUE(plugin->setup(44100.0, 64));
    plugin->clearMessages();
    const int64_t refusedBefore = refusedMessagesInProcess();
    std::thread audio([&] { plugin->process(64, {}, {NoteEvent::on(3, 64)}); });
    const std::thread::id audioId = audio.get_id();
    audio.join();
    const std::vector<MessageRecord> messages = plugin->messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].id, "NOTE");
    EXPECT_EQ(messages[0].thread, audioId);
    EXPECT_TRUE(messages[0].refused);
    EXPECT_EQ(messages[0].deliveryResult, kResultFalse);
    EXPECT_EQ(plugin->refusedMessages(), 1);
    EXPECT_EQ(refusedMessagesInProcess(), refusedBefore + 1);
    plugin->process(64, {}, {NoteEvent::on(3, 64)});   // on the connecting thread it arrives
    EXPECT_FALSE(plugin->messages().back().refused);
    EXPECT_EQ(plugin->messages().back().deliveryResult, kResultOk);
}

TEST_F(FakePluginInstance, RecordingCanBeSwitchedOff) {
    plugin->recordMessages(false);
    ASSERT_TRUE(plugin->setup(44100.0, 64));
    EXPECT_TRUE(plugin->messages().empty());
    EXPECT_EQ(probe->pingsReceived, 1);
}

TEST_F(FakePluginInstance, AStereoBlockCarriesInputChangesNotesAndContext) {
    ASSERT_TRUE(plugin->setup(44100.0, 256));
    plugin->setInputSignal(std::vector<float>(256, 1.0f), std::vector<float>(256, -1.0f));
    ProcessContext context{};
    context.tempo = 97.0;
    const StereoBuffer& out = plugin->process(
        128, {{7, 0, 0.2}, {7, 100, 0.9}, {1, 0, 0.5}},
        {NoteEvent::on(100, 60, 0.75f), NoteEvent::off(120, 60)}, &context);
    EXPECT_EQ(plugin->lastProcessResult(), kResultOk);
    ASSERT_EQ(out.left.size(), 128u);
    EXPECT_EQ(out.left[0], 0.5f);
    EXPECT_EQ(out.right[127], -0.5f);
    EXPECT_EQ(probe->numSamples, 128);
    EXPECT_EQ(probe->numInputs, 1);
    EXPECT_EQ(probe->inputChannels, 2);
    EXPECT_EQ(probe->outputChannels, 2);
    EXPECT_EQ(probe->parameterQueues, 2);
    EXPECT_EQ(probe->firstQueueId, 7u);
    EXPECT_EQ(probe->firstQueuePoints, 2);
    EXPECT_EQ(probe->firstQueueLastValue, 0.9);
    EXPECT_EQ(probe->events, 2);
    EXPECT_EQ(probe->firstEventType, Event::kNoteOnEvent);
    EXPECT_EQ(probe->firstEventOffset, 100);
    EXPECT_EQ(probe->firstEventPitch, 60);
    EXPECT_EQ(probe->firstEventVelocity, 0.75f);
    EXPECT_TRUE(probe->hadContext);
    EXPECT_EQ(probe->contextTempo, 97.0);
}

TEST_F(FakePluginInstance, TheInputSignalContinuesFromBlockToBlock) {
    ASSERT_TRUE(plugin->setup(44100.0, 4));
    plugin->setInputSignal({1, 2, 3, 4, 5, 6}, {1, 2, 3, 4, 5, 6});
    plugin->process(4);
    const StereoBuffer& out = plugin->process(4);
    EXPECT_EQ(out.left, (std::vector<float>{2.5f, 3.0f, 0.0f, 0.0f}));
    EXPECT_EQ(plugin->processedSamples(), 8);
}

TEST_F(FakePluginInstance, NullListsAndNoContextReachThePluginAsNull) {
    ASSERT_TRUE(plugin->setup(44100.0, 64));
    ProcessOptions options;
    options.nullParameterChanges = true;
    options.nullEvents = true;
    plugin->process(64, {}, {}, nullptr, options);
    EXPECT_FALSE(probe->hadParameterChanges);
    EXPECT_FALSE(probe->hadEvents);
    EXPECT_FALSE(probe->hadContext);
    plugin->process(64);
    EXPECT_TRUE(probe->hadParameterChanges);
    EXPECT_TRUE(probe->hadEvents);
    EXPECT_EQ(probe->parameterQueues, 0);
}

TEST_F(FakePluginInstance, EachBusLayoutIsPresentedAsNamed) {
    ASSERT_TRUE(plugin->setup(44100.0, 64));
    ProcessOptions options;
    options.layout = BusLayout::NoBuses;
    plugin->process(64, {}, {}, nullptr, options);
    EXPECT_EQ(probe->numInputs, 0);
    EXPECT_EQ(probe->numOutputs, 0);
    EXPECT_EQ(probe->inputChannels, -1);

    options.layout = BusLayout::ZeroChannels;
    plugin->process(64, {}, {}, nullptr, options);
    EXPECT_EQ(probe->numInputs, 1);
    EXPECT_EQ(probe->inputChannels, 0);

    options.layout = BusLayout::MonoOutput;
    plugin->process(64, {}, {}, nullptr, options);
    EXPECT_EQ(probe->outputChannels, 1);

    options.layout = BusLayout::NullChannelPointers;
    const StereoBuffer& out = plugin->process(64, {}, {}, nullptr, options);
    EXPECT_EQ(probe->inputChannels, 2);
    EXPECT_EQ(out.left[0], 0.0f);
}

TEST_F(FakePluginInstance, InPlaceProcessingSharesTheBuffersAndReturnsTheirResult) {
    ASSERT_TRUE(plugin->setup(44100.0, 8));
    plugin->setInputSignal(std::vector<float>(8, 1.0f), std::vector<float>(8, 1.0f));
    ProcessOptions options;
    options.inPlace = true;
    const StereoBuffer& out = plugin->process(8, {}, {}, nullptr, options);
    EXPECT_TRUE(probe->inPlace);
    EXPECT_EQ(out.left[7], 0.5f);
}

TEST_F(FakePluginInstance, ProcessIntoWritesTheCallersChannelsAndRefusesWhatItCannotPassOn) {
    ASSERT_TRUE(plugin->setup(44100.0, 8));
    plugin->setInputSignal(std::vector<float>(8, 1.0f), std::vector<float>(8, -1.0f));
    std::vector<float> left(10, 7.0f), right(10, 7.0f);   // two guard samples past the block
    ASSERT_TRUE(plugin->processInto(8, {}, {}, left.data(), right.data()));
    EXPECT_EQ(left, (std::vector<float>{0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 7.0f, 7.0f}));
    EXPECT_EQ(right[7], -0.5f);
    EXPECT_FALSE(plugin->processInto(8, {}, {}, nullptr, right.data()));
    EXPECT_FALSE(plugin->processInto(-1, {}, {}, left.data(), right.data()));
    EXPECT_EQ(plugin->lastProcessResult(), kInvalidArgument);
}

TEST_F(FakePluginInstance, InputSilenceKeptBetweenBlocksOfAnyLengthGivesWayToANewSignal) {
    ASSERT_TRUE(plugin->setup(44100.0, 16));
    plugin->setInputSignal(std::vector<float>(4, 1.0f), std::vector<float>(4, 1.0f));
    EXPECT_EQ(plugin->process(16).left[4], 0.0f);   // the signal, then silence
    EXPECT_EQ(plugin->process(8).left[7], 0.0f);
    EXPECT_EQ(plugin->process(16).left[15], 0.0f);  // a longer block after a shorter one
    plugin->setInputSignal(std::vector<float>(40, 1.0f), std::vector<float>(40, 1.0f));
    EXPECT_EQ(plugin->process(16).left[15], 0.5f);
}

TEST_F(FakePluginInstance, ABlockLargerThanTheSetUpStillWorks) {
    ASSERT_TRUE(plugin->setup(44100.0, 16));
    const StereoBuffer& out = plugin->process(1000);
    EXPECT_EQ(out.left.size(), 1000u);
    EXPECT_EQ(probe->numSamples, 1000);
}

TEST_F(FakePluginInstance, ANegativeBlockLengthIsNotPassedOn) {
    ASSERT_TRUE(plugin->setup(44100.0, 16));
    const int32_t callsBefore = probe->processCalls;
    const StereoBuffer& out = plugin->process(-1);
    EXPECT_EQ(plugin->lastProcessResult(), kInvalidArgument);
    EXPECT_TRUE(out.left.empty());
    EXPECT_EQ(probe->processCalls, callsBefore);
}

TEST_F(FakePluginInstance, AnAbsurdBlockLengthIsNotPassedOnNorAllocated) {
    ASSERT_TRUE(plugin->setup(44100.0, 16));
    const int32_t callsBefore = probe->processCalls;
    const StereoBuffer& out = plugin->process(std::numeric_limits<int32_t>::max());
    EXPECT_EQ(plugin->lastProcessResult(), kInvalidArgument);
    EXPECT_TRUE(out.left.empty());
    EXPECT_EQ(probe->processCalls, callsBefore);
    plugin->process(16);
    EXPECT_EQ(plugin->lastProcessResult(), kResultOk);
}

TEST_F(FakePluginInstance, StateBytesRoundTripThroughBothSides) {
    ASSERT_EQ(plugin->setProcessorState({0x2A, 0, 0, 0}), kResultOk);
    tresult result = kResultFalse;
    EXPECT_EQ(plugin->processorState(&result), (std::vector<uint8_t>{0x2A, 0, 0, 0}));
    EXPECT_EQ(result, kResultOk);
    EXPECT_EQ(plugin->setProcessorState({1, 2}), kResultFalse);
    EXPECT_EQ(probe->state, 0x2A);
    EXPECT_EQ(plugin->setControllerComponentState({0x2A, 0, 0, 0}), kResultOk);
}

TEST_F(FakePluginInstance, ActivationCyclesAreCounted) {
    ASSERT_TRUE(plugin->setup(44100.0, 64));
    EXPECT_EQ(plugin->setActive(false), kResultOk);
    EXPECT_FALSE(plugin->active());
    EXPECT_EQ(plugin->setActive(true), kResultOk);
    EXPECT_EQ(plugin->setProcessing(true), kNotImplemented);
    EXPECT_EQ(probe->activeCalls, 3);
}

TEST(PluginCreation, TheSameLibraryLoadedTwiceServesBothModules) {
    std::string error;
    auto module = Module::load(HOST_FAKE_PLUGIN, error);
    ASSERT_NE(module, nullptr) << error;
    // Loading the same library twice shares it; both modules stay usable.
    auto second = Module::load(HOST_FAKE_BUNDLE, error);
    ASSERT_NE(second, nullptr) << error;
    auto plugin = Plugin::create(*second, error);
    EXPECT_NE(plugin, nullptr) << error;
}

TEST(PluginCreation, AProcessorThatFailsToInitialiseGivesAReason) {
    std::string error;
    auto module = Module::load(HOST_FAKE_FAILING_INITIALIZE, error);
    ASSERT_NE(module, nullptr) << error;
    auto plugin = Plugin::create(*module, error);
    EXPECT_EQ(plugin, nullptr);
    EXPECT_NE(error.find("processor's initialize returned"), std::string::npos) << error;
}

TEST(PluginCreation, AControllerTheFactoryCannotMakeGivesAReason) {
    std::string error;
    auto module = Module::load(HOST_FAKE_NO_CONTROLLER, error);
    ASSERT_NE(module, nullptr) << error;
    auto plugin = Plugin::create(*module, error);
    EXPECT_EQ(plugin, nullptr);
    EXPECT_NE(error.find("could not create the processor's controller"), std::string::npos) << error;
}

TEST(PluginCreation, ThePluginKeepsItsModuleLoaded) {
    std::string error;
    auto module = Module::load(HOST_FAKE_PLUGIN, error);
    ASSERT_NE(module, nullptr) << error;
    auto plugin = Plugin::create(*module, error);
    ASSERT_NE(plugin, nullptr) << error;
    module.reset();   // the plug-in's code must stay mapped until the plug-in is gone
    ASSERT_TRUE(plugin->setup(44100.0, 32));
    plugin->process(32);
    EXPECT_EQ(plugin->lastProcessResult(), kResultOk);
}

} // namespace
