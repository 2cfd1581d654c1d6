#pragma once
// Process-wide register of the sample buffers that are held right now, keyed by the file they
// were read from (its identity: device, file number, size, modification time) and the range of
// points in its "smpl" chunk. A second plug-in instance, or a reload of the same preset, finds
// the points already converted and shares them instead of holding another copy.
//
// The register only watches buffers: it never keeps one alive. A buffer is freed when its last
// user lets go, and its entry is swept away later. A file rewritten on disk has another
// identity, so its points are read anew.
//
// Threads: UI threads (the readers); internally locked, so several instances' UI threads may
// call it at once. Not real-time safe (lock, allocation): never call it from the audio thread.
#include "platform/FileIdentity.h"
#include "soundfont/SharedSamples.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

namespace Steinberg {
namespace Vst {

struct SampleKey {
    FileIdentity file;
    uint64_t firstByte = 0;    // offset of the first point in the "smpl" chunk's data
    uint32_t pointCount = 0;   // points read from the file (the guard point not counted)
    // A compressed sample: firstByte is where its stream starts and pointCount is the number
    // of stream bytes; its buffer holds the decoded points.
    bool compressed = false;

    bool operator<(const SampleKey& other) const noexcept;
};

class SampleCache {
public:
    // The one register of the process.
    static SampleCache& shared();

    // The buffer held for `key`, or an empty handle when no user holds one now.
    SharedSamples find(const SampleKey& key);
    // Registers a buffer just made for `key` and yields the one to use: `made`, or the buffer
    // another thread registered for the same key in the meantime.
    SharedSamples add(const SampleKey& key, SharedSamples made);
    // Buffers that still have users (for tests and benchmarks).
    size_t heldBuffers();

private:
    using Watch = std::weak_ptr<const SharedSamples::Buffer>;
    void sweep();

    std::mutex mutex;
    std::map<SampleKey, Watch> entries;
    size_t sweepAt = 64;   // entry count at which expired entries are swept next
};

} // namespace Vst
} // namespace Steinberg
