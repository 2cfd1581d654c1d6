// The presets the reader lists (bank, program, name) equal those libfluidsynth reports for
// the same Debian font (.sf2 or .sf3): a cross-check of the table reading against an
// independent reader. Every .sf3 preset builds, and a few sound at libfluidsynth's pitch.
#include "soundfont/SoundFontReader.h"
#include "support/SignalAnalysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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

// Used by the cross-checks only, which need libfluidsynth (the Windows build has none).
[[maybe_unused]] std::vector<PresetKey> readerPresets(const std::string& path)
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

#if ZEPHRA_HAVE_FLUIDSYNTH
// libfluidsynth's frequency for `key` of bank 0 `program` (chorus and reverb off), and ours: the
// decoded sample's own pitch moved by the key's distance from the root key and the tuning fields.
std::pair<double, double> frequencies(const std::string& path, int program, int key)
{
    fluid_settings_t* settings = new_fluid_settings();
    fluid_settings_setint(settings, "synth.reverb.active", 0);
    fluid_settings_setint(settings, "synth.chorus.active", 0);
    fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
    fluid_synth_t* synth = new_fluid_synth(settings);
    std::vector<float> left(44100), right(44100);
    fluid_synth_program_select(synth, 0, fluid_synth_sfload(synth, path.c_str(), 1), 0, program);
    fluid_synth_noteon(synth, 0, key, 100);
    fluid_synth_write_float(synth, 44100, left.data(), 0, 1, right.data(), 0, 1);
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
    SoundFontReader reader(std::u16string(path.begin(), path.end()));
    for (size_t p = 0; p + 1 < reader.presets.size(); ++p)
        if (reader.presets[p].bank == 0 && reader.presets[p].preset == program)
            reader.resolvePreset(static_cast<int32_t>(p));
    reader.buildSynthRecords();
    for (const SFSynth& r : reader.synths) {
        if (key >= r.keyLow && key <= r.keyHigh && 100 >= r.velocityLow && 100 <= r.velocityHigh) {
            const std::vector<float> points(r.samples.begin() + r.loopStart, r.samples.begin() + r.loopEnd);
            const double cents = (key - r.rootKey + r.coarseTune) * 100.0 + r.fineTune + r.pitchCorrection;
            return {zephra::test::estimateFrequency(left, 44100, 8820), zephra::test::estimateFrequency(points, r.sampleRate) * std::pow(2.0, cents / 1200.0)};
        }
    }
    return {zephra::test::estimateFrequency(left, 44100, 8820), 0.0};
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

TEST(FluidsynthCrossCheck, Sf3FontsListFluidsynthsPresetsBuildEveryPresetAndSoundAtItsPitch)
{
    for (const auto& [path, package] : {std::pair{"/usr/share/sounds/sf3/FluidR3Mono_GM.sf3", "fluidr3mono-gm-soundfont"},
                                        std::pair{"/usr/share/sounds/sf3/MuseScore_General_Lite.sf3", "musescore-general-soundfont-small"}}) {
        if (!std::ifstream(path).good())
            GTEST_SKIP() << path << " missing: apt-get install " << package;
        crossCheck(path, package);
        SoundFontReader reader(std::u16string(path, path + std::strlen(path)));   // every preset builds whole
        for (size_t p = 0; p + 1 < reader.presets.size(); ++p) {
            reader.synths.clear();
            reader.resolvePreset(static_cast<int32_t>(p));
            reader.buildSynthRecords();
            EXPECT_EQ(reader.synths.size(), reader.zoneGenerators.size()) << path << " preset " << p << reader.log;
        }
#if ZEPHRA_HAVE_FLUIDSYNTH
        // Recorder, ocarina and whistle: near-sine tones, one zero crossing a period.
        for (const auto& [program, key] : {std::pair{74, 72}, std::pair{79, 76}, std::pair{78, 79}}) {
            const auto [theirs, ours] = frequencies(path, program, key);
            EXPECT_NEAR(ours / theirs, 1.0, 0.005) << path << " program " << program << ": " << ours << " Hz, libfluidsynth " << theirs;
        }
#endif
    }
}
