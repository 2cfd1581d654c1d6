#include "soundfont/RiffFile.h"

#include <algorithm>
#include <limits>

namespace Steinberg {
namespace Vst {

namespace {
uint32_t le32(const unsigned char* p) noexcept
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
constexpr int64_t largestFile = std::numeric_limits<int32_t>::max();

// Chunk identifiers are four printable ASCII characters; a pad byte is 0.
bool looksLikeChunkId(const unsigned char* p) noexcept
{
    return std::all_of(p, p + 4, [](unsigned char c) { return c >= 0x20 && c <= 0x7E; });
}
} // namespace

bool RiffFile::open(const std::u16string& path)
{
    close();
    if (!file.open(path))
        return false;
    const int64_t end = file.seek(0, File::Origin::end);
    // Index positions are signed 32-bit: a file that does not fit is refused as a whole.
    if (end < 0 || end > largestFile) {
        file.close();
        return false;
    }
    size = static_cast<uint32_t>(end);
    file.seek(0, File::Origin::begin);
    walk();
    return true;
}

void RiffFile::walk()
{
    uint32_t position = 0;
    // Every step moves forward by at least 8 bytes, so the walk ends after at most size/8 steps.
    while (position < size) {
        if (size - position < 8)
            break;  // no room for another chunk header
        unsigned char header[8];
        if (file.seek(position, File::Origin::begin) != position || file.read(header, 8) != 8)
            break;
        const uint32_t chunkId = le32(header);
        const uint32_t stated = le32(header + 4);
        position += 8;
        if (chunkId == id("RIFF") || chunkId == id("LIST")) {
            position = size - position < 4 ? size : position + 4;  // over the form or list type
            continue;
        }
        index[chunkId] = static_cast<int32_t>(position - 4);
        // Sizes of 2^31 and more, and sizes past the end, run to the end of the file.
        if (stated >= 0x80000000u || stated > size - position)
            break;
        position += stated;
        if ((stated & 1) != 0 && position < size) {
            unsigned char next[4];
            const bool idFollows = size - position >= 4 && file.seek(position, File::Origin::begin) == position &&
                                   file.read(next, 4) == 4 && looksLikeChunkId(next);
            if (!idFollows)
                position += 1;   // the pad byte
        }
    }
}

void RiffFile::close() noexcept
{
    file.close();
    index.clear();
    size = 0;
}

bool RiffFile::chunkSize(uint32_t chunkId, uint32_t& stated)
{
    const auto found = index.find(chunkId);
    if (found == index.end())
        return false;
    unsigned char bytes[4];
    if (file.seek(found->second, File::Origin::begin) != found->second || file.read(bytes, 4) != 4)
        return false;
    stated = le32(bytes);
    return true;
}

uint32_t RiffFile::availableSize(uint32_t chunkId)
{
    uint32_t stated = 0;
    if (!chunkSize(chunkId, stated))
        return 0;
    const uint32_t dataStart = static_cast<uint32_t>(index.at(chunkId)) + 4;
    return std::min(stated, size - dataStart);
}

bool RiffFile::readChunk(uint32_t chunkId, void* buffer, uint32_t maxLength, uint32_t offset,
                         uint32_t* bytesRead)
{
    if (bytesRead)
        *bytesRead = 0;
    uint32_t stated = 0;
    if (!chunkSize(chunkId, stated))
        return false;
    const uint32_t n = std::min(stated, maxLength);
    const int64_t dataStart = static_cast<int64_t>(index.at(chunkId)) + 4;
    const int64_t from = dataStart + offset;
    if (n == 0 || from >= size)
        return true;
    if (file.seek(from, File::Origin::begin) != from)
        return true;
    const int64_t got = file.read(buffer, n);
    if (bytesRead)
        *bytesRead = static_cast<uint32_t>(got);
    return true;
}

} // namespace Vst
} // namespace Steinberg
