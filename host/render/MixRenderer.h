#pragma once
// Plays every track's instance block by block and sums their outputs, as a DAW's mixer sums its
// instrument tracks: to the end of the song, then either a fixed tail or until every instance
// has reported that no voice sounds any more, or the mix has stayed 100 dB below its peak for a
// second (at most a given time).
//
// Threads: the thread that owns the players. Not real-time safe (drives the plug-ins, writes
// through the sink).
#include "TrackPlayer.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zephra {
namespace render {

// Receives the mixed audio, block by block.
class AudioSink {
public:
    virtual ~AudioSink() = default;
    virtual bool consume(const float* left, const float* right, int32_t frameCount, std::string& error) = 0;
};

struct TailRule {
    bool untilSilent = true;           // render until every instance is silent ...
    double seconds = 30.0;             // ... for at most this long; or exactly this long
};

struct MixStats {
    int64_t frames = 0;             // frames handed to the sink
    int64_t songFrames = 0;         // of which the song itself (the rest is the tail)
    bool tailCapped = false;        // an instance still sounded when the tail limit was reached
    double wallSeconds = 0.0;       // time spent in the render loop
    double cpuSeconds = 0.0;        // processor time of this process in the loop
    int32_t maxVoices = 0;          // highest sum of the instances' reported voice counts
    int64_t nonFiniteSamples = 0;   // samples the instances produced that are not numbers
    int64_t processCalls = 0;
    bool interrupted = false;       // stopped on request; the sink holds a partial render
};

using ProgressFunction = std::function<void(int64_t doneFrames)>;
using StopRequest = std::function<bool()>;

// songEnd: the first sample after the song's last event. blockSize: frames per mixing step
// (each instance may cut it further).
bool renderMix(std::vector<std::unique_ptr<TrackPlayer>>& players, int64_t songEnd, int32_t blockSize,
               double sampleRate, const TailRule& tail, AudioSink& sink, const ProgressFunction& progress,
               const StopRequest& stop, MixStats& stats, std::string& error);

} // namespace render
} // namespace zephra
