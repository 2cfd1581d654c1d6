#include "MixRenderer.h"

#include "RenderPlan.h"
#include "StretchPipeline.h"
#include "TailWatch.h"

#include <algorithm>
#include <chrono>
#include <ctime>

namespace zephra {
namespace render {

namespace {

constexpr double kQuietSeconds = 1.0;   // the mix silent this long after the song: the tail is over

}   // namespace

bool renderMix(const std::vector<TrackPlayer*>& players, int jobs, int64_t songEnd, double sampleRate,
               const TailRule& tail, AudioSink& sink, const ProgressFunction& progress, const StopRequest& stop,
               MixStats& stats, std::string& error)
{
    stats = MixStats{};
    const int64_t cap = songEnd + sampleAt(tail.seconds, sampleRate);
    TailWatch watch(songEnd, cap, tail.untilSilent, sampleAt(kQuietSeconds, sampleRate),
                    sampleAt(kEndFadeSeconds, sampleRate));
    std::vector<float> mixLeft, mixRight;   // rendered frames not yet handed to the sink

    const auto started = std::chrono::steady_clock::now();
    const std::clock_t cpuStarted = std::clock();
    int64_t position = 0, emitted = 0;
    {
        StretchPipeline pipeline(players, cap, std::max(jobs, 1));
        bool ended = false;
        for (int64_t stretch = 0; !ended; ++stretch) {
            if (stop && stop()) {
                stats.interrupted = true;
                break;
            }
            const int32_t frames = pipeline.framesOf(stretch);
            if (!pipeline.complete(stretch, error))
                return false;
            // Track by track in a fixed order, so the sums do not depend on who rendered what.
            const size_t from = mixLeft.size();
            mixLeft.resize(from + static_cast<size_t>(frames), 0.f);
            mixRight.resize(from + static_cast<size_t>(frames), 0.f);
            int32_t voices = 0;
            for (size_t i = 0; i < players.size(); ++i) {
                const float* left = pipeline.left(i, stretch);
                const float* right = pipeline.right(i, stretch);
                for (int32_t k = 0; k < frames; ++k) {
                    mixLeft[from + static_cast<size_t>(k)] += left[k];
                    mixRight[from + static_cast<size_t>(k)] += right[k];
                }
                players[i]->readVoiceCount();
                voices += players[i]->voiceCount();
            }
            pipeline.done(stretch);
            stats.maxVoices = std::max(stats.maxVoices, voices);
            ended = watch.watch(position, mixLeft.data() + from, mixRight.data() + from, frames);
            position += frames;

            const int64_t ready = watch.certain(position) - emitted;
            if (ready > 0) {
                if (!sink.consume(mixLeft.data(), mixRight.data(), static_cast<int32_t>(ready), error))
                    return false;
                mixLeft.erase(mixLeft.begin(), mixLeft.begin() + ready);
                mixRight.erase(mixRight.begin(), mixRight.begin() + ready);
                emitted += ready;
            }
            if (progress)
                progress(position);
        }
    }
    stats.frames = emitted;
    stats.songFrames = std::min(emitted, songEnd);
    stats.tailCapped = !stats.interrupted && watch.tailCapped();
    // The processor counts voices every 4410 samples and answers with the highest count since its
    // last answer: a count taken after the last request comes with the one in finish().
    if (!stats.interrupted) {
        int32_t reported = 0;
        for (TrackPlayer* player : players)
            reported += player->finish();
        stats.maxVoices = std::max(stats.maxVoices, reported);
    }
    for (const TrackPlayer* player : players) {
        stats.nonFiniteSamples += player->nonFiniteSamples();
        stats.processCalls += player->processCalls();
    }
    stats.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    stats.cpuSeconds = double(std::clock() - cpuStarted) / CLOCKS_PER_SEC;
    return true;
}

}   // namespace render
}   // namespace zephra
