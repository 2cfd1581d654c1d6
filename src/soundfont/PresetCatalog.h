#pragma once
// The presets of a SoundFont as the player lists them: one "BBB:PPP - Name" row per preset,
// sorted by its text, and which preset a row stands for when a font stores the same row twice.
// The editor's list and the renderer's choice of preset both read this one catalogue, so they
// always agree on what the top row plays.
// Threads: any (no shared state). Not real-time safe (allocates).
#include "soundfont/SoundFontTables.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Steinberg {
namespace Vst {

struct PresetEntry {
    int32_t index = 0;      // preset index: position in the file's preset header table
    uint16_t bank = 0;
    uint16_t program = 0;
    std::string name;       // the stored bytes, up to 20, cut at the first zero
    std::string row;        // the row text
};

// "%03d:%03d - " of bank and program, then the name as given.
std::string presetRowText(uint16_t bank, uint16_t program, const std::string& name);
// The same for a stored name: up to its first zero byte (20 bytes at most), decoded as UTF-8
// or Windows-1252 (soundFontNameText).
std::string presetRowText(uint16_t bank, uint16_t program, const char (&name)[20]);

class PresetCatalog {
public:
    PresetCatalog() = default;
    // The presets of a file's header table; its last header is the terminal record, not listed.
    explicit PresetCatalog(const std::vector<PresetHeader>& headers);
    // Takes the given presets as the catalogue's own (for callers that read them elsewhere).
    void assign(std::vector<PresetEntry> entries) { presets = std::move(entries); }

    const std::vector<PresetEntry>& presetsInFileOrder() const { return presets; }
    // Rows sorted byte-wise by their text; equal texts keep file order.
    std::vector<PresetEntry> sortedRows() const;
    // Row (position in sortedRows) -> preset index. Of equal row texts only the first row is
    // mapped, to the last of those presets in file order; the others choose nothing.
    std::map<int32_t, int32_t> presetOfEachRow() const;
    // The preset the top row stands for, or -1 for an empty catalogue.
    int32_t topRowPreset() const;
    // The first preset in file order with this bank and program, or -1.
    int32_t find(int32_t bank, int32_t program) const;
    bool contains(int32_t presetIndex) const;
    const PresetEntry* entry(int32_t presetIndex) const;

protected:
    std::vector<PresetEntry> presets;
};

} // namespace Vst
} // namespace Steinberg
