// How the engine's two responses compare with FluidSynth (reverb and chorus off, as
// `fluidsynth -R 0 -C 0`), measured in the same run on the Debian General MIDI fonts:
// - every preset of bank 0, one note (key 60, velocity 127, held 1 s): the level difference
//   zephra minus FluidSynth in dB; its spread from the 5th to the 95th percentile says how far
//   the presets' balance departs from the one the font's author heard;
// - velocity 127 down to 8, and Volume (controller 7) 127 down to 40, per preset: the level
//   span of each engine, and how far ours is from FluidSynth's (median and 90th percentile of
//   the absolute difference over the presets, and for the piano, program 0).
// Exits 1 when "SoundFont 2.04" misses its marks (spread at most 3 dB; median span differences
// within 2 dB) or a sample is not finite.
//
// Usage: response_report [--smoke] [--presets] [FONT...]   (--presets: a line per preset)
#include "BenchEngine.h"
#include "BenchFluid.h"
#include "BenchFonts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace Steinberg::Vst;
using namespace zephra::bench;

namespace {

constexpr double kRate = 44100.0;
constexpr int kBlock = 512;
constexpr int kKey = 60;
constexpr int kNoteBlocks = int(kRate / kBlock);   // about one second, held
constexpr double kSpreadLimitDb = 3.0;
constexpr double kSpanLimitDb = 2.0;

// One note's setting: velocity and Volume as MIDI values.
struct Setting {
    int velocity = 127;
    int volume = 127;
};

// RMS of both channels in dB; a very low figure when silent, NaN when a sample was not finite.
double levelDb(const std::vector<float>& left, const std::vector<float>& right)
{
    double sum = 0.0;
    for (size_t i = 0; i < left.size(); ++i) {
        if (!std::isfinite(left[i]) || !std::isfinite(right[i]))
            return std::nan("");
        sum += double(left[i]) * left[i] + double(right[i]) * right[i];
    }
    return 10.0 * std::log10(sum / double(2 * left.size()) + 1e-30);
}

double zephraLevel(const SFSynthList& records, SoundResponse response, Setting s)
{
    auto engine = std::make_unique<SynthEngine>();
    engine->setSampleRate(kRate);
    engine->setResponse(response);
    handOverSound(*engine, records);
    std::vector<float> left(kBlock), right(kBlock), allLeft, allRight;
    engine->setVolume(s.volume / 127.0);
    // Classic carries Volume in the output gain (as the plug-in's output stage does).
    const float gain = response == SoundResponse::Classic ? float(s.volume / 127.0) : 1.0f;
    engine->noteOn(int16_t(kKey), float(s.velocity) / 127.0f);
    for (int b = 0; b < kNoteBlocks; ++b) {
        engine->render(left.data(), right.data(), kBlock, gain);
        allLeft.insert(allLeft.end(), left.begin(), left.end());
        allRight.insert(allRight.end(), right.begin(), right.end());
    }
    return levelDb(allLeft, allRight);
}

class Fluid {
public:
    explicit Fluid(const std::string& font)
    {
        settings = comparisonSettings(kRate);
        synth = new_fluid_synth(settings);
        id = fluid_synth_sfload(synth, font.c_str(), 1);
    }
    ~Fluid()
    {
        delete_fluid_synth(synth);
        delete_fluid_settings(settings);
    }
    bool loaded() const { return id >= 0; }

    double level(int program, Setting s)
    {
        // The reset takes effect in the next rendering: the previous note must be gone before
        // this one is measured, or its tail would count.
        fluid_synth_system_reset(synth);
        float scratch[2][kBlock];
        for (int b = 0; b < 200 && fluid_synth_get_active_voice_count(synth) > 0; ++b)
            fluid_synth_write_float(synth, kBlock, scratch[0], 0, 1, scratch[1], 0, 1);
        fluid_synth_program_select(synth, 0, id, 0, program);
        fluid_synth_cc(synth, 0, 7, s.volume);
        fluid_synth_noteon(synth, 0, kKey, s.velocity);
        std::vector<float> left(size_t(kBlock) * kNoteBlocks), right(left.size());
        for (int b = 0; b < kNoteBlocks; ++b)
            fluid_synth_write_float(synth, kBlock, left.data(), b * kBlock, 1, right.data(), b * kBlock, 1);
        return levelDb(left, right);
    }

private:
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    int id = -1;
};

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return std::nan("");
    std::sort(values.begin(), values.end());
    const double at = p * double(values.size() - 1);
    const size_t below = size_t(at);
    const size_t above = std::min(below + 1, values.size() - 1);
    return values[below] + (values[above] - values[below]) * (at - double(below));
}

// Per response: the per-preset figures.
struct Figures {
    std::vector<double> difference;   // zephra - FluidSynth at velocity 127, dB
    std::vector<double> velocityGap;  // |our span - FluidSynth's span|, velocity 127 -> 8
    std::vector<double> volumeGap;    // the same for Volume 127 -> 40
    double pianoVelocity[2] = {0, 0}; // program 0: our span, FluidSynth's span
    double pianoVolume[2] = {0, 0};
};

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> fonts;
    bool smoke = false, verbose = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--smoke") == 0)
            smoke = true;
        else if (std::strcmp(argv[i], "--presets") == 0)
            verbose = true;
        else
            fonts.push_back(argv[i]);
    }
    if (fonts.empty())
        fonts = installedFonts({kTimGM6mb, kFluidR3GM});
    if (fonts.empty()) {
        std::printf("response_report: no General MIDI SoundFont found (install timgm6mb-soundfont); skipped\n");
        return 0;
    }
    silenceFluidLog();

    bool failed = false;
    std::printf("Levels against FluidSynth (reverb and chorus off), key %d held 1 s, bank 0\n\n", kKey);
    char line[256];
    std::snprintf(line, sizeof line, "%-26s %-15s %7s %9s %9s %9s %11s %11s %9s %9s\n", "font", "response", "presets",
                  "p5 dB", "p95 dB", "spread", "vel span", "vol span", "vel gap", "vol gap");
    std::string table = line;
    for (const std::string& font : fonts) {
        SoundFontReader reader(widen(font));
        Fluid fluid(font);
        if (!fluid.loaded()) {
            std::printf("%s: FluidSynth cannot load it\n", font.c_str());
            failed = true;
            continue;
        }
        Figures figures[2];
        size_t measured = 0;
        for (size_t p = 0; p + 1 < reader.presets.size(); ++p) {
            const PresetHeader& header = reader.presets[p];
            if (header.bank != 0 || (smoke && measured >= 4))
                continue;
            loadPreset(reader, int32_t(p));
            const Setting loud, soft{8, 127}, quiet{127, 40};
            const double fLoud = fluid.level(header.preset, loud);
            if (!(fLoud > -100.0))
                continue;   // FluidSynth plays nothing at this key: nothing to compare
            const double fVelocity = fLoud - fluid.level(header.preset, soft);
            const double fVolume = fLoud - fluid.level(header.preset, quiet);
            ++measured;
            for (int r = 0; r < 2; ++r) {
                const SoundResponse response = r == 0 ? SoundResponse::Classic : SoundResponse::SoundFont204;
                const double zLoud = zephraLevel(reader.synths, response, loud);
                const double zVelocity = zLoud - zephraLevel(reader.synths, response, soft);
                const double zVolume = zLoud - zephraLevel(reader.synths, response, quiet);
                if (!std::isfinite(zLoud) || !std::isfinite(zVelocity) || !std::isfinite(zVolume)) {
                    std::printf("  %03d:%03d %s: non-finite output\n", header.bank, header.preset,
                                presetName(header).c_str());
                    failed = true;
                    continue;
                }
                if (verbose)
                    std::printf("%03d %-20s %-14s level %+6.1f (FluidSynth %+6.1f)  velocity span %4.1f (%4.1f)  "
                                "volume span %4.1f (%4.1f)\n", header.preset, presetName(header).c_str(),
                                r == 0 ? "Classic" : "SoundFont 2.04", zLoud, fLoud, zVelocity, fVelocity, zVolume, fVolume);
                Figures& f = figures[r];
                f.difference.push_back(zLoud - fLoud);
                f.velocityGap.push_back(std::fabs(zVelocity - fVelocity));
                f.volumeGap.push_back(std::fabs(zVolume - fVolume));
                if (header.preset == 0) {
                    f.pianoVelocity[0] = zVelocity;
                    f.pianoVelocity[1] = fVelocity;
                    f.pianoVolume[0] = zVolume;
                    f.pianoVolume[1] = fVolume;
                }
            }
        }
        const std::string shortName = font.substr(font.find_last_of('/') + 1);
        for (int r = 0; r < 2; ++r) {
            const Figures& f = figures[r];
            const double p5 = percentile(f.difference, 0.05), p95 = percentile(f.difference, 0.95);
            char velocitySpan[32], volumeSpan[32];
            std::snprintf(velocitySpan, sizeof velocitySpan, "%.1f/%.1f", f.pianoVelocity[0], f.pianoVelocity[1]);
            std::snprintf(volumeSpan, sizeof volumeSpan, "%.1f/%.1f", f.pianoVolume[0], f.pianoVolume[1]);
            std::snprintf(line, sizeof line, "%-26s %-15s %7zu %+9.2f %+9.2f %9.2f %11s %11s %4.1f/%-4.1f %4.1f/%-4.1f\n",
                          shortName.c_str(), r == 0 ? "Classic" : "SoundFont 2.04", f.difference.size(), p5, p95,
                          p95 - p5, velocitySpan, volumeSpan, percentile(f.velocityGap, 0.5),
                          percentile(f.velocityGap, 0.9), percentile(f.volumeGap, 0.5), percentile(f.volumeGap, 0.9));
            table += line;
            if (r == 1 && !smoke)
                failed = failed || !(p95 - p5 <= kSpreadLimitDb) || !(percentile(f.velocityGap, 0.5) <= kSpanLimitDb) ||
                         !(percentile(f.volumeGap, 0.5) <= kSpanLimitDb);
        }
    }
    std::printf("\n%s\nspread: p95 - p5 of (zephra - FluidSynth); vel/vol span: the piano's level drop, ours/FluidSynth's,\n"
                "velocity 127 -> 8 and Volume 127 -> 40; vel/vol gap: |our drop - FluidSynth's| over the presets,\n"
                "median/90th percentile. \"SoundFont 2.04\" marks: spread <= %.0f dB, median gaps <= %.0f dB.\n",
                table.c_str(), kSpreadLimitDb, kSpanLimitDb);
    if (failed)
        std::printf("FAIL\n");
    return failed ? 1 : 0;
}
