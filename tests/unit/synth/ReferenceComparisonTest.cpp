// The fast engine against the plain per-sample reference on randomised records, notes,
// controllers, block sizes and sample rates, through each voice loop the processor runs (scalar,
// SSE2, AVX2): the outputs must be identical, sample for sample.
#include "unit/synth/ReferenceSynth.h"
#include "unit/synth/TestRecords.h"
#include "soundfont/SoundFontReader.h"
#include "synth/SynthEngine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <random>

using namespace Steinberg::Vst;
using namespace zephra::test;

namespace {

// The engine as its plain definition renders (no voice ends early), through `loop`.
void plainRendering(SynthEngine& engine, VoiceLoop loop)
{
    engine.useVoiceLoop(loop);
    engine.setQuietVoiceEnding(false);
}

class Scenario {
public:
    explicit Scenario(uint32_t seed) : rng(seed) {}

    float uniform(float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); }
    int integer(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
    bool chance(double p) { return std::bernoulli_distribution(p)(rng); }
    float seconds(float loCents, float hiCents) { return float(std::pow(2.0, uniform(loCents, hiCents) / 1200.0)); }
    float ratio() { return chance(0.5) ? 1.0f : float(std::pow(2.0, integer(-1200, 1200) / 1200.0)); }

    SFSynth record()
    {
        SFSynth r;
        const int points = integer(3, 3000);
        std::vector<float> samples(size_t(points) + 1, 0.0f);
        for (int k = 0; k < points; ++k)
            samples[size_t(k)] = uniform(-1.0f, 1.0f);
        r.samples = SharedSamples(std::move(samples));
        r.keyLow = uint8_t(integer(0, 70));
        r.keyHigh = uint8_t(integer(r.keyLow, 127));
        r.velocityLow = uint8_t(chance(0.7) ? 0 : integer(0, 100));
        r.velocityHigh = uint8_t(integer(r.velocityLow, 127));
        r.sampleModes = chance(0.7) ? 1 : 0;
        r.loopStart = integer(-2, points);
        r.loopEnd = integer(r.loopStart, points + 1);
        r.sampleRate = std::vector<int>{22050, 32000, 44100, 48000}[size_t(integer(0, 3))];
        r.rootKey = integer(40, 90);
        r.pitchCorrection = integer(-50, 50);
        r.coarseTune = integer(-12, 12);
        r.fineTune = integer(-50, 50);
        r.attenuation = uniform(0.1f, 1.0f);
        r.pan = uniform(-60.0f, 60.0f);
        r.volEnvDelay = seconds(-12000, -4000);
        r.volEnvAttack = seconds(-12000, -2000);
        r.volEnvHold = seconds(-12000, -3000);
        r.volEnvDecay = seconds(-12000, 0);
        r.volEnvSustain = chance(0.2) ? 1.0f : uniform(0.0f, 1.0f);
        r.volEnvRelease = seconds(-12000, -1000);
        r.modEnvDelay = seconds(-12000, -4000);
        r.modEnvAttack = seconds(-12000, -2000);
        r.modEnvHold = seconds(-12000, -3000);
        r.modEnvDecay = seconds(-12000, 0);
        r.modEnvSustain = uniform(0.0f, 1.0f);
        r.modEnvRelease = seconds(-12000, -1000);
        r.modEnvToFilterCutoff = ratio();
        r.modEnvToPitch = ratio();
        r.filterCutoff = float(8.175999641418457 * std::pow(2.0, integer(1500, 13500) / 1200.0));
        r.filterResonance = float(std::pow(10.0, integer(0, 200) * 0.005));
        r.modLfoFrequency = float(8.175999641418457 * std::pow(2.0, integer(-6000, 4500) / 1200.0));
        r.modLfoDelay = seconds(-12000, -1500);
        r.modLfoToVolume = chance(0.5) ? 0.0f : uniform(0.0f, 0.9f);
        r.modLfoToFilterCutoff = ratio();
        r.modLfoToPitch = ratio();
        r.vibLfoFrequency = float(8.175999641418457 * std::pow(2.0, integer(-6000, 4500) / 1200.0));
        r.vibLfoDelay = seconds(-12000, -1500);
        r.vibLfoToPitch = ratio();
        return r;
    }

    SFSynthList list()
    {
        SFSynthList l;
        const int n = integer(1, 6);
        for (int i = 0; i < n; ++i)
            l.push_back(record());
        return l;
    }

    std::mt19937 rng;
};

// Returns the sum of absolute output values, to show the scenario made sound.
double runScenario(uint32_t seed, VoiceLoop loop)
{
    double energy = 0.0;
    Scenario s(seed);
    const double rate = std::vector<double>{44100.0, 48000.0, 96000.0, 22050.0}[size_t(s.integer(0, 3))];
    SynthEngine engine;
    plainRendering(engine, loop);
    ReferenceSynth reference;
    engine.setSampleRate(rate);
    reference.setSampleRate(rate);

    SFSynthList records = s.list();
    SFSynthList forEngine = records;
    engine.receiveSound(forEngine);
    std::vector<float> el(1000), er(1000), rl(1000), rr(1000);
    engine.render(el.data(), er.data(), 0, 1.0f);
    reference.adopt(records);
    reference.render(rl.data(), rr.data(), 0, 1.0f);

    std::vector<int> held;
    int64_t sample = 0;
    for (int call = 0; call < 120; ++call) {
        const int action = s.integer(0, 9);
        if (action <= 3) {
            const int16_t key = int16_t(s.integer(30, 100));
            const float velocity = s.chance(0.05) ? 0.0f : s.uniform(0.0f, 1.0f);
            engine.noteOn(key, velocity);
            reference.noteOn(key, velocity);
            held.push_back(key);
        } else if (action <= 5 && !held.empty()) {
            const size_t i = size_t(s.integer(0, int(held.size()) - 1));
            engine.noteOff(int16_t(held[i]));
            reference.noteOff(int16_t(held[i]));
            held.erase(held.begin() + long(i));
        } else if (action == 6) {
            const double pedal = s.chance(0.5) ? 1.0 : 0.0;
            engine.setPedal(pedal);
            reference.setPedal(pedal);
        } else if (action == 7) {
            const double range = s.integer(0, 12), bend = s.uniform(-1.0f, 1.0f);
            engine.setBend(range, bend);
            reference.setBend(range, bend);
        } else if (action == 8) {
            const double wheel = s.chance(0.3) ? 0.0 : s.uniform(0.0f, 1.0f);
            engine.setWheel(wheel);
            reference.setWheel(wheel);
        }
        const bool newSound = s.chance(0.03);
        SFSynthList next;
        if (newSound) {
            next = s.list();
            SFSynthList copy = next;
            engine.receiveSound(copy);
        }
        const int count = s.chance(0.1) ? 0 : s.integer(1, 1000);
        const float gain = s.uniform(0.0f, 2.0f);
        engine.render(el.data(), er.data(), count, gain);
        reference.render(rl.data(), rr.data(), count, gain);
        if (newSound) {
            records = next;
            reference.adopt(records);
        }
        for (int i = 0; i < count; ++i) {
            EXPECT_EQ(el[size_t(i)], rl[size_t(i)]) << "seed " << seed << " left, sample " << sample + i;
            EXPECT_EQ(er[size_t(i)], rr[size_t(i)]) << "seed " << seed << " right, sample " << sample + i;
            if (el[size_t(i)] != rl[size_t(i)] || er[size_t(i)] != rr[size_t(i)])
                return energy;
            energy += std::fabs(el[size_t(i)]) + std::fabs(er[size_t(i)]);
        }
        EXPECT_EQ(engine.busyVoiceCount(), reference.busyVoices()) << "seed " << seed << " call " << call;
        sample += count;
    }
    return energy;
}

class ReferenceComparison : public ::testing::TestWithParam<VoiceLoop> {};

} // namespace

INSTANTIATE_TEST_SUITE_P(VoiceLoops, ReferenceComparison, ::testing::ValuesIn(availableVoiceLoops()),
                         [](const auto& info) { return std::string(voiceLoopName(info.param)); });

TEST_P(ReferenceComparison, RandomisedScenariosMatchThePlainRenderingExactly)
{
    // ZEPHRA_SYNTH_SEEDS=n runs n scenarios instead of 12, for a deeper check by hand.
    const char* seeds = std::getenv("ZEPHRA_SYNTH_SEEDS");
    const uint32_t last = seeds ? uint32_t(std::max(1, std::atoi(seeds))) : 12u;
    double energy = 0.0;
    for (uint32_t seed = 1; seed <= last; ++seed) {
        energy += runScenario(seed, GetParam());
        if (HasFailure())
            return;
    }
    EXPECT_GT(energy, 1.0) << "the scenarios made no sound";
}

TEST_P(ReferenceComparison, FullPolyphonyWithStealingMatchesThePlainRendering)
{
    // Many short notes with long releases keep all 64 voices busy and force stealing.
    for (uint32_t seed = 100; seed <= 102; ++seed) {
        Scenario s(seed);
        SynthEngine engine;
        plainRendering(engine, GetParam());
        ReferenceSynth reference;
        SFSynthList records{s.record(), s.record()};
        for (SFSynth& r : records) {
            r.keyLow = 0;
            r.keyHigh = 127;
            r.velocityLow = 0;
            r.velocityHigh = 127;
            r.volEnvRelease = 3.0f;
        }
        SFSynthList copy = records;
        engine.receiveSound(copy);
        std::vector<float> el(64), er(64), rl(64), rr(64);
        engine.render(el.data(), er.data(), 0, 1.0f);
        reference.adopt(records);
        for (int call = 0; call < 200; ++call) {
            const int16_t key = int16_t(s.integer(20, 110));
            engine.noteOn(key, 0.8f);
            reference.noteOn(key, 0.8f);
            if (s.chance(0.5)) {
                engine.noteOff(key);
                reference.noteOff(key);
            }
            const int count = s.integer(0, 64);
            engine.render(el.data(), er.data(), count, 1.0f);
            reference.render(rl.data(), rr.data(), count, 1.0f);
            for (int i = 0; i < count; ++i) {
                ASSERT_EQ(el[size_t(i)], rl[size_t(i)]) << "seed " << seed << " call " << call;
                ASSERT_EQ(er[size_t(i)], rr[size_t(i)]);
            }
        }
        EXPECT_EQ(engine.busyVoiceCount(), 64);
    }
}

// Guards against reading outside the sample once the read position passes 2^31 points: the
// fast path must switch to the checked fetch and fall silent exactly like the plain rendering.
TEST_P(ReferenceComparison, ReadPositionPastTwoToThe31FallsSilentLikeThePlainRendering)
{
    SFSynth r = neutralSineRecord(4000);
    r.rootKey = 0;          // reference frequency about 8.2 Hz
    r.coarseTune = 120;     // and a note far above it: millions of points per sample
    SynthEngine engine;
    plainRendering(engine, GetParam());
    ReferenceSynth reference;
    SFSynthList copy{r};
    engine.receiveSound(copy);
    std::vector<float> el(256), er(256), rl(256), rr(256);
    engine.render(el.data(), er.data(), 0, 1.0f);
    reference.adopt({r});
    engine.noteOn(127, 1.0f);
    reference.noteOn(127, 1.0f);
    bool passed = false;
    for (int call = 0; call < 40; ++call) {
        engine.render(el.data(), er.data(), 256, 1.0f);
        reference.render(rl.data(), rr.data(), 256, 1.0f);
        for (int i = 0; i < 256; ++i) {
            ASSERT_EQ(el[size_t(i)], rl[size_t(i)]) << "call " << call << " sample " << i;
            ASSERT_EQ(er[size_t(i)], rr[size_t(i)]);
        }
        passed = passed || engine.voice(0).position >= 2147483648.0;
    }
    ASSERT_TRUE(passed) << "the read position never left the 32-bit range";
    EXPECT_LT(std::fabs(el[255]), 1e-12f);   // only the filter's tail is left
    EXPECT_EQ(engine.voice(0).state, Sounding);
}

// Every preset of Debian's TimGM6mb (drum kits included) through every voice loop at 44.1 and
// 96 kHz: chords at three velocities, bends, the pedal, releases, odd block sizes.
TEST(ReferenceComparisonRealFont, EveryTimGM6mbPresetMatchesThePlainRenderingAt44And96kHz)
{
    const std::u16string path = u"/usr/share/sounds/sf2/TimGM6mb.sf2";
    SoundFontReader reader(path);
    if (reader.presets.size() < 2)
        GTEST_SKIP() << "TimGM6mb.sf2 not installed (apt-get install timgm6mb-soundfont)";
    const std::vector<VoiceLoop> loops = availableVoiceLoops();
    for (double rate : {44100.0, 96000.0}) {
        for (size_t p = 0; p + 1 < reader.presets.size(); ++p) {
            reader.synths.clear();
            reader.resolvePreset(int32_t(p));
            reader.buildSynthRecords();
            ReferenceSynth reference;
            std::vector<std::unique_ptr<SynthEngine>> engines;
            reference.setSampleRate(rate);
            reference.adopt(reader.synths);
            for (VoiceLoop loop : loops) {
                engines.push_back(std::make_unique<SynthEngine>());
                plainRendering(*engines.back(), loop);
                engines.back()->setSampleRate(rate);
                SFSynthList copy = reader.synths;
                engines.back()->receiveSound(copy);
            }
            std::vector<float> rl(700), rr(700), el(700), er(700);
            const auto step = [&](int count, const auto& act) {
                act(reference);
                reference.render(rl.data(), rr.data(), count, 1.0f);
                for (size_t k = 0; k < engines.size(); ++k) {
                    act(*engines[k]);
                    engines[k]->render(el.data(), er.data(), count, 1.0f);
                    for (int i = 0; i < count; ++i)
                        ASSERT_TRUE(el[size_t(i)] == rl[size_t(i)] && er[size_t(i)] == rr[size_t(i)])
                            << voiceLoopName(loops[k]) << " at " << rate << " Hz, preset " << p << " sample " << i;
                }
            };
            step(0, [](auto&) {});
            step(613, [](auto& s) { for (int16_t key : {36, 60, 84}) s.noteOn(key, 0.8f); });
            step(477, [](auto& s) { s.noteOn(42, 0.3f); s.noteOn(72, 1.0f); s.setBend(2.0, 0.4); });
            step(700, [](auto& s) { s.setPedal(1.0); s.noteOff(36); s.noteOff(42); });
            step(349, [](auto& s) { s.setPedal(0.0); s.noteOff(60); s.setWheel(0.7); });
            step(700, [](auto& s) { for (int16_t key : {72, 84}) s.noteOff(key); });
            step(700, [](auto&) {});
        }
    }
}
