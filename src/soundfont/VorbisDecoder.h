#pragma once
// Decodes one Ogg Vorbis stream held in memory (a compressed sample of a SoundFont 3 file)
// into mono float points. The stream is checked page by page and its two first headers are
// validated before the decoder library sees it; the library works inside one zero-filled
// arena whose size follows the stream's, and decoding stops at a cap on the points, so a
// hostile stream costs time and memory bounded by its size.
//
// Threads: any thread, several at once (the library's shared tables are set up once, under a
// guard). Not real-time safe (allocates): UI thread or load workers in practice.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace Steinberg {
namespace Vst {

enum class VorbisOutcome {
    ok,
    malformed,   // not one well-formed Ogg Vorbis stream, the decoder failed, or a point is not finite
    notMono,     // more than one channel: a SoundFont sample is mono
    empty,       // decodes to no points
    tooLong,     // decodes to more points than the cap
    outOfShare,  // stopped because the points shared with other streams ran out (see VorbisShare)
};

// Points several streams decoded at the same time may hold together: each takes its points from
// here as it decodes and gives them back when it fails. Threads: any (atomic).
class VorbisShare {
public:
    explicit VorbisShare(uint64_t points) noexcept : left(points) {}
    bool take(uint64_t points) noexcept;
    void giveBack(uint64_t points) noexcept { left.fetch_add(points, std::memory_order_relaxed); }

private:
    std::atomic<uint64_t> left;
};

// Points a stream may decode to per byte it holds. Real streams stay far below (silent tails
// of drum samples reach about 90 points per byte); a hostile stream cannot ask for more.
constexpr uint64_t maxVorbisPointsPerByte = 1024;
// Points all the streams of one preset may decode to per byte they hold together. Real
// presets stay below 40 (Debian's compressed fonts; a minute of pure silence encodes to 250);
// without it, a few megabytes of silent packets could claim the preset's whole limit of 2^31
// points (8 GB).
constexpr uint64_t maxVorbisPointsPerPresetByte = 128;

// Decodes the stream into `points` (replaced), at most `maxPoints` of them, with room
// reserved for one more (the caller's guard point). On any outcome but ok, `points` is empty.
// `reached` (if given) gets the points decoded before the decoding stopped, whatever the outcome
// (before the trim to the stated length): the cap a stream fails is then known after the fact.
// With a `share`, the points are also taken from it (outOfShare when it runs out).
VorbisOutcome decodeVorbis(const uint8_t* stream, size_t size, uint64_t maxPoints,
                           std::vector<float>& points, uint64_t* reached = nullptr,
                           VorbisShare* share = nullptr);
// Sets up the decoder library's shared tables; decodeVorbis does it too, once, whichever thread
// comes first, so calling it before starting threads is optional.
void prepareVorbisDecoding() noexcept;

} // namespace Vst
} // namespace Steinberg
