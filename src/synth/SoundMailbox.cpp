#include "synth/SoundMailbox.h"

namespace Steinberg {
namespace Vst {

SoundMailbox::~SoundMailbox() { drain(); }

void SoundMailbox::collectRetired() noexcept
{
    delete retired.exchange(nullptr, std::memory_order_acq_rel);
}

void SoundMailbox::post(std::unique_ptr<Sound>& sound) noexcept
{
    // Whoever exchanges a pointer out of the pending slot owns it: an untaken older sound is
    // ours to free.
    delete pending.exchange(sound.release(), std::memory_order_acq_rel);
}

bool SoundMailbox::hasPending() const noexcept
{
    return pending.load(std::memory_order_acquire) != nullptr;
}

Sound* SoundMailbox::take() noexcept
{
    if (holding) {
        Sound* expected = nullptr;
        if (!retired.compare_exchange_strong(expected, holding, std::memory_order_acq_rel))
            return nullptr;   // the message side has not freed the last one yet
        holding = nullptr;
    }
    return pending.exchange(nullptr, std::memory_order_acq_rel);
}

void SoundMailbox::retire(Sound* replaced) noexcept
{
    if (!replaced)
        return;
    Sound* expected = nullptr;
    if (!retired.compare_exchange_strong(expected, replaced, std::memory_order_acq_rel))
        holding = replaced;
}

void SoundMailbox::drain() noexcept
{
    delete pending.exchange(nullptr, std::memory_order_acq_rel);
    delete retired.exchange(nullptr, std::memory_order_acq_rel);
    delete holding;
    holding = nullptr;
}

} // namespace Vst
} // namespace Steinberg
