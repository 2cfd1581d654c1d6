#pragma once
// Renders the instances of a render stretch by stretch for the mix, on `jobs` threads (the
// caller's among them): each instance may run up to kAhead stretches ahead of the mix, and a
// free thread takes the instance furthest behind, so that unequal instances still keep every
// thread busy. An instance's stretches are rendered in order by one thread at a time (its audio
// thread may change between them, as a DAW's audio threads take turns); its preset changes,
// which are UI-thread work, are made on the caller's thread, which created the instances.
//
// Threads: construct, call and destroy on the thread that created the instances. Not real-time
// safe (locks, thread start, the instances' preset changes).
#include "TrackPlayer.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zephra {
namespace render {

class StretchPipeline {
public:
    static constexpr int32_t kStretchFrames = 8192;
    static constexpr int64_t kAhead = 4;

    // totalFrames: the most that will be asked for; jobs: threads rendering (1: this one alone).
    StretchPipeline(const std::vector<TrackPlayer*>& players, int64_t totalFrames, int jobs);
    ~StretchPipeline();   // lets running renders end, then stops the threads
    StretchPipeline(const StretchPipeline&) = delete;
    StretchPipeline& operator=(const StretchPipeline&) = delete;

    int32_t framesOf(int64_t stretch) const;
    // Renders (and waits) until every instance has stretch `stretch` complete; false with a
    // reason when an instance failed. Stretches must be asked for in order, each once.
    bool complete(int64_t stretch, std::string& error);
    // The instance's output for a complete stretch, until done(stretch).
    const float* left(size_t instance, int64_t stretch) const;
    const float* right(size_t instance, int64_t stretch) const;
    // The stretch is mixed: its room may take a later one.
    void done(int64_t stretch);

private:
    struct Lane {
        TrackPlayer* player = nullptr;
        std::vector<float> left, right;   // kAhead stretches, round robin
        int64_t stretches = 0;            // complete stretches rendered
        int32_t partial = 0;              // frames of the next one rendered
        bool busy = false;                // a thread is rendering it
        bool presetDue = false;           // stopped on a preset change, for the UI thread
        bool failed = false;
        std::string error;
    };

    int pickLane() const;   // the lane to render next, or -1 (lock held)
    void renderLane(size_t lane, std::unique_lock<std::mutex>& lock);
    void serve();

    std::vector<Lane> lanes;
    int64_t stretchCount = 0, totalFrames = 0;
    int64_t mixed = 0;   // stretches the mix is done with
    mutable std::mutex mutex;
    std::condition_variable changed;
    bool stopping = false;
    int running = 0;   // renders in progress on the other threads
    std::vector<std::thread> threads;
};

}   // namespace render
}   // namespace zephra
