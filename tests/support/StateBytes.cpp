#include "support/StateBytes.h"

#include "controller/ControllerState.h"
#include "controller/ExtraStateFields.h"
#include "platform/Text.h"
#include "shell/ParameterIds.h"
#include "synth/SoundResponse.h"

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

void appendStateHeader(std::vector<uint8_t>& out, const std::string& text)
{
    appendInt32(out, static_cast<int32_t>(text.size() + 1));
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
}

void appendPath(std::vector<uint8_t>& out, int32_t id, const std::u16string& path)
{
    appendInt32(out, id);
    appendInt32(out, static_cast<int32_t>(path.size() + 1));
    for (char16_t unit : path) {
        out.push_back(static_cast<uint8_t>(unit & 0xFF));
        out.push_back(static_cast<uint8_t>(unit >> 8));
    }
    out.push_back(0);
    out.push_back(0);
}

int32_t int32At(const std::vector<uint8_t>& bytes, size_t at)
{
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | bytes.at(at + static_cast<size_t>(i));
    return static_cast<int32_t>(value);
}

const std::vector<std::pair<int32_t, double>>& defaultStateEntries()
{
    using namespace Steinberg::Vst;
    static const std::vector<std::pair<int32_t, double>> entries = {
        {kModWheelId, 0.0},  {kVolumeId, 1.0},    {kExpressionId, 1.0},   {kSustainPedalId, 0.0},
        {kPitchBendId, 0.0}, {kBendRangeId, 2.0}, {kOutputLevelId, 12.0}};
    return entries;
}

std::vector<uint8_t> processorStateBytes(const std::string& header, uint8_t bypass,
                                         const std::vector<std::pair<int32_t, double>>& entries)
{
    std::vector<uint8_t> bytes;
    appendStateHeader(bytes, header);
    bytes.push_back(bypass);
    appendInt32(bytes, static_cast<int32_t>(entries.size()));
    for (const auto& [id, value] : entries) {
        appendInt32(bytes, id);
        appendDouble(bytes, value);
    }
    return bytes;
}

std::vector<uint8_t> soundFont204Field()
{
    return Steinberg::Vst::ExtraStateFields::responseFieldBytes(
        static_cast<int32_t>(Steinberg::Vst::SoundResponse::SoundFont204));
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
