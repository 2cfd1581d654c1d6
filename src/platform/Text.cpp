#include "platform/Text.h"

namespace Steinberg {
namespace Vst {

namespace {
[[noreturn]] void badConversion() { throw std::range_error("bad conversion"); }

constexpr char32_t kReplacement = 0xFFFD;

// The length of the valid UTF-8 sequence that starts at bytes[i], with its code point; 0 when
// no valid sequence starts there (overlong forms, surrogates and values past U+10FFFF included).
size_t decodeAt(const std::string& bytes, size_t i, char32_t& codePoint)
{
    const auto lead = static_cast<unsigned char>(bytes[i]);
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    size_t length = 0;
    char32_t value = 0, smallest = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1Fu, smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0Fu, smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07u, smallest = 0x10000;
    } else {
        return 0;   // a stray continuation byte or an invalid lead byte
    }
    if (bytes.size() - i < length)
        return 0;
    for (size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(bytes[i + k]);
        if ((next & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (next & 0x3Fu);
    }
    if (value < smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    codePoint = value;
    return length;
}

void appendUtf16(std::u16string& out, char32_t cp)
{
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
        return;
    }
    // Outside the Basic Multilingual Plane: one surrogate pair.
    out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
}

void appendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Walks UTF-16 text: each code point, or an unpaired surrogate as itself (0xD800..0xDFFF).
template <typename Visit>
void eachCodePoint(const std::u16string& wide, Visit visit)
{
    for (size_t i = 0; i < wide.size(); ++i) {
        const char32_t unit = wide[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
            wide[i + 1] <= 0xDFFF) {
            visit(0x10000 + ((unit - 0xD800) << 10) + (char32_t(wide[i + 1]) - 0xDC00));
            ++i;
        } else {
            visit(unit);
        }
    }
}

bool isSurrogate(char32_t cp) { return cp >= 0xD800 && cp <= 0xDFFF; }
} // namespace

std::u16string fromUtf8(const std::string& bytes)
{
    std::u16string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        char32_t cp = 0;
        const size_t length = decodeAt(bytes, i, cp);
        if (length == 0) badConversion();
        appendUtf16(out, cp);
        i += length;
    }
    return out;
}

std::u16string fromUtf8(const char* bytes)
{
    return fromUtf8(std::string(bytes ? bytes : ""));
}

std::string toUtf8(const std::u16string& wide)
{
    std::string out;
    out.reserve(wide.size());
    eachCodePoint(wide, [&](char32_t cp) {
        if (isSurrogate(cp)) badConversion();   // a surrogate without its partner
        appendUtf8(out, cp);
    });
    return out;
}

std::string toUtf8(const char16_t* wide)
{
    return toUtf8(std::u16string(wide ? wide : u""));
}

std::u16string pathFromBytes(const std::string& bytes)
{
    std::u16string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        char32_t cp = 0;
        const size_t length = decodeAt(bytes, i, cp);
        if (length == 0) {
            out.push_back(static_cast<char16_t>(0xDC00 + static_cast<unsigned char>(bytes[i])));
            ++i;
        } else {
            appendUtf16(out, cp);
            i += length;
        }
    }
    return out;
}

std::string pathToBytes(const std::u16string& path)
{
    std::string out;
    out.reserve(path.size());
    eachCodePoint(path, [&](char32_t cp) {
        if (cp >= 0xDC80 && cp <= 0xDCFF)
            out.push_back(static_cast<char>(cp - 0xDC00));   // a byte that was not UTF-8
        else if (isSurrogate(cp))
            badConversion();
        else
            appendUtf8(out, cp);
    });
    return out;
}

bool isValidUtf8(const std::string& bytes)
{
    for (size_t i = 0; i < bytes.size();) {
        char32_t cp = 0;
        const size_t length = decodeAt(bytes, i, cp);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

std::string validUtf8(const std::string& bytes)
{
    if (isValidUtf8(bytes)) return bytes;
    std::string out;
    out.reserve(bytes.size() + 8);
    for (size_t i = 0; i < bytes.size();) {
        char32_t cp = kReplacement;
        const size_t length = decodeAt(bytes, i, cp);
        appendUtf8(out, length ? cp : kReplacement);
        i += length ? length : 1;
    }
    return out;
}

std::string displayText(const std::u16string& wide)
{
    std::string out;
    out.reserve(wide.size());
    eachCodePoint(wide, [&](char32_t cp) { appendUtf8(out, isSurrogate(cp) ? kReplacement : cp); });
    return out;
}

std::vector<std::string> splitItems(const std::string& text)
{
    std::vector<std::string> items;
    size_t pos = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\0') {
            items.push_back(text.substr(pos, i - pos));
            return items;
        }
        if (c == ',') {
            items.push_back(text.substr(pos, i - pos));
            pos = i + 1;
        }
    }
    if (pos < text.size()) items.push_back(text.substr(pos));
    return items;
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to)
{
    if (from.empty()) return text;
    size_t pos = 0;
    while ((pos = text.find(from, pos)) != std::string::npos) {
        text.replace(pos, from.size(), to);
        pos += to.size();
    }
    return text;
}

} // namespace Vst
} // namespace Steinberg
