#pragma once
// Lock-free hand-over of a restored state from the UI thread (setState) to the audio thread,
// which applies it at the start of its next block. One slot carries the newest unapplied
// state (a newer one replaces it); applied states come back through a second slot so that only
// the UI thread ever frees memory.
//
// Threads: publish/reclaim/isApplied on the UI thread; take/retire on the audio thread
// (noexcept, no locks, no allocation).
#include "processor/StagedState.h"

#include <atomic>
#include <cstdint>
#include <memory>

namespace Steinberg {
namespace Vst {

class StateHandOver {
public:
    StateHandOver() = default;
    ~StateHandOver();
    StateHandOver(const StateHandOver&) = delete;
    StateHandOver& operator=(const StateHandOver&) = delete;

    // UI thread: frees returned states, numbers the new one and makes it the pending state
    // (an older pending state that the audio thread never took is freed here).
    void publish(std::unique_ptr<StagedState> state);
    // UI thread: frees states the audio thread has finished with.
    void reclaim();
    // UI thread: true when the last published state has been applied (or none was published).
    bool isApplied() const noexcept;

    // Audio thread: the pending state to apply now, or null.
    StagedState* take() noexcept;
    // Audio thread: marks state as applied and hands it back for freeing.
    void retire(StagedState* state) noexcept;

private:
    std::atomic<StagedState*> pending{nullptr};
    std::atomic<StagedState*> retired{nullptr};
    StagedState* holding = nullptr;   // audio thread only: applied, waiting for a free slot
    uint64_t nextSerial = 0;          // UI thread only
    std::atomic<uint64_t> publishedSerial{0};
    std::atomic<uint64_t> appliedSerial{0};
};

} // namespace Vst
} // namespace Steinberg
