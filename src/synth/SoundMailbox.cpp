#include "synth/SoundMailbox.h"

namespace Steinberg {
namespace Vst {

SoundMailbox::~SoundMailbox() { drain(); }

bool SoundMailbox::canPost() const noexcept
{
    return pending.load(std::memory_order_acquire) == nullptr;
}

void SoundMailbox::collectRetired() noexcept
{
    delete retired.exchange(nullptr, std::memory_order_acq_rel);
}

bool SoundMailbox::post(std::unique_ptr<Sound>& sound) noexcept
{
    Sound* expected = nullptr;
    if (!pending.compare_exchange_strong(expected, sound.get(), std::memory_order_acq_rel))
        return false;
    sound.release();
    return true;
}

Sound* SoundMailbox::peek() const noexcept
{
    return pending.load(std::memory_order_acquire);
}

void SoundMailbox::finishTake(Sound* replaced) noexcept
{
    // Retire first: whoever sees the pending slot empty afterwards also sees the retired sound.
    // The retired slot is empty here (see the header), so nothing is overwritten.
    retired.store(replaced, std::memory_order_release);
    pending.store(nullptr, std::memory_order_release);
}

void SoundMailbox::drain() noexcept
{
    delete pending.exchange(nullptr, std::memory_order_acq_rel);
    delete retired.exchange(nullptr, std::memory_order_acq_rel);
}

} // namespace Vst
} // namespace Steinberg
