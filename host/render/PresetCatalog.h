#pragma once
// The presets of a SoundFont as the editor lists them: "%03d:%03d - %s" rows (bank, program,
// name) sorted by their text, each with its preset index in file order. Also checks that the
// file exists, can be read and is a SoundFont with presets.
//
// Threads: the thread that builds it. Not real-time safe (file I/O).
#include <cstdint>
#include <string>
#include <vector>

namespace zephra {
namespace render {

struct PresetEntry {
    int32_t index = 0;      // preset index: position in the file's preset header table
    uint16_t bank = 0;
    uint16_t program = 0;
    std::string name;       // up to 20 bytes, cut at the first zero
    std::string row;        // the editor's row text
};

enum class SoundFontFault { None, Missing, Unreadable, NotASoundFont, NoPresets };

class PresetCatalog {
public:
    // False with a reason (and the kind of fault) when the file cannot serve as a SoundFont.
    bool load(const std::string& path, std::string& error);
    SoundFontFault fault() const { return fault_; }
    // Takes the given presets as the catalog's own (for callers that read them elsewhere).
    void assign(std::vector<PresetEntry> entries) { presets = std::move(entries); }

    const std::vector<PresetEntry>& presetsInFileOrder() const { return presets; }
    // Rows sorted byte-wise by their text; equal texts keep file order.
    std::vector<PresetEntry> sortedRows() const;
    // The preset the editor loads when the file is chosen: the one its top row stands for
    // (among equal row texts the editor keeps the last in file order).
    int32_t topRowPreset() const;
    // The first preset in file order with this bank and program, or -1.
    int32_t find(int32_t bank, int32_t program) const;
    bool contains(int32_t presetIndex) const;
    const PresetEntry* entry(int32_t presetIndex) const;

private:
    std::vector<PresetEntry> presets;
    SoundFontFault fault_ = SoundFontFault::None;
};

std::string presetRowText(uint16_t bank, uint16_t program, const std::string& name);

} // namespace render
} // namespace zephra
