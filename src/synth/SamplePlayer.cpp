#include "synth/SamplePlayer.h"

#include <cmath>

namespace Steinberg {
namespace Vst {
namespace {

const float silentPoints[5] = {0.0f, 0.0f, 0.0f, 0.0f, 0.0f};

} // namespace

SamplePlayer SamplePlayer::silent() noexcept
{
    return SamplePlayer{silentPoints, 5, 8820.0f, 0, 4};
}

SamplePlayer SamplePlayer::forRecord(const SFSynth& record, double processingRate) noexcept
{
    const float rootFrequency = float(440.0 * std::pow(2.0, (double(record.rootKey) - 69.0) * 0.08333333333333333));
    const float rateRatio = float(processingRate / double(float(record.sampleRate)));
    const float correction = std::pow(2.0f, -float(record.pitchCorrection) * 0.00083333335f);
    const float reference = rootFrequency * rateRatio * correction;

    if (record.samples.size() > size_t(INT32_MAX))
        return silent();
    const int64_t count = int64_t(record.samples.size());
    int64_t loopStart = count - 3;
    int64_t loopEnd = count - 2;
    if (record.sampleModes != 0) {
        loopStart = record.loopStart;
        loopEnd = record.loopEnd;
    }
    const bool usable = count > 2 && reference >= 1.0f && loopStart >= 0 && loopStart <= count - 1 &&
                        loopEnd > loopStart && loopEnd <= count - 1;
    if (!usable)
        return silent();
    return SamplePlayer{record.samples.data(), int32_t(count), reference, int32_t(loopStart),
                        int32_t(loopEnd - 1)};
}

} // namespace Vst
} // namespace Steinberg
