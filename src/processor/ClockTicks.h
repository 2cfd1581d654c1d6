#pragma once
// Where the tempo clock's ticks fall inside one block.
// Threads: any; a pure function, noexcept and real-time safe.
#include "pluginterfaces/base/ftypes.h"

namespace Steinberg {
namespace Vst {

// Upper bound of ticks in one block, so absurd tempi cannot flood the event queue.
constexpr int32 kMaxTicksPerBlock = 1024;

struct TickPlan {
    int32 first = 0;     // sample offset of the first tick
    int32 spacing = 0;   // samples between ticks (0 when only one tick fits the plan)
    int32 count = 0;     // number of ticks in the block
};

// Ticks every 1/ticksPerBeat beats, starting at the first tick at or after position (beats).
// The first offset and the spacing are truncated to whole samples. A spacing that truncates
// to 0 samples yields the first tick only; any non-finite or non-positive input yields none.
TickPlan planClockTicks(double position, double samplesPerBeat, double ticksPerBeat,
                        int32 numSamples) noexcept;

} // namespace Vst
} // namespace Steinberg
