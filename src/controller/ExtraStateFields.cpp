#include "controller/ExtraStateFields.h"

#include "public.sdk/source/common/memorystream.h"

namespace Steinberg {
namespace Vst {
namespace ExtraStateFields {
namespace {

bool readInt32(IBStream* stream, int32_t& value)
{
    uint8_t b[4];
    int32 got = 0;
    if (stream->read(b, 4, &got) != kResultOk || got != 4)
        return false;
    value = int32_t(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24);
    return true;
}

void writeInt32(IBStream* stream, int32_t value)
{
    const auto u = uint32_t(value);
    uint8_t b[4] = {uint8_t(u), uint8_t(u >> 8), uint8_t(u >> 16), uint8_t(u >> 24)};
    int32 written = 0;
    stream->write(b, 4, &written);
}

bool skip(IBStream* stream, int32_t size)
{
    uint8_t buffer[256];
    while (size > 0) {
        const int32 n = size < int32_t(sizeof buffer) ? size : int32_t(sizeof buffer);
        int32 got = 0;
        if (stream->read(buffer, n, &got) != kResultOk || got != n)
            return false;
        size -= n;
    }
    return true;
}

} // namespace

void writeResponse(IBStream* stream, int32_t number)
{
    writeInt32(stream, kResponseKey);
    writeInt32(stream, 4);
    writeInt32(stream, number);
}

std::vector<uint8_t> responseFieldBytes(int32_t number)
{
    MemoryStream stream;
    writeResponse(&stream, number);
    const auto* data = reinterpret_cast<const uint8_t*>(stream.getData());
    return std::vector<uint8_t>(data, data + stream.getSize());
}

bool readResponse(IBStream* stream, int32_t& number)
{
    bool found = false;
    int32_t key = 0, size = 0;
    while (stream && readInt32(stream, key) && readInt32(stream, size)) {
        if (size < 0 || size > kMaxSkippedBytes)
            break;
        if (key == kResponseKey && size == 4) {
            int32_t value = 0;
            if (!readInt32(stream, value))
                break;
            number = value;
            found = true;
        } else if (!skip(stream, size)) {
            break;
        }
    }
    return found;
}

} // namespace ExtraStateFields
} // namespace Vst
} // namespace Steinberg
