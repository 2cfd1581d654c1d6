#pragma once
// The processor's component state stream: int32 header length n, n header bytes (the combined
// version text and a zero), one bypass byte, int32 entry count, then per entry an int32
// parameter ID and a double plain value; all little-endian, no padding.
//
// Threads: UI thread (getState/setState). Not real-time safe (stream I/O, allocation).
#include "pluginterfaces/base/ibstream.h"
#include "processor/ParameterValues.h"

#include <string>
#include <utility>
#include <vector>

namespace Steinberg {
namespace Vst {

// Longest header length accepted when reading; the real one is 11 bytes.
constexpr int32 kMaxStateHeaderLength = 256;
// Most entries accepted when reading; the plug-in has 7 parameters, so a larger count is not a
// state of ours (and applying it would cost the audio thread time).
constexpr int32 kMaxStateEntries = 4096;

struct ParsedState {
    bool bypass = false;
    std::vector<std::pair<int32, double>> entries;   // stream order
};

enum class StateReadResult {
    Ok,
    Unreadable,      // the length could not be read, or is negative, zero or too long
    WrongHeader,     // another version's header
    Truncated,       // the stream ended inside the bypass byte, the count or an entry
    BadCount,        // a negative entry count, or more than kMaxStateEntries
    NonFinite,       // a value that is not a finite number
};

// Reads header, bypass and entries. Memory grows only with entries actually read, so a huge
// count in a short stream cannot cause a huge allocation.
StateReadResult readProcessorState(IBStream* stream, const std::string& header, ParsedState& out);

// Writes header, bypass and every value in ascending ID order (write results are ignored).
void writeProcessorState(IBStream* stream, const std::string& header, bool bypass,
                         const ParameterValues& values);

} // namespace Vst
} // namespace Steinberg
