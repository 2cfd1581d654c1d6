#pragma once
// The controller's own state stream (remembered files, their loading options, string lists)
// and the prefix of the processor's state stream that the controller mirrors: the one writer
// and reader of these bytes, linked by the plug-in, the renderer and the tests.
// Reading always fills a fresh record, so a refused stream changes nothing of the caller's.
// Threads: UI thread (state calls); the byte builder any thread. Not real-time safe.
#include "pluginterfaces/base/ibstream.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace Steinberg {
namespace Vst {

// The text both state streams begin with: the plug-in's version and its framework version
// (PluginDescription::combinedVersion of the module's description).
constexpr char kStateHeader[] = "1.5-fw 2.1";

using FilePathMap = std::map<int32_t, std::u16string>;
using FileOptionMap = std::map<int32_t, std::vector<uint8_t>>;
using StringListMap = std::map<int32_t, std::vector<std::string>>;

struct ControllerStateData {
    FilePathMap filePaths;
    FileOptionMap fileOptions;
    StringListMap stringLists;
};

// Header, then paths (ID, UTF-16 length + 1, UTF-16LE text, zero unit), option blobs
// (ID, size, bytes) and string lists (key, count, per item: byte length, UTF-8 bytes).
void writeControllerState(IBStream* stream, const std::string& header, const FilePathMap& paths,
                          const FileOptionMap& options, const StringListMap& lists);

// The controller state a project holds once a SoundFont was chosen in the editor: path in the
// SoundFont file slot and, when given, the preset index as that slot's option blob; no string
// lists. Restoring it makes the controller load the file and send the preset on.
std::vector<uint8_t> soundFontControllerState(const std::u16string& path,
                                              std::optional<int32_t> presetIndex);

// True and out filled when the whole stream is well formed; false for another header, a
// negative count or length, or a stream that ends before its last field.
bool readControllerState(IBStream* stream, const std::string& header, ControllerStateData& out);

struct ProcessorStatePrefix {
    bool bypass = false;
    std::vector<std::pair<int32_t, double>> values;   // (parameter ID, plain value) in order
};

// Header, bypass byte, count, then count (ID, double) pairs; whatever follows is not read.
// False for another header, a negative count, a non-finite value or a short stream.
bool readProcessorStatePrefix(IBStream* stream, const std::string& header,
                              ProcessorStatePrefix& out);

} // namespace Vst
} // namespace Steinberg
