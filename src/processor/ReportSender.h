#pragma once
// A small thread that, while the processor is active, wakes every 100 ms and runs the given
// send function, so the controller's reports leave from an ordinary thread and never from the
// audio thread. Stopping wakes the thread at once, joins it and runs the send function one
// last time, so nothing published before the stop is lost.
// Threads: start/stop/destructor from the host's threads that activate and deactivate the
// processor (UI thread, or the audio thread between offline renders); not real-time safe
// (they start and join a thread). The send function runs on the sender's own thread.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace Steinberg {
namespace Vst {

class ReportSender {
public:
    static constexpr std::chrono::milliseconds kInterval{100};

    explicit ReportSender(std::function<void()> send);
    ~ReportSender();
    ReportSender(const ReportSender&) = delete;
    ReportSender& operator=(const ReportSender&) = delete;

    // Starts the thread unless it runs; false when the system gives no thread (the reports
    // are then sent at the next stop).
    bool start();
    void stop();
    // Stops the thread without a last send (destruction).
    void halt();
    bool running() const;

private:
    void loop();

    std::function<void()> send;
    mutable std::mutex mutex;
    std::condition_variable wake;
    bool stopping = false;
    std::thread thread;
};

} // namespace Vst
} // namespace Steinberg
