#include "soundfont/OggVorbisPages.h"

#include "soundfont/VorbisSetupCheck.h"

#include <cstring>

namespace Steinberg {
namespace Vst {

namespace {

constexpr size_t pageHeaderBytes = 27;
constexpr uint8_t continuedPacket = 1, firstPage = 2, lastPage = 4;

uint32_t le32(const uint8_t* p) noexcept
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint64_t le64(const uint8_t* p) noexcept { return le32(p) | (static_cast<uint64_t>(le32(p + 4)) << 32); }

bool vorbisPacket(const uint8_t* p, size_t n, uint8_t type) noexcept
{
    return n >= 7 && p[0] == type && std::memcmp(p + 1, "vorbis", 6) == 0;
}

// The identification header: 30 bytes, version 0, a channel count and rate, block sizes of
// 2^6 .. 2^13 with the short one not longer than the long one, and the framing bit.
bool identification(const uint8_t* p, size_t n, OggVorbisLayout& layout) noexcept
{
    if (n != 30 || !vorbisPacket(p, n, 1) || le32(p + 7) != 0)
        return false;
    layout.channels = p[11];
    layout.sampleRate = le32(p + 12);
    const unsigned shortBlock = p[28] & 15, longBlock = p[28] >> 4;
    return layout.channels != 0 && layout.sampleRate != 0 && shortBlock >= 6 && longBlock <= 13 &&
           shortBlock <= longBlock && (p[29] & 1) != 0;
}

// The comment header: a vendor text and a list of texts, each length within the packet, then
// the framing bit.
bool comments(const uint8_t* p, size_t n) noexcept
{
    if (!vorbisPacket(p, n, 3))
        return false;
    size_t at = 7;
    const auto text = [&]() {
        if (n - at < 4)
            return false;
        const uint32_t length = le32(p + at);
        at += 4;
        if (length > n - at)
            return false;
        at += length;
        return true;
    };
    if (!text() || n - at < 4)
        return false;
    const uint32_t count = le32(p + at);
    at += 4;
    if (count > (n - at) / 4)
        return false;
    for (uint32_t i = 0; i < count; ++i)
        if (!text())
            return false;
    return at < n && (p[at] & 1) != 0;
}

// Gathers the bytes of the first three packets (the headers) as the pages deliver them.
struct HeaderPackets {
    static constexpr size_t limit = 1 << 20;   // far beyond any real setup header
    uint8_t first[30];
    size_t firstBytes = 0;
    const uint8_t* commentStart = nullptr;     // the comment packet, when it lies in one page
    size_t commentBytes = 0;
    bool commentSplit = false;
    PacketSpans setup;
    int complete = 0;                          // header packets finished so far
    size_t totalBytes = 0;

    bool add(const uint8_t* bytes, size_t n, bool ends) noexcept
    {
        totalBytes += n;
        if (totalBytes > limit)
            return false;
        if (complete == 0) {
            if (firstBytes + n > sizeof first)
                return false;
            std::memcpy(first + firstBytes, bytes, n);
            firstBytes += n;
        } else if (complete == 1) {
            if (commentBytes != 0 && commentStart + commentBytes != bytes)
                commentSplit = true;   // continued on the next page: checked in one piece below
            if (commentBytes == 0)
                commentStart = bytes;
            commentBytes += n;
        } else if (complete == 2 && !setup.append(bytes, n)) {
            return false;
        }
        if (ends)
            ++complete;
        return true;
    }
};

} // namespace

bool checkOggVorbis(const uint8_t* data, size_t size, OggVorbisLayout& layout) noexcept
{
    layout = OggVorbisLayout();
    HeaderPackets headers;
    uint32_t serial = 0;
    bool packetOpen = false;
    size_t at = 0;
    for (size_t page = 0; at < size; ++page) {
        if (size - at < pageHeaderBytes)
            return false;
        const uint8_t* h = data + at;
        const uint8_t flags = h[5];
        if (std::memcmp(h, "OggS", 4) != 0 || h[4] != 0 || (flags & ~7) != 0)
            return false;
        const size_t segments = h[26];
        if (size - at - pageHeaderBytes < segments)
            return false;
        const uint8_t* lacing = h + pageHeaderBytes;
        size_t body = 0;
        for (size_t s = 0; s < segments; ++s)
            body += lacing[s];
        if (size - at - pageHeaderBytes - segments < body)
            return false;
        if (page == 0)
            serial = le32(h + 14);
        if (le32(h + 14) != serial || ((flags & firstPage) != 0) != (page == 0) ||
            ((flags & continuedPacket) != 0) != packetOpen)
            return false;

        const uint8_t* bytes = lacing + segments;
        for (size_t s = 0; s < segments; ++s) {
            const bool ends = lacing[s] < 255;
            if (headers.complete < 3 && !headers.add(bytes, lacing[s], ends))
                return false;
            bytes += lacing[s];
            packetOpen = !ends;
        }
        if (headers.complete >= 1 && layout.channels == 0 &&
            !identification(headers.first, headers.firstBytes, layout))
            return false;

        const uint64_t granule = le64(h + 6);
        if (granule != ~uint64_t{0}) {
            layout.haveLength = true;
            layout.lastGranule = granule;
        }
        at += pageHeaderBytes + segments + body;
        if ((flags & lastPage) != 0 && at != size)
            return false;   // bytes after the stream's last page
    }
    if (headers.complete < 3 || headers.commentSplit || !comments(headers.commentStart, headers.commentBytes) ||
        !checkVorbisCodebooks(headers.setup))
        return false;
    layout.headerBytes = headers.totalBytes;
    return true;
}

} // namespace Vst
} // namespace Steinberg
