// The modulators a record carries: the defaults, the file's own merged by the identical-
// modulator rules, and what is left out; and the curves a source value runs through.
#include "TestFiles.h"
#include "TestFonts.h"
#include "soundfont/Modulators.h"
#include "soundfont/SoundFontReader.h"

#include <algorithm>
#include <cmath>

using namespace Steinberg::Vst;
using namespace zephra::test;

namespace {
constexpr uint16_t kVelocityToAttenuation = 0x0502;   // concave, negative, note-on velocity
constexpr uint16_t kModWheel = 0x0081;                // controller 1, linear

const Modulator* find(const ModulatorList& list, uint16_t source, uint16_t destination)
{
    const auto it = std::find_if(list.begin(), list.end(), [&](const Modulator& m) {
        return m.source == source && m.destination == destination;
    });
    return it == list.end() ? nullptr : &*it;
}
} // namespace

TEST(ModulatorRules, LocalSupersedesGlobalInstrumentSupersedesDefaultPresetAdds)
{
    SoundFontSpec spec = singleZoneFont();
    ZoneSpec global;   // an instrument global zone of modulators alone: they give way to the local zone's
    global.modulators = {{kVelocityToAttenuation, 48, 600, 0, 0}, {kModWheel, 6, 20, 0, 0}};
    spec.instruments[0].zones.insert(spec.instruments[0].zones.begin(), global);
    spec.instruments[0].zones[1].modulators = {
        {kVelocityToAttenuation, 48, 480, 0, 0},   // supersedes the global 600 and the default 960
        {kVelocityToAttenuation, 48, 100, 0, 0},   // a second identical one in the zone: ignored
        {0x007F, 8, 1000, 0, 0},                   // source "link": ignored
        {kModWheel, 0x8001, 1000, 0, 0},           // feeds another modulator: ignored
        {0x0094, 8, 1000, 0, 0},                   // controller 20, not received: ignored
        {0x0102, 48, 960, 0, 5},                   // undefined transform: ignored
    };
    spec.presets[0].zones[0].modulators = {{kVelocityToAttenuation, 48, 240, 0, 0}, {0x0003, 17, 500, 0, 0}};

    SoundFontReader reader(writeTemp(buildSoundFont(spec)));
    reader.resolvePreset(0);
    reader.buildSynthRecords();
    ASSERT_EQ(reader.synths.size(), 1u);
    const ModulatorList& list = reader.synths[0].modulators;
    EXPECT_EQ(list.count, defaultModulators().count + 1) << "the key -> pan modulator is new";
    ASSERT_NE(find(list, kVelocityToAttenuation, 48), nullptr);
    EXPECT_EQ(find(list, kVelocityToAttenuation, 48)->amount, 720.0f);   // 480 + 240
    EXPECT_EQ(find(list, kModWheel, 6)->amount, 20.0f) << "the global zone's supersedes the default";
    EXPECT_NE(find(list, 0x0003, 17), nullptr);
    EXPECT_EQ(find(list, 0x007F, 8), nullptr);
    EXPECT_EQ(reader.synths[0].generators[8], 13500) << "generators travel beside the modulators";
}

TEST(ModulatorCurves, ConvexSwitchAndBipolarShapes)
{
    EXPECT_NEAR(960.0f * sourceOutput(kVelocityToAttenuation, 64 / 127.0f), 119.0f, 0.1f);   // 11.9 dB
    EXPECT_NEAR(sourceOutput(0x0800, 0.5f), 1.0f - sourceOutput(0x0400, 0.5f), 1e-6f) << "convex mirrors concave";
    EXPECT_EQ(sourceOutput(0x0C00, 63 / 127.0f), 0.0f);
    EXPECT_EQ(sourceOutput(0x0C00, 64 / 127.0f), 1.0f);
    EXPECT_EQ(sourceOutput(0x020E, 0.0f), -1.0f);
    EXPECT_NEAR(sourceOutput(0x0600, 0.25f), -sourceOutput(0x0600, 0.75f), 1e-6f) << "bipolar halves mirror";
    EXPECT_EQ(sourceOutput(0x0400, std::nanf("")), 0.0f);
}

TEST(ModulatorRules, AZoneAskingForMoreThanTheListHoldsKeepsTheFirst)
{
    SoundFontSpec spec = singleZoneFont();
    for (uint16_t destination = 0; destination < 50; ++destination)
        spec.instruments[0].zones[0].modulators.push_back({0x0002, destination, 10, 0, 0});
    SoundFontReader reader(writeTemp(buildSoundFont(spec)));
    reader.resolvePreset(0);
    ASSERT_EQ(reader.zoneModulators.size(), 1u);
    EXPECT_EQ(reader.zoneModulators[0].count, ModulatorList::kCapacity);
    EXPECT_EQ(reader.zoneModulators[0].entries[6].destination, 0) << "the file's follow the six defaults";
}
