// Speed of the whole render path: a generated 60-second General MIDI piece (four melodic
// channels, controllers and pitch bend; and one on all sixteen channels, drums included) played
// with TimGM6mb through the built bundle, one instance per channel, exactly as zephra-render
// plays it. Reports how many times faster than real time the render runs, and for the
// sixteen-channel piece how much faster two jobs (threads) render it than one.
#include "BundleLocator.h"
#include "MidiFile.h"
#include "PresetCatalog.h"
#include "RenderSession.h"
#include "Score.h"
#include "support/MidiWriter.h"

#include <benchmark/benchmark.h>

#include <algorithm>

#include <cstdio>
#include <map>
#include <memory>
#include <thread>
#include <string>

namespace {

using namespace zephra::render;

constexpr double kPieceSeconds = 60.0;
constexpr double kSampleRate = 44100.0;
constexpr const char* kSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

class NullSink : public AudioSink {
public:
    bool consume(const float*, const float*, int32_t, std::string&) override { return true; }
};

// Wall seconds of the render loop per job count, for the speed-up printed at the end.
using WallTimes = std::map<int, double>;

void renderGeneralMidiPiece(benchmark::State& state, double pieceSeconds, bool sixteenChannels, WallTimes* walls)
{
    const int32_t blockSize = static_cast<int32_t>(state.range(0));
    const int32_t jobs = state.range(1) > 0 ? static_cast<int32_t>(state.range(1)) : 1;
    std::string error, bundle;
    PresetCatalog catalog;
    if (!catalog.load(kSoundFont, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    if (!locateBundle(ZEPHRA_BUNDLE_PATH, bundle, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    const std::vector<uint8_t> bytes = sixteenChannels ? zephra::test::makeSixteenChannelPiece(pieceSeconds)
                                                       : zephra::test::makeGeneralMidiPiece(pieceSeconds);
    MidiSequence sequence;
    if (!parseMidiFile(bytes.data(), bytes.size(), sequence, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    const Score score = scoreFromMidi(sequence);

    Options options;
    options.sampleRate = static_cast<int32_t>(kSampleRate);
    options.blockSize = blockSize;
    options.tailGiven = true;
    options.tailSeconds = 2.0;
    options.jobs = jobs;
    double renderedSeconds = 0.0, wallSeconds = 0.0, cpuSeconds = 0.0;
    int32_t voices = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto session = std::make_unique<RenderSession>();
        if (session->prepare(options, catalog, -1, bundle, score, error) != SessionResult::Ready) {
            state.SkipWithError(error.c_str());
            return;
        }
        NullSink sink;
        MixStats stats;
        state.ResumeTiming();
        if (!session->render(sink, {}, {}, stats, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        state.PauseTiming();
        renderedSeconds += double(stats.frames) / kSampleRate;
        wallSeconds += stats.wallSeconds;
        cpuSeconds += stats.cpuSeconds;
        voices = std::max(voices, stats.maxVoices);
        session.reset();
        state.ResumeTiming();
    }
    state.counters["x_realtime"] = wallSeconds > 0.0 ? renderedSeconds / wallSeconds : 0.0;
    state.counters["x_realtime_cpu"] = cpuSeconds > 0.0 ? renderedSeconds / cpuSeconds : 0.0;
    state.counters["voices_max"] = voices;
    if (walls != nullptr)
        (*walls)[jobs] = wallSeconds;
}

}   // namespace

// "--write-piece PATH" (or "--write-piece16 PATH" for the sixteen-channel one) writes the
// generated piece as a MIDI file instead, so the same figure can be taken with the command-line
// tool: zephra-render --midi PATH -o out.wav.
// "--smoke" renders a 5-second piece once per block size, as a quick check that it all runs.
int main(int argc, char** argv)
{
    if (argc == 3 && (std::string(argv[1]) == "--write-piece" || std::string(argv[1]) == "--write-piece16")) {
        const bool sixteen = std::string(argv[1]) == "--write-piece16";
        const bool written =
            zephra::test::writeMidiFile(argv[2], sixteen ? zephra::test::makeSixteenChannelPiece(kPieceSeconds)
                                                         : zephra::test::makeGeneralMidiPiece(kPieceSeconds));
        if (!written)
            std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return written ? 0 : 1;
    }
    const bool smoke = argc >= 2 && std::string(argv[1]) == "--smoke";
    if (smoke) {
        for (int i = 1; i + 1 < argc; ++i)
            argv[i] = argv[i + 1];
        --argc;
    }
    const double seconds = smoke ? 5.0 : kPieceSeconds;
    WallTimes walls;
    benchmark::RegisterBenchmark(
        smoke ? "renderGeneralMidiPiece5s" : "renderGeneralMidiPiece60s",
        [seconds](benchmark::State& state) { renderGeneralMidiPiece(state, seconds, false, nullptr); })
        ->Args({64, 1})
        ->Args({512, 1})
        ->Args({4096, 1})
        ->Unit(benchmark::kMillisecond)
        ->Iterations(smoke ? 1 : 3);
    // Block 512 with one job, then with two.
    benchmark::RegisterBenchmark(
        smoke ? "renderSixteenChannels5s" : "renderSixteenChannels60s",
        [seconds, &walls](benchmark::State& state) { renderGeneralMidiPiece(state, seconds, true, &walls); })
        ->Args({512, 1})
        ->Args({512, 2})
        ->Unit(benchmark::kMillisecond)
        ->Iterations(smoke ? 1 : 3);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (walls.count(1) && walls.count(2) && walls[2] > 0.0)
        std::printf("sixteen channels: 2 jobs render %.2fx as fast as 1 (wall time; %u processor cores)\n",
                    walls[1] / walls[2], std::thread::hardware_concurrency());
    return 0;
}
