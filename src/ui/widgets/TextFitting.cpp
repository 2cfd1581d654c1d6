#include "ui/widgets/TextFitting.h"

#include <algorithm>

namespace VSTGUI {

const char* const kEllipsis = "\xE2\x80\xA6";

namespace {

bool isContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Byte offsets of every character start, and the end of the text.
std::vector<size_t> characterStarts(const UTF8String& text)
{
    std::vector<size_t> starts;
    for (size_t position = 0; position < text.size(); position = nextCharacter(text, position))
        starts.push_back(position);
    starts.push_back(text.size());
    return starts;
}

// The largest n in [0, count] for which fits(n) holds, fits being true up to some n and false
// after it; 0 when even fits(0) fails.
size_t largestFitting(size_t count, const std::function<bool(size_t)>& fits)
{
    size_t low = 0, high = count;
    while (low < high) {
        const size_t middle = (low + high + 1) / 2;
        if (fits(middle))
            low = middle;
        else
            high = middle - 1;
    }
    return low;
}

UTF8String withoutTrailingSpaces(UTF8String text)
{
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

bool isSeparator(char c)
{
    return c == '/' || c == '\\' || c == ' ' || c == '-' || c == '_';
}

}  // namespace

size_t nextCharacter(const UTF8String& text, size_t position)
{
    if (position >= text.size())
        return text.size();
    do {
        ++position;
    } while (position < text.size() && isContinuationByte(text[position]));
    return position;
}

size_t previousCharacter(const UTF8String& text, size_t position)
{
    if (position == 0)
        return 0;
    position = std::min(position, text.size());
    do {
        --position;
    } while (position > 0 && isContinuationByte(text[position]));
    return position;
}

UTF8String characterText(int32_t codePoint)
{
    UTF8String out;
    if (codePoint < 0x20 || codePoint == 0x7F || codePoint > 0x10FFFF ||
        (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return out;
    const auto cp = static_cast<uint32_t>(codePoint);
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
    return out;
}

UTF8String elideEnd(const UTF8String& text, CCoord width, const TextWidth& measure)
{
    if (text.empty() || measure(text) <= width)
        return text;
    const std::vector<size_t> starts = characterStarts(text);
    auto shortened = [&](size_t kept) {
        return withoutTrailingSpaces(text.substr(0, starts[kept])) + kEllipsis;
    };
    const size_t kept = largestFitting(starts.size() - 2,
                                       [&](size_t n) { return measure(shortened(n)) <= width; });
    return shortened(kept);
}

UTF8String elideMiddle(const UTF8String& text, CCoord width, const TextWidth& measure)
{
    if (text.empty() || measure(text) <= width)
        return text;
    const std::vector<size_t> starts = characterStarts(text);
    const size_t characters = starts.size() - 1;
    auto shortened = [&](size_t kept) {
        const size_t head = (kept + 1) / 2, tail = kept / 2;
        return text.substr(0, starts[head]) + kEllipsis + text.substr(starts[characters - tail]);
    };
    const size_t kept = largestFitting(characters - 1,
                                       [&](size_t n) { return measure(shortened(n)) <= width; });
    return shortened(kept);
}

UTF8String elidePath(const UTF8String& text, CCoord width, const TextWidth& measure)
{
    if (text.empty() || measure(text) <= width)
        return text;
    const size_t separator = text.find_last_of("/\\");
    if (separator == UTF8String::npos || separator == 0)
        return elideMiddle(text, width, measure);
    const UTF8String folders = text.substr(0, separator);
    const UTF8String name = text.substr(separator);  // with its separator
    if (measure(kEllipsis + name) > width)
        return elideMiddle(text.substr(separator + 1), width, measure);
    const std::vector<size_t> starts = characterStarts(folders);
    auto shortened = [&](size_t kept) { return folders.substr(0, starts[kept]) + kEllipsis + name; };
    const size_t kept = largestFitting(starts.size() - 2,
                                       [&](size_t n) { return measure(shortened(n)) <= width; });
    return shortened(kept);
}

std::vector<UTF8String> wrapText(const UTF8String& text, CCoord width, const TextWidth& measure,
                                 size_t maxLines)
{
    std::vector<UTF8String> lines;
    UTF8String rest = text;
    while (!rest.empty() && lines.size() < std::max<size_t>(1, maxLines)) {
        if (measure(rest) <= width) {
            lines.push_back(rest);
            return lines;
        }
        const std::vector<size_t> starts = characterStarts(rest);
        // At least one character per line, however narrow the width.
        const size_t fitting = std::max<size_t>(
            1, largestFitting(starts.size() - 1,
                              [&](size_t n) { return measure(rest.substr(0, starts[n])) <= width; }));
        size_t cut = starts[fitting];
        for (size_t n = fitting; n > 0 && n * 3 > fitting; --n) {
            if (isSeparator(rest[starts[n] - 1])) {
                cut = starts[n];
                break;
            }
        }
        lines.push_back(rest.substr(0, cut));
        rest.erase(0, cut);
    }
    if (!rest.empty() && !lines.empty())
        lines.back() = elideEnd(lines.back() + rest, width, measure);
    return lines;
}

}  // namespace VSTGUI
