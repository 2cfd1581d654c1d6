#include "synth/SamplePlayer.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Steinberg {
namespace Vst {
namespace {

const float silentPoints[5] = {0.0f, 0.0f, 0.0f, 0.0f, 0.0f};

// The loop a record's player plays, loop end excluded (a one-shot holds its third-last point);
// false when the points are too few or the loop lies outside them.
bool loopOf(const SFSynth& record, int64_t& loopStart, int64_t& loopEnd) noexcept
{
    if (record.samples.size() > size_t(INT32_MAX))
        return false;
    const int64_t count = int64_t(record.samples.size());
    loopStart = count - 3;
    loopEnd = count - 2;
    if (record.sampleModes != 0) {
        loopStart = record.loopStart;
        loopEnd = record.loopEnd;
    }
    return count > 2 && loopStart >= 0 && loopStart <= count - 1 && loopEnd > loopStart && loopEnd <= count - 1;
}

} // namespace

SamplePlayer SamplePlayer::silent() noexcept
{
    return SamplePlayer{silentPoints, 5, 8820.0f, 0, 4, 0.0f};
}

SamplePlayer SamplePlayer::forRecord(const SFSynth& record, double processingRate) noexcept
{
    const float rootFrequency = float(440.0 * std::pow(2.0, (double(record.rootKey) - 69.0) * 0.08333333333333333));
    const float rateRatio = float(processingRate / double(float(record.sampleRate)));
    const float correction = std::pow(2.0f, -float(record.pitchCorrection) * 0.00083333335f);
    const float reference = rootFrequency * rateRatio * correction;

    int64_t loopStart = 0, loopEnd = 0;
    if (!loopOf(record, loopStart, loopEnd) || !(reference >= 1.0f))
        return silent();
    return SamplePlayer{record.samples.data(), int32_t(record.samples.size()), reference, int32_t(loopStart),
                        int32_t(loopEnd - 1)};
}

float SamplePlayer::loopPeakOf(const SFSynth& record) noexcept
{
    int64_t loopStart = 0, loopEnd = 0;
    if (!loopOf(record, loopStart, loopEnd))
        return std::numeric_limits<float>::infinity();
    return record.samples.peakBetween(size_t(loopStart), size_t(loopEnd));
}

} // namespace Vst
} // namespace Steinberg
