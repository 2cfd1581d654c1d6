#pragma once
// Converts MIDI ticks into seconds along a file's tempo changes (or its fixed SMPTE rate).
//
// Threads: any (an immutable value once built). Not real-time safe (built with allocation).
#include "MidiFile.h"

#include <cstdint>
#include <vector>

namespace zephra {
namespace render {

class TempoMap {
public:
    explicit TempoMap(const MidiSequence& sequence);

    // Seconds from the start of the file to tick (ticks before 0 count as 0).
    double secondsAt(int64_t tick) const;

private:
    struct Segment {
        int64_t tick;     // where this tempo starts
        double seconds;   // time at that tick
        double secondsPerTick;
    };
    std::vector<Segment> segments;   // ascending ticks, the first at tick 0
};

}   // namespace render
}   // namespace zephra
