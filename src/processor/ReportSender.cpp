#include "processor/ReportSender.h"

#include <system_error>
#include <utility>

namespace Steinberg {
namespace Vst {

ReportSender::ReportSender(std::function<void()> sendFunction) : send(std::move(sendFunction)) {}

ReportSender::~ReportSender() { halt(); }

bool ReportSender::start()
{
    std::lock_guard<std::mutex> lock(mutex);
    if (thread.joinable())
        return true;
    stopping = false;
    try {
        thread = std::thread(&ReportSender::loop, this);
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void ReportSender::stop()
{
    halt();
    send();   // whatever was published before the stop
}

void ReportSender::halt()
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

bool ReportSender::running() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return thread.joinable();
}

void ReportSender::loop()
{
    std::unique_lock<std::mutex> lock(mutex);
    while (!stopping) {
        wake.wait_for(lock, kInterval, [this] { return stopping; });
        if (stopping)
            break;
        lock.unlock();
        send();
        lock.lock();
    }
}

} // namespace Vst
} // namespace Steinberg
