#pragma once
// Checks that bytes in memory are one well-formed Ogg stream carrying Vorbis: every page
// complete and in bounds, one serial number, the first page the stream's beginning, packets
// continued only where one is open, the identification and comment headers well formed (every
// length inside its packet) and the setup header's codebooks sized by what the packet holds
// (VorbisSetupCheck.h). The decoder library trusts these headers; a stream that passes here
// cannot make it allocate or write by lengths the stream does not hold.
//
// Threads: any thread; no state. Real-time safe (no allocation), though only the loader uses it.
#include <cstddef>
#include <cstdint>

namespace Steinberg {
namespace Vst {

struct OggVorbisLayout {
    uint32_t channels = 0;
    uint32_t sampleRate = 0;
    size_t headerBytes = 0;       // bytes of the three header packets together
    bool haveLength = false;      // whether the last page states a position
    uint64_t lastGranule = 0;     // that position: the points the stream decodes to
};

// True when the stream passes; `layout` then describes it.
bool checkOggVorbis(const uint8_t* data, size_t size, OggVorbisLayout& layout) noexcept;

} // namespace Vst
} // namespace Steinberg
