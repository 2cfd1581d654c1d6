#include "platform/Text.h"

namespace Steinberg {
namespace Vst {

namespace {
[[noreturn]] void badConversion() { throw std::range_error("bad conversion"); }
}

std::u16string fromUtf8(const std::string& bytes)
{
    std::u16string out;
    out.reserve(bytes.size());
    const size_t n = bytes.size();
    for (size_t i = 0; i < n;) {
        const unsigned char b0 = static_cast<unsigned char>(bytes[i]);
        auto cont = [&](size_t k) -> unsigned {
            if (i + k >= n) badConversion();
            const unsigned char b = static_cast<unsigned char>(bytes[i + k]);
            if ((b & 0xC0) != 0x80) badConversion();
            return b & 0x3Fu;
        };
        if (b0 < 0x80) {
            out.push_back(static_cast<char16_t>(b0));
            i += 1;
        } else if ((b0 & 0xE0) == 0xC0) {
            const unsigned cp = ((b0 & 0x1Fu) << 6) | cont(1);
            if (cp < 0x80) badConversion();   // overlong
            out.push_back(static_cast<char16_t>(cp));
            i += 2;
        } else if ((b0 & 0xF0) == 0xE0) {
            const unsigned cp = ((b0 & 0x0Fu) << 12) | (cont(1) << 6) | cont(2);
            if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF)) badConversion();
            out.push_back(static_cast<char16_t>(cp));
            i += 3;
        } else if ((b0 & 0xF8) == 0xF0) {
            // Outside the Basic Multilingual Plane: one surrogate pair.
            const unsigned cp = ((b0 & 0x07u) << 18) | (cont(1) << 12) | (cont(2) << 6) | cont(3);
            if (cp < 0x10000 || cp > 0x10FFFF) badConversion();   // overlong or beyond Unicode
            out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
            i += 4;
        } else {
            badConversion();   // stray continuation or invalid lead bytes
        }
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
    for (size_t i = 0; i < wide.size(); ++i) {
        unsigned cp = wide[i];
        if (cp >= 0xDC00 && cp <= 0xDFFF) badConversion();   // a low surrogate without its high one
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            const unsigned low = i + 1 < wide.size() ? wide[i + 1] : 0;
            if (low < 0xDC00 || low > 0xDFFF) badConversion();
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
            ++i;
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

std::string toUtf8(const char16_t* wide)
{
    return toUtf8(std::u16string(wide ? wide : u""));
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
