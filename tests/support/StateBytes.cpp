#include "support/StateBytes.h"

#include "controller/ControllerState.h"
#include "platform/Text.h"

#include <cstring>

namespace zephra {
namespace test {

void appendInt32(std::vector<uint8_t>& out, int32_t value)
{
    const auto u = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(u >> (8 * i)));
}

void appendDouble(std::vector<uint8_t>& out, double value)
{
    uint64_t u = 0;
    std::memcpy(&u, &value, sizeof u);
    for (int i = 0; i < 8; ++i)
        out.push_back(static_cast<uint8_t>(u >> (8 * i)));
}

std::vector<uint8_t> processorStateBytes(const std::string& header, uint8_t bypass,
                                         const std::vector<std::pair<int32_t, double>>& entries)
{
    std::vector<uint8_t> bytes;
    appendInt32(bytes, static_cast<int32_t>(header.size() + 1));
    bytes.insert(bytes.end(), header.begin(), header.end());
    bytes.push_back(0);
    bytes.push_back(bypass);
    appendInt32(bytes, static_cast<int32_t>(entries.size()));
    for (const auto& [id, value] : entries) {
        appendInt32(bytes, id);
        appendDouble(bytes, value);
    }
    return bytes;
}

std::vector<uint8_t> controllerStateNaming(const std::string& path, const int32_t* presetIndex)
{
    // The path's bytes kept as they are, also those that are not UTF-8.
    return Steinberg::Vst::soundFontControllerState(
        Steinberg::Vst::pathFromBytes(path),
        presetIndex ? std::optional<int32_t>(*presetIndex) : std::nullopt);
}

} // namespace test
} // namespace zephra
