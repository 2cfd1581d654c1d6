#pragma once
// Little-endian field reader and writer over a VST3 IBStream, for the state streams.
// The reader never trusts a length: large fields are read in bounded chunks, so memory grows
// only with the bytes the stream really delivers, and a stream that ends early is a failure.
// Threads: UI thread (state calls). Not real-time safe.
#include "pluginterfaces/base/ibstream.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Steinberg {
namespace Vst {

class StateReader {
public:
    explicit StateReader(IBStream* stream) : stream(stream) {}

    bool readInt32(int32_t& value);
    bool readDouble(double& value);
    bool readByte(uint8_t& value);
    // Reads exactly count bytes into out (replacing it); false for a negative count or a
    // stream that ends first.
    bool readBytes(int64_t count, std::vector<uint8_t>& out);
    // Reads the header length and text and compares the text (up to its first zero byte)
    // with expected. False for a mismatch, a negative length or a short stream.
    bool readHeader(const std::string& expected);

private:
    bool readExact(void* data, int32_t size);
    IBStream* stream;
};

class StateWriter {
public:
    explicit StateWriter(IBStream* stream) : stream(stream) {}

    // Each field is one write call; results are ignored (the caller cannot act on them).
    void writeInt32(int32_t value);
    void writeDouble(double value);
    void writeByte(uint8_t value);
    void writeBytes(const void* data, size_t size);
    // The header: int32 text length + 1, then the text and one zero byte.
    void writeHeader(const std::string& text);

private:
    IBStream* stream;
};

} // namespace Vst
} // namespace Steinberg
