#include "TrackThreads.h"

#include <algorithm>
#include <numeric>

namespace zephra {
namespace render {

TrackThreads::TrackThreads(const std::vector<int>& owners, int threadCount) {
    tracksOf_.resize(static_cast<size_t>(std::max(threadCount, 1)));
    for (size_t track = 0; track < owners.size(); ++track)
        tracksOf_[static_cast<size_t>(std::clamp(owners[track], 0, threadCount - 1))].push_back(track);
    for (size_t thread = 1; thread < tracksOf_.size(); ++thread) threads_.emplace_back([this, thread] { serve(thread); });
}

TrackThreads::~TrackThreads() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    started_.notify_all();
    for (std::thread& thread : threads_) thread.join();
}

void TrackThreads::run(const std::function<void(size_t track)>& work) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        work_ = &work;
        busy_ = threads_.size();
        ++round_;
    }
    started_.notify_all();
    for (size_t track : tracksOf_[0]) work(track);
    std::unique_lock<std::mutex> lock(mutex_);
    finished_.wait(lock, [this] { return busy_ == 0; });
    work_ = nullptr;
}

void TrackThreads::serve(size_t thread) {
    unsigned long long seen = 0;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        started_.wait(lock, [&] { return stopping_ || round_ != seen; });
        if (stopping_) return;
        seen = round_;
        const std::function<void(size_t)>& work = *work_;
        lock.unlock();
        for (size_t track : tracksOf_[thread]) work(track);
        lock.lock();
        if (--busy_ == 0) finished_.notify_one();
    }
}

std::vector<int> assignTracks(const std::vector<double>& costs, int threadCount) {
    std::vector<int> owners(costs.size(), 0);
    if (threadCount <= 1 || costs.empty()) return owners;
    std::vector<double> load(static_cast<size_t>(threadCount), 0.0);
    load[0] = costs[0];
    std::vector<size_t> order(costs.size() - 1);
    std::iota(order.begin(), order.end(), size_t(1));
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return costs[a] > costs[b]; });
    for (size_t track : order) {
        const size_t lightest = static_cast<size_t>(std::min_element(load.begin(), load.end()) - load.begin());
        owners[track] = static_cast<int>(lightest);
        load[lightest] += costs[track];
    }
    return owners;
}

} // namespace render
} // namespace zephra
