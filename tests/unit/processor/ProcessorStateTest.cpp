// The component state stream: exact bytes, round trips and refusal of damaged streams.
#include "ProcessorTestSupport.h"
#include "processor/ProcessorState.h"
#include "support/StateBytes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

using namespace zephra::test;

namespace {

class State : public ::testing::Test {
protected:
    void SetUp() override
    {
        processor = owned(new RecordingProcessor);
        prepare(*processor);
    }
    void runBlock()
    {
        StereoBlock block(64);
        processor->process(block.data);
    }
    IPtr<RecordingProcessor> processor;
};

// Header, bypass byte and a zero entry count.
std::vector<uint8_t> headerAndBypass()
{
    const auto full = defaultStateBytes();
    std::vector<uint8_t> bytes(full.begin(), full.begin() + 20);
    std::memset(bytes.data() + 16, 0, 4);
    return bytes;
}

void putInt32At(std::vector<uint8_t>& bytes, size_t at, int32 value)
{
    std::memcpy(bytes.data() + at, &value, 4);
}

std::vector<uint8_t> withEntry(std::vector<uint8_t> bytes, int32 id, double value)
{
    const size_t countAt = 4 + 11 + 1;
    int32 count = 0;
    std::memcpy(&count, bytes.data() + countAt, 4);
    putInt32At(bytes, countAt, count + 1);
    uint8_t raw[12];
    std::memcpy(raw, &id, 4);
    std::memcpy(raw + 4, &value, 8);
    bytes.insert(bytes.end(), raw, raw + 12);
    return bytes;
}

} // namespace

TEST_F(State, DefaultStateIsThe104BytesOfTheLayout)
{
    const auto bytes = stateBytes(*processor);
    ASSERT_EQ(bytes.size(), 104u);
    EXPECT_EQ(bytes, defaultStateBytes());
}

TEST_F(State, SetStateThenGetStateGivesTheSameBytesBeforeAnyProcessing)
{
    auto changed = defaultStateBytes();
    changed[15] = 1;   // bypass
    double level = 96.0;
    std::memcpy(changed.data() + 104 - 8, &level, 8);
    ASSERT_EQ(setStateBytes(*processor, changed), kResultOk);
    EXPECT_EQ(stateBytes(*processor), changed);
    runBlock();
    EXPECT_EQ(stateBytes(*processor), changed);
    EXPECT_TRUE(processor->isBypassed());
    EXPECT_DOUBLE_EQ(processor->value(1001), 96.0);
}

TEST_F(State, RestoredValuesReachTheEngineAtTheStartOfTheNextBlock)
{
    auto changed = defaultStateBytes();
    double volume = 0.5;
    std::memcpy(changed.data() + 20 + 12 + 4, &volume, 8);   // second entry: ID 7
    processor->recordParameterValues = true;
    ASSERT_EQ(setStateBytes(*processor, changed), kResultOk);
    EXPECT_TRUE(processor->calls.empty());   // nothing on the calling thread
    runBlock();
    ASSERT_GE(processor->calls.size(), 1u);
    EXPECT_EQ(processor->calls[0].what, "parametersChanged");
    EXPECT_EQ(processor->calls[0].ids, (std::vector<int32>{1, 7, 11, 64, 129, 1000, 1001}));
    EXPECT_DOUBLE_EQ(processor->seenValues[0][1].second, 0.5);
}

TEST_F(State, UnknownIdIsAddedAndWrittenBack)
{
    const auto bytes = withEntry(defaultStateBytes(), 5000, 3.5);
    ASSERT_EQ(setStateBytes(*processor, bytes), kResultOk);
    EXPECT_EQ(stateBytes(*processor).size(), 116u);
    runBlock();
    const auto after = stateBytes(*processor);
    EXPECT_EQ(after, bytes);
    EXPECT_DOUBLE_EQ(processor->value(5000), 3.5);
}

TEST_F(State, PartialStreamKeepsParametersItDoesNotName)
{
    processor->setParameter(11, 0.5);
    std::vector<uint8_t> bytes = headerAndBypass();
    bytes = withEntry(bytes, 7, 0.125);
    ASSERT_EQ(setStateBytes(*processor, bytes), kResultOk);
    runBlock();
    EXPECT_DOUBLE_EQ(processor->value(7), 0.125);
    EXPECT_DOUBLE_EQ(processor->value(11), 0.5);
    EXPECT_EQ(stateBytes(*processor).size(), 104u);
}

TEST_F(State, AutomationBetweenSetStateAndTheNextBlockSurvivesForUnnamedIds)
{
    std::vector<uint8_t> bytes = headerAndBypass();
    bytes = withEntry(bytes, 7, 0.125);
    ASSERT_EQ(setStateBytes(*processor, bytes), kResultOk);
    StereoBlock block(64);
    FakeParameterChanges changes;
    changes.add(11, {{0, 0.75}});
    block.data.inputParameterChanges = &changes;
    processor->process(block.data);
    EXPECT_DOUBLE_EQ(processor->value(7), 0.125);
    EXPECT_DOUBLE_EQ(processor->value(11), 0.75);
}

TEST_F(State, SecondSetStateBeforeAnyBlockReplacesTheFirst)
{
    auto first = defaultStateBytes();
    first[15] = 1;
    auto second = withEntry(defaultStateBytes(), 5000, 1.0);
    ASSERT_EQ(setStateBytes(*processor, first), kResultOk);
    ASSERT_EQ(setStateBytes(*processor, second), kResultOk);
    EXPECT_EQ(stateBytes(*processor), second);
    runBlock();
    EXPECT_FALSE(processor->isBypassed());
    EXPECT_EQ(stateBytes(*processor), second);
}

TEST_F(State, StateSetBeforeInitializeSurvivesIt)
{
    IPtr<RecordingProcessor> fresh = owned(new RecordingProcessor);
    auto bytes = defaultStateBytes();
    bytes[15] = 1;
    ASSERT_EQ(setStateBytes(*fresh, bytes), kResultOk);
    fresh->initialize(nullptr);
    EXPECT_EQ(stateBytes(*fresh), bytes);
}

// What a build that knows no extra fields does with a state that carries one (the response).
TEST_F(State, ExtraFieldsAfterTheEntriesAreLeftToTheSubclassAndDoNotDisturbTheEntries)
{
    auto bytes = defaultStateBytes();
    double level = 48.0;
    std::memcpy(bytes.data() + 104 - 8, &level, 8);
    const std::vector<uint8_t> field = soundFont204Field();
    bytes.insert(bytes.end(), field.begin(), field.end());
    ASSERT_EQ(setStateBytes(*processor, bytes), kResultOk);
    runBlock();
    EXPECT_DOUBLE_EQ(processor->value(1001), 48.0);
    EXPECT_EQ(stateBytes(*processor).size(), 104u);
}

TEST_F(State, OtherVersionIsRefusedAndChangesNothing)
{
    auto bytes = defaultStateBytes();
    bytes[6] = '4';   // "1.4-fw 2.1"
    EXPECT_EQ(setStateBytes(*processor, bytes), kResultFalse);
    runBlock();
    EXPECT_EQ(stateBytes(*processor), defaultStateBytes());
}

TEST_F(State, HeaderWithoutZeroOrWithTrailingBytesIsReadToItsFirstZero)
{
    std::vector<uint8_t> bytes = defaultStateBytes();
    // n = 10: the text without its zero is still the right header.
    std::vector<uint8_t> noZero(bytes.begin(), bytes.end());
    putInt32At(noZero, 0, 10);
    noZero.erase(noZero.begin() + 14);
    EXPECT_EQ(setStateBytes(*processor, noZero), kResultOk);
    // n = 13: zero then padding.
    std::vector<uint8_t> padded(bytes.begin(), bytes.end());
    putInt32At(padded, 0, 13);
    padded.insert(padded.begin() + 15, {0, 0});
    EXPECT_EQ(setStateBytes(*processor, padded), kResultOk);
}

// Regression guard: every cut of the stream is refused and leaves the state as it was.
TEST_F(State, EveryTruncationIsRefusedAndChangesNothing)
{
    auto full = defaultStateBytes();
    full[15] = 1;
    double value = 0.75;
    std::memcpy(full.data() + 24, &value, 8);   // Mod Wheel
    for (size_t length = 0; length < full.size(); ++length) {
        std::vector<uint8_t> cut(full.begin(), full.begin() + static_cast<ptrdiff_t>(length));
        ASSERT_EQ(setStateBytes(*processor, cut), kResultFalse) << "length " << length;
        runBlock();
        ASSERT_EQ(stateBytes(*processor), defaultStateBytes()) << "length " << length;
    }
    EXPECT_EQ(setStateBytes(*processor, full), kResultOk);
}

TEST_F(State, CountLargerThanTheEntriesIsRefusedAndNothingIsApplied)
{
    std::vector<uint8_t> bytes = headerAndBypass();
    bytes = withEntry(bytes, 7, 0.1);
    bytes = withEntry(bytes, 11, 0.2);
    putInt32At(bytes, 16, 3);
    EXPECT_EQ(setStateBytes(*processor, bytes), kResultFalse);
    runBlock();
    EXPECT_DOUBLE_EQ(processor->value(7), 1.0);
    for (const EngineCall& call : processor->calls)
        EXPECT_NE(call.what, "parametersChanged");
}

TEST_F(State, HugeOrNegativeLengthsAndCountsAreRefused)
{
    for (int32 length : {0, -1, -11, 257, 1 << 30, std::numeric_limits<int32>::max(),
                         std::numeric_limits<int32>::min()}) {
        auto bytes = defaultStateBytes();
        putInt32At(bytes, 0, length);
        EXPECT_EQ(setStateBytes(*processor, bytes), kResultFalse) << length;
    }
    for (int32 count : {-1, std::numeric_limits<int32>::min(), std::numeric_limits<int32>::max(),
                        100000000}) {
        auto bytes = defaultStateBytes();
        putInt32At(bytes, 16, count);
        EXPECT_EQ(setStateBytes(*processor, bytes), kResultFalse) << count;
    }
    runBlock();
    EXPECT_EQ(stateBytes(*processor), defaultStateBytes());
}

TEST_F(State, NullStreamIsAnInvalidArgument)
{
    EXPECT_EQ(processor->setState(nullptr), kInvalidArgument);
    EXPECT_EQ(processor->getState(nullptr), kInvalidArgument);
}

TEST_F(State, BypassPersistsThroughStateAndActivation)
{
    StereoBlock block(64);
    FakeParameterChanges changes;
    changes.add(kBypassParameterId, {{0, 1.0}});
    block.data.inputParameterChanges = &changes;
    processor->process(block.data);
    const auto saved = stateBytes(*processor);
    EXPECT_EQ(saved[15], 1);

    IPtr<RecordingProcessor> other = owned(new RecordingProcessor);
    prepare(*other);
    ASSERT_EQ(setStateBytes(*other, saved), kResultOk);
    other->setActive(false);
    other->setActive(true);
    StereoBlock next(64, 0.2f);
    other->process(next.data);
    EXPECT_TRUE(other->isBypassed());
    EXPECT_EQ(next.outL, next.inL);
    EXPECT_EQ(stateBytes(*other), saved);
}

// Guards against a NaN "Output Level" making every sample NaN (the controller already refused
// such a stream), and a 1.2 MB state taking most of a second: the count is capped, the entries
// sorted once, a later entry for an ID winning.
TEST_F(State, NonFiniteValuesAndTooManyEntriesAreRefusedAndUpToTheCapSortedOnce)
{
    for (double bad : {std::nan(""), HUGE_VAL, -HUGE_VAL})
        EXPECT_EQ(setStateBytes(*processor, withEntry(withEntry(headerAndBypass(), 7, 0.5), 1001, bad)), kResultFalse);
    std::vector<uint8_t> bytes = headerAndBypass();
    for (int32 i = 0; i < kMaxStateEntries - 1; ++i)
        bytes = withEntry(bytes, 100000 - i, double(i));
    bytes = withEntry(bytes, 100000, -1.0);
    EXPECT_EQ(setStateBytes(*processor, withEntry(bytes, 7, 0.5)), kResultFalse);   // one too many
    ASSERT_EQ(setStateBytes(*processor, bytes), kResultOk);
    runBlock();
    EXPECT_TRUE(processor->values().size() == size_t(kMaxStateEntries - 1 + 7) && processor->value(100000) == -1.0);
    for (size_t i = 1; i < processor->values().size(); ++i)
        ASSERT_LT(processor->values().idAt(i - 1), processor->values().idAt(i));
}
