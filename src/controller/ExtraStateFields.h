#pragma once
// The fields the plug-in writes into the component state after the parameter entries (the
// framework's extra state): each an int32 key, an int32 byte count and that many bytes, all
// little-endian. A reader keeps the fields it knows and steps over the others, and a state
// without fields is what every earlier build wrote; builds that do not know the fields never
// read past the entries, so a state carrying them still loads there.
//
// Key 1, the response: 4 bytes, int32 1 ("SoundFont 2.04"). It is written only for that
// response, so a "Classic" state stays byte for byte what it always was.
//
// Threads: UI thread (state calls of processor and controller); responseFieldBytes any thread.
// Not real-time safe.
#include "pluginterfaces/base/ibstream.h"

#include <cstdint>
#include <vector>

namespace Steinberg {
namespace Vst {
namespace ExtraStateFields {

constexpr int32_t kResponseKey = 1;
// Longest field stepped over; a longer one ends the reading (it is no field of ours).
constexpr int32_t kMaxSkippedBytes = 65536;

void writeResponse(IBStream* stream, int32_t number);
// The same field as bytes, for a state put together in memory: appended after the entries of
// a state that has no fields yet, it chooses the response.
std::vector<uint8_t> responseFieldBytes(int32_t number);

// Reads fields from the stream's position to its end; true and the number when a response
// field of 4 bytes was among them. A field cut short, or a longer unknown one, ends the reading.
bool readResponse(IBStream* stream, int32_t& number);

} // namespace ExtraStateFields
} // namespace Vst
} // namespace Steinberg
