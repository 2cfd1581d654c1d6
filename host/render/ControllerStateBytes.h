#pragma once
// Builds the controller state stream a DAW project would hold for one SoundFont loaded through
// the editor: header "1.5-fw 2.1", file ID 1 with its path, the preset index as the option blob
// of file ID 1, and no string lists. Restoring it makes the controller load and send the preset.
//
// Threads: any (no shared state). Not real-time safe (allocates).
#include <cstdint>
#include <string>
#include <vector>

namespace zephra {
namespace render {

// path is UTF-16 (as the stream stores it); presetIndex is the preset header index.
std::vector<uint8_t> soundFontControllerState(const std::u16string& path, int32_t presetIndex);

} // namespace render
} // namespace zephra
