#include "processor/StateHandOver.h"

namespace Steinberg {
namespace Vst {

StateHandOver::~StateHandOver()
{
    delete pending.load();
    delete retired.load();
    delete holding;
}

void StateHandOver::reclaim()
{
    delete retired.exchange(nullptr, std::memory_order_acq_rel);
}

void StateHandOver::publish(std::unique_ptr<StagedState> state)
{
    reclaim();
    state->serial = ++nextSerial;
    publishedSerial.store(state->serial, std::memory_order_release);
    // Whoever exchanges a pointer out of the slot owns it: an unapplied older state is ours.
    delete pending.exchange(state.release(), std::memory_order_acq_rel);
}

bool StateHandOver::isApplied() const noexcept
{
    return appliedSerial.load(std::memory_order_acquire) ==
           publishedSerial.load(std::memory_order_acquire);
}

StagedState* StateHandOver::take() noexcept
{
    if (holding) {
        StagedState* expected = nullptr;
        if (!retired.compare_exchange_strong(expected, holding, std::memory_order_acq_rel))
            return nullptr;   // the UI thread has not freed the last one yet; try next block
        holding = nullptr;
    }
    return pending.exchange(nullptr, std::memory_order_acq_rel);
}

void StateHandOver::retire(StagedState* state) noexcept
{
    appliedSerial.store(state->serial, std::memory_order_release);
    StagedState* expected = nullptr;
    if (!retired.compare_exchange_strong(expected, state, std::memory_order_acq_rel))
        holding = state;
}

} // namespace Vst
} // namespace Steinberg
