// Regression guard: a Vorbis setup header whose codebook states a value table larger than the
// packet (2^31 values from a few bytes) made the decoder library size its table with a 32-bit
// product that went negative, and write far outside its working memory.
#include "soundfont/VorbisSetupCheck.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Steinberg::Vst;

namespace {

// Writes bits least significant first, as Vorbis packs them.
struct Bits {
    std::vector<uint8_t> bytes;
    size_t count = 0;
    Bits& put(uint64_t value, unsigned n)
    {
        for (unsigned i = 0; i < n; ++i, ++count) {
            if (count % 8 == 0)
                bytes.push_back(0);
            bytes.back() |= uint8_t(((value >> i) & 1) << (count % 8));
        }
        return *this;
    }
};

// A setup packet with one codebook: the sizes given, every entry 5 bits long, and a value
// table of `carried` values of 8 bits.
std::vector<uint8_t> setupWith(uint32_t entries, uint32_t dimensions, uint32_t lookupType, uint64_t carried)
{
    Bits bits;
    for (char c : std::string("\5vorbis"))
        bits.put(uint8_t(c), 8);
    bits.put(0, 8).put(0x564342, 24).put(dimensions, 16).put(entries, 24).put(0, 1).put(0, 1);
    for (uint32_t i = 0; i < entries; ++i)
        bits.put(4, 5);
    bits.put(lookupType, 4).put(0, 64).put(7, 4).put(0, 1);
    for (uint64_t i = 0; i < carried; ++i)
        bits.put(i, 8);
    return bits.bytes;
}

bool passes(const std::vector<uint8_t>& packet, size_t split = 0)
{
    PacketSpans spans;
    const size_t first = split ? split : packet.size();
    spans.append(packet.data(), first);
    std::vector<uint8_t> apart(packet.begin() + long(first), packet.end());   // as on a second page
    spans.append(apart.data(), apart.size());
    return checkVorbisCodebooks(spans);
}

} // namespace

TEST(VorbisSetupCheck, CodebookPassesOnlyWhenThePacketCarriesTheTablesItStates)
{
    // Real shapes: a lookup-2 table of entries x dimensions values, a lookup-1 table of 4^2.
    EXPECT_TRUE(passes(setupWith(16, 2, 2, 32)));
    EXPECT_TRUE(passes(setupWith(16, 2, 1, 4)));
    EXPECT_TRUE(passes(setupWith(16, 2, 1, 4), 9));   // the same packet split over two pages
    EXPECT_FALSE(passes(setupWith(16, 2, 2, 31)));    // one value short
    EXPECT_FALSE(passes(setupWith(16, 2, 3, 0)));     // no such lookup type
    // 32768 x 65535 values stated in a few kilobytes: refused before the library sizes a table.
    EXPECT_FALSE(passes(setupWith(32768, 65535, 2, 64)));
    // A lookup-1 codebook whose expanded table would pass 2^31 bytes.
    EXPECT_FALSE(passes(setupWith(65536, 8192, 1, 4)));
    std::vector<uint8_t> truncated = setupWith(16, 2, 2, 32);
    truncated.pop_back();
    EXPECT_FALSE(passes(truncated));
}
