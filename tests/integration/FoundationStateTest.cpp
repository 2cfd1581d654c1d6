// The processor's component state through the bundle: its exact bytes, round trips, and
// refusal of every damaged stream without losing the state already in place.
#include "controller/ControllerState.h"
#include "host/PluginHost.h"
#include "host/VectorStream.h"
#include "shell/ParameterIds.h"
#include "support/StateBytes.h"
#include "support/BundleFixture.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace zephra::host;

namespace {

using zephra::test::appendDouble;
using zephra::test::appendInt32;
using zephra::test::processorStateBytes;

const std::vector<std::pair<int32_t, double>>& kDefaults = zephra::test::defaultStateEntries();

class BundleState : public zephra::test::BundleFixture {
protected:
    void SetUp() override {
        setUpProcessing(44100.0, 64);
    }

    std::vector<uint8_t> state() {
        tresult result = kResultFalse;
        std::vector<uint8_t> bytes = plugin->processorState(&result);
        EXPECT_EQ(result, kResultOk);
        return bytes;
    }

    // A block lets the audio thread pick up a restored state, as it would in a host.
    void block() { plugin->process(64); }
};

TEST_F(BundleState, TheDefaultStateIsTheDocumented104Bytes) {
    const std::vector<uint8_t> bytes = state();
    ASSERT_EQ(bytes.size(), 104u);
    const std::vector<uint8_t> head = {0x0B, 0, 0, 0, '1', '.', '5', '-', 'f', 'w', ' ', '2', '.', '1', 0, 0, 7, 0, 0, 0};
    EXPECT_TRUE(std::equal(head.begin(), head.end(), bytes.begin()));
    EXPECT_EQ(bytes, processorStateBytes(kStateHeader, 0, kDefaults));
}

TEST_F(BundleState, TheDefaultStateIsTheSameBeforeSetUp) {
    std::string error;
    auto fresh = Plugin::create(*module, error);
    ASSERT_NE(fresh, nullptr) << error;
    EXPECT_EQ(fresh->processorState(), processorStateBytes(kStateHeader, 0, kDefaults));
}

TEST_F(BundleState, AStateReadBackGivesTheSameBytes) {
    const std::vector<uint8_t> defaults = state();
    ASSERT_EQ(plugin->setProcessorState(defaults), kResultOk);
    block();
    EXPECT_EQ(state(), defaults);

    const auto changed = processorStateBytes(kStateHeader, 1,
        {{kModWheelId, 0.25}, {kVolumeId, 0.5}, {kExpressionId, 0.75}, {kSustainPedalId, 2.0}, {kPitchBendId, -1.0}, {kBendRangeId, 12.0}, {kOutputLevelId, 240.0}});
    ASSERT_EQ(plugin->setProcessorState(changed), kResultOk);
    EXPECT_EQ(state(), changed);   // also before the audio thread has applied it
    block();
    EXPECT_EQ(state(), changed);
}

TEST_F(BundleState, ValuesAreKeptAsStoredWithoutClamping) {
    const auto outOfRange = processorStateBytes(kStateHeader, 0,
        {{kModWheelId, 5.0}, {kVolumeId, -3.0}, {kExpressionId, 1.0}, {kSustainPedalId, 0.0}, {kPitchBendId, 0.0}, {kBendRangeId, 99.5}, {kOutputLevelId, 1e6}});
    ASSERT_EQ(plugin->setProcessorState(outOfRange), kResultOk);
    block();
    EXPECT_EQ(state(), outOfRange);
}

TEST_F(BundleState, AnUnknownIdIsAddedAndWrittenAsAnEighthEntry) {
    ASSERT_EQ(plugin->setProcessorState(processorStateBytes(kStateHeader, 0, {{5000, 3.5}})), kResultOk);
    block();
    std::vector<std::pair<int32_t, double>> expected = kDefaults;
    expected.emplace_back(5000, 3.5);
    EXPECT_EQ(state(), processorStateBytes(kStateHeader, 0, expected));
    EXPECT_EQ(state().size(), 116u);
}

TEST_F(BundleState, APartialStateChangesOnlyTheEntriesItNames) {
    ASSERT_EQ(plugin->setProcessorState(processorStateBytes(kStateHeader, 0, {{kVolumeId, 0.3}})), kResultOk);
    block();
    std::vector<std::pair<int32_t, double>> expected = kDefaults;
    expected[1].second = 0.3;
    EXPECT_EQ(state(), processorStateBytes(kStateHeader, 0, expected));
}

TEST_F(BundleState, AnotherVersionIsRefusedAndChangesNothing) {
    const auto known = processorStateBytes(kStateHeader, 1, {{kVolumeId, 0.5}});
    ASSERT_EQ(plugin->setProcessorState(known), kResultOk);
    block();
    const std::vector<uint8_t> before = state();
    EXPECT_EQ(plugin->setProcessorState(processorStateBytes("1.4-fw 2.1", 0, kDefaults)), kResultFalse);
    EXPECT_EQ(plugin->setProcessorState(processorStateBytes("1.5-fw 2.0", 0, kDefaults)), kResultFalse);
    EXPECT_EQ(plugin->setProcessorState(processorStateBytes("1.5-fw 2.1 ", 0, kDefaults)), kResultFalse);
    EXPECT_EQ(plugin->setProcessorState(processorStateBytes("", 0, kDefaults)), kResultFalse);
    block();
    EXPECT_EQ(state(), before);
}

// Guards against reading or allocating by a header length the stream cannot hold.
TEST_F(BundleState, BadHeaderLengthsAreRefusedAndChangeNothing) {
    const std::vector<uint8_t> before = state();
    for (int32_t length : {0, -1, -11, 0x7FFFFFFF, int32_t(0x80000000), 12, 10, 4096, 1 << 30}) {
        std::vector<uint8_t> bytes = processorStateBytes(kStateHeader, 1, {{kVolumeId, 0.5}});
        std::memcpy(bytes.data(), &length, 4);
        EXPECT_EQ(plugin->setProcessorState(bytes), kResultFalse) << "header length " << length;
    }
    block();
    EXPECT_EQ(state(), before);
}

TEST_F(BundleState, AHeaderWithoutTerminatingZeroIsReadOverAllItsBytes) {
    // n = 10 bytes kStateHeader without a zero: the text is all ten bytes, which matches.
    std::vector<uint8_t> bytes;
    appendInt32(bytes, 10);
    for (char c : std::string(kStateHeader))
        bytes.push_back(static_cast<uint8_t>(c));
    bytes.push_back(0);
    appendInt32(bytes, 1);
    appendInt32(bytes, 7);
    appendDouble(bytes, 0.5);
    EXPECT_EQ(plugin->setProcessorState(bytes), kResultOk);
}

TEST_F(BundleState, EveryTruncationIsRefusedAndTheOldStateIsKept) {
    const auto known = processorStateBytes(kStateHeader, 1, {{kModWheelId, 0.5}, {kVolumeId, 0.25}, {kOutputLevelId, 24.0}});
    ASSERT_EQ(plugin->setProcessorState(known), kResultOk);
    block();
    const std::vector<uint8_t> before = state();
    const auto other = processorStateBytes(kStateHeader, 0, kDefaults);
    for (size_t length = 0; length < other.size(); ++length) {
        const std::vector<uint8_t> cut(other.begin(), other.begin() + static_cast<long>(length));
        EXPECT_EQ(plugin->setProcessorState(cut), kResultFalse) << "cut at " << length;
    }
    block();
    EXPECT_EQ(state(), before);
}

TEST_F(BundleState, AStreamThatFailsToReadIsRefusedAtEveryPosition) {
    const std::vector<uint8_t> before = state();
    const auto other = processorStateBytes(kStateHeader, 1, {{kVolumeId, 0.1}, {kExpressionId, 0.2}});
    for (int64_t limit = 0; limit < static_cast<int64_t>(other.size()); ++limit) {
        VectorStream stream(other);
        stream.limitReads(limit, VectorStream::LimitBehaviour::Error);
        EXPECT_EQ(plugin->component()->setState(&stream), kResultFalse) << "failing from " << limit;
    }
    block();
    EXPECT_EQ(state(), before);
}

TEST_F(BundleState, ACountLargerThanTheEntriesIsRefused) {
    const std::vector<uint8_t> before = state();
    std::vector<uint8_t> bytes = processorStateBytes(kStateHeader, 0, {{kVolumeId, 0.5}, {kExpressionId, 0.5}});
    const int32_t three = 3;
    std::memcpy(bytes.data() + 16, &three, 4);
    EXPECT_EQ(plugin->setProcessorState(bytes), kResultFalse);
    const int32_t huge = 0x7FFFFFFF;
    std::memcpy(bytes.data() + 16, &huge, 4);
    EXPECT_EQ(plugin->setProcessorState(bytes), kResultFalse);
    const int32_t negative = -1;
    std::memcpy(bytes.data() + 16, &negative, 4);
    EXPECT_EQ(plugin->setProcessorState(bytes), kResultFalse);
    block();
    EXPECT_EQ(state(), before);
}

TEST_F(BundleState, EverySingleByteCorruptionGivesAnAnswerAndKeepsTheProcessorWorking) {
    const auto good = processorStateBytes(kStateHeader, 0, kDefaults);
    for (size_t position = 0; position < good.size(); ++position) {
        for (uint8_t value : {uint8_t(0x00), uint8_t(0x7F), uint8_t(0x80), uint8_t(0xFF)}) {
            std::vector<uint8_t> bytes = good;
            bytes[position] = value;
            const tresult result = plugin->setProcessorState(bytes);
            EXPECT_TRUE(result == kResultOk || result == kResultFalse) << "byte " << position;
        }
    }
    block();
    tresult result = kResultFalse;
    const std::vector<uint8_t> after = plugin->processorState(&result);
    EXPECT_EQ(result, kResultOk);
    EXPECT_GE(after.size(), 20u);
    // Whatever was accepted, a valid state still restores everything.
    ASSERT_EQ(plugin->setProcessorState(good), kResultOk);
    block();
    EXPECT_EQ(state().size() >= good.size(), true);
}

TEST_F(BundleState, ANullStreamIsRefused) {
    EXPECT_NE(plugin->component()->setState(nullptr), kResultOk);
    EXPECT_NE(plugin->component()->getState(nullptr), kResultOk);
}

TEST_F(BundleState, TheControllerFollowsTheProcessorState) {
    const auto changed = processorStateBytes(kStateHeader, 0,
        {{kModWheelId, 0.0}, {kVolumeId, 0.5}, {kExpressionId, 1.0}, {kSustainPedalId, 0.0}, {kPitchBendId, 0.0}, {kBendRangeId, 2.0}, {kOutputLevelId, 12.0}});
    ASSERT_EQ(plugin->setProcessorState(changed), kResultOk);
    ASSERT_EQ(plugin->setControllerComponentState(changed), kResultOk);
    EXPECT_DOUBLE_EQ(plugin->controller()->getParamNormalized(7), 0.5);
}

TEST_F(BundleState, StateSurvivesActivationAndProcessingCycles) {
    const auto changed = processorStateBytes(kStateHeader, 1, {{kVolumeId, 0.5}, {kOutputLevelId, 48.0}});
    ASSERT_EQ(plugin->setProcessorState(changed), kResultOk);
    block();
    const std::vector<uint8_t> expected = state();
    for (int cycle = 0; cycle < 5; ++cycle) {
        plugin->setProcessing(false);
        ASSERT_EQ(plugin->setActive(false), kResultOk);
        EXPECT_EQ(state(), expected);
        ASSERT_EQ(plugin->setActive(true), kResultOk);
        plugin->setProcessing(true);
        block();
        EXPECT_EQ(state(), expected);
        ASSERT_EQ(plugin->setProcessorState(expected), kResultOk);
    }
}

} // namespace

// The response lives after the entries, written only for "SoundFont 2.04", so a "Classic"
// state is what every build wrote, and a build that does not know the field reads past it.
TEST_F(BundleState, TheSoundFont204ResponseRoundTripsAsAnExtraFieldAndClassicStays104Bytes) {
    const std::vector<uint8_t> classic = processorStateBytes(kStateHeader, 0, kDefaults);
    const std::vector<uint8_t> field = zephra::test::soundFont204Field();
    EXPECT_EQ(field, (std::vector<uint8_t>{1, 0, 0, 0, 4, 0, 0, 0, 1, 0, 0, 0}))
        << "key 1, 4 bytes, response 1: the layout stored projects hold";
    std::vector<uint8_t> soundFont = classic;
    soundFont.insert(soundFont.end(), field.begin(), field.end());
    ASSERT_EQ(plugin->setProcessorState(soundFont), kResultOk);
    block();
    EXPECT_EQ(state(), soundFont);
    EXPECT_EQ(plugin->setControllerComponentState(soundFont), kResultOk);

    std::vector<uint8_t> unknownFirst = classic;   // a later build's field is stepped over
    unknownFirst.insert(unknownFirst.end(), {9, 0, 0, 0, 2, 0, 0, 0, 7, 7});
    unknownFirst.insert(unknownFirst.end(), field.begin(), field.end());
    ASSERT_EQ(plugin->setProcessorState(unknownFirst), kResultOk);
    EXPECT_EQ(state(), soundFont);
    std::vector<uint8_t> huge = classic, negative = classic;   // sizes no field of ours has
    huge.insert(huge.end(), {9, 0, 0, 0, 0, 0, 0, 0x40});
    huge.insert(huge.end(), field.begin(), field.end());
    negative.insert(negative.end(), {9, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF});
    for (const auto& restored : {classic, std::vector<uint8_t>(soundFont.begin(), soundFont.end() - 2), huge, negative}) {
        ASSERT_EQ(plugin->setProcessorState(restored), kResultOk);   // no field, cut short or not ours
        EXPECT_EQ(state().size(), 104u);
    }
}
