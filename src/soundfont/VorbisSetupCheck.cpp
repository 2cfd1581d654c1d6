#include "soundfont/VorbisSetupCheck.h"

#include <climits>
#include <cmath>

namespace Steinberg {
namespace Vst {

namespace {

// Far beyond any real codebook (those hold a few thousand values), far below 2^31 bytes.
constexpr uint64_t maxExpandedTableBytes = uint64_t{1} << 28;

// The packet's bits, least significant first, across its spans.
class PacketBits {
public:
    explicit PacketBits(const PacketSpans& spans) noexcept : spans(spans)
    {
        for (int i = 0; i < spans.count; ++i)
            left += uint64_t{spans.bytes[i]} * 8;
    }

    uint64_t bitsLeft() const noexcept { return left; }

    // Up to 32 bits; false when the packet ends first.
    bool read(unsigned count, uint32_t& value) noexcept
    {
        if (count > left)
            return false;
        value = 0;
        for (unsigned i = 0; i < count; ++i) {
            while (byte >= spans.bytes[span]) {
                ++span;
                byte = 0;
            }
            value |= uint32_t((spans.data[span][byte] >> bit) & 1u) << i;
            if (++bit == 8) {
                bit = 0;
                ++byte;
            }
        }
        left -= count;
        return true;
    }

    bool skip(uint64_t count) noexcept
    {
        if (count > left)
            return false;
        left -= count;
        uint64_t bits = uint64_t(bit) + count;
        while (span < spans.count && bits >= (uint64_t{spans.bytes[span]} - byte) * 8) {
            bits -= (uint64_t{spans.bytes[span]} - byte) * 8;
            ++span;
            byte = 0;
        }
        byte += size_t(bits / 8);
        bit = unsigned(bits % 8);
        return true;
    }

private:
    const PacketSpans& spans;
    int span = 0;
    size_t byte = 0;
    unsigned bit = 0;
    uint64_t left = 0;
};

unsigned bitsFor(uint32_t n) noexcept
{
    unsigned bits = 0;
    for (; n != 0; n >>= 1)
        ++bits;
    return bits;
}

// A float-to-int conversion as x86 makes it: out of range gives INT_MIN.
int truncated(float v) noexcept
{
    return v > -2147483649.0f && v < 2147483648.0f ? int(v) : INT_MIN;
}

// The library's own count of a lookup-1 codebook's values, computed as it computes it (in
// float), so the bits it then reads are the bits skipped here. -1 when it refuses the sizes.
int lookup1Values(int entries, int dimensions) noexcept
{
    int r = truncated(std::floor(std::exp(float(std::log(float(entries))) / float(dimensions))));
    if (truncated(std::floor(std::pow(float(r) + 1, float(dimensions)))) <= entries)
        ++r;
    if (std::pow(float(r) + 1, float(dimensions)) <= float(entries))
        return -1;
    if (truncated(std::floor(std::pow(float(r), float(dimensions)))) > entries)
        return -1;
    return r;
}

bool codebookPasses(PacketBits& bits) noexcept
{
    uint32_t sync = 0, dimensions = 0, entries = 0, ordered = 0, sparse = 0, value = 0;
    if (!bits.read(24, sync) || sync != 0x564342 || !bits.read(16, dimensions) || !bits.read(24, entries) ||
        !bits.read(1, ordered))
        return false;
    if (!ordered && !bits.read(1, sparse))
        return false;
    if (dimensions == 0 && entries != 0)
        return false;
    if (ordered) {
        uint32_t length = 0;
        if (!bits.read(5, length))
            return false;
        ++length;
        for (uint32_t entry = 0; entry < entries; ++length) {
            if (!bits.read(bitsFor(entries - entry), value) || length >= 32 || value > entries - entry)
                return false;
            entry += value;
        }
    } else {
        for (uint32_t entry = 0; entry < entries; ++entry) {
            uint32_t present = 1;
            if (sparse && !bits.read(1, present))
                return false;
            if (present && (!bits.read(5, value) || value == 31))
                return false;
        }
    }
    uint32_t lookupType = 0;
    if (!bits.read(4, lookupType) || lookupType > 2)
        return false;
    if (lookupType == 0)
        return true;
    uint32_t valueBits = 0;
    if (!bits.skip(64) || !bits.read(4, valueBits) || !bits.skip(1))
        return false;
    ++valueBits;
    const uint64_t tableValues = uint64_t{entries} * dimensions;
    uint64_t lookupValues = tableValues;
    if (lookupType == 1) {
        const int values = lookup1Values(int(entries), int(dimensions));
        // The library expands a lookup-1 table to every entry's every dimension.
        if (values <= 0 || tableValues * sizeof(float) > maxExpandedTableBytes)
            return false;
        lookupValues = uint64_t(values);
    }
    // A real stream carries every value it states; one that does not is refused before the
    // library sizes a table by the stated count.
    return lookupValues != 0 && lookupValues <= bits.bitsLeft() / valueBits && bits.skip(lookupValues * valueBits);
}

} // namespace

bool PacketSpans::append(const uint8_t* start, size_t n) noexcept
{
    if (count > 0 && data[count - 1] + bytes[count - 1] == start) {
        bytes[count - 1] += n;
        return true;
    }
    if (count == maxSpans)
        return false;
    data[count] = start;
    bytes[count] = n;
    ++count;
    return true;
}

bool checkVorbisCodebooks(const PacketSpans& setup) noexcept
{
    PacketBits bits(setup);
    static constexpr uint8_t signature[7] = {5, 'v', 'o', 'r', 'b', 'i', 's'};
    uint32_t value = 0;
    for (uint8_t expected : signature)
        if (!bits.read(8, value) || value != expected)
            return false;
    uint32_t codebooks = 0;
    if (!bits.read(8, codebooks))
        return false;
    for (uint32_t i = 0; i <= codebooks; ++i)
        if (!codebookPasses(bits))
            return false;
    return true;
}

} // namespace Vst
} // namespace Steinberg
