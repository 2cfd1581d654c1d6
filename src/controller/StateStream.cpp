#include "controller/StateStream.h"

#include <algorithm>
#include <cstring>

namespace Steinberg {
namespace Vst {

namespace {
// Large fields are read in pieces of this size, so a forged length costs at most one piece.
constexpr int64_t readChunk = 64 * 1024;

uint64_t fromLittleEndian(const uint8_t* bytes, int count)
{
    uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i) value = (value << 8) | bytes[i];
    return value;
}

void toLittleEndian(uint64_t value, uint8_t* bytes, int count)
{
    for (int i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}
} // namespace

bool StateReader::readExact(void* data, int32_t size)
{
    if (!stream) return false;
    int32 done = 0;
    if (stream->read(data, size, &done) != kResultOk) return false;
    return done == size;
}

bool StateReader::readInt32(int32_t& value)
{
    uint8_t bytes[4];
    if (!readExact(bytes, 4)) return false;
    value = static_cast<int32_t>(static_cast<uint32_t>(fromLittleEndian(bytes, 4)));
    return true;
}

bool StateReader::readDouble(double& value)
{
    uint8_t bytes[8];
    if (!readExact(bytes, 8)) return false;
    const uint64_t bits = fromLittleEndian(bytes, 8);
    std::memcpy(&value, &bits, sizeof value);
    return true;
}

bool StateReader::readByte(uint8_t& value)
{
    return readExact(&value, 1);
}

bool StateReader::readBytes(int64_t count, std::vector<uint8_t>& out)
{
    out.clear();
    if (count < 0) return false;
    out.reserve(static_cast<size_t>(std::min(count, readChunk)));
    while (static_cast<int64_t>(out.size()) < count) {
        const int64_t piece = std::min(readChunk, count - static_cast<int64_t>(out.size()));
        const size_t at = out.size();
        out.resize(at + static_cast<size_t>(piece));
        if (!readExact(out.data() + at, static_cast<int32_t>(piece))) {
            out.clear();
            return false;
        }
    }
    return true;
}

bool StateReader::readHeader(const std::string& expected)
{
    int32_t length = 0;
    std::vector<uint8_t> bytes;
    if (!readInt32(length) || !readBytes(length, bytes)) return false;
    const auto zero = std::find(bytes.begin(), bytes.end(), uint8_t{0});
    return std::string(bytes.begin(), zero) == expected;
}

void StateWriter::writeBytes(const void* data, size_t size)
{
    if (!stream || size == 0) return;
    int32 done = 0;
    stream->write(const_cast<void*>(data), static_cast<int32>(size), &done);
}

void StateWriter::writeInt32(int32_t value)
{
    uint8_t bytes[4];
    toLittleEndian(static_cast<uint32_t>(value), bytes, 4);
    writeBytes(bytes, 4);
}

void StateWriter::writeDouble(double value)
{
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    uint8_t bytes[8];
    toLittleEndian(bits, bytes, 8);
    writeBytes(bytes, 8);
}

void StateWriter::writeByte(uint8_t value)
{
    writeBytes(&value, 1);
}

void StateWriter::writeHeader(const std::string& text)
{
    writeInt32(static_cast<int32_t>(text.size() + 1));
    writeBytes(text.c_str(), text.size() + 1);
}

} // namespace Vst
} // namespace Steinberg
