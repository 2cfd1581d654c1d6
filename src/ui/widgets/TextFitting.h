// Fitting one line of text into a width, whatever the font: cutting at the end with "…",
// eliding the folders of a path so the file name stays whole, and wrapping into lines. Widths
// come from a measuring function (a drawing context's), so the same rules hold for every
// back end. Cuts fall between characters (code points), never inside one.
// UI thread only (the measure draws nothing but asks the back end); not real-time safe.
#pragma once

#include "ui/widgets/CBaseObject.h"
#include "ui/widgets/CGeometry.h"

#include <functional>
#include <vector>

namespace VSTGUI {

using TextWidth = std::function<CCoord(const UTF8String& text)>;

extern const char* const kEllipsis;  // "…", U+2026

// The byte offset of the character after / before the one at `position` (UTF-8).
size_t nextCharacter(const UTF8String& text, size_t position);
size_t previousCharacter(const UTF8String& text, size_t position);
// A typed character (a code point) as UTF-8; empty for control characters and invalid values.
UTF8String characterText(int32_t codePoint);

// The text when it fits, else its longest start that fits with "…" after it (trailing spaces
// dropped); just "…" when nothing more fits.
UTF8String elideEnd(const UTF8String& text, CCoord width, const TextWidth& measure);
// The text when it fits, else its start and end around "…", as even as the width allows.
UTF8String elideMiddle(const UTF8String& text, CCoord width, const TextWidth& measure);
// A path (and whatever follows its file name): when it does not fit, the folders give way in
// the middle ("/home/me/…/Fonts/Piano.sf2"), so the last component stays whole; only a file
// name wider than the width itself is cut, in its middle.
UTF8String elidePath(const UTF8String& text, CCoord width, const TextWidth& measure);
// Lines of at most `width`, broken after a separator ("/", "\", space, "-", "_") where one
// lies in the line's last two thirds, else between characters. At most maxLines lines; text
// beyond them ends the last line in "…".
std::vector<UTF8String> wrapText(const UTF8String& text, CCoord width, const TextWidth& measure,
                                 size_t maxLines = 8);

}  // namespace VSTGUI
