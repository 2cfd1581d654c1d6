// The 20-byte name fields: UTF-8 is kept, anything else reads as Windows-1252, and what comes
// out is always valid UTF-8 (one bad name once stopped the editor from drawing).
#include "platform/Text.h"
#include "soundfont/NameText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace Steinberg::Vst;

namespace {
// A name field filled with exactly these bytes (zero bytes after them, none when 20 long).
std::string nameOf(const char* bytes)
{
    char field[20] = {};
    std::memcpy(field, bytes, std::min<size_t>(20, std::strlen(bytes)));
    return soundFontNameText(field);
}
} // namespace

TEST(SoundFontNames, Utf8IsKeptAndOtherBytesReadAsWindows1252)
{
    EXPECT_EQ(nameOf("\xE3\x83\x94\xE3\x82\xA2\xE3\x83\x8E"), "\xE3\x83\x94\xE3\x82\xA2\xE3\x83\x8E");
    EXPECT_EQ(nameOf("Fl\xFCgel \x80"), "Fl\xC3\xBCgel \xE2\x82\xAC") << "u umlaut and the euro sign";
    EXPECT_EQ(nameOf("Odd \x81"), "Odd \xEF\xBF\xBD") << "a byte Windows-1252 leaves undefined";
    EXPECT_EQ(nameOf("ABCDEFGHIJKLMNOPQRSTUVW"), "ABCDEFGHIJKLMNOPQRST") << "no zero byte: 20 at most";
    for (const char* bytes : {"\xC3(", "\xFF\xFE\xFD", "Grand Piano Concert\xE9"})
        EXPECT_TRUE(isValidUtf8(nameOf(bytes))) << bytes;
}

TEST(SoundFontNames, Utf8CutAtTheFieldsEndKeepsItsWholeCharacters)
{
    // Seven katakana need 21 bytes: the writer cut the last one after two of its three.
    const std::string six = "\xE3\x83\x94\xE3\x82\xA2\xE3\x83\x8E\xE3\x83\x94\xE3\x82\xA2\xE3\x83\x8E";
    EXPECT_EQ(nameOf((six + "\xE3\x83").c_str()), six);
    // A full field of plain letters ending in one high byte is a Windows-1252 letter.
    EXPECT_EQ(nameOf("Grand Piano Concert\xE9"), "Grand Piano Concert\xC3\xA9");
}
