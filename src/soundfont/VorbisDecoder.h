#pragma once
// Decodes one Ogg Vorbis stream held in memory (a compressed sample of a SoundFont 3 file)
// into mono float points. The stream is checked page by page and its two first headers are
// validated before the decoder library sees it; the library works inside one zero-filled
// arena whose size follows the stream's, and decoding stops at a cap on the points, so a
// hostile stream costs time and memory bounded by its size.
//
// Threads: any thread; no shared state. Not real-time safe (allocates): UI thread in practice.
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
VorbisOutcome decodeVorbis(const uint8_t* stream, size_t size, uint64_t maxPoints,
                           std::vector<float>& points);

} // namespace Vst
} // namespace Steinberg
