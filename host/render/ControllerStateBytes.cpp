#include "ControllerStateBytes.h"

#include <cstring>

namespace zephra {
namespace render {

namespace {

constexpr char kStateHeader[] = "1.5-fw 2.1";
constexpr int32_t kSoundFontFileId = 1;

void putInt32(std::vector<uint8_t>& out, int32_t value) {
    const uint32_t bits = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(bits >> shift));
}

} // namespace

std::vector<uint8_t> soundFontControllerState(const std::u16string& path, int32_t presetIndex) {
    std::vector<uint8_t> out;
    const int32_t headerLength = static_cast<int32_t>(std::strlen(kStateHeader) + 1);
    putInt32(out, headerLength);
    out.insert(out.end(), kStateHeader, kStateHeader + headerLength);  // text and its zero byte

    putInt32(out, 1);  // one path
    putInt32(out, kSoundFontFileId);
    putInt32(out, static_cast<int32_t>(path.size() + 1));
    for (char16_t unit : path) {
        out.push_back(static_cast<uint8_t>(unit & 0xFF));
        out.push_back(static_cast<uint8_t>(unit >> 8));
    }
    out.push_back(0);
    out.push_back(0);

    putInt32(out, 1);  // one option blob: the preset index
    putInt32(out, kSoundFontFileId);
    putInt32(out, 4);
    putInt32(out, presetIndex);

    putInt32(out, 0);  // no string lists
    return out;
}

} // namespace render
} // namespace zephra
