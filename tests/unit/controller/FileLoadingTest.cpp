// Loading a file: when it is (re)loaded, what is remembered, and what reaches the processor.
#include "ControllerTestSupport.h"
#include "TestFonts.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace zephra::test;

TEST(LoadFile, SoundFontIsSentWithTheChosenPresetAndRemembered)
{
    TempFile font("tones.sf2", makePitchedPresetsFont(5));
    ControllerFixture fixture;
    const int32_t preset = 4;
    fixture.controller->loadFile(font.widePath(), &preset);
    ASSERT_EQ(fixture.peer->messages.size(), 1u);
    const ReceivedMessage& sent = fixture.peer->messages[0];
    EXPECT_EQ(sent.id, "SF2DATA");
    EXPECT_EQ(sent.binaries.at("SFSynthList").size(), 24u);
    EXPECT_TRUE(sent.listWasInFlight);
    ASSERT_EQ(sent.records.size(), 1u);
    EXPECT_EQ(sent.records[0].coarseTune, presetTransposition(4));
    EXPECT_EQ(fixture.controller->filePaths.at(1), font.widePath());
    EXPECT_EQ(fixture.controller->fileOptions.at(1), (std::vector<uint8_t>{4, 0, 0, 0}));
}

// Two plug-in instances in one process that play the same preset hold its samples once.
TEST(LoadFile, TwoInstancesWithTheSamePresetShareTheirSampleBuffers)
{
    TempFile font("tones.sf2", makePitchedPresetsFont(3));
    ControllerFixture first;
    ControllerFixture second;
    const int32_t preset = 2;
    first.controller->loadFile(font.widePath(), &preset);
    second.controller->loadFile(font.widePath(), &preset);
    ASSERT_EQ(first.peer->messages.size(), 1u);
    ASSERT_EQ(second.peer->messages.size(), 1u);
    const SFSynthList& one = first.peer->messages[0].records;
    const SFSynthList& other = second.peer->messages[0].records;
    ASSERT_EQ(one.size(), 1u);
    ASSERT_EQ(other.size(), 1u);
    EXPECT_TRUE(other[0].samples.sharesBufferWith(one[0].samples));
}

TEST(LoadFile, SamePathAndPresetAgainSendsNothing)
{
    TempFile font("tones.sf2", makePitchedPresetsFont(3));
    ControllerFixture fixture;
    const int32_t preset = 1;
    fixture.controller->loadFile(font.widePath(), &preset);
    fixture.controller->loadFile(font.widePath(), &preset);
    EXPECT_EQ(fixture.peer->messages.size(), 1u);
}

TEST(LoadFile, SamePathOtherPresetReloads)
{
    TempFile font("tones.sf2", makePitchedPresetsFont(3));
    ControllerFixture fixture;
    const int32_t first = 1;
    const int32_t second = 2;
    fixture.controller->loadFile(font.widePath(), &first);
    fixture.controller->loadFile(font.widePath(), &second);
    ASSERT_EQ(fixture.peer->messages.size(), 2u);
    EXPECT_EQ(fixture.peer->messages[1].records.at(0).coarseTune, presetTransposition(2));
    EXPECT_EQ(int32At(fixture.controller->fileOptions.at(1)), 2);
}

TEST(LoadFile, WithoutPresetAlwaysReloadsPresetZeroAndKeepsTheOptions)
{
    TempFile font("tones.sf2", makePitchedPresetsFont(3));
    ControllerFixture fixture;
    const int32_t preset = 2;
    fixture.controller->loadFile(font.widePath(), &preset);
    fixture.controller->loadFile(font.widePath(), nullptr);
    fixture.controller->loadFile(font.widePath(), nullptr);
    ASSERT_EQ(fixture.peer->messages.size(), 3u);
    EXPECT_EQ(fixture.peer->messages[2].records.at(0).coarseTune, presetTransposition(0));
    EXPECT_EQ(int32At(fixture.controller->fileOptions.at(1)), 2);
}

TEST(LoadFile, UpperCaseSf2AndSf3LoadMixedCaseIsRememberedButIgnored)
{
    TempFile upper("TONES.SF2", makePitchedPresetsFont(2));
    TempFile mixed("tones.Sf2", makePitchedPresetsFont(2));
    TempFile lower3("tones.sf3", makePitchedPresetsFont(2)), upper3("TONES.SF3", makePitchedPresetsFont(2));
    TempFile mixed3("tones.sF3", makePitchedPresetsFont(2));
    ControllerFixture fixture;
    for (const TempFile* font : {&mixed3, &lower3, &upper3, &upper})
        fixture.controller->loadFile(font->widePath(), nullptr);
    EXPECT_EQ(fixture.peer->messages.size(), 3u);
    const int32_t preset = 1;
    fixture.controller->loadFile(mixed.widePath(), &preset);
    EXPECT_EQ(fixture.peer->messages.size(), 3u);
    EXPECT_EQ(fixture.controller->filePaths.at(1), mixed.widePath());
    EXPECT_EQ(int32At(fixture.controller->fileOptions.at(1)), 1);
}

TEST(LoadFile, UpperCaseWavAndNoExtensionAreIgnored)
{
    TempFile wav("SOUND.WAV", makeStereoWav(10));
    ControllerFixture fixture;
    fixture.controller->loadFile(wav.widePath(), nullptr);
    fixture.controller->loadFile(u"/tmp/no-extension", nullptr);
    EXPECT_TRUE(fixture.peer->messages.empty());
}

TEST(LoadFile, MissingSoundFontSendsAnEmptyList)
{
    ControllerFixture fixture;
    fixture.controller->loadFile(u"/nonexistent/zephra.sf2", nullptr);
    ASSERT_EQ(fixture.peer->messages.size(), 1u);
    EXPECT_EQ(fixture.peer->messages[0].id, "SF2DATA");
    EXPECT_TRUE(fixture.peer->messages[0].listWasInFlight);
    EXPECT_TRUE(fixture.peer->messages[0].records.empty());
}

TEST(LoadFile, CorruptSoundFontSendsAnEmptyList)
{
    TempFile junk("junk.sf2", std::vector<uint8_t>(300, 0xAB));
    ControllerFixture fixture;
    fixture.controller->loadFile(junk.widePath(), nullptr);
    ASSERT_EQ(fixture.peer->messages.size(), 1u);
    EXPECT_TRUE(fixture.peer->messages[0].records.empty());
}

TEST(SendWave, CarriesFramesTimesFourBytesPerChannel)
{
    TempFile wav("sound.wav", makeStereoWav(300));
    ControllerFixture fixture;
    fixture.controller->loadFile(wav.widePath(), nullptr);
    ASSERT_EQ(fixture.peer->messages.size(), 1u);
    const ReceivedMessage& sent = fixture.peer->messages[0];
    EXPECT_EQ(sent.id, "WAVDATA");
    EXPECT_EQ(int32At(sent.binaries.at("wavID")), 1);
    EXPECT_EQ(sent.binaries.at("wavL").size(), 300u * 4);
    EXPECT_EQ(sent.binaries.at("wavR").size(), 300u * 4);
    EXPECT_EQ(int32At(sent.binaries.at("samplerate")), 44100);
    float secondLeft = 0.0f;
    float secondRight = 0.0f;
    std::memcpy(&secondLeft, sent.binaries.at("wavL").data() + 4, 4);
    std::memcpy(&secondRight, sent.binaries.at("wavR").data() + 4, 4);
    EXPECT_GT(secondLeft, 0.0f);
    EXPECT_LT(secondRight, 0.0f);
}

TEST(SendWave, RefusedFileSendsNothing)
{
    TempFile notWav("broken.wav", std::vector<uint8_t>(64, 0x11));
    ControllerFixture fixture;
    fixture.controller->loadFile(notWav.widePath(), nullptr);
    fixture.controller->loadFile(u"/nonexistent/sound.wav", nullptr);
    EXPECT_TRUE(fixture.peer->messages.empty());
    EXPECT_EQ(fixture.controller->filePaths.at(1), u"/nonexistent/sound.wav");
}

TEST(LoadFileWithoutHostMessages, NothingIsSentAndNothingBreaks)
{
    // A host context that cannot allocate messages: the load is remembered, the send skipped.
    TempFile font("tones.sf2", makePitchedPresetsFont(2));
    TempFile wav("sound.wav", makeStereoWav(16));
    ControllerFixture fixture(filledDescription(), false);
    const int32_t preset = 1;
    fixture.controller->loadFile(font.widePath(), &preset);
    fixture.controller->loadFile(wav.widePath(), nullptr);
    EXPECT_TRUE(fixture.peer->messages.empty());
    EXPECT_EQ(fixture.controller->filePaths.at(1), wav.widePath());
}

TEST(LoadByExtension, OptionBlobsOfOtherSizesMeanPresetZero)
{
    TempFile font("tones.sf2", makePitchedPresetsFont(3));
    ControllerFixture fixture;
    const uint8_t blob[8] = {2, 0, 0, 0, 0, 0, 0, 0};
    fixture.controller->loadByExtension(7, font.widePath(), blob, 8);
    fixture.controller->loadByExtension(7, font.widePath(), nullptr, 4);
    fixture.controller->loadByExtension(7, font.widePath(), blob, 4);
    ASSERT_EQ(fixture.peer->messages.size(), 3u);
    EXPECT_EQ(int32At(fixture.peer->messages[0].binaries.at("fileID")), 7);
    EXPECT_EQ(fixture.peer->messages[0].records.at(0).coarseTune, presetTransposition(0));
    EXPECT_EQ(fixture.peer->messages[1].records.at(0).coarseTune, presetTransposition(0));
    EXPECT_EQ(fixture.peer->messages[2].records.at(0).coarseTune, presetTransposition(2));
}

TEST(SendSoundFont, RegistrationEndsWithTheSend)
{
    // Guards against a late delivery finding the controller's freed records still registered.
    TempFile font("tones.sf2", makePitchedPresetsFont(2));
    ControllerFixture fixture;
    fixture.controller->loadFile(font.widePath(), nullptr);
    ASSERT_EQ(fixture.peer->messages.size(), 1u);
    const SFSynth* range[2];
    std::memcpy(range, fixture.peer->messages[0].binaries.at("SFSynthList").data(), sizeof range);
    SFSynthList late;
    EXPECT_FALSE(InFlightSynthLists::copyIfInFlight(range[0], range[1], late));
    EXPECT_TRUE(late.empty());
}

// Guards against an instrument left silent for good: a load made before the connection existed
// never reached the processor, so connecting sends the remembered sound again.
TEST(LoadFileBeforeTheConnection, IsSentOnceTheConnectionIsMade)
{
    TempFile font("tones.sf2", makePitchedPresetsFont(3));
    ControllerFixture fixture;
    fixture.controller->disconnect(fixture.peer);
    const int32_t preset = 2;
    fixture.controller->loadFile(font.widePath(), &preset);   // no peer: nothing can arrive
    ASSERT_EQ(fixture.controller->connect(fixture.peer), kResultOk);
    ASSERT_EQ(fixture.peer->messages.size(), 1u);
    EXPECT_EQ(fixture.peer->messages[0].records.at(0).coarseTune, presetTransposition(2));
}

// While an editor is open a file is read beside the UI thread and sent when the editor's timer
// delivers it; only the newest choice is sent; closing the editor sends what is still being
// read; without an editor (a project being restored) the file is sent within the call.
TEST(LoadFile, WithAnEditorOpenTheNewestChoiceIsReadAsideAndSentWhenDelivered)
{
    struct SilentEditor : ControllerEditor {
        tresult onControllerMessage(IMessage*) override { return kNotImplemented; }
    } editor;
    TempFile font("tones.sf2", makePitchedPresetsFont(5));
    ControllerFixture fixture;
    fixture.controller->editorOpened(&editor);
    for (const int32_t preset : {1, 2, 3})
        fixture.controller->loadFile(font.widePath(), &preset);
    EXPECT_TRUE(fixture.peer->messages.empty()) << "nothing is read or sent inside the call";
    while (fixture.controller->fileLoads().busy()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        fixture.controller->deliverLoadedFiles();
    }
    ASSERT_EQ(fixture.peer->messages.size(), 1u) << "preset 1 was overtaken, preset 2 replaced";
    EXPECT_EQ(fixture.peer->messages[0].records.at(0).coarseTune, presetTransposition(3));

    const int32_t fourth = 4;
    fixture.controller->loadFile(font.widePath(), &fourth);
    fixture.controller->editorClosed(&editor);
    ASSERT_EQ(fixture.peer->messages.size(), 2u) << "closing sends what was being read";
    EXPECT_EQ(fixture.peer->messages[1].records.at(0).coarseTune, presetTransposition(4));
    const int32_t first = 0;
    fixture.controller->loadFile(font.widePath(), &first);
    EXPECT_EQ(fixture.peer->messages.size(), 3u);
}
