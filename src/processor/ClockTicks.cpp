#include "processor/ClockTicks.h"

#include <cmath>

namespace Steinberg {
namespace Vst {

TickPlan planClockTicks(double position, double samplesPerBeat, double ticksPerBeat,
                        int32 numSamples) noexcept
{
    TickPlan plan;
    if (numSamples <= 0 || !std::isfinite(position) || !std::isfinite(samplesPerBeat) ||
        !std::isfinite(ticksPerBeat) || samplesPerBeat <= 0.0 || ticksPerBeat <= 0.0)
        return plan;

    const double tickLength = 1.0 / ticksPerBeat;
    const double beatsToNext = std::fmod(tickLength - std::fmod(position, tickLength), tickLength);
    const double firstSample = beatsToNext * samplesPerBeat;
    if (!(firstSample >= 0.0) || firstSample >= numSamples)
        return plan;
    plan.first = static_cast<int32>(firstSample);

    const double spacingSamples = samplesPerBeat / ticksPerBeat;
    // Beyond the block length only the first tick matters; compare before converting.
    const int32 spacing = spacingSamples >= numSamples ? numSamples
                                                       : static_cast<int32>(spacingSamples);
    if (spacing <= 0) {
        plan.count = 1;
        return plan;
    }
    plan.spacing = spacing;
    const int64 count = (static_cast<int64>(numSamples) - 1 - plan.first) / spacing + 1;
    plan.count = count > kMaxTicksPerBlock ? kMaxTicksPerBlock : static_cast<int32>(count);
    return plan;
}

} // namespace Vst
} // namespace Steinberg
