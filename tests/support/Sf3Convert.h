#pragma once
// Generated fonts converted with Debian's sf3convert. Test thread only; not real-time safe.
#include "support/SoundFontWriter.h"

namespace zephra {
namespace test {
bool haveSf3convert();
// `sf2` converted through files at `work` + ".sf2"/".sf3" (removed afterwards), with no level
// change before compression and a fixed stream serial; empty when sf3convert fails.
std::vector<uint8_t> convertToSf3(const std::vector<uint8_t>& sf2, const std::string& work);
// Looped sines: "Low" (two velocity layers of one sample), "Mid", "High", and "All" of them.
SoundFontSpec tonesFont();
} // namespace test
} // namespace zephra
