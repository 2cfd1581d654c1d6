#pragma once
// The sample points one or more SFSynth records play: an immutable float buffer (guard point
// included) shared by every record, hand-over and plug-in instance that plays the same points.
// Copying a handle shares the buffer; the buffer is freed when its last handle goes.
//
// Threads: any thread may read the points and copy handles (the count of users is atomic).
// Reading is real-time safe; making a buffer allocates, and dropping the last handle frees,
// so the audio thread only reads and never lets go of the last handle.
#include <cstddef>
#include <memory>
#include <vector>

namespace Steinberg {
namespace Vst {

class SharedSamples {
public:
    SharedSamples() = default;   // no points
    // A new buffer holding `points`.
    explicit SharedSamples(std::vector<float> points);

    const float* data() const noexcept { return buffer ? buffer->points.data() : nullptr; }
    size_t size() const noexcept { return buffer ? buffer->points.size() : 0; }
    bool empty() const noexcept { return size() == 0; }
    float operator[](size_t k) const noexcept { return buffer->points[k]; }
    float back() const noexcept { return buffer->points.back(); }
    // The largest |point| of points from .. to - 1 (within the buffer), read mostly from the
    // peaks of whole blocks of kPeakBlock points worked out when the buffer was made.
    float peakBetween(size_t from, size_t to) const noexcept;

    static constexpr size_t kPeakBlock = 256;
    const float* begin() const noexcept { return data(); }
    const float* end() const noexcept { return data() + size(); }

    // Whether both handles name one buffer (not merely equal points).
    bool sharesBufferWith(const SharedSamples& other) const noexcept { return buffer == other.buffer; }

private:
    friend class SampleCache;
    struct Buffer {
        std::vector<float> points;
        std::vector<float> blockPeaks;   // largest |point| of each block of kPeakBlock points
    };
    explicit SharedSamples(std::shared_ptr<const Buffer> held) : buffer(std::move(held)) {}

    std::shared_ptr<const Buffer> buffer;
};

} // namespace Vst
} // namespace Steinberg
