#pragma once
// The vectorised voice loop over one render call: the busy voices in groups of the kernels'
// lane count, in index order. Each group keeps its lanes from chunk to chunk of the call, so a
// voice's run goes on across chunks; the scalar side (runs, loop passes the kernels cannot
// take, voices ending) lives here, the per-sample work in the kernels (LaneKernels.h).
// Threads: audio thread; real-time safe.
#include "synth/LaneKernels.h"
#include "synth/VoiceRun.h"

#include <cstdint>

namespace Steinberg {
namespace Vst {

class VoiceLanes {
public:
    static constexpr int kMaxVoices = 64;

    // Starts a render call of `count` samples over `busyCount` voices (index order, none free)
    // in groups for `wide`, the last few in a group for `narrow` (if given) when they fit there.
    // quietLimit: see Cursor::attach.
    void begin(const LaneKernels& wide, const LaneKernels* narrow, Voice* const* busy, int32_t busyCount,
               int32_t count, float quietLimit) noexcept;
    // Adds the call's next `chunk` (at most kLaneChunk) samples of every voice to the mix and
    // advances the voices; their filters' tiny or runaway histories are cleared first, as at the
    // start of every chunk.
    void mixChunk(int32_t chunk, float* mixLeft, float* mixRight) noexcept;

private:
    struct Slot {
        Cursor cursor;
        int32_t remaining = 0;   // samples left in the lane's run
        int32_t reach = 0;       // samples of it the kernels may do from here (see measureReach)
        bool first = false;      // the run's first sample is still to come
        bool alive = false;
    };
    struct Group {
        LaneBlock block;
        const LaneKernels* kernels;
        int lanes;
        Slot* slots;
        int alive;
    };
    static constexpr int kMaxGroups = kMaxVoices / 4;

    void renderGroup(Group& g, int32_t chunk) noexcept;
    // Begins the lane's next run, of at most `limit` samples; `inCall`: after a run of this call
    // ended, so the block holds the lane's read state.
    void startRun(Group& g, int l, int32_t limit, bool inCall) noexcept;
    void takeValues(Group& g, int l) noexcept;
    void silence(Group& g, int l) noexcept;
    void measureReach(Group& g, int l) noexcept;
    void scalarSample(Group& g, int32_t i) noexcept;
    void keepReadState(Group& g, int l) noexcept;
    void takeReadState(Group& g, int l) noexcept;
    bool advance(Group& g, int l, int32_t count, int32_t left, bool moved) noexcept;
    void clearSpentHistory(Group& g) noexcept;

    int groupCount = 0;
    int32_t callLength = 0;   // samples of the render call
    int32_t done = 0;         // of them mixed so far
    Group groups[kMaxGroups];
    Slot slots[kMaxVoices + kMaxLanes];   // a last group's lanes may reach past the voices
    alignas(32) float amplitudes[(kLaneChunk + kMaxLanes) * kMaxLanes];   // [sample][lane], one group's chunk
};

} // namespace Vst
} // namespace Steinberg
