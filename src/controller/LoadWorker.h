#pragma once
// Reads and decodes the sound files the controller loads on a thread of its own, one file at
// a time, so that a font that takes seconds to decode never holds the host's UI thread; the
// controller sends what was read to the processor on the UI thread once it is done (messages
// to the processor travel on the UI thread only).
//
// Only the newest choice of each kind matters: a request replaces a queued one of its kind,
// and the result of a read that a newer request of its kind followed is dropped. Reads that
// have started cannot be stopped: the destructor and finishAll wait for them.
//
// Threads: every call on the UI thread; the work function runs on the worker thread and must
// touch nothing but the result it is given. Not real-time safe.
#include "soundfont/SFSynth.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace Steinberg {
namespace Vst {

class LoadWorker {
public:
    enum class Kind { wave, soundFont };
    struct Request {
        Kind kind = Kind::soundFont;
        int32_t fileId = 0;
        std::u16string path;
        int32_t presetIndex = 0;   // SoundFonts only
    };
    struct Result {
        Request request;
        SFSynthList records;                          // a SoundFont's resolved preset
        bool waveRead = false;                        // a WAV file the reader accepted:
        std::unique_ptr<float[]> left, right;         // its samples, frames each
        int32_t frames = 0;
        int32_t sampleRate = 0;
    };
    using Clock = std::chrono::steady_clock;
    // Fills result from result.request (on the worker thread; must not throw).
    using Work = std::function<void(Result& result)>;

    explicit LoadWorker(Work work);
    ~LoadWorker();
    LoadWorker(const LoadWorker&) = delete;
    LoadWorker& operator=(const LoadWorker&) = delete;

    void submit(Request request);
    // The reads finished since the last call, oldest first, without superseded ones; starts
    // the next queued read.
    std::vector<Result> collect();
    // Waits for the running read and every queued one, and returns them as collect does.
    std::vector<Result> finishAll();

    bool busy() const { return running != nullptr || !queue.empty(); }
    // While busy: when the worker last went from idle to busy, and the newest request
    // (queued, else running).
    Clock::time_point busySince() const { return since; }
    const Request* newest() const;

private:
    struct Job {
        Result result;
        std::atomic<bool> done{false};
        std::thread thread;
    };
    void startNext();
    // Joins the finished running job and keeps its result unless superseded.
    void takeRunning(std::vector<Result>& out);

    Work work;
    std::deque<Request> queue;   // at most one request per kind
    std::unique_ptr<Job> running;
    Clock::time_point since;
};

} // namespace Vst
} // namespace Steinberg
