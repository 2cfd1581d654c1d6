#include "synth/VoiceRenderer.h"

#include "synth/VoiceRun.h"

#include <algorithm>

namespace Steinberg {
namespace Vst {
namespace {

// Runs one cursor alone from sample `from` to `count`; `remaining` samples of its current run
// are left to mix, `first` tells whether the run's first sample is still to come.
void finishAlone(Cursor& c, float* left, float* right, int32_t from, int32_t count, int32_t remaining,
                 bool first) noexcept
{
    int32_t i = from;
    while (true) {
        if (remaining > 0 && first) {
            c.mixFirst(left, right, i++);
            --remaining;
        }
        Lane lane = c.lane;
        if (lane.inRangeFor(remaining)) {
            while (remaining > 0) {
                int64_t offset = 0;
                int32_t plain = lane.plainRun(remaining, offset);
                if (plain == 0) {   // one checked fetch across the stretch's end
                    const float a = lane.nextAmplitudeInRange();
                    left[i] += a * lane.panLeft;
                    right[i] += a * lane.panRight;
                    ++i;
                    --remaining;
                    continue;
                }
                remaining -= plain;
                for (; plain > 0; --plain, ++i) {
                    const float a = lane.nextAmplitudePlain(offset);
                    left[i] += a * lane.panLeft;
                    right[i] += a * lane.panRight;
                }
            }
        }
        for (; remaining > 0; --remaining)
            lane.mixNext(left, right, i++);
        c.lane = lane;
        if (!c.endRun())
            return;
        if (i >= count) {
            c.finish();
            return;
        }
        remaining = c.beginRun(count - i);
        first = true;
    }
}

} // namespace

void renderVoice(Voice& voice, float* mixLeft, float* mixRight, int32_t count, float quietLimit) noexcept
{
    if (count <= 0)
        return;
    Cursor c;
    c.attach(voice, quietLimit);
    finishAlone(c, mixLeft, mixRight, 0, count, c.beginRun(count), true);
}

void renderVoicePair(Voice& first, Voice& second, float* mixLeft, float* mixRight, int32_t count,
                     float quietLimit) noexcept
{
    if (count <= 0)
        return;
    Cursor a, b;
    a.attach(first, quietLimit);
    b.attach(second, quietLimit);
    int32_t remainingA = a.beginRun(count), remainingB = b.beginRun(count);
    bool firstA = true, firstB = true;
    int32_t i = 0;
    while (true) {
        // Sample i: a run may begin here for either voice. The first voice always goes first.
        if (firstA)
            a.mixFirst(mixLeft, mixRight, i);
        else
            a.lane.mixNext(mixLeft, mixRight, i);
        if (firstB)
            b.mixFirst(mixLeft, mixRight, i);
        else
            b.lane.mixNext(mixLeft, mixRight, i);
        firstA = firstB = false;
        --remainingA;
        --remainingB;
        ++i;
        // Both voices inside their runs: the interleaved loop hides each filter's latency.
        const int32_t together = std::min(remainingA, remainingB);
        Lane la = a.lane, lb = b.lane;
        if (la.inRangeFor(together) && lb.inRangeFor(together)) {
            int32_t pending = together;
            while (pending > 0) {
                int64_t offsetA = 0, offsetB = 0;
                int32_t plain = std::min(la.plainRun(pending, offsetA), lb.plainRun(pending, offsetB));
                if (plain == 0) {   // one checked fetch each across a stretch's end
                    const float a = la.nextAmplitudeInRange();
                    const float b = lb.nextAmplitudeInRange();
                    mixLeft[i] = (mixLeft[i] + a * la.panLeft) + b * lb.panLeft;
                    mixRight[i] = (mixRight[i] + a * la.panRight) + b * lb.panRight;
                    ++i;
                    --pending;
                    continue;
                }
                pending -= plain;
                for (; plain > 0; --plain, ++i) {
                    const float a = la.nextAmplitudePlain(offsetA);
                    const float b = lb.nextAmplitudePlain(offsetB);
                    // Summed in voice order, kept in registers between the two voices.
                    mixLeft[i] = (mixLeft[i] + a * la.panLeft) + b * lb.panLeft;
                    mixRight[i] = (mixRight[i] + a * la.panRight) + b * lb.panRight;
                }
            }
        } else {
            for (int32_t t = 0; t < together; ++t, ++i) {
                la.mixNext(mixLeft, mixRight, i);
                lb.mixNext(mixLeft, mixRight, i);
            }
        }
        a.lane = la;
        b.lane = lb;
        remainingA -= together;
        remainingB -= together;

        bool aliveA = true, aliveB = true;
        if (remainingA == 0) {
            aliveA = a.endRun();
            if (aliveA && i < count) {
                remainingA = a.beginRun(count - i);
                firstA = true;
            }
        }
        if (remainingB == 0) {
            aliveB = b.endRun();
            if (aliveB && i < count) {
                remainingB = b.beginRun(count - i);
                firstB = true;
            }
        }
        if (i >= count || (!aliveA && !aliveB)) {
            if (aliveA)
                a.finish();
            if (aliveB)
                b.finish();
            return;
        }
        if (!aliveA) {
            finishAlone(b, mixLeft, mixRight, i, count, remainingB, firstB);
            return;
        }
        if (!aliveB) {
            finishAlone(a, mixLeft, mixRight, i, count, remainingA, firstA);
            return;
        }
    }
}

} // namespace Vst
} // namespace Steinberg
