#include "processor/ReclaimThread.h"

#include <system_error>
#include <utility>

namespace Steinberg {
namespace Vst {

ReclaimThread::ReclaimThread(std::function<void()> reclaimFunction) : reclaim(std::move(reclaimFunction)) {}

ReclaimThread::~ReclaimThread() { halt(); }

bool ReclaimThread::start()
{
    std::lock_guard<std::mutex> lock(mutex);
    if (thread.joinable())
        return true;
    stopping = false;
    try {
        thread = std::thread(&ReclaimThread::loop, this);
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void ReclaimThread::stop()
{
    halt();
    reclaim();   // whatever was handed back before the stop
}

void ReclaimThread::halt()
{
    std::thread finished;
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
        finished = std::move(thread);
    }
    wake.notify_all();
    if (finished.joinable())
        finished.join();
}

bool ReclaimThread::running() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return thread.joinable();
}

void ReclaimThread::loop()
{
    std::unique_lock<std::mutex> lock(mutex);
    while (!stopping) {
        wake.wait_for(lock, kInterval, [this] { return stopping; });
        if (stopping)
            break;
        lock.unlock();
        reclaim();
        lock.lock();
    }
}

} // namespace Vst
} // namespace Steinberg
