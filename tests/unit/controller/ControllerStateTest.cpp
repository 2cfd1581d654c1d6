// The controller's own state stream: layout, round trips, reloading remembered files, and
// refusal of damaged streams with the previous state kept whole.
#include "ControllerTestSupport.h"
#include "TestFonts.h"

#include <gtest/gtest.h>

using namespace zephra::test;

namespace {
// A stream naming path under file 1 with preset index preset, and one string list.
std::vector<uint8_t> stateNaming(const std::u16string& path, int32_t preset)
{
    std::vector<uint8_t> bytes;
    appendStateHeader(bytes, kStateHeader);
    appendInt32(bytes, 1);
    appendPath(bytes, 1, path);
    appendInt32(bytes, 1);
    appendInt32(bytes, 1);
    appendInt32(bytes, 4);
    appendInt32(bytes, preset);
    appendInt32(bytes, 1);     // one list
    appendInt32(bytes, 9);     // key
    appendInt32(bytes, 2);     // two items
    appendInt32(bytes, 3);
    bytes.insert(bytes.end(), {'a', 'b', 'c'});
    appendInt32(bytes, 0);
    return bytes;
}
} // namespace

TEST(ControllerState, FreshControllerWrites27Bytes)
{
    ControllerFixture fixture;
    const std::vector<uint8_t> bytes = controllerState(*fixture.controller);
    std::vector<uint8_t> expected;
    appendStateHeader(expected, kStateHeader);
    appendInt32(expected, 0);
    appendInt32(expected, 0);
    appendInt32(expected, 0);
    ASSERT_EQ(bytes.size(), 27u);
    EXPECT_EQ(bytes, expected);
}

TEST(ControllerState, FreshStreamOnFreshControllerChangesAndSendsNothing)
{
    ControllerFixture fixture;
    EXPECT_EQ(setControllerState(*fixture.controller, controllerState(*fixture.controller)), kResultOk);
    EXPECT_TRUE(fixture.controller->filePaths.empty());
    EXPECT_TRUE(fixture.peer->messages.empty());
}

TEST(ControllerState, PathAndPresetThreeSendOneSoundFontForPresetThree)
{
    TempFile font("tones.sf2", makePitchedPresetsFont(5));
    ControllerFixture fixture;
    ASSERT_EQ(setControllerState(*fixture.controller, stateNaming(font.widePath(), 3)), kResultOk);
    ASSERT_EQ(fixture.peer->messages.size(), 1u);
    const ReceivedMessage& sent = fixture.peer->messages[0];
    EXPECT_EQ(sent.id, "SF2DATA");
    EXPECT_EQ(int32At(sent.binaries.at("fileID")), 1);
    EXPECT_TRUE(sent.listWasInFlight);
    ASSERT_EQ(sent.records.size(), 1u);
    EXPECT_EQ(sent.records[0].coarseTune, presetTransposition(3));
    EXPECT_EQ(fixture.controller->filePaths.at(1), font.widePath());
    EXPECT_EQ(fixture.controller->stringLists.at(9), (std::vector<std::string>{"abc", ""}));
}

TEST(ControllerState, WrittenStreamReadsBackToTheSameBytes)
{
    TempFile font("tones.sf2", makePitchedPresetsFont(5));
    ControllerFixture first;
    setControllerState(*first.controller, stateNaming(font.widePath(), 2));
    const std::vector<uint8_t> saved = controllerState(*first.controller);
    EXPECT_EQ(saved, stateNaming(font.widePath(), 2));

    ControllerFixture second;
    ASSERT_EQ(setControllerState(*second.controller, saved), kResultOk);
    EXPECT_EQ(controllerState(*second.controller), saved);
}

TEST(ControllerState, PathWithoutOptionReloadsPresetZero)
{
    TempFile font("tones.sf2", makePitchedPresetsFont(4));
    std::vector<uint8_t> bytes;
    appendStateHeader(bytes, kStateHeader);
    appendInt32(bytes, 1);
    appendPath(bytes, 1, font.widePath());
    appendInt32(bytes, 0);
    appendInt32(bytes, 0);
    ControllerFixture fixture;
    ASSERT_EQ(setControllerState(*fixture.controller, bytes), kResultOk);
    ASSERT_EQ(fixture.peer->messages.size(), 1u);
    ASSERT_EQ(fixture.peer->messages[0].records.size(), 1u);
    EXPECT_EQ(fixture.peer->messages[0].records[0].coarseTune, presetTransposition(0));
}

TEST(ControllerState, EmptyStreamOnALoadedControllerRemovesNothingAndReloads)
{
    TempFile font("tones.sf2", makePitchedPresetsFont(4));
    ControllerFixture fixture;
    const int32_t preset = 2;
    fixture.controller->loadFile(font.widePath(), &preset);
    fixture.peer->messages.clear();
    std::vector<uint8_t> empty;
    appendStateHeader(empty, kStateHeader);
    appendInt32(empty, 0);
    appendInt32(empty, 0);
    appendInt32(empty, 0);
    ASSERT_EQ(setControllerState(*fixture.controller, empty), kResultOk);
    EXPECT_EQ(fixture.controller->filePaths.at(1), font.widePath());
    ASSERT_EQ(fixture.peer->messages.size(), 1u);
    EXPECT_EQ(fixture.peer->messages[0].records.at(0).coarseTune, presetTransposition(2));
}

TEST(ControllerState, MissingFileStillRestoresWithAnEmptyList)
{
    ControllerFixture fixture;
    ASSERT_EQ(setControllerState(*fixture.controller, stateNaming(u"/nonexistent/zephra.sf2", 1)), kResultOk);
    ASSERT_EQ(fixture.peer->messages.size(), 1u);
    EXPECT_TRUE(fixture.peer->messages[0].records.empty());
}

class ControllerStateBadInput : public ::testing::Test {
protected:
    // A controller that remembers a file, a preset and a list before the bad stream arrives.
    void SetUp() override
    {
        font = std::make_unique<TempFile>("tones.sf2", makePitchedPresetsFont(4));
        ASSERT_EQ(setControllerState(*fixture.controller, stateNaming(font->widePath(), 1)), kResultOk);
        before = controllerState(*fixture.controller);
        fixture.peer->messages.clear();
    }
    void expectUnchanged(const std::string& what)
    {
        EXPECT_EQ(controllerState(*fixture.controller), before) << what;
        EXPECT_TRUE(fixture.peer->messages.empty()) << what;
    }

    std::unique_ptr<TempFile> font;
    ControllerFixture fixture;
    std::vector<uint8_t> before;
};

TEST_F(ControllerStateBadInput, EveryTruncationIsRefusedAndKeepsTheOldState)
{
    TempFile other("other.sf2", makePitchedPresetsFont(2));
    const std::vector<uint8_t> full = stateNaming(other.widePath(), 0);
    for (size_t length = 0; length < full.size(); ++length) {
        const std::vector<uint8_t> cut(full.begin(), full.begin() + static_cast<long>(length));
        EXPECT_EQ(setControllerState(*fixture.controller, cut), kResultFalse) << length;
        expectUnchanged("cut at " + std::to_string(length));
    }
}

TEST_F(ControllerStateBadInput, OtherVersionIsRefused)
{
    std::vector<uint8_t> bytes;
    appendStateHeader(bytes, "1.4-fw 2.1");
    appendInt32(bytes, 0);
    appendInt32(bytes, 0);
    appendInt32(bytes, 0);
    EXPECT_EQ(setControllerState(*fixture.controller, bytes), kResultFalse);
    expectUnchanged("version 1.4");
}

TEST_F(ControllerStateBadInput, NegativeAndHugeHeaderLengthsAreRefused)
{
    for (int32_t length : {-1, 0, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()}) {
        std::vector<uint8_t> bytes;
        appendInt32(bytes, length);
        bytes.insert(bytes.end(), {'1', '.', '5'});
        EXPECT_EQ(setControllerState(*fixture.controller, bytes), kResultFalse) << length;
        expectUnchanged("header length " + std::to_string(length));
    }
}

TEST_F(ControllerStateBadInput, NegativeAndHugeCountsAreRefused)
{
    for (int32_t count : {-1, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()}) {
        for (int field = 0; field < 3; ++field) {
            std::vector<uint8_t> bytes;
            appendStateHeader(bytes, kStateHeader);
            for (int i = 0; i < 3; ++i) appendInt32(bytes, i == field ? count : 0);
            EXPECT_EQ(setControllerState(*fixture.controller, bytes), kResultFalse) << count << " " << field;
            expectUnchanged("count " + std::to_string(count));
        }
    }
}

TEST_F(ControllerStateBadInput, NegativeAndOversizedLengthsAreRefused)
{
    for (int32_t length : {-1, -2, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), 1 << 30}) {
        std::vector<uint8_t> path;
        appendStateHeader(path, kStateHeader);
        appendInt32(path, 1);
        appendInt32(path, 1);
        appendInt32(path, length);       // path length in UTF-16 units
        path.insert(path.end(), 40, 'x');
        EXPECT_EQ(setControllerState(*fixture.controller, path), kResultFalse) << length;

        std::vector<uint8_t> option;
        appendStateHeader(option, kStateHeader);
        appendInt32(option, 0);
        appendInt32(option, 1);
        appendInt32(option, 1);
        appendInt32(option, length);     // blob size
        option.insert(option.end(), 40, 'x');
        EXPECT_EQ(setControllerState(*fixture.controller, option), kResultFalse) << length;

        std::vector<uint8_t> item;
        appendStateHeader(item, kStateHeader);
        appendInt32(item, 0);
        appendInt32(item, 0);
        appendInt32(item, 1);
        appendInt32(item, 3);
        appendInt32(item, 1);
        appendInt32(item, length);       // item length
        item.insert(item.end(), 40, 'x');
        EXPECT_EQ(setControllerState(*fixture.controller, item), kResultFalse) << length;
        expectUnchanged("length " + std::to_string(length));
    }
}

TEST_F(ControllerStateBadInput, NullStreamIsRefused)
{
    EXPECT_EQ(fixture.controller->setState(nullptr), kResultFalse);
    expectUnchanged("null stream");
    EXPECT_EQ(fixture.controller->getState(nullptr), kResultOk);
}

TEST_F(ControllerStateBadInput, RandomCorruptionNeverCrashesAndRefusalKeepsTheState)
{
    TempFile other("other.sf2", makePitchedPresetsFont(2));
    const std::vector<uint8_t> good = stateNaming(other.widePath(), 0);
    uint32_t seed = 12345;
    auto next = [&seed] { seed = seed * 1664525u + 1013904223u; return seed >> 8; };
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> bytes = good;
        const int flips = 1 + static_cast<int>(next() % 4);
        for (int f = 0; f < flips; ++f) bytes[next() % bytes.size()] = static_cast<uint8_t>(next());
        const std::vector<uint8_t> held = controllerState(*fixture.controller);
        fixture.peer->messages.clear();
        if (setControllerState(*fixture.controller, bytes) == kResultFalse) {
            EXPECT_EQ(controllerState(*fixture.controller), held) << round;
            EXPECT_TRUE(fixture.peer->messages.empty()) << round;
        }
    }
}

// Only the last remembered SoundFont is loaded (it is the only one ever heard), so a project
// naming thousands of fonts does not hold the UI thread for all of them.
TEST(ControllerState, OnlyTheLastRememberedSoundFontIsLoaded)
{
    TempFile first("first.sf2", makePitchedPresetsFont(2)), last("last.sf2", makePitchedPresetsFont(5));
    std::vector<uint8_t> bytes;
    appendStateHeader(bytes, kStateHeader);
    appendInt32(bytes, 3);
    appendPath(bytes, 1, first.widePath());
    appendPath(bytes, 2, u"/nonexistent/notes.txt");
    appendPath(bytes, 7, last.widePath());
    for (int i = 0; i < 2; ++i)
        appendInt32(bytes, 0);   // no options, no lists
    ControllerFixture fixture;
    ASSERT_EQ(setControllerState(*fixture.controller, bytes), kResultOk);
    ASSERT_EQ(fixture.peer->messages.size(), 1u);
    EXPECT_EQ(int32At(fixture.peer->messages[0].binaries.at("fileID")), 7);
    EXPECT_EQ(fixture.controller->filePaths.size(), 3u);   // all still remembered and saved
}
