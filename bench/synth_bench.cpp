// Cost of the engine with 64 sounding voices of a real General MIDI preset at 44.1 kHz, beside
// libfluidsynth rendering the same notes from the same SoundFont (reverb and chorus off,
// polyphony 64; interpolation "none" and its default 4th order).
//
// Usage: synth_bench [--smoke] [--font PATH] [--seconds S] [--response classic|sf2]
//                    [--loop scalar|sse2|avx2]
// Prints, per preset: voices, ns per voice-sample and CPU per second of audio for each engine,
// and the ratio of our cost to FluidSynth's.
#include "BenchEngine.h"
#include "BenchFluid.h"
#include "BenchFonts.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace Steinberg::Vst;
using namespace zephra::bench;

namespace {

constexpr double kRate = 44100.0;
constexpr int kBlock = 512;
constexpr int kVelocity = 100;

struct Measurement {
    double voices = 0;         // mean of the voice counts at the start and the end
    double cpu = 0.0;          // seconds of CPU for the rendering
    double audio = 0.0;        // seconds of audio rendered
    double nsPerVoiceSample() const { return cpu * 1e9 / (audio * kRate * voices); }
    double cpuPerAudioSecond() const { return cpu / audio; }
};

// Our engine: notes from key 36 upwards until 64 voices sound; returns the keys used.
Measurement measureEngine(const std::string& font, int program, double seconds, std::vector<int>& keys,
                          float& peak, SoundResponse response, VoiceLoop loop)
{
    SoundFontReader reader(widen(font));
    const int32_t index = presetIndex(reader, 0, program);
    if (index < 0)
        return {};
    loadPreset(reader, index);

    SynthEngine engine;
    engine.useVoiceLoop(loop);
    engine.setSampleRate(kRate);
    engine.setResponse(response);
    handOverSound(engine, reader.synths);
    std::vector<float> left(kBlock), right(kBlock);
    keys.clear();
    for (int key = 36; key < 128 && engine.busyVoiceCount() < 64; ++key) {
        engine.noteOn(int16_t(key), float(kVelocity) / 127.0f);
        keys.push_back(key);
    }
    engine.render(left.data(), right.data(), kBlock, 1.0f);   // first block outside the timing

    Measurement m;
    const int voicesAtStart = engine.busyVoiceCount();
    const int blocks = int(seconds * kRate / kBlock);
    peak = 0.0f;
    const double start = cpuSeconds();
    for (int b = 0; b < blocks; ++b) {
        engine.render(left.data(), right.data(), kBlock, 1.0f);
        peak = std::max(peak, std::fabs(left[0]));
    }
    m.cpu = cpuSeconds() - start;
    m.audio = blocks * double(kBlock) / kRate;
    const int voicesAtEnd = engine.busyVoiceCount();
    m.voices = 0.5 * (voicesAtStart + voicesAtEnd);
    if (voicesAtEnd != voicesAtStart)
        std::printf("  (our engine: %d voices at the start, %d at the end)\n", voicesAtStart, voicesAtEnd);
    return m;
}

Measurement measureFluid(const std::string& font, int program, double seconds, const std::vector<int>& keys,
                         int interpolation)
{
    fluid_settings_t* settings = comparisonSettings(kRate);
    fluid_settings_setint(settings, "synth.polyphony", 64);
    fluid_synth_t* synth = new_fluid_synth(settings);
    Measurement m;
    const int id = fluid_synth_sfload(synth, font.c_str(), 1);
    if (id >= 0) {
        fluid_synth_program_select(synth, 0, id, 0, program);
        fluid_synth_set_interp_method(synth, -1, interpolation);
        for (int key : keys)
            fluid_synth_noteon(synth, 0, key, kVelocity);
        std::vector<float> left(kBlock), right(kBlock);
        fluid_synth_write_float(synth, kBlock, left.data(), 0, 1, right.data(), 0, 1);
        const int voicesAtStart = fluid_synth_get_active_voice_count(synth);
        const int blocks = int(seconds * kRate / kBlock);
        const double start = cpuSeconds();
        for (int b = 0; b < blocks; ++b)
            fluid_synth_write_float(synth, kBlock, left.data(), 0, 1, right.data(), 0, 1);
        m.cpu = cpuSeconds() - start;
        m.audio = blocks * double(kBlock) / kRate;
        const int voicesAtEnd = fluid_synth_get_active_voice_count(synth);
        m.voices = 0.5 * (voicesAtStart + voicesAtEnd);
        if (voicesAtEnd != voicesAtStart)
            std::printf("  (FluidSynth: %d voices at the start, %d at the end)\n", voicesAtStart, voicesAtEnd);
    }
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
    return m;
}

// What a block costs an instance that has a sound but nothing to play.
double idleBlockNanoseconds(const std::string& font)
{
    SoundFontReader reader(widen(font));
    loadPreset(reader, 0);
    SynthEngine engine;
    engine.setSampleRate(kRate);
    handOverSound(engine, reader.synths);
    std::vector<float> left(kBlock), right(kBlock);
    const int blocks = 20000;
    const double start = cpuSeconds();
    for (int b = 0; b < blocks; ++b)
        engine.render(left.data(), right.data(), kBlock, 1.0f);
    return (cpuSeconds() - start) * 1e9 / blocks;
}

void print(const char* name, const Measurement& m)
{
    std::printf("  %-30s %4.1f voices  %7.3f ns per voice-sample  %6.2f%% CPU per second of audio\n", name,
                m.voices, m.nsPerVoiceSample(), m.cpuPerAudioSecond() * 100.0);
}

} // namespace

int main(int argc, char** argv)
{
    bool smoke = false;
    double seconds = 10.0;
    std::string font;
    SoundResponse response = SoundResponse::Classic;
    VoiceLoop loop = fastestVoiceLoop();
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--smoke") == 0)
            smoke = true;
        else if (std::strcmp(argv[i], "--font") == 0 && i + 1 < argc)
            font = argv[++i];
        else if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc)
            seconds = std::atof(argv[++i]);
        else if (std::strcmp(argv[i], "--response") == 0 && i + 1 < argc)
            response = std::strcmp(argv[++i], "sf2") == 0 ? SoundResponse::SoundFont204 : SoundResponse::Classic;
        else if (std::strcmp(argv[i], "--loop") == 0 && i + 1 < argc) {
            const std::string name = argv[++i];
            loop = name == "scalar" ? VoiceLoop::scalar : name == "sse2" ? VoiceLoop::sse2 : VoiceLoop::avx2;
            if (!voiceLoopAvailable(loop)) {
                std::printf("synth_bench: the %s voice loop is not available here\n", name.c_str());
                return 1;
            }
        }
    }
    if (smoke)
        seconds = 0.1;
    if (font.empty()) {
        const std::vector<std::string> installed = installedFonts({kTimGM6mb, kFluidR3GM});
        if (!installed.empty())
            font = installed.front();
    }
    if (font.empty() || !fileExists(font)) {
        std::printf("synth_bench: no General MIDI SoundFont found (install timgm6mb-soundfont); skipped\n");
        return 0;
    }
    silenceFluidLog();

    std::printf("Engine cost, 64 voices at 44.1 kHz, %.1f s of audio in %d-sample blocks, %s voice loop\nFont: %s\nResponse: %s\n",
                seconds, kBlock, voiceLoopName(loop), font.c_str(),
                response == SoundResponse::Classic ? "Classic" : "SoundFont 2.04");
    int failures = 0;
    for (int program : {0, 48}) {
        std::vector<int> keys;
        float peak = 0.0f;
        const Measurement ours = measureEngine(font, program, seconds, keys, peak, response, loop);
        if (ours.voices == 0) {
            std::printf("Program %d: no voices\n", program);
            ++failures;
            continue;
        }
        const Measurement none = measureFluid(font, program, seconds, keys, FLUID_INTERP_NONE);
        const Measurement fourth = measureFluid(font, program, seconds, keys, FLUID_INTERP_4THORDER);
        std::printf("Program %d (bank 0), %zu notes from key 36:\n", program, keys.size());
        print("Zephra engine", ours);
        print("FluidSynth, interp. none", none);
        print("FluidSynth, interp. 4th order", fourth);
        if (none.voices > 0 && fourth.voices > 0)
            std::printf("  ratio ours / FluidSynth none: %.2f   ours / FluidSynth 4th order: %.2f\n",
                        ours.nsPerVoiceSample() / none.nsPerVoiceSample(),
                        ours.nsPerVoiceSample() / fourth.nsPerVoiceSample());
        if (ours.voices < 63.5)
            ++failures;   // the comparison needs 64 sounding voices
    }
    std::printf("Idle engine (a sound, no voice): %.1f ns per %d-sample block\n", idleBlockNanoseconds(font), kBlock);
    return failures == 0 ? 0 : 1;
}
