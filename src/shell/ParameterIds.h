#pragma once
// The plug-in's parameter IDs and file slots. Hosts keep the IDs in projects and automation and
// the controller state keeps the file slots, so none of these numbers may ever change.
// Plain integer constants with no VST3 types, so the engine, the editor, the registry and the
// tests name the same parameter the same way.
// Threads: any. Real-time safe (constants only).
#include <cstdint>

namespace Steinberg {
namespace Vst {

constexpr int32_t kModWheelId = 1;
constexpr int32_t kVolumeId = 7;
constexpr int32_t kExpressionId = 11;
constexpr int32_t kSustainPedalId = 64;
constexpr int32_t kPitchBendId = 129;
constexpr int32_t kBendRangeId = 1000;
constexpr int32_t kOutputLevelId = 1001;

// The one file slot: the SoundFont chosen in the editor (or restored with a project).
constexpr int32_t kSoundFontFileId = 1;

} // namespace Vst
} // namespace Steinberg
