#pragma once
// Conversions with the engine's fixed rules: truncation toward zero into signed 32 bits, where a
// value outside that range (or not a number) yields -2147483648, as the x86 conversion does.
// Threads: any; real-time safe.
#include <cstdint>

namespace Steinberg {
namespace Vst {

constexpr int32_t kInt32Min = INT32_MIN;

inline int32_t truncToInt32(double value) noexcept
{
    if (value >= -2147483648.0 && value < 2147483648.0)
        return static_cast<int32_t>(value);
    return kInt32Min;
}

} // namespace Vst
} // namespace Steinberg
