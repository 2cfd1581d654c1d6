#include "platform/BusNames.h"

namespace Steinberg {
namespace Vst {

void formatBusName(char16_t* out, size_t capacity, const char16_t* pattern,
                   int32_t number) noexcept
{
    if (!out || capacity == 0)
        return;
    size_t used = 0;
    auto put = [&](char16_t unit) {
        if (used + 1 < capacity)
            out[used++] = unit;
    };
    while (pattern && *pattern) {
        if (pattern[0] == u'%' && pattern[1] == u'd') {
            char16_t digits[12];
            int count = 0;
            // Work in the negative range so that INT32_MIN needs no special case.
            int64_t value = number < 0 ? number : -static_cast<int64_t>(number);
            do {
                digits[count++] = static_cast<char16_t>(u'0' - value % 10);
                value /= 10;
            } while (value != 0);
            if (number < 0)
                put(u'-');
            while (count > 0)
                put(digits[--count]);
            pattern += 2;
        } else if (pattern[0] == u'%' && pattern[1] == u'%') {
            put(u'%');
            pattern += 2;
        } else {
            put(*pattern++);
        }
    }
    out[used] = 0;
}

} // namespace Vst
} // namespace Steinberg
