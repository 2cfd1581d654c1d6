// The sine test font that the other teams build their tests on must resolve into playable
// records: a failure here breaks every engine, controller and renderer test.
#include "TestFiles.h"
#include "soundfont/SoundFontReader.h"

using namespace Steinberg::Vst;
using namespace zephra::test;

TEST(SineFont, ListsOnePresetPerRequestedProgram)
{
    SineFontOptions options;
    options.presetCount = 3;
    SoundFontReader reader(writeTemp(makeSineSoundFont(options)));
    ASSERT_EQ(reader.presets.size(), 4u);  // terminal record included
    EXPECT_STREQ(reader.presets[2].name, "Sine 2");
    EXPECT_EQ(reader.presets[2].preset, 2);
    EXPECT_EQ(reader.presets[2].bank, 0);
    EXPECT_EQ(reader.bankName, "Sine Test Bank");
}

TEST(SineFont, ResolvesIntoOneLoopedRecordOfWholeCycles)
{
    SoundFontReader reader(writeTemp(makeSineSoundFont()));
    reader.resolvePreset(0);
    reader.buildSynthRecords();
    ASSERT_EQ(reader.synths.size(), 1u);
    const SFSynth& r = reader.synths[0];
    EXPECT_EQ(r.sampleModes, 1);
    EXPECT_EQ(r.rootKey, 69);
    EXPECT_EQ(r.sampleRate, 44100);
    EXPECT_EQ((r.loopEnd - r.loopStart) % 100, 0);
    EXPECT_GT(r.loopEnd, r.loopStart);
    EXPECT_LE(static_cast<size_t>(r.loopEnd), r.samples.size() - 1);
    // Seamless: the point at loop end continues the cycle as the point at loop start does.
    EXPECT_NEAR(r.samples[r.loopEnd], r.samples[r.loopStart], 1.0f / 32768.0f);
    EXPECT_NEAR(r.samples[r.loopEnd - 1], r.samples[r.loopStart - 1], 1.0f / 32768.0f);
    EXPECT_FLOAT_EQ(r.samples.back(), 0.0f);
    EXPECT_FLOAT_EQ(r.volEnvRelease, 0.0009765625f);  // 2^-10 s
    EXPECT_EQ(reader.log, "インストルメント数 : 1\nNo.0 : エラーなし\n");
}

TEST(SineFont, OneShotAndReleaseOptionsReachTheRecord)
{
    SineFontOptions options;
    options.looped = false;
    options.volEnvReleaseTimecents = 0;
    options.rootKey = 60;
    options.pitchCorrection = -7;
    SoundFontReader reader(writeTemp(makeSineSoundFont(options)));
    reader.resolvePreset(0);
    reader.buildSynthRecords();
    ASSERT_EQ(reader.synths.size(), 1u);
    EXPECT_EQ(reader.synths[0].sampleModes, 0);
    EXPECT_FLOAT_EQ(reader.synths[0].volEnvRelease, 1.0f);
    EXPECT_EQ(reader.synths[0].rootKey, 60);
    EXPECT_EQ(reader.synths[0].pitchCorrection, -7);
}
