#pragma once
// Byte builders for the state streams that tests hand to the plug-in: little-endian fields and
// the controller state that names one SoundFont, as a DAW stores it in a project.
// Threads: test thread only. Not real-time safe.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace zephra {
namespace test {

void appendInt32(std::vector<uint8_t>& out, int32_t value);
void appendDouble(std::vector<uint8_t>& out, double value);

// A processor state stream: header text (with its length and terminating zero), the bypass
// byte and the (ID, plain value) entries in the order given.
std::vector<uint8_t> processorStateBytes(const std::string& header, uint8_t bypass,
                                         const std::vector<std::pair<int32_t, double>>& entries);

// The controller state naming `path` (its bytes, UTF-8 or not) as file 1, with the preset index as its option
// blob when one is given; restoring it makes the controller load the file and send it on.
std::vector<uint8_t> controllerStateNaming(const std::string& path, const int32_t* presetIndex);
inline std::vector<uint8_t> controllerStateNaming(const std::string& path, int32_t presetIndex)
{
    return controllerStateNaming(path, &presetIndex);
}

} // namespace test
} // namespace zephra
