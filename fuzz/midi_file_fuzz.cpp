// libFuzzer target: any bytes as a Standard MIDI File through the renderer's reader. A refusal
// leaves nothing; an accepted file gives channel messages with data bytes of at most 127, in
// tick order, none past the last tick, and tempos in tick order.
#include "host/render/MidiFile.h"

#include <algorithm>
#include <cstdlib>

using zephra::render::MidiEvent;
using zephra::render::TempoChange;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    zephra::render::MidiSequence sequence;
    std::string error;
    if (!zephra::render::parseMidiFile(data, size, sequence, error)) {
        if (error.empty() || !sequence.events.empty() || !sequence.tempos.empty())
            std::abort();
        return 0;
    }
    for (const MidiEvent& e : sequence.events)
        if (e.status < 0x80 || e.status > 0xEF || e.data1 > 127 || e.data2 > 127 || e.tick < 0 ||
            e.tick > sequence.lastTick)
            std::abort();
    const auto byTick = [](const auto& a, const auto& b) { return a.tick < b.tick; };
    if (!std::is_sorted(sequence.events.begin(), sequence.events.end(), byTick) ||
        !std::is_sorted(sequence.tempos.begin(), sequence.tempos.end(), byTick))
        std::abort();
    return 0;
}
