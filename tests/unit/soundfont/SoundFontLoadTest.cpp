// Loading a SoundFont: version check, bank name, the nine tables with their terminal records,
// and the refusals that leave the reader empty.
#include "TestFonts.h"
#include "TestFiles.h"
#include "soundfont/SoundFontReader.h"

using namespace Steinberg::Vst;
using namespace zephra::test;

namespace {
void expectEmpty(const SoundFontReader& reader)
{
    EXPECT_TRUE(reader.presets.empty());
    EXPECT_TRUE(reader.presetBags.empty());
    EXPECT_TRUE(reader.presetGenerators.empty());
    EXPECT_TRUE(reader.instruments.empty());
    EXPECT_TRUE(reader.sampleHeaders.empty());
    EXPECT_TRUE(reader.bankName.empty());
    EXPECT_EQ(reader.versionMajor, 0);
    EXPECT_TRUE(reader.log.empty());
}
} // namespace

TEST(SoundFontTables, LoadsEveryTableWithItsTerminalRecord)
{
    SoundFontSpec spec = singleZoneFont({{48, 20}});
    spec.presets[0].zones[0].modulators.push_back(ModulatorSpec{1, 2, -3, 4, 5});
    spec.presets[0].bank = 128;
    spec.presets[0].program = 7;
    SoundFontReader reader(writeTemp(buildSoundFont(spec)));
    ASSERT_EQ(reader.presets.size(), 2u);
    EXPECT_STREQ(reader.presets[0].name, "Only");
    EXPECT_EQ(reader.presets[0].bank, 128);
    EXPECT_EQ(reader.presets[0].preset, 7);
    EXPECT_STREQ(reader.presets[1].name, "EOP");
    EXPECT_EQ(reader.presets[1].bagIndex, 1);
    EXPECT_EQ(reader.presetBags.size(), 2u);
    ASSERT_EQ(reader.presetModulators.size(), 2u);
    EXPECT_EQ(reader.presetModulators[0].amount, -3);
    EXPECT_EQ(reader.presetModulators[0].transform, 5);
    EXPECT_EQ(reader.presetGenerators.size(), 2u);  // instrument + terminal
    EXPECT_EQ(reader.instruments.size(), 2u);
    EXPECT_EQ(reader.instrumentGenerators.size(), 3u);  // attenuation, sample ID, terminal
    EXPECT_EQ(reader.instrumentGenerators[0].op, 48);
    EXPECT_EQ(reader.instrumentGenerators[0].amount, 20);
    ASSERT_EQ(reader.sampleHeaders.size(), 2u);
    EXPECT_EQ(reader.sampleHeaders[0].end, 16u);
    EXPECT_EQ(reader.sampleHeaders[0].originalPitch, 60);
    EXPECT_STREQ(reader.sampleHeaders[1].name, "EOS");
    EXPECT_EQ(reader.versionMajor, 2);
    EXPECT_EQ(reader.versionMinor, 1);
    EXPECT_EQ(reader.bankName, "Test Bank");
}

TEST(SoundFontTables, RecordCountRoundsDownAndIgnoresTheRemainder)
{
    SoundFontSpec spec = singleZoneFont();
    std::vector<uint8_t> phdr = buildPresetData(spec)["phdr"];
    phdr.resize(38 + 1);  // one record and one stray byte
    spec.replaceData["phdr"] = phdr;
    spec.padOddChunks = false;
    SoundFontReader reader(writeTemp(buildSoundFont(spec)));
    EXPECT_EQ(reader.presets.size(), 1u);
    EXPECT_EQ(reader.sampleHeaders.size(), 2u);  // the tables after it still load
}

TEST(SoundFontTables, ShortPresetTableLoadsWithoutPresets)
{
    SoundFontSpec spec = singleZoneFont();
    spec.replaceData["phdr"] = std::vector<uint8_t>(37, 0);
    spec.padOddChunks = false;
    SoundFontReader reader;
    EXPECT_TRUE(reader.load(writeTemp(buildSoundFont(spec))));
    EXPECT_TRUE(reader.presets.empty());
    reader.resolvePreset(0);
    reader.buildSynthRecords();
    EXPECT_TRUE(reader.synths.empty());
    EXPECT_EQ(reader.log, "インストルメント数 : 0\n");
}

TEST(SoundFontTables, OddSizedInfoChunkWithoutPadByteKeepsTheFileReadable)
{
    SoundFontSpec spec = singleZoneFont();
    spec.extraInfoChunks.push_back(RawChunk{"ICMT", {'o', 'd', 'd'}, -1, false});
    spec.padOddChunks = false;
    SoundFontReader reader(writeTemp(buildSoundFont(spec)));
    EXPECT_EQ(reader.presets.size(), 2u);
}

TEST(SoundFontTables, DuplicateTableChunkYieldsTheLaterOne)
{
    SoundFontSpec spec = singleZoneFont();
    SoundFontSpec other = singleZoneFont();
    other.presets[0].name = "Later";
    spec.trailingChunks.push_back(RawChunk{"phdr", buildPresetData(other)["phdr"]});
    SoundFontReader reader(writeTemp(buildSoundFont(spec)));
    ASSERT_EQ(reader.presets.size(), 2u);
    EXPECT_STREQ(reader.presets[0].name, "Later");
}

TEST(SoundFontTables, TableRunningPastTheEndKeepsOnlyTheRecordsTheFileHolds)
{
    SoundFontSpec spec = singleZoneFont();
    spec.statedSizes["shdr"] = 46 * 1000;  // the last chunk claims far more than the file holds
    SoundFontReader reader(writeTemp(buildSoundFont(spec)));
    EXPECT_EQ(reader.sampleHeaders.size(), 2u);
}

TEST(SoundFontBankName, KeepsTheTextUpToTheFirstZeroByte)
{
    SoundFontSpec spec = singleZoneFont();
    spec.replaceData["INAM"] = {'A', 'b', 0, 'x'};
    SoundFontReader reader(writeTemp(buildSoundFont(spec)));
    EXPECT_EQ(reader.bankName, "Ab");
}

TEST(SoundFontBankName, UnterminatedNameRunsToTheEndOfTheChunk)
{
    SoundFontSpec spec = singleZoneFont();
    spec.replaceData["INAM"] = {'N', 'a', 'm', 'e'};
    SoundFontReader reader(writeTemp(buildSoundFont(spec)));
    EXPECT_EQ(reader.bankName, "Name");
}

TEST(SoundFontBankName, MissingOrEmptyNameIsNoFailure)
{
    SoundFontSpec spec = singleZoneFont();
    spec.bankName.reset();
    SoundFontReader reader(writeTemp(buildSoundFont(spec), "a.sf2"));
    EXPECT_EQ(reader.presets.size(), 2u);
    EXPECT_TRUE(reader.bankName.empty());

    spec.bankName = "";
    spec.replaceData["INAM"] = {};
    SoundFontReader empty(writeTemp(buildSoundFont(spec), "b.sf2"));
    EXPECT_EQ(empty.presets.size(), 2u);
}

TEST(SoundFontRefusals, VersionFourIsRefusedAndLeavesTheReaderEmpty)   // 3 loads: a compressed font
{
    SoundFontSpec spec = singleZoneFont();
    spec.versionMajor = 4;
    SoundFontReader reader(writeTemp(buildSoundFont(spec)));
    expectEmpty(reader);
    SoundFontReader second;
    EXPECT_FALSE(second.load(writeTemp(buildSoundFont(spec))));
}

TEST(SoundFontRefusals, MinorVersionIsNotChecked)
{
    SoundFontSpec spec = singleZoneFont();
    spec.versionMinor = 99;
    SoundFontReader reader;
    EXPECT_TRUE(reader.load(writeTemp(buildSoundFont(spec))));
}

TEST(SoundFontRefusals, MissingOrEmptyRequiredChunkRefusesTheFile)
{
    for (const char* id : {"ifil", "smpl", "phdr", "pbag", "pmod", "pgen", "inst", "ibag", "imod", "igen", "shdr"}) {
        for (bool omit : {true, false}) {
            SoundFontSpec spec = singleZoneFont();
            if (omit)
                spec.omitChunks.insert(id);
            else
                spec.replaceData[id] = {};
            SoundFontReader reader(writeTemp(buildSoundFont(spec)));
            SCOPED_TRACE(std::string(id) + (omit ? " missing" : " empty"));
            expectEmpty(reader);
            reader.resolvePreset(0);
            reader.buildSynthRecords();
            EXPECT_EQ(reader.log, "インストルメント数 : 0\n");
        }
    }
}

TEST(SoundFontRefusals, ShortVersionChunkReadsTheMissingBytesAsZero)
{
    SoundFontSpec spec = singleZoneFont();
    spec.replaceData["ifil"] = {2};  // major 2 in one byte, no minor
    spec.padOddChunks = false;
    SoundFontReader reader;
    EXPECT_TRUE(reader.load(writeTemp(buildSoundFont(spec))));
    EXPECT_EQ(reader.versionMajor, 2);
    EXPECT_EQ(reader.versionMinor, 0);
}

TEST(SoundFontRefusals, UnreadableAndNonRiffFilesLoadNothing)
{
    SoundFontReader missing(u"/nonexistent/zephra.sf2");
    expectEmpty(missing);
    SoundFontReader garbage(writeTemp(std::vector<uint8_t>(1000, 0xAB)));
    expectEmpty(garbage);
    SoundFontReader wav(writeTemp(makeWav(1, 16, 44100, {1, 2, 3}), "a.wav"));
    expectEmpty(wav);
}

TEST(SoundFontRefusals, ReloadingAfterAFailureClearsTheOldTables)
{
    SoundFontReader reader;
    ASSERT_TRUE(reader.load(writeTemp(buildSoundFont(singleZoneFont()), "good.sf2")));
    SoundFontSpec bad = singleZoneFont();
    bad.versionMajor = 1;
    EXPECT_FALSE(reader.load(writeTemp(buildSoundFont(bad), "bad.sf2")));
    EXPECT_TRUE(reader.presets.empty());
}
