#include "Mixdown.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace zephra {
namespace render {

double normalisingGain(float peak)
{
    if (!(peak > 0.f))
        return 1.0;
    return std::pow(10.0, kNormalisedPeakDb / 20.0) / double(peak);
}

bool writeMixdown(FloatSpool& spool, OutputFile& output, double gain, int64_t fadeFrames, const StopRequest& stop,
                  MixdownStats& stats, std::string& error)
{
    stats = MixdownStats{};
    if (!spool.rewind(error))
        return false;
    constexpr int32_t kChunkFrames = 8192;
    std::vector<float> chunk(2 * kChunkFrames);
    const int64_t total = spool.frames();
    fadeFrames = std::min(std::max<int64_t>(fadeFrames, 0), total);
    const int64_t fadeStart = total - fadeFrames;
    for (int64_t done = 0; done < total;) {
        if (stop && stop()) {
            error = "interrupted";
            return false;
        }
        const int32_t count = static_cast<int32_t>(std::min<int64_t>(kChunkFrames, total - done));
        if (!spool.read(chunk.data(), count, error))
            return false;
        // The steady gain up to the fade (a loop without branches), then the fade frame by frame.
        const int32_t steady = static_cast<int32_t>(std::clamp<int64_t>(fadeStart - done, 0, count));
        int64_t above = 0;
        for (int32_t k = 0; k < 2 * steady; ++k) {
            const float sample = static_cast<float>(chunk[static_cast<size_t>(k)] * gain);
            chunk[static_cast<size_t>(k)] = sample;
            above += std::fabs(sample) > 1.f ? 1 : 0;
        }
        for (int32_t i = steady; i < count; ++i) {
            const int64_t frame = done + i;
            const double factor = gain * (double(total - 1 - frame) / double(fadeFrames));
            for (int c = 0; c < 2; ++c) {
                float& sample = chunk[static_cast<size_t>(2 * i + c)];
                sample = static_cast<float>(sample * factor);
                above += std::fabs(sample) > 1.f ? 1 : 0;
            }
        }
        stats.aboveFullScale += above;
        if (!output.write(chunk.data(), count, error))
            return false;
        done += count;
    }
    return true;
}

}   // namespace render
}   // namespace zephra
