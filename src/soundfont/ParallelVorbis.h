#pragma once
// Decodes the compressed samples one preset needs on several threads at once: each thread takes
// the next stream, reads its bytes (one thread at a time, through the caller's reader) and
// decodes it. The streams together hold at most a shared number of points, so the memory
// bound of decoding them one after the other still holds.
//
// Threads: call from any one thread; the workers it starts are joined before it returns (also
// when a job throws). Not real-time safe (threads, allocation, file reads).
#include "soundfont/VorbisDecoder.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace Steinberg {
namespace Vst {

struct VorbisJob {
    uint32_t firstByte = 0;   // where the stream lies in "smpl"
    uint32_t bytes = 0;
    uint64_t cap = 0;         // points the stream may decode to on its own
    // Results (see decodeVorbis); a stream the file does not hold whole is malformed.
    VorbisOutcome outcome = VorbisOutcome::malformed;
    uint64_t reached = 0;
    std::vector<float> points;
};

// Reads a stream's bytes into `stream`; false when the file does not hold them all.
using VorbisStreamReader = std::function<bool(uint32_t firstByte, uint32_t bytes, std::vector<uint8_t>& stream)>;

// Decodes every job on up to `threads` threads (the calling one included); all jobs together
// hold at most `sharedPoints` points, a job stopped for that is outOfShare. An exception from a
// job is thrown again here once every thread has ended.
void decodeVorbisJobs(std::vector<VorbisJob>& jobs, const VorbisStreamReader& read, uint64_t sharedPoints,
                      unsigned threads);

// The threads worth using for that: the processor's, from 1 to 8.
unsigned vorbisDecodingThreads() noexcept;

} // namespace Vst
} // namespace Steinberg
