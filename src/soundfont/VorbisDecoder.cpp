#include "soundfont/VorbisDecoder.h"

#include "soundfont/OggVorbisPages.h"
#include "soundfont/StbVorbisConfig.h"

#define STB_VORBIS_HEADER_ONLY
#include <stb_vorbis.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <memory>

namespace Steinberg {
namespace Vst {

namespace {

// The decoder's working memory: its setup tables and per-packet scratch come from here, never
// from the heap or the stack, and a stream asking for more fails to open. Real streams need
// about 200 KB; header bytes can claim more (a comment costs up to four times its bytes), so the
// arena grows with them. Zero-filled, so tables a failed setup left unfilled read as empty.
constexpr size_t arenaBaseBytes = size_t{1} << 20;
constexpr size_t arenaBytesPerHeaderByte = 64;

struct FreeArena {
    void operator()(char* p) const noexcept { std::free(p); }
};

struct CloseDecoder {
    void operator()(stb_vorbis* v) const noexcept { stb_vorbis_close(v); }
};

} // namespace

bool VorbisShare::take(uint64_t points) noexcept
{
    uint64_t now = left.load(std::memory_order_relaxed);
    do {
        if (points > now)
            return false;
    } while (!left.compare_exchange_weak(now, now - points, std::memory_order_relaxed));
    return true;
}

VorbisOutcome decodeVorbis(const uint8_t* stream, size_t size, uint64_t maxPoints,
                           std::vector<float>& points, uint64_t* reached, VorbisShare* share)
{
    points.clear();
    points.shrink_to_fit();
    if (reached)
        *reached = 0;
    prepareVorbisDecoding();
    // Whatever ends the decoding, the points taken from the share go back unless they are kept.
    uint64_t taken = 0;
    struct GiveBack {
        VorbisShare* share;
        const uint64_t& taken;
        bool keep = false;
        ~GiveBack()
        {
            if (share && !keep)
                share->giveBack(taken);
        }
    } giveBack{share, taken};
    OggVorbisLayout layout;
    if (size > INT_MAX || !checkOggVorbis(stream, size, layout))
        return VorbisOutcome::malformed;
    if (layout.channels != 1)
        return VorbisOutcome::notMono;

    const size_t arenaBytes = arenaBaseBytes + arenaBytesPerHeaderByte * layout.headerBytes;
    std::unique_ptr<char, FreeArena> arena(static_cast<char*>(std::calloc(arenaBytes, 1)));
    if (!arena)
        return VorbisOutcome::malformed;
    stb_vorbis_alloc alloc{arena.get(), static_cast<int>(arenaBytes)};
    int error = 0;
    std::unique_ptr<stb_vorbis, CloseDecoder> decoder(
        stb_vorbis_open_memory(stream, static_cast<int>(size), &error, &alloc));
    if (!decoder)
        return VorbisOutcome::malformed;

    // The last page states the length: reserve it (within the cap) and trim to it, as the
    // reference decoder does for a final packet that runs past the stream's end.
    if (layout.haveLength)
        points.reserve(static_cast<size_t>(std::min(layout.lastGranule, maxPoints)) + 1);
    for (;;) {
        int channels = 0;
        float** output = nullptr;
        const int n = stb_vorbis_get_frame_float(decoder.get(), &channels, &output);
        if (n <= 0)
            break;
        if (channels != 1 || points.size() + static_cast<uint64_t>(n) > maxPoints) {
            points = {};
            return channels != 1 ? VorbisOutcome::notMono : VorbisOutcome::tooLong;
        }
        if (share) {
            if (!share->take(static_cast<uint64_t>(n))) {
                points = {};
                return VorbisOutcome::outOfShare;
            }
            taken += static_cast<uint64_t>(n);
        }
        points.insert(points.end(), output[0], output[0] + n);
        if (reached)
            *reached = points.size();
    }
    if (stb_vorbis_get_error(decoder.get()) != VORBIS__no_error) {
        points = {};
        return VorbisOutcome::malformed;
    }
    if (layout.haveLength && layout.lastGranule < points.size()) {
        points.resize(static_cast<size_t>(layout.lastGranule));
        if (share) {
            share->giveBack(taken - points.size());
            taken = points.size();
        }
    }
    // A crafted codebook can scale points to infinity; the engine must never be handed one.
    if (!std::all_of(points.begin(), points.end(), [](float v) { return std::isfinite(v); })) {
        points = {};
        return VorbisOutcome::malformed;
    }
    if (points.empty())
        return VorbisOutcome::empty;
    giveBack.keep = true;
    return VorbisOutcome::ok;
}

} // namespace Vst
} // namespace Steinberg
