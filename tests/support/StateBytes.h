#pragma once
// Byte builders for the state streams that tests hand to the plug-in: little-endian fields, the
// response field and the controller state that names one SoundFont, as a DAW stores it in a
// project.
// Threads: test thread only. Not real-time safe.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace zephra {
namespace test {

void appendInt32(std::vector<uint8_t>& out, int32_t value);
void appendDouble(std::vector<uint8_t>& out, double value);
// A state stream's header text: its length with the terminating zero, the text, the zero.
void appendStateHeader(std::vector<uint8_t>& out, const std::string& text);
// A path entry of the controller state: ID, UTF-16 length + 1, UTF-16LE text, zero unit.
void appendPath(std::vector<uint8_t>& out, int32_t id, const std::u16string& path);
// The little-endian int32 at `at`; throws std::out_of_range past the end.
int32_t int32At(const std::vector<uint8_t>& bytes, size_t at = 0);

// The (ID, plain value) entries of a fresh instance's processor state, in the order it writes
// them.
const std::vector<std::pair<int32_t, double>>& defaultStateEntries();

// A processor state stream: header text (with its length and terminating zero), the bypass
// byte and the (ID, plain value) entries in the order given.
std::vector<uint8_t> processorStateBytes(const std::string& header, uint8_t bypass,
                                         const std::vector<std::pair<int32_t, double>>& entries);

// The processor state's field choosing "SoundFont 2.04", as the plug-in writes it after the
// entries.
std::vector<uint8_t> soundFont204Field();

// The controller state naming `path` (its bytes, UTF-8 or not) as file 1, with the preset index as its option
// blob when one is given; restoring it makes the controller load the file and send it on.
std::vector<uint8_t> controllerStateNaming(const std::string& path, const int32_t* presetIndex);
inline std::vector<uint8_t> controllerStateNaming(const std::string& path, int32_t presetIndex)
{
    return controllerStateNaming(path, &presetIndex);
}

} // namespace test
} // namespace zephra
