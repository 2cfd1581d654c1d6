#pragma once
// A small thread that, while the processor is active, wakes every 100 ms and runs the given
// reclaim function, which frees what the audio thread handed back (a replaced sound): its memory
// goes within a fraction of a second, whether or not the host or an editor calls the plug-in
// meanwhile. The function only frees memory; it never calls the host. Stopping wakes the thread
// at once, joins it and runs the function one last time, so nothing handed back is kept.
// Threads: start/stop/halt from the host's threads that activate and deactivate the processor
// (UI thread, or the audio thread between offline renders); not real-time safe (they start
// and join a thread). The reclaim function runs on the thread of its own.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace Steinberg {
namespace Vst {

class ReclaimThread {
public:
    static constexpr std::chrono::milliseconds kInterval{100};

    explicit ReclaimThread(std::function<void()> reclaim);
    ~ReclaimThread();
    ReclaimThread(const ReclaimThread&) = delete;
    ReclaimThread& operator=(const ReclaimThread&) = delete;

    // Starts the thread unless it runs; false when the system gives no thread (memory is then
    // freed at the next stop).
    bool start();
    void stop();
    // Stops the thread without a last run (destruction).
    void halt();
    bool running() const;

private:
    void loop();

    std::function<void()> reclaim;
    mutable std::mutex mutex;
    std::condition_variable wake;
    bool stopping = false;
    std::thread thread;
};

} // namespace Vst
} // namespace Steinberg
