#include "ChannelPreset.h"

#include <algorithm>
#include <vector>

namespace zephra {
namespace render {

namespace {

std::string bankProgram(int bank, int program)
{
    return std::to_string(bank) + ":" + std::to_string(program);
}

}   // namespace

ChannelPreset choosePresetForChannel(const PresetCatalog& catalog, int channel, int bankMsb, int bankLsb, int program)
{
    ChannelPreset choice;
    const std::string asked = "channel " + std::to_string(channel + 1) + " asks for ";
    if (channel == kPercussionChannel) {
        choice.preset = catalog.find(kPercussionBank, program);
        if (choice.preset >= 0)
            return choice;
        choice.preset = catalog.find(kPercussionBank, 0);
        if (choice.preset < 0) {
            // The kit with the lowest program number stands for the font's first kit.
            const PresetEntry* first = nullptr;
            for (const PresetEntry& entry : catalog.presetsInFileOrder())
                if (entry.bank == kPercussionBank && (first == nullptr || entry.program < first->program))
                    first = &entry;
            choice.preset = first != nullptr ? first->index : -1;
        }
        const PresetEntry* kit = catalog.entry(choice.preset);
        choice.fallback = kit != nullptr ? asked + "drum kit " + bankProgram(kPercussionBank, program) +
                                               ", which the SoundFont lacks; playing " + kit->row
                                         : "channel 10 holds drums, but the SoundFont has no drum kits (bank 128)";
        return choice;
    }

    // GM and GS files select the bank with controller 0 alone; a bank number spread over both
    // controllers, or XG's variation banks in controller 32, are tried first when present.
    std::vector<int> banks;
    if (bankLsb != 0) {
        banks.push_back(bankMsb * 128 + bankLsb);
        if (bankMsb == 0)
            banks.push_back(bankLsb);
    }
    banks.push_back(bankMsb);
    for (int bank : banks) {
        choice.preset = catalog.find(bank, program);
        if (choice.preset >= 0)
            return choice;
    }
    choice.preset = catalog.find(0, program);
    if (choice.preset < 0)
        choice.preset = catalog.topRowPreset();
    const PresetEntry* playing = catalog.entry(choice.preset);
    choice.fallback = asked + bankProgram(banks.back(), program) + ", which the SoundFont lacks" +
                      (playing != nullptr ? "; playing " + playing->row : std::string());
    return choice;
}

}   // namespace render
}   // namespace zephra
