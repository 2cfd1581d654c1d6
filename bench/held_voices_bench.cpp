// Cost of 64 held notes of a one-shot percussive preset (Timpani, GM program 47) long after
// their samples have ended, beside 64 held notes of a sustained preset (Strings, program 48).
// A voice whose sample has ended keeps feeding zeros through its filter; its cost must stay
// that of any other voice (no subnormal arithmetic), with and without flush-to-zero set.
//
// Usage: held_voices_bench [--smoke] [--font PATH] [--seconds S]
// Prints ns per voice-sample for both presets and their ratio; exits 1 when the percussive
// voices cost more than 1.5 times the sustained ones (a smoke run only checks that it runs).
#include "BenchEngine.h"
#include "BenchFonts.h"
#include "platform/FloatingPointMode.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

using namespace Steinberg::Vst;
using namespace zephra::bench;

namespace {

constexpr double kRate = 44100.0;
constexpr int kBlock = 256;

struct Cost {
    int voices = 0;
    double nsPerVoiceSample = 0.0;
};

// Holds notes from key 36 up until 64 voices sound, lets `settle` seconds pass (the one-shot
// samples end), then times `seconds` of rendering.
Cost heldVoices(SoundFontReader& reader, int program, double settle, double seconds)
{
    const int32_t index = presetIndex(reader, 0, program);
    if (index < 0)
        return {};
    loadPreset(reader, index);
    auto engine = std::make_unique<SynthEngine>();
    engine->setSampleRate(kRate);
    handOverSound(*engine, reader.synths);
    std::vector<float> left(kBlock), right(kBlock);
    for (int key = 36; key < 128 && engine->busyVoiceCount() < 64; ++key)
        engine->noteOn(int16_t(key), 1.0f);
    for (int b = 0; b < int(settle * kRate / kBlock); ++b)
        engine->render(left.data(), right.data(), kBlock, 1.0f);
    Cost cost;
    cost.voices = engine->busyVoiceCount();
    const int blocks = int(seconds * kRate / kBlock);
    const double start = cpuSeconds();
    for (int b = 0; b < blocks; ++b)
        engine->render(left.data(), right.data(), kBlock, 1.0f);
    const double cpu = cpuSeconds() - start;
    if (cost.voices > 0 && blocks > 0)
        cost.nsPerVoiceSample = cpu * 1e9 / (double(blocks) * kBlock * cost.voices);
    return cost;
}

} // namespace

int main(int argc, char** argv)
{
    double seconds = 4.0;
    double settle = 6.0;
    std::string font;
    bool smoke = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--smoke") == 0) {
            smoke = true;
            seconds = 0.2;
            settle = 3.0;
        } else if (std::strcmp(argv[i], "--font") == 0 && i + 1 < argc) {
            font = argv[++i];
        } else if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
            seconds = std::atof(argv[++i]);
        }
    }
    if (font.empty()) {
        const std::vector<std::string> installed = installedFonts({kFluidR3GM, kTimGM6mb});
        if (!installed.empty())
            font = installed.front();
    }
    if (font.empty()) {
        std::printf("held_voices_bench: no General MIDI SoundFont found; skipped\n");
        return 0;
    }
    SoundFontReader reader(widen(font));
    std::printf("64 held notes, %.0f s after note-on, %.1f s timed in %d-sample blocks\nFont: %s\n", settle,
                seconds, kBlock, font.c_str());
    bool tooSlow = false;
    for (bool flush : {false, true}) {
        std::unique_ptr<DenormalsOff> mode;
        if (flush)
            mode = std::make_unique<DenormalsOff>();
        const Cost percussive = heldVoices(reader, 47, settle, seconds);
        const Cost sustained = heldVoices(reader, 48, settle, seconds);
        if (percussive.voices == 0 || sustained.voices == 0) {
            std::printf("  presets 0:047 or 0:048 missing or silent; skipped\n");
            return 0;
        }
        const double ratio = percussive.nsPerVoiceSample / sustained.nsPerVoiceSample;
        std::printf("  flush-to-zero %-3s  Timpani (0:047) %2d voices %7.2f ns/voice-sample   "
                    "Strings (0:048) %2d voices %7.2f ns/voice-sample   ratio %.2f\n",
                    flush ? "on" : "off", percussive.voices, percussive.nsPerVoiceSample, sustained.voices,
                    sustained.nsPerVoiceSample, ratio);
        // A smoke run's fifth of a second on a shared machine measures the load, not the engine.
        tooSlow = tooSlow || (!smoke && ratio > 1.5);
    }
    if (tooSlow)
        std::printf("FAIL: held percussive voices cost more than 1.5 times sustained ones\n");
    return tooSlow ? 1 : 0;
}
