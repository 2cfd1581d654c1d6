#include "soundfont/SampleCache.h"

#include <tuple>

namespace Steinberg {
namespace Vst {

bool SampleKey::operator<(const SampleKey& other) const noexcept
{
    if (file < other.file) return true;
    if (other.file < file) return false;
    return std::tie(firstByte, pointCount, compressed) <
           std::tie(other.firstByte, other.pointCount, other.compressed);
}

SampleCache& SampleCache::shared()
{
    static SampleCache instance;
    return instance;
}

SharedSamples SampleCache::find(const SampleKey& key)
{
    std::lock_guard<std::mutex> lock(mutex);
    const auto it = entries.find(key);
    if (it == entries.end())
        return {};
    return SharedSamples(it->second.lock());
}

SharedSamples SampleCache::add(const SampleKey& key, SharedSamples made)
{
    std::lock_guard<std::mutex> lock(mutex);
    Watch& watch = entries[key];
    if (auto held = watch.lock())
        return SharedSamples(std::move(held));
    watch = made.buffer;
    if (entries.size() >= sweepAt)
        sweep();
    return made;
}

size_t SampleCache::heldBuffers()
{
    std::lock_guard<std::mutex> lock(mutex);
    size_t held = 0;
    for (const auto& entry : entries)
        held += entry.second.expired() ? 0 : 1;
    return held;
}

// Drops the entries of freed buffers. Run when the register has doubled since the last sweep,
// so its size stays within twice the buffers held and the sweeps cost O(1) per entry added.
void SampleCache::sweep()
{
    for (auto it = entries.begin(); it != entries.end();) {
        if (it->second.expired())
            it = entries.erase(it);
        else
            ++it;
    }
    sweepAt = 2 * entries.size() + 64;
}

} // namespace Vst
} // namespace Steinberg
