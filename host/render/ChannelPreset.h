#pragma once
// Which preset a General MIDI channel plays for a bank select and program change: melodic
// channels take the selected bank, falling back to bank 0 and then to the top row; channel 10
// always plays a percussion kit from bank 128 (the program, then 128:000, then the font's first
// kit), whatever bank the file selects, since GM and GS files select drum kits by program alone.
//
// Threads: any (reads a catalog that nobody changes meanwhile). Not real-time safe (strings).
#include "PresetCatalog.h"

#include <cstdint>
#include <string>

namespace zephra {
namespace render {

constexpr int kPercussionChannel = 9;   // MIDI channel 10
constexpr int kPercussionBank = 128;

struct ChannelPreset {
    int32_t preset = -1;    // preset index; -1: the font has nothing this channel can play
    std::string fallback;   // why another preset than the one asked for plays; empty if none
};

// bankMsb and bankLsb are the channel's latest controller 0 and 32 values (0 when unset).
ChannelPreset choosePresetForChannel(const PresetCatalog& catalog, int channel, int bankMsb, int bankLsb, int program);

}   // namespace render
}   // namespace zephra
