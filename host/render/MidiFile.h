#pragma once
// Standard MIDI File (type 0 and 1) reader: the channel messages of all tracks merged into one
// list in tick order, plus the tempo map. Malformed files are refused with a readable reason,
// except a channel message with a data byte above 127, which is skipped with a warning (one per
// track) as other players do; nothing is read outside the given bytes and allocation is bounded
// by the file size.
//
// Threads: any (no shared state). Not real-time safe (allocates, reads files).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zephra {
namespace render {

// One channel message (status 0x80..0xEF) at its absolute tick.
struct MidiEvent {
    int64_t tick = 0;
    uint8_t status = 0;   // message type in the high nibble, channel in the low nibble
    uint8_t data1 = 0;
    uint8_t data2 = 0;   // 0 for the two-byte messages (program change, channel pressure)
    int32_t track = 0;   // chunk index, kept for a stable merge order
};

struct TempoChange {
    int64_t tick = 0;
    uint32_t microsecondsPerQuarter = 500000;
};

struct MidiSequence {
    uint16_t format = 0;
    uint16_t trackCount = 0;
    // Ticks per quarter note, or for SMPTE time the frame rate and ticks per frame.
    bool smpte = false;
    uint16_t ticksPerQuarter = 480;
    uint8_t smpteFramesPerSecond = 0;
    uint8_t smpteTicksPerFrame = 0;
    std::vector<MidiEvent> events;       // merged: by tick, then track, then file order
    std::vector<TempoChange> tempos;     // by tick, then file order
    int64_t lastTick = 0;                // tick of the latest event of any kind
    std::vector<std::string> warnings;   // tolerated oddities (for example a zero tempo)
};

// Largest file accepted; real pieces are far smaller, and this bounds what a bad path can cost.
constexpr size_t kMaxMidiFileBytes = 16u * 1024u * 1024u;

// Parses size bytes at data. On failure returns false, sets error and leaves out empty.
bool parseMidiFile(const uint8_t* data, size_t size, MidiSequence& out, std::string& error);

// Reads and parses a file; a missing, unreadable or oversized file is refused as well.
bool readMidiFile(const std::string& path, MidiSequence& out, std::string& error);

}   // namespace render
}   // namespace zephra
