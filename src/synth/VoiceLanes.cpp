#include "synth/VoiceLanes.h"

#include <algorithm>
#include <cmath>

namespace Steinberg {
namespace Vst {
namespace {

const float silentPoint[1] = {0.0f};

// A reach beyond any render call's length.
constexpr int32_t kFarReach = 1 << 30;

} // namespace

void VoiceLanes::begin(const LaneKernels& wide, const LaneKernels* narrow, Voice* const* busy, int32_t busyCount,
                       int32_t count, float quietLimit) noexcept
{
    callLength = count;
    done = 0;
    groupCount = 0;
    for (int32_t first = 0; first < busyCount && groupCount < kMaxGroups;) {
        Group& group = groups[groupCount++];
        // The last few voices take the narrower kernels when they fit there.
        const bool fitsNarrow = narrow != nullptr && busyCount - first <= narrow->lanes;
        group.kernels = fitsNarrow ? narrow : &wide;
        group.lanes = group.kernels->lanes;
        group.slots = slots + first;
        group.alive = 0;
        for (int l = 0; l < group.lanes; ++l) {
            Slot& s = group.slots[l];
            s.alive = first + l < busyCount;
            if (!s.alive) {
                silence(group, l);
                group.block.panLeft[l] = group.block.panRight[l] = 0.0f;
                continue;
            }
            ++group.alive;
            s.cursor.attach(*busy[first + l], quietLimit);
            startRun(group, l, count, false);
        }
        first += group.lanes;
    }
}

void VoiceLanes::mixChunk(int32_t chunk, float* mixLeft, float* mixRight) noexcept
{
    chunk = std::min({chunk, kLaneChunk, callLength - done});
    for (int g = 0; g < groupCount; ++g) {
        Group& group = groups[g];
        if (group.alive == 0)
            continue;
        // The voices' filters were cleared so before the call's first chunk.
        if (done > 0)
            clearSpentHistory(group);
        renderGroup(group, chunk);
        group.kernels->mix(group.block, amplitudes, chunk, mixLeft, mixRight);
    }
    done += chunk;
}

void VoiceLanes::renderGroup(Group& g, int32_t chunk) noexcept
{
    int32_t i = 0;
    while (i < chunk && g.alive > 0) {
        // Up to the first run's end (one sample while a run's first sample is due), in the
        // kernels as far as every lane can go there, else one sample in scalar code.
        int32_t length = chunk - i;
        int32_t reach = length;
        for (int l = 0; l < g.lanes; ++l) {
            const Slot& s = g.slots[l];
            if (s.alive) {
                length = std::min(length, s.first ? 1 : s.remaining);
                reach = std::min(reach, s.reach);
            }
        }
        const bool vector = reach > 0;
        if (vector) {
            length = std::min(length, reach);
            g.kernels->run(g.block, amplitudes, i, length);
        } else {
            scalarSample(g, i);
            length = 1;
        }
        i += length;
        for (int l = 0; l < g.lanes; ++l) {
            Slot& s = g.slots[l];
            if (!s.alive)
                continue;
            if (vector && !s.first && s.remaining > length) {   // the lane's run simply goes on
                s.remaining -= length;
                s.reach -= length;
            } else if (!advance(g, l, length, callLength - done - i, !vector)) {
                --g.alive;
            }
        }
    }
    // The rows the mix reads beyond the voices' last samples hold silence.
    std::fill(amplitudes + size_t(i) * size_t(g.lanes), amplitudes + size_t(chunk + g.lanes) * size_t(g.lanes), 0.0f);
}

void VoiceLanes::startRun(Group& g, int l, int32_t limit, bool inCall) noexcept
{
    Slot& s = g.slots[l];
    LaneBlock& b = g.block;
    s.remaining = s.cursor.beginRun(limit);
    Lane& lane = s.cursor.lane;
    b.peak[l] = lane.peak;
    const bool continues = s.cursor.continuesLastRun();
    if (continues && inCall) {
        // Inside the call the block still holds the last run's read position, pass and history;
        // the reach only changes with the step.
        s.first = false;
        takeValues(g, l);
        if (b.step[l] != lane.step) {
            b.step[l] = lane.step;
            measureReach(g, l);
        }
        return;
    }
    // A run going on from the voice's last one takes one more step from its previous position;
    // any other run's first sample is read where the voice is, with the values it has now.
    s.first = !continues;
    if (continues)
        lane.position = s.cursor.previousPosition();
    const SamplePlayer& p = lane.player;
    b.position[l] = lane.position;
    b.step[l] = continues ? lane.step : 0.0;
    b.points[l] = p.points;
    b.wrap[l] = int32_t(lane.wrap);
    b.loopStart[l] = p.loopStart;
    b.loopLast[l] = p.loopLast;
    b.loopLength[l] = p.loopLast == p.loopStart ? 0 : p.loopLast - p.loopStart + 1;
    b.wrapAfter[l] = b.loopLength[l] - 1;
    takeValues(g, l);
    b.x1[l] = lane.filter.x1;
    b.x2[l] = lane.filter.x2;
    b.y1[l] = lane.filter.y1;
    b.y2[l] = lane.filter.y2;
    b.attenuation[l] = lane.attenuation;
    b.panLeft[l] = lane.panLeft;
    b.panRight[l] = lane.panRight;
    measureReach(g, l);
}

void VoiceLanes::takeValues(Group& g, int l) noexcept
{
    const Lane& lane = g.slots[l].cursor.lane;
    LaneBlock& b = g.block;
    b.b0[l] = lane.filter.b0;
    b.b1[l] = lane.filter.b1;
    b.b2[l] = lane.filter.b2;
    b.a1[l] = lane.filter.a1;
    b.a2[l] = lane.filter.a2;
    b.gain[l] = lane.gain;
    b.envelope[l] = lane.envelope;
}

void VoiceLanes::silence(Group& g, int l) noexcept
{
    LaneBlock& b = g.block;
    b.position[l] = 0.0;
    b.step[l] = 0.0;
    b.points[l] = silentPoint;
    b.wrap[l] = 0;
    b.loopStart[l] = 0;
    b.loopLast[l] = 0;
    b.loopLength[l] = 0;
    b.wrapAfter[l] = -1;
    // The pans stay: a voice that ends inside a chunk is mixed with them up to its end.
    for (float* value : {b.b0, b.b1, b.b2, b.a1, b.a2, b.x1, b.x2, b.y1, b.y2, b.gain, b.envelope,
                         b.attenuation, b.peak})
        value[l] = 0.0f;
}

// How many of the lane's coming samples the kernels may do (0: not the next one), with its step
// as it is: read
// positions inside 0 .. 2^31 - 1 (with a margin for the rounding of repeated additions), at
// most one loop pass per sample, and the pass the fetch is in known (after a fetch the index
// lies in the wrap's pass; a run's first position was moved on by the voice's advance, at most
// one pass further).
void VoiceLanes::measureReach(Group& g, int l) noexcept
{
    Slot& s = g.slots[l];
    const LaneBlock& b = g.block;
    const double position = b.position[l];
    const double step = s.first ? 0.0 : b.step[l];
    const int64_t loopLength = b.loopLength[l];
    s.reach = 0;
    if (!(position >= 0.0 && position < 2147483000.0 && step >= 0.0))
        return;
    if (loopLength > 0) {
        const int32_t j = int32_t(position);
        const int64_t intoPass = int64_t(j) - b.loopStart[l] - b.wrap[l];
        const int64_t passes = s.first ? 2 : 1;
        if (step > double(loopLength) || (j >= b.loopStart[l] && (intoPass < 0 || intoPass >= passes * loopLength)))
            return;
    }
    if (s.first)
        s.reach = 1;
    else if (position + double(kFarReach) * step < 2147483000.0)
        s.reach = kFarReach;   // more than any run (nearly always)
    else
        s.reach = int32_t(std::min<double>(kFarReach, std::floor((2147483000.0 - position) / step) - 1.0));
}

// One sample of every lane in scalar code (a position outside the kernels' reach).
void VoiceLanes::scalarSample(Group& g, int32_t i) noexcept
{
    for (int l = 0; l < g.lanes; ++l) {
        Slot& s = g.slots[l];
        float a = 0.0f;
        if (s.alive) {
            Lane& lane = s.cursor.lane;
            takeReadState(g, l);
            if (!s.first)
                lane.position += lane.step;
            a = lane.amplitudeAt(truncToInt32(lane.position));
            keepReadState(g, l);
        }
        amplitudes[size_t(i) * size_t(g.lanes) + size_t(l)] = a;
    }
}

// The block's read position, loop pass, filter history and peak into the cursor's lane.
void VoiceLanes::takeReadState(Group& g, int l) noexcept
{
    Lane& lane = g.slots[l].cursor.lane;
    const LaneBlock& b = g.block;
    lane.position = b.position[l];
    lane.wrap = b.wrap[l];
    lane.filter.x1 = b.x1[l];
    lane.filter.x2 = b.x2[l];
    lane.filter.y1 = b.y1[l];
    lane.filter.y2 = b.y2[l];
    lane.peak = b.peak[l];
}

// And back.
void VoiceLanes::keepReadState(Group& g, int l) noexcept
{
    const Lane& lane = g.slots[l].cursor.lane;
    LaneBlock& b = g.block;
    b.position[l] = lane.position;
    b.wrap[l] = int32_t(lane.wrap);
    b.x1[l] = lane.filter.x1;
    b.x2[l] = lane.filter.x2;
    b.y1[l] = lane.filter.y1;
    b.y2[l] = lane.filter.y2;
    b.peak[l] = lane.peak;
}

// The lane after `count` more samples: the rest of a run takes over after its first sample, and
// a finished run advances the voice and begins the next one while `left` samples of the call
// remain. `moved`: the samples were done in scalar code, so the reach is measured anew. False
// once the voice has become free.
bool VoiceLanes::advance(Group& g, int l, int32_t count, int32_t left, bool moved) noexcept
{
    Slot& s = g.slots[l];
    s.remaining -= count;
    s.reach -= count;
    if (s.first) {
        s.first = false;
        s.cursor.switchToRest();
        takeValues(g, l);
        g.block.step[l] = s.cursor.lane.step;
        moved = true;
    }
    if (s.remaining > 0) {
        if (moved)
            measureReach(g, l);
        return true;
    }
    takeReadState(g, l);
    if (!s.cursor.endRun()) {
        s.alive = false;
        silence(g, l);
        return false;
    }
    if (left > 0)
        startRun(g, l, left, true);
    else
        s.cursor.finish();
    return true;
}

// The clearing of spent filter histories that starts every chunk (LowPassFilter::flushTinyHistory),
// on the lanes' histories.
void VoiceLanes::clearSpentHistory(Group& g) noexcept
{
    LaneBlock& b = g.block;
    for (int l = 0; l < g.lanes; ++l)
        if (g.slots[l].alive && LowPassFilter::historySpent(b.x1[l], b.x2[l], b.y1[l], b.y2[l]))
            b.x1[l] = b.x2[l] = b.y1[l] = b.y2[l] = 0.0f;
}

} // namespace Vst
} // namespace Steinberg
