#pragma once
// A parsed, fully validated processor state waiting to be applied by the audio thread.
// Threads: built on the UI thread; owned by the audio thread between taking and retiring it.
// Not real-time safe to build or free (allocates); the audio thread only reads and swaps.
#include "processor/ParameterValues.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace Steinberg {
namespace Vst {

struct StagedState {
    uint64_t serial = 0;                           // publication number
    bool bypass = false;
    std::vector<std::pair<int32, double>> entries; // as read from the stream, in stream order
    std::vector<int32> ids;                        // entry IDs in stream order (for the engine)
    std::vector<int32> streamIdsSorted;            // entry IDs, ascending, without repeats
    ParameterValues merged;                        // the whole value map after applying
};

} // namespace Vst
} // namespace Steinberg
