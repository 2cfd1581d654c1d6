#include "processor/PublishedReports.h"

namespace Steinberg {
namespace Vst {

void PublishedReports::publishVoiceCount(int32_t voices) noexcept
{
    // Lock-free: only the take competes, and it only ever lowers the value to -1.
    int32_t current = highestVoiceCount.load(std::memory_order_relaxed);
    while (voices > current &&
           !highestVoiceCount.compare_exchange_weak(current, voices, std::memory_order_release,
                                                    std::memory_order_relaxed)) {
    }
}

bool PublishedReports::takeVoiceCount(int32_t& voices) noexcept
{
    const int32_t highest = highestVoiceCount.exchange(-1, std::memory_order_acquire);
    if (highest < 0)
        return false;
    voices = highest;
    return true;
}

} // namespace Vst
} // namespace Steinberg
