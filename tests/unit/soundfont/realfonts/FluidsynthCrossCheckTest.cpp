// The presets the reader lists (bank, program, name) equal those libfluidsynth reports for
// the same Debian font (.sf2 or .sf3): a cross-check of the table reading against an
// independent reader. On a compressed font, a few presets also sound at the pitch libfluidsynth
// gives them: a cross-check of the decoded samples and their tuning fields.
#include "soundfont/SoundFontReader.h"

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

// Period in points of a periodic signal, by normalised autocorrelation: the shortest lag
// whose correlation comes near the best one (so not a multiple of the period), refined
// between its neighbours by a parabola. 0 when nothing correlates.
double period(const std::vector<float>& x, size_t from, size_t window, size_t minLag, size_t maxLag)
{
    std::vector<double> r(maxLag + 2, 0.0);
    double best = 0.0;
    for (size_t lag = minLag; lag <= maxLag + 1 && from + window + lag <= x.size(); ++lag) {
        double xy = 0, xx = 0, yy = 0;
        for (size_t i = from; i < from + window; ++i) {
            xy += double(x[i]) * x[i + lag];
            xx += double(x[i]) * x[i];
            yy += double(x[i + lag]) * x[i + lag];
        }
        r[lag] = xx > 0 && yy > 0 ? xy / std::sqrt(xx * yy) : 0.0;
        best = std::max(best, r[lag]);
    }
    for (size_t lag = minLag + 1; lag <= maxLag; ++lag) {
        if (r[lag] < 0.9 * best || r[lag] < r[lag - 1] || r[lag] < r[lag + 1])
            continue;
        const double a = r[lag - 1], b = r[lag], c = r[lag + 1];
        const double denominator = a - 2 * b + c;
        return lag + (denominator != 0 ? 0.5 * (a - c) / denominator : 0.0);
    }
    return 0.0;
}

#if ZEPHRA_HAVE_FLUIDSYNTH
// Frequency libfluidsynth plays `key` of bank:program at, chorus and reverb off.
double fluidsynthFrequency(const std::string& path, int bank, int program, int key)
{
    fluid_settings_t* settings = new_fluid_settings();
    fluid_settings_setint(settings, "synth.reverb.active", 0);
    fluid_settings_setint(settings, "synth.chorus.active", 0);
    fluid_settings_setnum(settings, "synth.sample-rate", 44100.0);
    fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);   // the preset's samples only
    fluid_synth_t* synth = new_fluid_synth(settings);
    const int id = fluid_synth_sfload(synth, path.c_str(), 1);
    std::vector<float> left(44100), right(44100);
    if (id != FLUID_FAILED) {
        fluid_synth_program_select(synth, 0, id, bank, program);
        fluid_synth_noteon(synth, 0, key, 100);
        fluid_synth_write_float(synth, 44100, left.data(), 0, 1, right.data(), 0, 1);
    }
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
    for (size_t i = 0; i < left.size(); ++i)
        left[i] += right[i];
    const double p = period(left, 8820, 8192, 44100 / 1000, 44100 / 50);
    return p > 0 ? 44100 / p : 0.0;
}

// Frequency the record that plays `key` (velocity 100) sounds at in our engine: its decoded
// sample's own pitch, moved by the key's distance from the root key and the tuning fields.
double ourFrequency(const std::string& path, int bank, int program, int key)
{
    SoundFontReader reader(std::u16string(path.begin(), path.end()));
    for (size_t p = 0; p + 1 < reader.presets.size(); ++p) {
        if (reader.presets[p].bank != bank || reader.presets[p].preset != program)
            continue;
        reader.resolvePreset(static_cast<int32_t>(p));
        reader.buildSynthRecords();
        for (const SFSynth& r : reader.synths) {
            if (key < r.keyLow || key > r.keyHigh || 100 < r.velocityLow || 100 > r.velocityHigh)
                continue;
            const std::vector<float> points(r.samples.begin(), r.samples.end() - 1);
            const size_t maxLag = static_cast<size_t>(r.sampleRate / 50);
            const size_t from = std::min(points.size() / 4, static_cast<size_t>(r.sampleRate / 5));
            const size_t window = std::min<size_t>(8192, points.size() > from + maxLag + 2 ? points.size() - from - maxLag - 2 : 0);
            const double own = period(points, from, window, static_cast<size_t>(r.sampleRate / 1000), maxLag);
            if (own <= 0)
                return 0.0;
            const double cents = (key - r.rootKey) * 100.0 + r.coarseTune * 100.0 + r.fineTune + r.pitchCorrection;
            return r.sampleRate / own * std::pow(2.0, cents / 1200.0);
        }
    }
    return 0.0;
}
#endif

void pitchCrossCheck(const std::string& path, const char* package)
{
#if !ZEPHRA_HAVE_FLUIDSYNTH
    (void)path;
    (void)package;
    GTEST_SKIP() << "libfluidsynth not found at build time: apt-get install libfluidsynth-dev";
#else
    if (!std::ifstream(path).good())
        GTEST_SKIP() << path << " missing: apt-get install " << package;
    // Flute, clarinet and church organ: steady tones whose period is unambiguous.
    for (const auto& [program, key] : {std::pair{73, 69}, std::pair{71, 57}, std::pair{19, 48}}) {
        const double theirs = fluidsynthFrequency(path, 0, program, key), ours = ourFrequency(path, 0, program, key);
        ASSERT_GT(theirs, 0.0) << program;
        ASSERT_GT(ours, 0.0) << program;
        EXPECT_NEAR(ours / theirs, 1.0, 0.005) << "program " << program << " key " << key << ": " << ours << " Hz, libfluidsynth " << theirs << " Hz";
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

TEST(FluidsynthCrossCheck, FluidR3MonoSf3PresetsEqualThoseFluidsynthLists)
{
    crossCheck("/usr/share/sounds/sf3/FluidR3Mono_GM.sf3", "fluidr3mono-gm-soundfont");
}

TEST(FluidsynthCrossCheck, MuseScoreGeneralLiteSf3PresetsEqualThoseFluidsynthLists)
{
    crossCheck("/usr/share/sounds/sf3/MuseScore_General_Lite.sf3", "musescore-general-soundfont-small");
}

TEST(FluidsynthCrossCheck, CompressedPresetsSoundAtTheirFluidsynthPitch)
{
    pitchCrossCheck("/usr/share/sounds/sf3/FluidR3Mono_GM.sf3", "fluidr3mono-gm-soundfont");
    pitchCrossCheck("/usr/share/sounds/sf3/MuseScore_General_Lite.sf3", "musescore-general-soundfont-small");
}
