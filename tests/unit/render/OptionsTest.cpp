// Command-line parsing: defaults, both value spellings, and a reason for every bad option.
#include "Options.h"
#include "controller/ControllerState.h"

#include <gtest/gtest.h>

using namespace zephra::render;

namespace {

bool parse(std::vector<const char*> args, Options& options, std::string& error) {
    args.insert(args.begin(), "zephra-render");
    return parseOptions(static_cast<int>(args.size()), args.data(), options, error);
}

std::string errorOf(std::vector<const char*> args) {
    Options options;
    std::string error;
    EXPECT_FALSE(parse(args, options, error));
    return error;
}

} // namespace

TEST(RenderOptions, DefaultsPlayTheDemoWithTheDebianSoundFont) {
    Options options;
    std::string error;
    ASSERT_TRUE(parse({}, options, error));
    EXPECT_EQ(options.soundFontPath, "/usr/share/sounds/sf2/TimGM6mb.sf2");
    EXPECT_TRUE(options.midiPath.empty());
    EXPECT_EQ(options.blockSize, 2048);
    EXPECT_EQ(options.sampleRate, 44100);
    EXPECT_FALSE(options.tailGiven);   // until every instance is silent ...
    EXPECT_DOUBLE_EQ(options.tailSeconds, 30.0);   // ... at most this long
    EXPECT_EQ(options.outputPath, "out.wav");
    EXPECT_FALSE(options.single);
    EXPECT_EQ(options.channel, -1);
    EXPECT_TRUE(options.normalise);
}

TEST(RenderOptions, ValuesAreTakenFromTheNextArgumentOrAfterAnEqualsSign) {
    Options options;
    std::string error;
    ASSERT_TRUE(parse({"--sf2", "a.sf2", "--midi=b.mid", "-o", "c.wav", "--format=float", "--rate", "48000",
                       "--block=64", "--tail", "0.5", "--bank", "128", "--program", "0", "--level", "6"},
                      options, error))
        << error;
    EXPECT_EQ(options.soundFontPath, "a.sf2");
    EXPECT_EQ(options.midiPath, "b.mid");
    EXPECT_EQ(options.outputPath, "c.wav");
    EXPECT_EQ(options.format, SampleFormat::Float32);
    EXPECT_EQ(options.sampleRate, 48000);
    EXPECT_EQ(options.blockSize, 64);
    EXPECT_DOUBLE_EQ(options.tailSeconds, 0.5);
    EXPECT_TRUE(options.bankGiven);
    EXPECT_EQ(options.bank, 128);
    EXPECT_TRUE(options.programGiven);
    EXPECT_TRUE(options.levelGiven);
    EXPECT_DOUBLE_EQ(options.level, 6.0);
    // A preset of its own means one instance; a level of its own means no normalising.
    EXPECT_TRUE(options.single);
    EXPECT_FALSE(options.normalise);
}

TEST(RenderOptions, ChannelIsCountedFromOneAndNormalisingCanBeSwitchedOff) {
    Options options;
    std::string error;
    ASSERT_TRUE(parse({"--channel", "10", "--no-normalise"}, options, error)) << error;
    EXPECT_EQ(options.channel, 9);
    EXPECT_FALSE(options.single);
    EXPECT_FALSE(options.normalise);
    EXPECT_NE(errorOf({"--channel", "17"}).find("1 to 16"), std::string::npos);
    EXPECT_NE(errorOf({"--tail", "31"}).find("0 to 30"), std::string::npos);
    ASSERT_TRUE(parse({"--response", "sf2"}, options, error)) << error;
    EXPECT_EQ(options.response, ResponseChoice::soundFont204);
    EXPECT_NE(errorOf({"--response", "fluid"}).find("classic or sf2"), std::string::npos);
}

TEST(RenderOptions, BadValuesAreRefusedWithTheirReason) {
    EXPECT_NE(errorOf({"--block", "0"}).find("--block"), std::string::npos);
    EXPECT_NE(errorOf({"--block", "9000"}).find("8192"), std::string::npos);
    EXPECT_NE(errorOf({"--rate", "8000"}).find("44100"), std::string::npos);
    EXPECT_NE(errorOf({"--format", "8"}).find("16, 24 or float"), std::string::npos);
    EXPECT_NE(errorOf({"--tail", "-1"}).find("--tail"), std::string::npos);
    EXPECT_NE(errorOf({"--tail", "nan"}).find("--tail"), std::string::npos);
    EXPECT_NE(errorOf({"--preset", "x"}).find("--preset"), std::string::npos);
    EXPECT_NE(errorOf({"--preset", "12abc"}).find("--preset"), std::string::npos);
    EXPECT_NE(errorOf({"--midi"}).find("needs a value"), std::string::npos);
    // An option where the value should be is a missing value, not a file named like an option.
    EXPECT_NE(errorOf({"--midi", "a.mid", "--midi", "-o", "x.wav"}).find("not the option \"-o\""), std::string::npos);
    EXPECT_NE(errorOf({"--program", "128"}).find("0 to 127"), std::string::npos);
    EXPECT_NE(errorOf({"--jobs", "0"}).find("1 to 64"), std::string::npos);
    EXPECT_NE(errorOf({"--level", "241"}).find("0 to 240"), std::string::npos);
    EXPECT_NE(errorOf({"--frobnicate"}).find("unknown option"), std::string::npos);
    EXPECT_NE(errorOf({"--list-presets=yes"}).find("takes no value"), std::string::npos);
}

TEST(RenderOptions, PresetAndBankProgramExcludeEachOther) {
    EXPECT_NE(errorOf({"--preset", "1", "--program", "2"}).find("either"), std::string::npos);
    EXPECT_NE(errorOf({"--bank", "1"}).find("--program"), std::string::npos);
}

TEST(ControllerStateBytes, HoldsThePathAndPresetIndexUnderFileIdOne) {
    const std::vector<uint8_t> bytes = Steinberg::Vst::soundFontControllerState(u"/a", 3);
    const std::vector<uint8_t> expected{
        11, 0, 0, 0, '1', '.', '5', '-', 'f', 'w', ' ', '2', '.', '1', 0,  // header
        1, 0, 0, 0, 1, 0, 0, 0, 3, 0, 0, 0, '/', 0, 'a', 0, 0, 0,         // one path, ID 1, 3 units
        1, 0, 0, 0, 1, 0, 0, 0, 4, 0, 0, 0, 3, 0, 0, 0,                   // one option: preset 3
        0, 0, 0, 0};                                                      // no string lists
    EXPECT_EQ(bytes, expected);
}
