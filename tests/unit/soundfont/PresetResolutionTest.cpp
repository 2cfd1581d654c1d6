// Resolving one preset into zone generator sets: defaults, global and local zones at both
// levels, preset-level merging, and the index checks that skip zones pointing outside.
#include "TestFonts.h"
#include "TestFiles.h"
#include "soundfont/SoundFontReader.h"

using namespace Steinberg::Vst;
using namespace zephra::test;

namespace {
SoundFontReader resolved(const SoundFontSpec& spec, int32_t preset = 0)
{
    SoundFontReader reader(writeTemp(buildSoundFont(spec)));
    reader.resolvePreset(preset);
    return reader;
}
uint16_t range(uint8_t low, uint8_t high) { return static_cast<uint16_t>(low | (high << 8)); }
} // namespace

TEST(ResolveDefaults, FreshSetHoldsTheStandardDefaults)
{
    SoundFontReader reader = resolved(singleZoneFont());
    ASSERT_EQ(reader.zoneGenerators.size(), 1u);
    const auto& g = reader.zoneGenerators[0];
    EXPECT_EQ(g[8], 13500);
    for (int n : {21, 23, 25, 26, 27, 28, 30, 33, 34, 35, 36, 38})
        EXPECT_EQ(g[n], -12000) << n;
    for (int n : {46, 47, 58})
        EXPECT_EQ(g[n], -1) << n;
    EXPECT_EQ(static_cast<uint16_t>(g[43]), 0x7F00);
    EXPECT_EQ(static_cast<uint16_t>(g[44]), 0x7F00);
    EXPECT_EQ(g[56], 100);
    EXPECT_EQ(g[53], 0);   // the zone's sample
    EXPECT_EQ(g[41], -1);  // -1 default plus the preset zone's instrument 0
    EXPECT_EQ(g[0], 0);
    EXPECT_EQ(g[48], 0);
}

TEST(ResolveIndices, PresetIndexIsClampedIntoTheRealPresets)
{
    SineFontOptions options;
    options.presetCount = 3;
    SoundFontReader reader(writeTemp(makeSineSoundFont(options)));
    reader.resolvePreset(99);
    EXPECT_EQ(reader.zoneGenerators.size(), 1u);
    reader.resolvePreset(-5);
    EXPECT_EQ(reader.zoneGenerators.size(), 1u);
}

TEST(ResolveIndices, FontWithoutRealPresetsResolvesNothingAndKeepsOldSets)
{
    SoundFontSpec spec = singleZoneFont();
    spec.presets.clear();  // only the terminal record
    SoundFontReader reader = resolved(spec);
    EXPECT_TRUE(reader.zoneGenerators.empty());
}

TEST(ResolveGlobalZones, ZoneWithoutInstrumentGeneratorIsGlobalAndYieldsNothing)
{
    SoundFontSpec spec = singleZoneFont();
    spec.presets[0].zones = {ZoneSpec{{{51, 3}}, {}, -1}};
    EXPECT_TRUE(resolved(spec).zoneGenerators.empty());
}

TEST(ResolveGlobalZones, GlobalPresetCoarseTuneRaisesEveryZoneWithoutItsOwn)
{
    SoundFontSpec spec = singleZoneFont({{51, 1}});
    spec.presets[0].zones = {ZoneSpec{{{51, 2}}, {}, -1}, ZoneSpec{{}, {}, 0}, ZoneSpec{{{51, 5}}, {}, 0}};
    SoundFontReader reader = resolved(spec);
    ASSERT_EQ(reader.zoneGenerators.size(), 2u);
    EXPECT_EQ(reader.zoneGenerators[0][51], 3);  // instrument 1 + global preset 2
    EXPECT_EQ(reader.zoneGenerators[1][51], 6);  // instrument 1 + own 5; the global one gives way
}

TEST(ResolveGlobalZones, GlobalPresetGeneratorOfAmountZeroIsNotMerged)
{
    SoundFontSpec spec = singleZoneFont();
    spec.presets[0].zones = {ZoneSpec{{rangeGenerator(43, 0, 0)}, {}, -1}, ZoneSpec{{}, {}, 0}};
    SoundFontReader reader = resolved(spec);
    ASSERT_EQ(reader.zoneGenerators.size(), 1u);
    EXPECT_EQ(static_cast<uint16_t>(reader.zoneGenerators[0][43]), 0x7F00);
}

TEST(ResolveGlobalZones, GlobalInstrumentZoneIsReplacedByTheLocalZone)
{
    SoundFontSpec spec = singleZoneFont();
    spec.instruments[0].zones = {ZoneSpec{{{48, 100}, {17, -300}}, {}, -1}, ZoneSpec{{{48, 20}}, {}, 0},
                                 ZoneSpec{{}, {}, 0}};
    SoundFontReader reader = resolved(spec);
    ASSERT_EQ(reader.zoneGenerators.size(), 2u);
    EXPECT_EQ(reader.zoneGenerators[0][48], 20);
    EXPECT_EQ(reader.zoneGenerators[0][17], -300);
    EXPECT_EQ(reader.zoneGenerators[1][48], 100);
}

TEST(ResolveGlobalZones, InstrumentGlobalZoneDoesNotCarryIntoTheNextPresetZone)
{
    SoundFontSpec spec = singleZoneFont();
    spec.instruments.push_back(InstrumentSpec{"plain", {ZoneSpec{{}, {}, 0}}});
    spec.instruments[0].zones = {ZoneSpec{{{48, 100}}, {}, -1}, ZoneSpec{{}, {}, 0}};
    spec.presets[0].zones = {ZoneSpec{{}, {}, 0}, ZoneSpec{{}, {}, 1}};
    SoundFontReader reader = resolved(spec);
    ASSERT_EQ(reader.zoneGenerators.size(), 2u);
    EXPECT_EQ(reader.zoneGenerators[0][48], 100);
    EXPECT_EQ(reader.zoneGenerators[1][48], 0);
}

TEST(ResolveMerging, PresetKeyRangeIsIntersectedWithTheInstrumentRange)
{
    SoundFontReader reader = resolved(singleZoneFont({rangeGenerator(43, 0, 64)}, {rangeGenerator(43, 60, 72)}));
    ASSERT_EQ(reader.zoneGenerators.size(), 1u);
    EXPECT_EQ(static_cast<uint16_t>(reader.zoneGenerators[0][43]), range(60, 64));
}

TEST(ResolveMerging, DisjointVelocityRangesLeaveAnEmptyRangeUnchecked)
{
    SoundFontReader reader = resolved(singleZoneFont({rangeGenerator(44, 0, 40)}, {rangeGenerator(44, 80, 127)}));
    ASSERT_EQ(reader.zoneGenerators.size(), 1u);
    EXPECT_EQ(static_cast<uint16_t>(reader.zoneGenerators[0][44]), range(80, 40));
}

// Guards against a preset amount wrapping a sum past 16 bits (+32000 cB becoming -32536, a
// gain of 10^163): sums of quantities stop at the generator's range.
TEST(ResolveMerging, PresetAmountsAreAddedWithinTheGeneratorRangeToAnyGenerator)
{
    SoundFontReader reader =
        resolved(singleZoneFont({{48, 32000}, {8, 9000}}, {{48, 1000}, {54, 1}, {8, -1200}}));
    ASSERT_EQ(reader.zoneGenerators.size(), 1u);
    EXPECT_EQ(reader.zoneGenerators[0][48], 1440);  // 144 dB, the end of the attenuation range
    EXPECT_EQ(reader.zoneGenerators[0][54], 1);  // an instrument-only generator, added anyway
    EXPECT_EQ(reader.zoneGenerators[0][8], 7800);
}

TEST(ResolveLayers, LayeredAndSplitZonesYieldOneSetEachInZoneOrder)
{
    SoundFontSpec spec = singleZoneFont();
    spec.samples.push_back(rampSample("second", 8));
    spec.instruments[0].zones = {ZoneSpec{{rangeGenerator(43, 0, 59)}, {}, 0},
                                 ZoneSpec{{rangeGenerator(43, 60, 127)}, {}, 1}};
    spec.instruments.push_back(InstrumentSpec{"pad", {ZoneSpec{{{17, 250}}, {}, 1}}});
    spec.presets[0].zones = {ZoneSpec{{}, {}, 0}, ZoneSpec{{}, {}, 1}};
    SoundFontReader reader = resolved(spec);
    ASSERT_EQ(reader.zoneGenerators.size(), 3u);
    EXPECT_EQ(static_cast<uint16_t>(reader.zoneGenerators[0][43]), range(0, 59));
    EXPECT_EQ(static_cast<uint16_t>(reader.zoneGenerators[1][43]), range(60, 127));
    EXPECT_EQ(reader.zoneGenerators[2][17], 250);
    EXPECT_EQ(reader.zoneGenerators[2][53], 1);
}

TEST(ResolveLayers, EmptyZonesAreSkippedAtBothLevels)
{
    SoundFontSpec spec = singleZoneFont();
    spec.instruments[0].zones.insert(spec.instruments[0].zones.begin(), ZoneSpec{});
    spec.presets[0].zones.insert(spec.presets[0].zones.begin(), ZoneSpec{});
    EXPECT_EQ(resolved(spec).zoneGenerators.size(), 1u);
}

TEST(ResolveOperators, OperatorsOfSixtyOneAndAboveAreIgnoredAtEveryLevel)
{
    SoundFontSpec spec = singleZoneFont({{61, 5}, {200, 5}, {0xFFFF, 5}}, {{61, 7}, {0x8000, 7}});
    spec.instruments[0].zones.insert(spec.instruments[0].zones.begin(), ZoneSpec{{{61, 1}, {48, 30}}, {}, -1});
    spec.presets[0].zones.insert(spec.presets[0].zones.begin(), ZoneSpec{{{99, 1}}, {}, -1});
    SoundFontReader reader = resolved(spec);
    ASSERT_EQ(reader.zoneGenerators.size(), 1u);
    SoundFontReader plain = resolved(singleZoneFont({{48, 30}}));
    EXPECT_EQ(reader.zoneGenerators[0], plain.zoneGenerators[0]);
}

TEST(ResolveIndices, InstrumentPastTheTableSkipsTheZone)
{
    SoundFontSpec spec = singleZoneFont();
    spec.presets[0].zones = {ZoneSpec{{}, {}, 1}, ZoneSpec{{}, {}, 500}, ZoneSpec{{}, {}, 0}};
    SoundFontReader reader = resolved(spec);
    EXPECT_EQ(reader.zoneGenerators.size(), 1u);  // instrument 1 is the terminal record
}

TEST(ResolveIndices, BagIndexPastTheBagTableSkipsTheZones)
{
    SoundFontSpec spec = singleZoneFont();
    spec.terminalPresetBag = 400;  // the preset claims bags up to 400; only 2 exist
    EXPECT_EQ(resolved(spec).zoneGenerators.size(), 1u);
    SoundFontSpec inst = singleZoneFont();
    inst.terminalInstrumentBag = 60000;
    EXPECT_EQ(resolved(inst).zoneGenerators.size(), 1u);
}

TEST(ResolveIndices, BagIndicesRunningBackwardsGiveNoZones)
{
    SoundFontSpec spec = singleZoneFont();
    spec.presets.push_back(PresetSpec{"Second", 1, 0, {ZoneSpec{{}, {}, 0}}});
    std::vector<uint8_t> phdr = buildPresetData(spec)["phdr"];
    phdr[38 + 24] = 0;  // the second preset's bag index set back to 0: preset 0 owns bags 0..0
    phdr[24] = 1;       // and preset 0 starts at bag 1
    spec.replaceData["phdr"] = phdr;
    SoundFontReader reader = resolved(spec, 0);
    EXPECT_TRUE(reader.zoneGenerators.empty());
    reader.resolvePreset(1);
    EXPECT_EQ(reader.zoneGenerators.size(), 2u);  // bags 0 and 1, both real zones
}

TEST(ResolveIndices, GeneratorIndicesPastOrBackwardsInTheirTableSkipTheZone)
{
    SoundFontSpec spec = singleZoneFont();
    std::vector<uint8_t> ibag = buildPresetData(spec)["ibag"];
    ibag[4] = 0xFF;  // the terminal bag's generator index far past the table
    ibag[5] = 0x7F;
    spec.replaceData["ibag"] = ibag;
    EXPECT_TRUE(resolved(spec).zoneGenerators.empty());

    SoundFontSpec backwards = singleZoneFont();
    std::vector<uint8_t> pbag = buildPresetData(backwards)["pbag"];
    pbag[0] = 1;  // the zone's first generator after its last
    backwards.replaceData["pbag"] = pbag;
    EXPECT_TRUE(resolved(backwards).zoneGenerators.empty());
}

TEST(ResolveIndices, ZeroLengthTablesResolveNothing)
{
    // Tables whose chunks hold fewer bytes than one record load empty and resolve nothing.
    for (const char* id : {"pbag", "pgen", "inst", "ibag", "igen"}) {
        SoundFontSpec spec = singleZoneFont();
        spec.replaceData[id] = {0, 0};
        SoundFontReader reader = resolved(spec);
        SCOPED_TRACE(id);
        EXPECT_EQ(reader.presets.size(), 2u);
        EXPECT_TRUE(reader.zoneGenerators.empty());
    }
}

TEST(ResolveLimits, OnePresetExpandsIntoAtMostTheZoneCap)
{
    // 200 preset zones over an instrument of 200 zones would make 40000 sets.
    SoundFontSpec spec = singleZoneFont();
    spec.instruments[0].zones.assign(200, ZoneSpec{{}, {}, 0});
    spec.presets[0].zones.assign(200, ZoneSpec{{}, {}, 0});
    SoundFontReader reader = resolved(spec);
    EXPECT_EQ(reader.zoneGenerators.size(), SoundFontReader::maxZonesPerPreset);
}

TEST(ResolveLimits, ResolutionStopsAtItsWorkBudget)
{
    // 1100 preset zones over an instrument of 2000 empty zones and one real one: each visit
    // costs a step plus the preset zone's generator, about 4000 steps per preset zone, so the
    // budget of 2^21 steps ends resolution after about 520 of them.
    SoundFontSpec spec = singleZoneFont();
    spec.instruments[0].zones.assign(2000, ZoneSpec{});
    spec.instruments[0].zones.push_back(ZoneSpec{{}, {}, 0});
    spec.presets[0].zones.assign(1100, ZoneSpec{{}, {}, 0});
    SoundFontReader reader = resolved(spec);
    EXPECT_GT(reader.zoneGenerators.size(), 500u);
    EXPECT_LT(reader.zoneGenerators.size(), 550u);
}
