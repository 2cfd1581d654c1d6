#pragma once
// Compressed SoundFonts for the tests: a generated SoundFont 2 converted with Debian's
// sf3convert (package sf3convert), plus a font of several tones to convert, and a way to find
// the compressed streams inside the result.
// Threads: test thread only (runs a child process). Not real-time safe.
#include "support/SoundFontWriter.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zephra {
namespace test {

// Whether sf3convert can be run.
bool haveSf3convert();

// Converts `sf2` through files at `workPrefix` + ".sf2" / ".sf3" (removed afterwards), with no
// level change before compression and a fixed stream serial number, so the result is the same
// on every run. Empty when the conversion fails.
std::vector<uint8_t> convertToSf3(const std::vector<uint8_t>& sf2, const std::string& workPrefix);

// Presets "Low", "Mid", "High", each its own looped sine at another pitch and level ("Low" has
// two velocity layers over the same sample), and "All", which layers the three.
SoundFontSpec tonesFont();

// A chunk's data inside a RIFF file in memory: offset of its first data byte and its size.
// False when the four-character ID does not occur.
bool findChunk(const std::vector<uint8_t>& file, const char (&id)[5], size_t& offset, uint32_t& size);

} // namespace test
} // namespace zephra
