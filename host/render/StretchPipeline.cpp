#include "StretchPipeline.h"

#include <algorithm>
#include <exception>

namespace zephra {
namespace render {

StretchPipeline::StretchPipeline(const std::vector<TrackPlayer*>& players, int64_t totalFrames, int jobs)
    : lanes(players.size()), stretchCount((totalFrames + kStretchFrames - 1) / kStretchFrames), totalFrames(totalFrames)
{
    const size_t room = static_cast<size_t>(kAhead * kStretchFrames);
    for (size_t i = 0; i < players.size(); ++i) {
        lanes[i].player = players[i];
        lanes[i].left.resize(room);
        lanes[i].right.resize(room);
    }
    for (int i = 1; i < jobs; ++i)
        threads.emplace_back([this] { serve(); });
}

StretchPipeline::~StretchPipeline()
{
    {
        std::unique_lock<std::mutex> lock(mutex);
        stopping = true;
        changed.notify_all();
        changed.wait(lock, [this] { return running == 0; });
    }
    for (std::thread& thread : threads)
        thread.join();
}

int32_t StretchPipeline::framesOf(int64_t stretch) const
{
    return static_cast<int32_t>(std::min<int64_t>(kStretchFrames, totalFrames - stretch * kStretchFrames));
}

const float* StretchPipeline::left(size_t instance, int64_t stretch) const
{
    return lanes[instance].left.data() + (stretch % kAhead) * kStretchFrames;
}

const float* StretchPipeline::right(size_t instance, int64_t stretch) const
{
    return lanes[instance].right.data() + (stretch % kAhead) * kStretchFrames;
}

int StretchPipeline::pickLane() const
{
    int best = -1;
    for (size_t i = 0; i < lanes.size(); ++i) {
        const Lane& lane = lanes[i];
        if (lane.busy || lane.presetDue || lane.failed || lane.stretches >= stretchCount ||
            lane.stretches >= mixed + kAhead)
            continue;
        if (best < 0 || lane.stretches < lanes[static_cast<size_t>(best)].stretches)
            best = static_cast<int>(i);
    }
    return best;
}

// Renders what is left of the lane's next stretch; called and returns with the lock held.
void StretchPipeline::renderLane(size_t index, std::unique_lock<std::mutex>& lock)
{
    Lane& lane = lanes[index];
    lane.busy = true;
    const int64_t stretch = lane.stretches;
    const int32_t wanted = framesOf(stretch) - lane.partial;
    const size_t at = static_cast<size_t>((stretch % kAhead) * kStretchFrames + lane.partial);
    lock.unlock();
    int32_t got = -1;
    std::string error;
    try {
        got = lane.player->render(wanted, lane.left.data() + at, lane.right.data() + at, error);
    } catch (const std::exception& e) {
        error = std::string("rendering failed: ") + e.what();
    }
    lock.lock();
    lane.busy = false;
    if (got < 0) {
        lane.failed = true;
        lane.error = error;
    } else if (got < wanted) {
        lane.partial += got;
        lane.presetDue = true;
    } else {
        lane.partial = 0;
        ++lane.stretches;
    }
    changed.notify_all();
}

void StretchPipeline::serve()
{
    std::unique_lock<std::mutex> lock(mutex);
    while (!stopping) {
        const int lane = pickLane();
        if (lane < 0) {
            changed.wait(lock);
            continue;
        }
        ++running;
        renderLane(static_cast<size_t>(lane), lock);
        --running;
    }
    changed.notify_all();
}

bool StretchPipeline::complete(int64_t stretch, std::string& error)
{
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        bool ready = true;
        for (Lane& lane : lanes) {
            if (lane.failed) {
                error = lane.error;
                return false;
            }
            ready = ready && lane.stretches > stretch;
        }
        if (ready)
            return true;
        // The UI thread's work first: a preset change holds its instance up.
        auto due = std::find_if(lanes.begin(), lanes.end(), [](const Lane& l) { return l.presetDue; });
        if (due != lanes.end()) {
            due->presetDue = false;
            due->busy = true;
            lock.unlock();
            due->player->changeDuePreset();
            lock.lock();
            due->busy = false;
            continue;
        }
        const int lane = pickLane();
        if (lane >= 0)
            renderLane(static_cast<size_t>(lane), lock);
        else
            changed.wait(lock);
    }
}

void StretchPipeline::done(int64_t stretch)
{
    std::lock_guard<std::mutex> lock(mutex);
    mixed = stretch + 1;
    changed.notify_all();
}

}   // namespace render
}   // namespace zephra
