#include "processor/ProcessorState.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace Steinberg {
namespace Vst {
namespace {

bool readExactly(IBStream* stream, void* buffer, int32 size)
{
    int32 got = 0;
    if (stream->read(buffer, size, &got) != kResultOk)
        return false;
    return got == size;
}

// Little-endian byte order regardless of the machine's.
bool readInt32(IBStream* stream, int32& value)
{
    uint8_t b[4];
    if (!readExactly(stream, b, 4))
        return false;
    const uint32_t u = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 |
                       uint32_t(b[3]) << 24;
    value = static_cast<int32>(u);
    return true;
}

bool readDouble(IBStream* stream, double& value)
{
    uint8_t b[8];
    if (!readExactly(stream, b, 8))
        return false;
    uint64_t u = 0;
    for (int i = 7; i >= 0; --i)
        u = u << 8 | b[i];
    std::memcpy(&value, &u, 8);
    return true;
}

void writeBytes(IBStream* stream, const void* data, int32 size)
{
    int32 written = 0;
    stream->write(const_cast<void*>(data), size, &written);
}

void writeInt32(IBStream* stream, int32 value)
{
    const uint32_t u = static_cast<uint32_t>(value);
    const uint8_t b[4] = {uint8_t(u), uint8_t(u >> 8), uint8_t(u >> 16), uint8_t(u >> 24)};
    writeBytes(stream, b, 4);
}

void writeDouble(IBStream* stream, double value)
{
    uint64_t u = 0;
    std::memcpy(&u, &value, 8);
    uint8_t b[8];
    for (int i = 0; i < 8; ++i)
        b[i] = uint8_t(u >> (8 * i));
    writeBytes(stream, b, 8);
}

} // namespace

StateReadResult readProcessorState(IBStream* stream, const std::string& header, ParsedState& out)
{
    int32 length = 0;
    if (!readInt32(stream, length) || length <= 0 || length > kMaxStateHeaderLength)
        return StateReadResult::Unreadable;
    char text[kMaxStateHeaderLength];
    if (!readExactly(stream, text, length))
        return StateReadResult::Truncated;
    // The text runs to the first zero byte, or over all n bytes when there is none.
    const size_t textLength = strnlen(text, static_cast<size_t>(length));
    if (header.compare(0, std::string::npos, text, textLength) != 0)
        return StateReadResult::WrongHeader;

    uint8_t bypassByte = 0;
    if (!readExactly(stream, &bypassByte, 1))
        return StateReadResult::Truncated;
    int32 count = 0;
    if (!readInt32(stream, count))
        return StateReadResult::Truncated;
    if (count < 0 || count > kMaxStateEntries)
        return StateReadResult::BadCount;

    ParsedState parsed;
    parsed.bypass = bypassByte != 0;
    for (int32 i = 0; i < count; ++i) {
        int32 id = 0;
        double value = 0.0;
        if (!readInt32(stream, id) || !readDouble(stream, value))
            return StateReadResult::Truncated;
        // The controller refuses such a stream too; a NaN level would silence every sample.
        if (!std::isfinite(value))
            return StateReadResult::NonFinite;
        parsed.entries.emplace_back(id, value);
    }
    out = std::move(parsed);
    return StateReadResult::Ok;
}

void writeProcessorState(IBStream* stream, const std::string& header, bool bypass,
                         const ParameterValues& values)
{
    writeInt32(stream, static_cast<int32>(header.size() + 1));
    writeBytes(stream, header.c_str(), static_cast<int32>(header.size() + 1));
    const uint8_t bypassByte = bypass ? 1 : 0;
    writeBytes(stream, &bypassByte, 1);
    writeInt32(stream, static_cast<int32>(values.size()));
    for (size_t i = 0; i < values.size(); ++i) {
        writeInt32(stream, values.idAt(i));
        writeDouble(stream, values.valueAt(i));
    }
}

} // namespace Vst
} // namespace Steinberg
