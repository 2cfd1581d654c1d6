#pragma once
// Formats bus names such as "AudioInput %d" -> "AudioInput 1" into the SDK's fixed 128-unit
// UTF-16 name buffers.
// Threads: any; no state. Real-time safe (no allocation), though only set-up code uses it.
#include <cstddef>
#include <cstdint>

namespace Steinberg {
namespace Vst {

// Copies pattern into out, replacing each "%d" by the decimal number and "%%" by "%"; stops at
// capacity - 1 units and always zero-terminates (capacity must be at least 1).
void formatBusName(char16_t* out, size_t capacity, const char16_t* pattern,
                   int32_t number) noexcept;

#ifdef _WIN32
// The SDK's 16-bit text type is wchar_t on Windows (UTF-16 there too).
inline void formatBusName(wchar_t* out, size_t capacity, const char16_t* pattern,
                          int32_t number) noexcept
{
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t");
    formatBusName(reinterpret_cast<char16_t*>(out), capacity, pattern, number);
}
#endif

} // namespace Vst
} // namespace Steinberg
