// Debian's General MIDI SoundFonts: every preset resolves and builds without a failed zone,
// and the whole font is never read for one preset.
#include "soundfont/SoundFontReader.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace Steinberg::Vst;

namespace {

bool installed(const std::string& path) { return std::ifstream(path).good(); }

void expectEveryPresetBuildsCleanly(const std::string& path)
{
    SoundFontReader reader(std::u16string(path.begin(), path.end()));
    ASSERT_GT(reader.presets.size(), 100u);
    for (size_t p = 0; p + 1 < reader.presets.size(); ++p) {
        reader.log.clear();
        reader.synths.clear();
        reader.resolvePreset(static_cast<int32_t>(p));
        reader.buildSynthRecords();
        SCOPED_TRACE(std::string(reader.presets[p].name, strnlen(reader.presets[p].name, 20)));
        EXPECT_FALSE(reader.zoneGenerators.empty());
        EXPECT_EQ(reader.synths.size(), reader.zoneGenerators.size()) << reader.log;
        for (const SFSynth& r : reader.synths) {
            ASSERT_FALSE(r.samples.empty());
            EXPECT_EQ(r.samples.back(), 0.0f);
            EXPECT_LE(r.loopEnd, static_cast<int32_t>(r.samples.size()) - 1);
        }
    }
}

} // namespace

TEST(RealFonts, EveryTimGM6mbPresetBuildsWithoutFailedZones)
{
    const std::string path = "/usr/share/sounds/sf2/TimGM6mb.sf2";
    if (!installed(path))
        GTEST_SKIP() << path << " missing: apt-get install timgm6mb-soundfont";
    expectEveryPresetBuildsCleanly(path);
}

TEST(RealFonts, EveryFluidR3PresetBuildsWithoutFailedZones)
{
    const std::string path = "/usr/share/sounds/sf2/FluidR3_GM.sf2";
    if (!installed(path))
        GTEST_SKIP() << path << " missing: apt-get install fluid-soundfont-gm";
    expectEveryPresetBuildsCleanly(path);
}

TEST(RealFonts, PianoPresetReadsOnlyAFractionOfTheFont)
{
    const std::string path = "/usr/share/sounds/sf2/FluidR3_GM.sf2";
    if (!installed(path))
        GTEST_SKIP() << path << " missing: apt-get install fluid-soundfont-gm";
    SoundFontReader reader(std::u16string(path.begin(), path.end()));
    reader.resolvePreset(0);
    reader.buildSynthRecords();
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    const auto size = static_cast<uint64_t>(file.tellg());
    EXPECT_FALSE(reader.synths.empty());
    EXPECT_LT(reader.bytesReadFromFile(), size / 4);
}

TEST(RealFonts, LayeredPresetReadsEachOfItsSamplesOnce)
{
    // FluidR3's "Honky Tonk" plays 720 zones over far fewer samples.
    const std::string path = "/usr/share/sounds/sf2/FluidR3_GM.sf2";
    if (!installed(path))
        GTEST_SKIP() << path << " missing: apt-get install fluid-soundfont-gm";
    SoundFontReader reader(std::u16string(path.begin(), path.end()));
    int32_t honkyTonk = -1;
    for (size_t p = 0; p + 1 < reader.presets.size(); ++p)
        if (reader.presets[p].bank == 0 && reader.presets[p].preset == 3)
            honkyTonk = static_cast<int32_t>(p);
    ASSERT_GE(honkyTonk, 0);
    reader.resolvePreset(honkyTonk);
    reader.buildSynthRecords();
    uint64_t points = 0;
    for (const SFSynth& r : reader.synths)
        points += r.samples.size();
    EXPECT_GT(points * 2, reader.bytesReadFromFile() * 4);
}
