// Real songs straight through the engine, one engine per MIDI channel with the channel's first
// program (channel 10 a drum kit), its notes, sustain pedal, pitch bend, volume and expression:
// the voices that end below -100 dBFS in their release (counted by the engine), the voice-samples
// rendered with that ending and without it, and the engine's CPU time with each voice loop.
//
// Usage: song_voices_bench [--smoke] [--font PATH] [MIDI FILE ...]
// Without files: Debian's openttd-openmsx songs, with TimGM6mb, FluidR3_GM and FluidR3Mono_GM.
#include "BenchEngine.h"
#include "BenchFonts.h"
#include "MidiFile.h"
#include "Score.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace Steinberg::Vst;
using namespace zephra::bench;

namespace {

constexpr double kRate = 44100.0;
constexpr int32_t kBlock = 512;
constexpr double kOutputLevel = 12.0;   // the plug-in's default "Output Level"

struct Totals {
    int64_t voiceSamples = 0;   // busy voices summed over every block
    int64_t quietEndings = 0;
    int64_t noteOns = 0;
    double cpu = 0.0;
};

// One channel's engine with its controllers.
struct Channel {
    std::unique_ptr<SynthEngine> engine = std::make_unique<SynthEngine>();
    double volume = 1.0;
    double expression = 1.0;
    bool used = false;
    int program = -1;
};

// Plays the score through one engine per channel; quietEnding and loop set up each engine.
Totals play(const zephra::render::Score& score, SoundFontReader& reader, bool quietEnding, VoiceLoop loop)
{
    using zephra::render::ScoreEventKind;
    Channel channels[16];
    for (const auto& e : score.events) {
        Channel& c = channels[e.channel];
        c.used = c.used || e.kind == ScoreEventKind::NoteOn;
        if (e.kind == ScoreEventKind::Program && c.program < 0)
            c.program = e.number;
    }
    for (int ch = 0; ch < 16; ++ch) {
        Channel& c = channels[ch];
        if (!c.used)
            continue;
        int32_t index = ch == 9 ? presetIndex(reader, 128, std::max(c.program, 0)) : presetIndex(reader, 0, std::max(c.program, 0));
        if (index < 0)
            index = presetIndex(reader, ch == 9 ? 128 : 0, 0);
        reader.synths.clear();
        if (index >= 0)
            loadPreset(reader, index);
        c.engine->setSampleRate(kRate);
        c.engine->useVoiceLoop(loop);
        c.engine->setQuietVoiceEnding(quietEnding);
        handOverSound(*c.engine, reader.synths);
    }
    Totals totals;
    std::vector<float> left(kBlock), right(kBlock);
    int64_t rendered = 0;
    const auto renderTo = [&](int64_t sample) {
        while (rendered < sample) {
            const int32_t n = int32_t(std::min<int64_t>(kBlock, sample - rendered));
            for (Channel& c : channels) {
                if (!c.used)
                    continue;
                const double start = cpuSeconds();
                c.engine->render(left.data(), right.data(), n, float(kOutputLevel * c.volume * c.expression));
                totals.cpu += cpuSeconds() - start;
                totals.voiceSamples += int64_t(c.engine->busyVoiceCount()) * n;
            }
            rendered += n;
        }
    };
    for (const auto& e : score.events) {
        renderTo(int64_t(std::llround(e.seconds * kRate)));
        SynthEngine& engine = *channels[e.channel].engine;
        switch (e.kind) {
        case ScoreEventKind::NoteOn:
            engine.noteOn(int16_t(e.number), float(e.value) / 127.0f);
            ++totals.noteOns;
            break;
        case ScoreEventKind::NoteOff:
            engine.noteOff(int16_t(e.number));
            break;
        case ScoreEventKind::PitchBend:
            engine.setBend(2.0, (double(e.value) - 8192.0) / 8192.0);
            break;
        case ScoreEventKind::Controller:
            if (e.number == 64)
                engine.setPedal(e.value >= 64 ? 1.0 : 0.0);
            else if (e.number == 7)
                channels[e.channel].volume = e.value / 127.0;
            else if (e.number == 11)
                channels[e.channel].expression = e.value / 127.0;
            else if (e.number == 1)
                engine.setWheel(e.value / 127.0);
            break;
        default:
            break;
        }
    }
    // Every note released, then a tail until every engine is silent (at most 30 s).
    for (Channel& c : channels) {
        c.engine->setPedal(0.0);
        for (int key = 0; key < 128; ++key)
            for (int k = 0; k < 64; ++k)
                c.engine->noteOff(int16_t(key));
    }
    const int64_t tailEnd = rendered + int64_t(30 * kRate);
    while (rendered < tailEnd) {
        int32_t busy = 0;
        for (const Channel& c : channels)
            busy += c.used ? c.engine->busyVoiceCount() : 0;
        if (busy == 0)
            break;
        renderTo(rendered + kBlock);
    }
    for (const Channel& c : channels)
        totals.quietEndings += c.used ? c.engine->quietEndings() : 0;
    return totals;
}

std::vector<std::string> openmsxSongs()
{
    std::vector<std::string> songs;
    const std::string folder = "/usr/share/games/openttd/baseset/openmsx";
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.size() > 4 && name.compare(name.size() - 4, 4, ".mid") == 0)
                songs.push_back(folder + "/" + name);
        }
        closedir(dir);
    }
    std::sort(songs.begin(), songs.end());
    return songs;
}

} // namespace

int main(int argc, char** argv)
{
    bool smoke = false;
    std::vector<std::string> fonts, songs;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--smoke") == 0)
            smoke = true;
        else if (std::strcmp(argv[i], "--font") == 0 && i + 1 < argc)
            fonts.push_back(argv[++i]);
        else
            songs.push_back(argv[i]);
    }
    if (fonts.empty())
        for (const std::string& font : installedFonts({kTimGM6mb, kFluidR3GM, kFluidR3MonoGM}))
            if (!(smoke && !fonts.empty()))
                fonts.push_back(font);
    if (songs.empty())
        songs = openmsxSongs();
    if (smoke && songs.size() > 1)
        songs.resize(1);
    if (fonts.empty() || songs.empty()) {
        std::printf("song_voices_bench: needs a General MIDI font and MIDI files (openttd-openmsx); skipped\n");
        return 0;
    }
    std::printf("| song | font | notes | voices ended below -100 dBFS | voice-seconds rendered, ending on | off | saved | "
                "engine CPU s, %s loop: on | off | scalar loop, on |\n|---|---|---|---|---|---|---|---|---|---|\n",
                voiceLoopName(fastestVoiceLoop()));
    Totals all[2];
    for (const std::string& font : fonts) {
        SoundFontReader reader(widen(font));
        for (const std::string& path : songs) {
            zephra::render::MidiSequence sequence;
            std::string error;
            if (!zephra::render::readMidiFile(path, sequence, error)) {
                std::printf("%s: %s\n", path.c_str(), error.c_str());
                continue;
            }
            const zephra::render::Score score = zephra::render::scoreFromMidi(sequence);
            const Totals on = play(score, reader, true, fastestVoiceLoop());
            const Totals off = play(score, reader, false, fastestVoiceLoop());
            const Totals scalar = smoke ? Totals{} : play(score, reader, true, VoiceLoop::scalar);
            std::printf("| %s | %s | %lld | %lld | %.1f | %.1f | %.0f %% | %.3f | %.3f | %.3f |\n",
                        path.substr(path.rfind('/') + 1).c_str(), font.substr(font.rfind('/') + 1).c_str(),
                        (long long)on.noteOns, (long long)on.quietEndings, on.voiceSamples / kRate,
                        off.voiceSamples / kRate, 100.0 * (1.0 - double(on.voiceSamples) / double(std::max<int64_t>(off.voiceSamples, 1))),
                        on.cpu, off.cpu, scalar.cpu);
            std::fflush(stdout);
            for (int k = 0; k < 2; ++k) {
                const Totals& t = k == 0 ? on : off;
                all[k].voiceSamples += t.voiceSamples;
                all[k].quietEndings += t.quietEndings;
                all[k].noteOns += t.noteOns;
                all[k].cpu += t.cpu;
            }
        }
    }
    std::printf("\nIn all: %lld notes, %lld voices ended below -100 dBFS; %.0f voice-seconds rendered with the ending, "
                "%.0f without (%.0f %% saved); engine CPU %.2f s against %.2f s\n",
                (long long)all[0].noteOns, (long long)all[0].quietEndings, all[0].voiceSamples / kRate,
                all[1].voiceSamples / kRate,
                100.0 * (1.0 - double(all[0].voiceSamples) / double(std::max<int64_t>(all[1].voiceSamples, 1))),
                all[0].cpu, all[1].cpu);
    return 0;
}
