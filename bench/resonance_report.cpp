// How much louder filter resonance makes real presets: every preset of the Debian General MIDI
// fonts (TimGM6mb, FluidR3_GM), one note at a time (keys 36, 60 and 84, velocity 127, held
// 1.5 s and released), rendered once as the font asks and once with the resonance removed
// (Q = 1). Reports each font's largest peak rise and its preset; exits 1 when any rise exceeds
// 24 dB or any sample is not finite.
//
// Usage: resonance_report [--smoke] [FONT...]
#include "BenchEngine.h"
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
constexpr int kBlock = 256;
constexpr double kLimitDb = 24.0;

// Peak of one note; -1 when a sample was not finite.
float notePeak(const SFSynthList& records, int16_t key)
{
    auto engine = std::make_unique<SynthEngine>();
    engine->setSampleRate(kRate);
    handOverSound(*engine, records);
    std::vector<float> left(kBlock), right(kBlock);
    engine->noteOn(key, 1.0f);
    float peak = 0.0f;
    const int held = int(1.5 * kRate / kBlock), total = int(2.5 * kRate / kBlock);
    for (int b = 0; b < total; ++b) {
        if (b == held)
            engine->noteOff(key);
        engine->render(left.data(), right.data(), kBlock, 1.0f);
        for (int i = 0; i < kBlock; ++i) {
            if (!std::isfinite(left[i]) || !std::isfinite(right[i]))
                return -1.0f;
            peak = std::max(peak, std::max(std::fabs(left[i]), std::fabs(right[i])));
        }
    }
    return peak;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> fonts;
    bool smoke = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--smoke") == 0)
            smoke = true;
        else
            fonts.push_back(argv[i]);
    }
    if (fonts.empty())
        fonts = installedFonts({kTimGM6mb, kFluidR3GM});
    bool failed = false;
    for (const std::string& font : fonts) {
        SoundFontReader reader(widen(font));
        const size_t presets = reader.presets.empty() ? 0 : reader.presets.size() - 1;
        double worst = -1000.0;
        std::string worstName = "none";
        int resonant = 0;
        for (size_t p = 0; p < presets && !(smoke && p >= 8); ++p) {
            loadPreset(reader, int32_t(p));
            const SFSynthList& asAsked = reader.synths;
            const bool hasResonance = std::any_of(asAsked.begin(), asAsked.end(),
                                                  [](const SFSynth& r) { return r.filterResonance > 1.0f; });
            if (!hasResonance)
                continue;   // nothing to compare: the same records twice
            ++resonant;
            SFSynthList flat = asAsked;
            for (SFSynth& r : flat)
                r.filterResonance = 1.0f;
            for (int16_t key : {36, 60, 84}) {
                const float withQ = notePeak(asAsked, key);
                const float without = notePeak(flat, key);
                if (withQ < 0.0f || without < 0.0f) {
                    std::printf("  %03d:%03d %s key %d: non-finite output\n", reader.presets[p].bank,
                                reader.presets[p].preset, presetName(reader.presets[p]).c_str(), key);
                    failed = true;
                    continue;
                }
                if (without <= 1e-6f)
                    continue;   // the key is outside the preset
                const double rise = 20.0 * std::log10(double(withQ) / double(without));
                if (rise > worst) {
                    worst = rise;
                    char text[96];
                    std::snprintf(text, sizeof text, "%03d:%03d %s, key %d (peak %.1f dBFS)", reader.presets[p].bank,
                                  reader.presets[p].preset, presetName(reader.presets[p]).c_str(), key,
                                  20.0 * std::log10(double(withQ)));
                    worstName = text;
                }
            }
        }
        std::printf("%s: %zu presets, %d with resonance; largest peak rise %+.1f dB at %s\n", font.c_str(), presets,
                    resonant, resonant ? worst : 0.0, worstName.c_str());
        failed = failed || worst > kLimitDb;
    }
    if (failed)
        std::printf("FAIL: a rise above %.0f dB or a non-finite sample\n", kLimitDb);
    return failed ? 1 : 0;
}
