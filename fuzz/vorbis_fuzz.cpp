// libFuzzer target: any bytes as the Ogg Vorbis stream of a compressed sample, decoded as the
// SoundFont reader does (cap of points by the stream's size), checking what the reader relies on.
#include "soundfont/VorbisDecoder.h"

#include <cmath>
#include <cstdlib>

using namespace Steinberg::Vst;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<float> points;
    const uint64_t cap = maxVorbisPointsPerByte * size;
    const VorbisOutcome outcome = decodeVorbis(data, size, cap, points);
    if (outcome != VorbisOutcome::ok) {
        if (!points.empty())
            std::abort();
        return 0;
    }
    if (points.empty() || points.size() > cap)
        std::abort();
    for (float v : points)
        if (!std::isfinite(v))
            std::abort();
    return 0;
}
