#include "controller/LoadWorker.h"

#include <algorithm>
#include <system_error>

namespace Steinberg {
namespace Vst {

LoadWorker::LoadWorker(Work work) : work(std::move(work)) {}

LoadWorker::~LoadWorker()
{
    queue.clear();
    if (running && running->thread.joinable())
        running->thread.join();
}

void LoadWorker::submit(Request request)
{
    if (!busy())
        since = Clock::now();
    const auto sameKind = std::find_if(queue.begin(), queue.end(),
                                       [&](const Request& queued) { return queued.kind == request.kind; });
    if (sameKind != queue.end())
        queue.erase(sameKind);
    queue.push_back(std::move(request));
    if (!running)
        startNext();
}

const LoadWorker::Request* LoadWorker::newest() const
{
    if (!queue.empty())
        return &queue.back();
    return running ? &running->result.request : nullptr;
}

void LoadWorker::startNext()
{
    if (running || queue.empty())
        return;
    auto job = std::make_unique<Job>();
    job->result.request = std::move(queue.front());
    queue.pop_front();
    Job* started = job.get();
    running = std::move(job);
    try {
        started->thread = std::thread([this, started] {
            work(started->result);
            started->done.store(true, std::memory_order_release);
        });
    } catch (const std::system_error&) {
        // No thread to be had: the file is read here, slower for the UI but never lost.
        work(started->result);
        started->done.store(true, std::memory_order_release);
    }
}

void LoadWorker::takeRunning(std::vector<Result>& out)
{
    if (running->thread.joinable())
        running->thread.join();
    std::unique_ptr<Job> finished = std::move(running);
    const Kind kind = finished->result.request.kind;
    const bool superseded = std::any_of(queue.begin(), queue.end(),
                                        [&](const Request& queued) { return queued.kind == kind; });
    if (!superseded)
        out.push_back(std::move(finished->result));
}

std::vector<LoadWorker::Result> LoadWorker::collect()
{
    std::vector<Result> out;
    if (running && running->done.load(std::memory_order_acquire))
        takeRunning(out);
    startNext();
    return out;
}

std::vector<LoadWorker::Result> LoadWorker::finishAll()
{
    std::vector<Result> out;
    while (running) {
        takeRunning(out);   // join waits for it
        startNext();
    }
    return out;
}

} // namespace Vst
} // namespace Steinberg
