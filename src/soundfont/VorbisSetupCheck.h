#pragma once
// Checks the codebooks of a Vorbis setup header before the decoder library reads them. The
// library sizes its codebook tables by products of a codebook's stated entries and dimensions
// in 32-bit arithmetic, so a crafted codebook of a few bytes can make it write far outside its
// working memory. A codebook passes only when every value table it states is also carried in
// the packet (as in every real stream) and its expanded table stays far below 2^31 bytes.
//
// Threads: any thread; no state. Real-time safe (no allocation), though only the loader uses it.
#include <cstddef>
#include <cstdint>

namespace Steinberg {
namespace Vst {

// One packet as the pages hold it: one contiguous run of bytes per page it lies on.
struct PacketSpans {
    static constexpr int maxSpans = 16;   // a setup header spans one or two pages in practice
    const uint8_t* data[maxSpans] = {};
    size_t bytes[maxSpans] = {};
    int count = 0;

    // Adds bytes that follow the packet's previous ones; false past maxSpans.
    bool append(const uint8_t* start, size_t n) noexcept;
};

// True when the packet is a setup header whose codebooks pass.
bool checkVorbisCodebooks(const PacketSpans& setup) noexcept;

} // namespace Vst
} // namespace Steinberg
