#include "processor/PublishedReports.h"

namespace Steinberg {
namespace Vst {

void PublishedReports::publishUsedMemory(int64_t points) noexcept
{
    usedMemory.store(points, std::memory_order_relaxed);
    usedMemoryFresh.store(true, std::memory_order_release);
}

void PublishedReports::publishVoiceCount(int32_t voices) noexcept
{
    voiceCount.store(voices, std::memory_order_relaxed);
    voiceCountFresh.store(true, std::memory_order_release);
}

bool PublishedReports::takeUsedMemory(int64_t& points) noexcept
{
    if (!usedMemoryFresh.exchange(false, std::memory_order_acquire))
        return false;
    points = usedMemory.load(std::memory_order_relaxed);
    return true;
}

bool PublishedReports::takeVoiceCount(int32_t& voices) noexcept
{
    if (!voiceCountFresh.exchange(false, std::memory_order_acquire))
        return false;
    voices = voiceCount.load(std::memory_order_relaxed);
    return true;
}

} // namespace Vst
} // namespace Steinberg
