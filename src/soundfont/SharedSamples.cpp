#include "soundfont/SharedSamples.h"

#include <utility>

namespace Steinberg {
namespace Vst {

// The points live in an allocation of their own (the vector's), apart from the count of
// users: a cache that only watches the buffer keeps the small count alive, never the points.
SharedSamples::SharedSamples(std::vector<float> points)
    : buffer(std::make_shared<const Buffer>(std::move(points)))
{
}

} // namespace Vst
} // namespace Steinberg
