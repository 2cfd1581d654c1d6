#include "soundfont/GeneratorRanges.h"

#include <algorithm>

namespace Steinberg {
namespace Vst {
namespace {

struct RangeEntry {
    uint16_t op;
    GeneratorLimits range;
};

// SoundFont 2.04, section 8.1.3 (units: cents, timecents, centibels, 0.1 %).
constexpr RangeEntry kRanges[] = {
    {5, {-12000, 12000}},  {6, {-12000, 12000}},  {7, {-12000, 12000}},  {8, {1500, 13500}},
    {9, {0, 960}},         {10, {-12000, 12000}}, {11, {-12000, 12000}}, {13, {-960, 960}},
    {15, {0, 1000}},       {16, {0, 1000}},       {17, {-500, 500}},     {21, {-12000, 5000}},
    {22, {-16000, 4500}},  {23, {-12000, 5000}},  {24, {-16000, 4500}},  {25, {-12000, 5000}},
    {26, {-12000, 8000}},  {27, {-12000, 5000}},  {28, {-12000, 8000}},  {29, {0, 1000}},
    {30, {-12000, 8000}},  {31, {-1200, 1200}},   {32, {-1200, 1200}},   {33, {-12000, 5000}},
    {34, {-12000, 8000}},  {35, {-12000, 5000}},  {36, {-12000, 8000}},  {37, {0, 1440}},
    {38, {-12000, 8000}},  {39, {-1200, 1200}},   {40, {-1200, 1200}},   {48, {0, 1440}},
    {51, {-120, 120}},     {52, {-99, 99}},       {56, {0, 1200}},       {57, {0, 127}},
    {58, {-1, 127}},   // -1: no overriding root key
};

} // namespace

bool soundFontRange(uint16_t op, GeneratorLimits& range) noexcept
{
    for (const RangeEntry& entry : kRanges) {
        if (entry.op == op) {
            range = entry.range;
            return true;
        }
    }
    return false;
}

int16_t addGenerator(uint16_t op, int16_t value, int16_t amount) noexcept
{
    GeneratorLimits range{};
    if (!soundFontRange(op, range))
        return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint16_t>(value) +
                                                          static_cast<uint16_t>(amount)));
    const int32_t sum = int32_t{value} + int32_t{amount};
    return static_cast<int16_t>(std::clamp<int32_t>(sum, range.low, range.high));
}

void clampToSoundFontRanges(std::array<int16_t, 61>& generators) noexcept
{
    for (const RangeEntry& entry : kRanges)
        generators[entry.op] = std::clamp(generators[entry.op], entry.range.low, entry.range.high);
}

} // namespace Vst
} // namespace Steinberg
