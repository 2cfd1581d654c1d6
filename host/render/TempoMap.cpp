#include "TempoMap.h"

#include <algorithm>

namespace zephra {
namespace render {

TempoMap::TempoMap(const MidiSequence& sequence)
{
    if (sequence.smpte) {
        const double ticksPerSecond =
            double(sequence.smpteFramesPerSecond == 29 ? 29.97 : sequence.smpteFramesPerSecond) *
            sequence.smpteTicksPerFrame;
        segments.push_back({0, 0.0, 1.0 / ticksPerSecond});
        return;
    }
    const double quarter = double(sequence.ticksPerQuarter);
    // Until the first tempo event the standard's default of 120 beats per minute holds.
    segments.push_back({0, 0.0, 0.5 / quarter});
    for (const TempoChange& change : sequence.tempos) {
        const double secondsPerTick = change.microsecondsPerQuarter * 1e-6 / quarter;
        Segment& last = segments.back();
        if (change.tick == last.tick) {
            last.secondsPerTick = secondsPerTick;   // a later change at the same tick wins
            continue;
        }
        const double seconds = last.seconds + double(change.tick - last.tick) * last.secondsPerTick;
        segments.push_back({change.tick, seconds, secondsPerTick});
    }
}

double TempoMap::secondsAt(int64_t tick) const
{
    if (tick <= 0)
        return 0.0;
    auto next = std::upper_bound(segments.begin(), segments.end(), tick,
                                 [](int64_t t, const Segment& s) { return t < s.tick; });
    const Segment& segment = *(next - 1);
    return segment.seconds + double(tick - segment.tick) * segment.secondsPerTick;
}

}   // namespace render
}   // namespace zephra
