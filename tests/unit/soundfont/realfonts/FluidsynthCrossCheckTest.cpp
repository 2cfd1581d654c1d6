// The presets the reader lists (bank, program, name) equal those libfluidsynth reports for
// the same Debian font: a cross-check of the table reading against an independent reader.
#include "soundfont/SoundFontReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#if ZEPHRA_HAVE_FLUIDSYNTH
#include <fluidsynth.h>
#endif

using namespace Steinberg::Vst;

namespace {

using PresetKey = std::tuple<int, int, std::string>;  // bank, program, name

std::vector<PresetKey> readerPresets(const std::string& path)
{
    SoundFontReader reader(std::u16string(path.begin(), path.end()));
    std::vector<PresetKey> out;
    for (size_t p = 0; p + 1 < reader.presets.size(); ++p) {
        const PresetHeader& h = reader.presets[p];
        out.emplace_back(h.bank, h.preset, std::string(h.name, strnlen(h.name, sizeof h.name)));
    }
    std::sort(out.begin(), out.end());
    return out;
}

#if ZEPHRA_HAVE_FLUIDSYNTH
std::vector<PresetKey> fluidsynthPresets(const std::string& path)
{
    std::vector<PresetKey> out;
    fluid_settings_t* settings = new_fluid_settings();
    fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);  // tables only
    fluid_synth_t* synth = new_fluid_synth(settings);
    const int id = fluid_synth_sfload(synth, path.c_str(), 0);
    if (id != FLUID_FAILED) {
        fluid_sfont_t* font = fluid_synth_get_sfont_by_id(synth, id);
        fluid_sfont_iteration_start(font);
        while (fluid_preset_t* preset = fluid_sfont_iteration_next(font))
            out.emplace_back(fluid_preset_get_banknum(preset), fluid_preset_get_num(preset),
                             fluid_preset_get_name(preset));
    }
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
    std::sort(out.begin(), out.end());
    return out;
}
#endif

void crossCheck(const std::string& path, const char* package)
{
#if !ZEPHRA_HAVE_FLUIDSYNTH
    (void)path;
    (void)package;
    GTEST_SKIP() << "libfluidsynth not found at build time: apt-get install libfluidsynth-dev";
#else
    if (!std::ifstream(path).good())
        GTEST_SKIP() << path << " missing: apt-get install " << package;
    const std::vector<PresetKey> ours = readerPresets(path);
    const std::vector<PresetKey> theirs = fluidsynthPresets(path);
    ASSERT_FALSE(theirs.empty()) << "libfluidsynth could not load " << path;
    ASSERT_EQ(ours.size(), theirs.size());
    for (size_t i = 0; i < ours.size(); ++i) {
        EXPECT_EQ(std::get<0>(ours[i]), std::get<0>(theirs[i])) << i;
        EXPECT_EQ(std::get<1>(ours[i]), std::get<1>(theirs[i])) << i;
        EXPECT_EQ(std::get<2>(ours[i]), std::get<2>(theirs[i])) << i;
    }
#endif
}

} // namespace

TEST(FluidsynthCrossCheck, TimGM6mbPresetsEqualThoseFluidsynthLists)
{
    crossCheck("/usr/share/sounds/sf2/TimGM6mb.sf2", "timgm6mb-soundfont");
}

TEST(FluidsynthCrossCheck, FluidR3PresetsEqualThoseFluidsynthLists)
{
    crossCheck("/usr/share/sounds/sf2/FluidR3_GM.sf2", "fluid-soundfont-gm");
}
