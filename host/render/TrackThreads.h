#pragma once
// Runs per-track work of a render on a fixed set of threads, each track always on the same one,
// so that every plug-in instance is created, used and destroyed by a single thread (its UI and
// audio thread at once), as the host library asks. Thread 0 is the caller's own thread; the
// others are started here and wait between runs.
//
// Threads: construct, run and destroy on one thread. Not real-time safe (locks, thread start).
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace zephra {
namespace render {

class TrackThreads {
public:
    // owners[i]: the thread (0 .. threadCount - 1) that runs track i.
    TrackThreads(const std::vector<int>& owners, int threadCount);
    ~TrackThreads();   // stops and joins the started threads
    TrackThreads(const TrackThreads&) = delete;
    TrackThreads& operator=(const TrackThreads&) = delete;

    // Calls work(i) for every track i on its owner thread, the tracks of one thread in
    // ascending order, and returns when all calls have returned. work must not throw.
    void run(const std::function<void(size_t track)>& work);

private:
    void serve(size_t thread);

    std::vector<std::vector<size_t>> tracksOf_;   // per thread
    std::vector<std::thread> threads_;            // threads 1 ..
    std::mutex mutex_;
    std::condition_variable started_, finished_;
    const std::function<void(size_t)>* work_ = nullptr;
    unsigned long long round_ = 0;
    size_t busy_ = 0;
    bool stopping_ = false;
};

// Spreads tracks of the given costs over threadCount threads, the costliest first, each to the
// thread with the least work so far (track 0 always to thread 0, whose caller may own it).
std::vector<int> assignTracks(const std::vector<double>& costs, int threadCount);

} // namespace render
} // namespace zephra
