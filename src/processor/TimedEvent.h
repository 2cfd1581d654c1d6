#pragma once
// A note or clock event waiting in the processor's queue for its sample offset.
// Threads: audio thread only (a plain value type). Real-time safe.
#include <cstdint>

namespace Steinberg {
namespace Vst {

enum EventKind : int32_t {
    NoteOn = 0,
    NoteOff = 1,
    ClockTick = 0x10000,
};

struct TimedEvent {
    int32_t sampleOffset = 0;   // position within the current block
    int32_t kind = NoteOn;      // EventKind
    int16_t channel = 0;        // 0..15; 0 for ticks
    int16_t pitch = 0;          // 0..127; 0 for ticks
    double value = 0.0;         // velocity 0..1 for notes; musical position (beats) for ticks
};

} // namespace Vst
} // namespace Steinberg
