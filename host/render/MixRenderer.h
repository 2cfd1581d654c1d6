#pragma once
// Plays every track's instance and sums their outputs, as a DAW's mixer sums its instrument
// tracks, stretch by stretch: the instances render on `jobs` threads at once (StretchPipeline),
// and the mix adds them in track order, so it is the same sample for sample however many
// threads there are. To the end of the song, then either a fixed tail or until the mix has
// stayed 100 dB below its peak for a second; the output then ends kEndFadeSeconds after the
// last sample above that (at most a given time), decided sample by sample so that the length
// does not depend on how the render was cut into blocks.
//
// Threads: the thread that created the instances (their UI thread). Not real-time safe (drives
// the plug-ins, starts threads, writes through the sink).
#include "TrackPlayer.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zephra {
namespace render {

// Time over which the very end of a render fades to silence.
constexpr double kEndFadeSeconds = 0.010;

// Receives the mixed audio, stretch by stretch.
class AudioSink {
public:
    virtual ~AudioSink() = default;
    virtual bool consume(const float* left, const float* right, int32_t frameCount, std::string& error) = 0;
};

struct TailRule {
    bool untilSilent = true;   // render until the mix is silent ...
    double seconds = 30.0;     // ... for at most this long; or exactly this long
};

struct MixStats {
    int64_t frames = 0;             // frames handed to the sink
    int64_t songFrames = 0;         // of which the song itself (the rest is the tail)
    bool tailCapped = false;        // the mix still sounded when the tail limit was reached
    double wallSeconds = 0.0;       // time spent in the render loop
    double cpuSeconds = 0.0;        // processor time of this process (all threads) in the loop
    int32_t maxVoices = 0;          // highest sum of the instances' reported voice counts
    int64_t nonFiniteSamples = 0;   // samples the instances produced that are not numbers
    int64_t processCalls = 0;
    bool interrupted = false;   // stopped on request; the sink holds a partial render
};

using ProgressFunction = std::function<void(int64_t doneFrames)>;
using StopRequest = std::function<bool()>;

// songEnd: the first sample after the song (its End-of-Track); jobs: threads rendering.
bool renderMix(const std::vector<TrackPlayer*>& players, int jobs, int64_t songEnd, double sampleRate,
               const TailRule& tail, AudioSink& sink, const ProgressFunction& progress, const StopRequest& stop,
               MixStats& stats, std::string& error);

}   // namespace render
}   // namespace zephra
