#include "MixRenderer.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>

namespace zephra {
namespace render {

namespace {

constexpr float kInaudible = 1.0e-5f;   // -100 dB below the mix's peak so far
constexpr double kQuietSeconds = 1.0;

// Every instance has reported, from a block after the song's end, that no voice sounds.
bool allSilentSince(const std::vector<std::unique_ptr<TrackPlayer>>& players, int64_t songEnd) {
    return std::all_of(players.begin(), players.end(), [&](const std::unique_ptr<TrackPlayer>& p) {
        return p->voiceCountReadAt() > songEnd && p->voiceCount() == 0;
    });
}

} // namespace

bool renderMix(std::vector<std::unique_ptr<TrackPlayer>>& players, int64_t songEnd, int32_t blockSize,
               double sampleRate, const TailRule& tail, AudioSink& sink, const ProgressFunction& progress,
               const StopRequest& stop, MixStats& stats, std::string& error) {
    stats = MixStats{};
    if (blockSize < 1) {
        error = "block size " + std::to_string(blockSize) + " is not usable";
        return false;
    }
    const int64_t tailFrames = sampleAt(tail.seconds, sampleRate);
    const int64_t lastFrame = songEnd + tailFrames;
    std::vector<float> left(static_cast<size_t>(blockSize)), right(static_cast<size_t>(blockSize));

    // Voices fading far below hearing (a long release falls 100 dB over its whole time) end the
    // tail too once the mix has stayed that quiet for a while.
    const int64_t quietFrames = sampleAt(kQuietSeconds, sampleRate);
    int64_t lastAudible = 0;
    float peak = 0.f;

    const auto started = std::chrono::steady_clock::now();
    const std::clock_t cpuStarted = std::clock();
    int64_t position = 0;
    while (position < lastFrame) {
        if (stop && stop()) {
            stats.interrupted = true;
            break;
        }
        if (position >= songEnd && tail.untilSilent &&
            (allSilentSince(players, songEnd) || position - lastAudible >= quietFrames))
            break;
        // The song part ends on its last sample exactly, so every voice report read later comes
        // from the tail.
        const int64_t limit = position < songEnd ? songEnd : lastFrame;
        const int32_t frames = static_cast<int32_t>(std::min<int64_t>(blockSize, limit - position));
        std::fill(left.begin(), left.begin() + frames, 0.f);
        std::fill(right.begin(), right.begin() + frames, 0.f);
        int32_t voices = 0;
        for (std::unique_ptr<TrackPlayer>& player : players) {
            if (!player->renderAdd(frames, left.data(), right.data(), error)) return false;
            voices += player->voiceCount();
        }
        stats.maxVoices = std::max(stats.maxVoices, voices);
        for (int32_t i = 0; i < frames; ++i) {
            const float size = std::max(std::fabs(left[static_cast<size_t>(i)]), std::fabs(right[static_cast<size_t>(i)]));
            if (size > peak * kInaudible) lastAudible = position + i + 1;
            peak = std::max(peak, size);
        }
        if (!sink.consume(left.data(), right.data(), frames, error)) return false;
        position += frames;
        if (progress) progress(position);
    }
    stats.frames = position;
    stats.songFrames = std::min(position, songEnd);
    stats.tailCapped = !stats.interrupted && tail.untilSilent && position >= lastFrame &&
                       !allSilentSince(players, songEnd) && position - lastAudible < quietFrames;
    // The processor counts voices every 4410 samples and answers with the highest count since its
    // last answer: a count taken after the last request comes with the one in finish().
    if (!stats.interrupted) {
        int32_t reported = 0;
        for (std::unique_ptr<TrackPlayer>& player : players) reported += player->finish();
        stats.maxVoices = std::max(stats.maxVoices, reported);
    }
    for (const std::unique_ptr<TrackPlayer>& player : players) {
        stats.nonFiniteSamples += player->nonFiniteSamples();
        stats.processCalls += player->processCalls();
    }
    stats.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    stats.cpuSeconds = double(std::clock() - cpuStarted) / CLOCKS_PER_SEC;
    return true;
}

} // namespace render
} // namespace zephra
