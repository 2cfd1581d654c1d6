#include "soundfont/NameText.h"

#include "platform/Text.h"

#include <algorithm>
#include <cstring>

namespace Steinberg {
namespace Vst {

namespace {

// Windows-1252 bytes 0x80..0x9F; the five the code page leaves undefined read as U+FFFD.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

std::string fromWindows1252(const std::string& bytes)
{
    std::u16string wide;
    wide.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        wide.push_back(b >= 0x80 && b < 0xA0 ? kWindows1252High[b - 0x80] : char16_t(b));
    }
    return toUtf8(wide);
}

// The bytes before a UTF-8 sequence cut short at the very end, when they are UTF-8 with at
// least one character beyond ASCII; empty otherwise. A lone high byte after plain ASCII is far
// more likely a Windows-1252 letter than a cut character.
std::string utf8BeforeCut(const std::string& bytes)
{
    // A sequence is at most 4 bytes: the lead byte lies 1 to 3 bytes from the end.
    for (size_t drop = 1; drop <= 3 && drop < bytes.size(); ++drop) {
        const auto lead = static_cast<unsigned char>(bytes[bytes.size() - drop]);
        if ((lead & 0xC0) == 0x80)
            continue;
        const size_t needed = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        const std::string kept = bytes.substr(0, bytes.size() - drop);
        const bool beyondAscii = std::any_of(kept.begin(), kept.end(),
                                             [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
        if (lead < 0xC2 || lead > 0xF4 || needed <= drop || !beyondAscii || !isValidUtf8(kept))
            return {};
        return kept;
    }
    return {};
}

} // namespace

std::string soundFontNameText(const char* field, size_t fieldBytes)
{
    if (!field)
        return {};
    const std::string bytes(field, ::strnlen(field, fieldBytes));
    if (isValidUtf8(bytes))
        return bytes;
    if (bytes.size() == fieldBytes) {
        if (std::string kept = utf8BeforeCut(bytes); !kept.empty())
            return kept;
    }
    return fromWindows1252(bytes);
}

} // namespace Vst
} // namespace Steinberg
