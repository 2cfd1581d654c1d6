// Building SFSynth records: every conversion of the record table, the zone's own samples with
// the guard point, the load log, and the refusals of samples outside "smpl".
#include "TestFonts.h"
#include "TestFiles.h"
#include "soundfont/SoundFontReader.h"

#include <cmath>

using namespace Steinberg::Vst;
using namespace zephra::test;

namespace {
SoundFontReader built(const SoundFontSpec& spec, int32_t preset = 0)
{
    SoundFontReader reader(writeTemp(buildSoundFont(spec)));
    reader.resolvePreset(preset);
    reader.buildSynthRecords();
    return reader;
}
// Worked values, not the code's own formulas: within float rounding of the exact figure.
#define EXPECT_WORKED(actual, exact) EXPECT_NEAR((actual), (exact), 2e-6 * std::fabs(double(exact)))
} // namespace

TEST(RecordConversions, EveryFieldFollowsItsConversion)
{
    SoundFontSpec spec = singleZoneFont({{0, 3}, {4, 1}, {1, -2}, {12, 0}, {2, 1}, {45, 0}, {3, -1}, {50, 0},
                                         {54, 1}, {57, 9}, {58, 64}, {51, -3}, {52, 25}, {48, 60}, {17, -250},
                                         {33, -1200}, {34, 1200}, {35, 0}, {36, 2400}, {37, 200}, {38, -2400},
                                         {39, 50}, {40, -50}, {11, 600}, {7, -600}, {8, 6900}, {9, 120},
                                         {25, 100}, {26, 200}, {27, 300}, {28, 400}, {29, 250}, {30, 500},
                                         {31, 10}, {32, 20}, {22, 1200}, {21, -600}, {13, 30}, {10, 700},
                                         {5, 50}, {24, 2400}, {23, 0}, {6, -50}, {15, 200}, {16, 300}},
                                        {rangeGenerator(43, 20, 100), rangeGenerator(44, 5, 90)});
    spec.samples[0].pitchCorrection = -12;
    spec.samples[0].sampleRate = 22050;
    SoundFontReader reader = built(spec);
    ASSERT_EQ(reader.synths.size(), 1u);
    const SFSynth& r = reader.synths[0];
    EXPECT_EQ(r.keyLow, 20);
    EXPECT_EQ(r.keyHigh, 100);
    EXPECT_EQ(r.velocityLow, 5);
    EXPECT_EQ(r.velocityHigh, 90);
    EXPECT_EQ(r.startOffset, 32768 + 3);
    EXPECT_EQ(r.end, 16 - 2);
    EXPECT_EQ(r.loopStart, 2 + 1);
    EXPECT_EQ(r.loopEnd, 14 - 1);
    EXPECT_EQ(r.sampleRate, 22050);
    EXPECT_EQ(r.sampleModes, 1);
    EXPECT_EQ(r.exclusiveClass, 9);
    EXPECT_EQ(r.rootKey, 64);
    EXPECT_EQ(r.pitchCorrection, -12);
    EXPECT_EQ(r.coarseTune, -3);
    EXPECT_EQ(r.fineTune, 25);
    EXPECT_WORKED(r.attenuation, 0.5011872);      // 6 dB
    EXPECT_EQ(r.pan, -250 * 0.1f);
    EXPECT_EQ(r.volEnvDelay, 0.5f);
    EXPECT_WORKED(r.volEnvAttack, 2.0);
    EXPECT_EQ(r.volEnvHold, 1.0f);
    EXPECT_WORKED(r.volEnvDecay, 4.0);
    EXPECT_WORKED(r.volEnvSustain, 0.1);            // 20 dB
    EXPECT_WORKED(r.volEnvRelease, 0.25);
    EXPECT_EQ(r.keyToVolEnvHold, 50 * 0.01f);
    EXPECT_EQ(r.keyToVolEnvDecay, -50 * 0.01f);
    EXPECT_WORKED(r.modEnvToFilterCutoff, 1.4142136);  // half an octave
    EXPECT_WORKED(r.modEnvToPitch, 0.7071068);
    EXPECT_NEAR(r.filterCutoff, 440.0f, 0.05f);
    EXPECT_WORKED(r.filterResonance, 3.9810717);   // 12 dB
    EXPECT_WORKED(r.modEnvDelay, 1.0594631);       // a semitone's ratio
    EXPECT_WORKED(r.modEnvAttack, 1.1224620);
    EXPECT_WORKED(r.modEnvHold, 1.1892071);
    EXPECT_WORKED(r.modEnvDecay, 1.2599210);
    EXPECT_WORKED(r.modEnvSustain, 0.75);
    EXPECT_WORKED(r.modEnvRelease, 1.3348399);
    EXPECT_EQ(r.keyToModEnvHold, 10 * 0.01f);
    EXPECT_EQ(r.keyToModEnvDecay, 20 * 0.01f);
    EXPECT_NEAR(r.modLfoFrequency, 16.352f, 0.001f);
    EXPECT_WORKED(r.modLfoDelay, 0.7071068);
    EXPECT_WORKED(r.modLfoToVolume, 0.2920542);     // 1 - 3 dB
    EXPECT_WORKED(r.modLfoToFilterCutoff, 1.4983071);
    EXPECT_WORKED(r.modLfoToPitch, 1.0293022);
    EXPECT_NEAR(r.vibLfoFrequency, 32.704f, 0.001f);
    EXPECT_EQ(r.vibLfoDelay, 1.0f);
    EXPECT_EQ(r.reserved[0], 0.0f);
    EXPECT_EQ(r.reserved[1], 0.0f);
    EXPECT_WORKED(r.vibLfoToPitch, 0.9715319);
    EXPECT_EQ(r.chorusSend, 200 * 0.1f);
    EXPECT_EQ(r.reverbSend, 300 * 0.1f);
}

TEST(RecordConversions, DefaultsGiveTheNeutralRecord)
{
    SoundFontReader reader = built(singleZoneFont());
    ASSERT_EQ(reader.synths.size(), 1u);
    const SFSynth& r = reader.synths[0];
    EXPECT_EQ(r.rootKey, 60);  // the sample's recorded pitch, gen 58 being -1
    EXPECT_EQ(r.attenuation, 1.0f);
    EXPECT_EQ(r.volEnvSustain, 1.0f);
    EXPECT_WORKED(r.volEnvAttack, 0.0009765625);   // 2^-10 s
    EXPECT_EQ(r.modEnvSustain, 1.0f);
    EXPECT_EQ(r.modLfoToVolume, 0.0f);
    EXPECT_EQ(r.modEnvToPitch, 1.0f);
    EXPECT_NEAR(r.filterCutoff, 19912.0f, 1.0f);
    EXPECT_NEAR(r.modLfoFrequency, 8.176f, 1e-4f);
    EXPECT_EQ(r.sampleModes, 0);
    EXPECT_EQ(r.keyLow, 0);
    EXPECT_EQ(r.keyHigh, 127);
}

TEST(RecordConversions, AttenuationBeyondHundredDecibelsIsSilence)
{
    SoundFontReader reader = built(singleZoneFont({{48, 1001}, {37, 1001}, {13, 1001}, {29, 1001}}));
    ASSERT_EQ(reader.synths.size(), 1u);
    EXPECT_EQ(reader.synths[0].attenuation, 0.0f);
    EXPECT_EQ(reader.synths[0].volEnvSustain, 0.0f);
    EXPECT_WORKED(reader.synths[0].modLfoToVolume, 0.99998415);   // kept to 960 cB: full depth
    EXPECT_EQ(reader.synths[0].modEnvSustain, 0.0f);
    SoundFontReader edge = built(singleZoneFont({{48, 1000}, {29, 1000}}));
    EXPECT_WORKED(edge.synths[0].attenuation, 1e-5);   // 100 dB
    EXPECT_EQ(edge.synths[0].modEnvSustain, 0.0f);  // 1 - 1.0
}

TEST(RecordSamples, ZoneSamplesBecomeFloatsWithAGuardPoint)
{
    SoundFontSpec spec = singleZoneFont();
    spec.samples.insert(spec.samples.begin(), rampSample("first", 10, -3000));
    spec.samples[0].points[0] = -32768;
    spec.instruments[0].zones = {ZoneSpec{{}, {}, 0}, ZoneSpec{{}, {}, 1}};
    SoundFontReader reader = built(spec);
    ASSERT_EQ(reader.synths.size(), 2u);
    ASSERT_EQ(reader.synths[0].samples.size(), 11u);
    EXPECT_EQ(reader.synths[0].samples[0], -1.0f);
    EXPECT_EQ(reader.synths[0].samples[1], -6000 / 32768.0f);
    EXPECT_EQ(reader.synths[0].samples[10], 0.0f);
    ASSERT_EQ(reader.synths[1].samples.size(), 17u);
    EXPECT_EQ(reader.synths[1].samples[0], 100 / 32768.0f);
    EXPECT_EQ(reader.synths[1].samples[15], 1600 / 32768.0f);
    EXPECT_EQ(reader.synths[1].samples[16], 0.0f);
}

TEST(RecordSamples, SampleWithEndEqualToStartIsOneGuardPoint)
{
    SoundFontSpec spec = singleZoneFont();
    spec.samples[0].rawPositions = SampleSpec::Positions{4, 4, 4, 4};
    SoundFontReader reader = built(spec);
    ASSERT_EQ(reader.synths.size(), 1u);
    ASSERT_EQ(reader.synths[0].samples.size(), 1u);
    EXPECT_EQ(reader.synths[0].samples[0], 0.0f);
}

TEST(RecordSamples, CopiedRecordsShareTheirSamples)
{
    SoundFontReader reader = built(singleZoneFont());
    SFSynthList copy = reader.synths;
    EXPECT_TRUE(copy[0].samples.sharesBufferWith(reader.synths[0].samples));
    EXPECT_EQ(copy[0].samples[0], 100 / 32768.0f);
}

TEST(RecordLog, CountsZonesAndReportsEachOne)
{
    SoundFontSpec spec = singleZoneFont();
    spec.instruments[0].zones = {ZoneSpec{{}, {}, 0}, ZoneSpec{{}, {}, 7}, ZoneSpec{{}, {}, 0}};
    SoundFontReader reader = built(spec);
    EXPECT_EQ(reader.synths.size(), 2u);
    EXPECT_EQ(reader.log, "インストルメント数 : 3\n"
                          "No.0 : エラーなし\n"
                          "No.1 : ジェネレータの指定するサンプルIDがサンプル数より多い\n"
                          "No.2 : エラーなし\n");
}

TEST(RecordRefusals, SampleSizeEqualToTheSampleChunkIsRefused)
{
    SoundFontSpec spec = singleZoneFont();
    // The writer's "smpl" holds 16 + 46 points: a sample of all 62 is exactly the chunk.
    spec.samples[0].rawPositions = SampleSpec::Positions{0, 62, 0, 0};
    SoundFontReader reader = built(spec);
    EXPECT_TRUE(reader.synths.empty());
    EXPECT_EQ(reader.log, "インストルメント数 : 1\nNo.0 : shdrが指定する波形サイズがSMPLチャンクサイズより大きい\n");
    spec.samples[0].rawPositions = SampleSpec::Positions{0, 61, 0, 0};
    EXPECT_EQ(built(spec).synths.size(), 1u);
}

TEST(RecordRefusals, SampleReachingPastTheSampleChunkIsRefused)
{
    // Start and end pass the size check, yet start + length runs past "smpl" into the tables.
    SoundFontSpec spec = singleZoneFont();
    spec.samples[0].rawPositions = SampleSpec::Positions{40, 70, 40, 41};
    SoundFontReader reader = built(spec);
    EXPECT_TRUE(reader.synths.empty());
    EXPECT_NE(reader.log.find("shdrが指定する波形サイズがSMPLチャンクサイズより大きい"), std::string::npos);
}

TEST(RecordRefusals, EndBeforeStartWrapsToAHugeSizeAndIsRefused)
{
    SoundFontSpec spec = singleZoneFont();
    spec.samples[0].rawPositions = SampleSpec::Positions{10, 5, 0, 0};
    EXPECT_TRUE(built(spec).synths.empty());
    spec.samples[0].rawPositions = SampleSpec::Positions{0x80000000u, 0x80000008u, 0, 0};
    EXPECT_TRUE(built(spec).synths.empty());  // 2 x start overflows 32 bits
}

TEST(RecordRefusals, SampleChunkRunningPastTheFileOnlyYieldsSamplesTheFileHolds)
{
    SoundFontSpec spec = singleZoneFont();
    spec.statedSizes["smpl"] = 0x7FFFFFF0;  // the walk ends there: the tables are lost
    SoundFontReader reader = built(spec);
    EXPECT_TRUE(reader.presets.empty());
}

TEST(RecordRefusals, SampleIdOfTheTerminalRecordReadsItsEmptyHeader)
{
    // The terminal "EOS" record is a sample header (start = end = 0): its zone plays silence.
    SoundFontSpec spec = singleZoneFont();
    spec.instruments[0].zones = {ZoneSpec{{}, {}, 1}};
    SoundFontReader reader = built(spec);
    ASSERT_EQ(reader.synths.size(), 1u);
    EXPECT_EQ(reader.synths[0].samples.size(), 1u);
}

TEST(RecordLoops, LoopPointsOutsideTheSampleAreClampedToIt)
{
    SoundFontSpec spec = singleZoneFont({{54, 1}, {3, 100}, {2, -20}});  // loop end 114, loop start -18
    SoundFontReader reader = built(spec);
    ASSERT_EQ(reader.synths.size(), 1u);
    EXPECT_EQ(reader.synths[0].loopStart, 0);
    EXPECT_EQ(reader.synths[0].loopEnd, 16);
    EXPECT_EQ(reader.synths[0].sampleModes, 1);
}

TEST(RecordLoops, LoopLeftEmptyPlaysOneShot)
{
    SoundFontSpec spec = singleZoneFont({{54, 1}});
    spec.samples[0].loopStart = 9;
    spec.samples[0].loopEnd = 9;
    SoundFontReader reader = built(spec);
    ASSERT_EQ(reader.synths.size(), 1u);
    EXPECT_EQ(reader.synths[0].sampleModes, 0);
    spec.samples[0].rawPositions = SampleSpec::Positions{0, 16, 900, 1000};  // both past the end
    EXPECT_EQ(built(spec).synths[0].sampleModes, 0);
}

TEST(RecordLoops, UnloopedZoneKeepsItsLoopPointsInside)
{
    SoundFontReader reader = built(singleZoneFont());
    ASSERT_EQ(reader.synths.size(), 1u);
    EXPECT_EQ(reader.synths[0].loopStart, 2);
    EXPECT_EQ(reader.synths[0].loopEnd, 14);
}

TEST(RecordReading, PresetLoadReadsOnlyTheSamplesItsZonesUse)
{
    // A large unused sample next to a small used one: the reader never touches the large one.
    SoundFontSpec spec = singleZoneFont();
    SampleSpec big = rampSample("big", 400000, 0);
    spec.samples.push_back(big);
    const std::vector<uint8_t> bytes = buildSoundFont(spec);
    SoundFontReader reader(writeTemp(bytes));
    reader.resolvePreset(0);
    reader.buildSynthRecords();
    ASSERT_EQ(reader.synths.size(), 1u);
    EXPECT_LT(reader.bytesReadFromFile(), 4096u);
    EXPECT_GT(bytes.size(), 800000u);
}

// Guards against a small file asking for huge memory through overlapping sample ranges, while
// zones sharing one range cost it once: the limit counts distinct points, 8 x those of "smpl".
TEST(RecordReading, DistinctSamplePointsPastTheLimitRefuseThePreset)
{
    SoundFontSpec spec = singleZoneFont();
    spec.samples[0].rawPositions = SampleSpec::Positions{0, 61, 0, 0};
    spec.instruments[0].zones.assign(20, ZoneSpec{{}, {}, 0});
    EXPECT_EQ(built(spec).synths.size(), 20u);   // one range of 61 points, shared by all
    spec.samples.assign(10, rampSample("ramp", 16));   // "smpl": 10 x (16 + 46) = 620 points
    for (uint32_t k = 0; k < 10; ++k)
        spec.samples[k].rawPositions = SampleSpec::Positions{k, k + 600, k, k + 1};
    for (uint16_t zones : {8, 9}) {   // 8 x 600 <= 8 x 620 < 9 x 600
        spec.instruments[0].zones.clear();
        for (uint16_t z = 0; z < zones; ++z)
            spec.instruments[0].zones.push_back(ZoneSpec{{}, {}, z});
        SoundFontReader reader = built(spec);
        if (zones == 8) {
            EXPECT_EQ(reader.synths.size(), 8u);
            continue;
        }
        EXPECT_TRUE(reader.synths.empty());
        EXPECT_EQ(reader.log, "インストルメント数 : 9\n"
                              "プリセットの波形の合計 5400 ポイントが上限 4960 ポイントを超えるため読み込まない\n");
        EXPECT_LT(reader.bytesReadFromFile(), 4096u);   // refused before any sample is read
    }
}

TEST(RecordReading, ZonesSharingASampleShareOneBufferReadOnce)
{
    SoundFontSpec spec = singleZoneFont();
    spec.samples[0] = rampSample("shared", 100000, 0);
    spec.instruments[0].zones.assign(6, ZoneSpec{{}, {}, 0});
    SoundFontReader reader = built(spec);
    ASSERT_EQ(reader.synths.size(), 6u);
    EXPECT_TRUE(reader.synths[5].samples.sharesBufferWith(reader.synths[0].samples));
    EXPECT_LT(reader.bytesReadFromFile(), 2u * 100000u + 4096u);
}

// Guards against crafted fonts reaching the engine with values the format does not allow
// (-600 cB is +60 dB) and against preset plus instrument sums wrapping past 16 bits.
TEST(RecordConversions, GeneratorsAreKeptWithinTheSoundFontRangesWithoutWrapping)
{
    const SFSynth r = built(singleZoneFont({{48, -600}, {37, -32768}, {13, -32768}, {9, 32767}, {8, 20000},
                                            {38, 32767}, {51, 500}})).synths.at(0);
    EXPECT_TRUE(r.attenuation == 1.0f && r.volEnvSustain == 1.0f);   // 0 cB at most
    EXPECT_WORKED(r.modLfoToVolume, 1.0 - 63095.734);   // -96 dB, the range's end
    EXPECT_WORKED(r.filterResonance, 63095.734);        // 96 dB
    EXPECT_NEAR(r.filterCutoff, 19912.6f, 0.1f);        // 13500 cents
    EXPECT_WORKED(r.volEnvRelease, 101.593667);         // 8000 timecents
    EXPECT_EQ(r.coarseTune, 120);
    EXPECT_EQ(built(singleZoneFont({{48, 30000}}, {{48, 30000}})).synths.at(0).attenuation, 0.0f);   // 1440 cB
}
