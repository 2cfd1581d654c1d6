#pragma once
// The processor's reports to the controller ("USEDMEM", "VOICENUM") as the audio thread
// published them, waiting for the report sender to pick them up. A memory figure published
// again before it was picked up replaces the older one; of voice counts published in between,
// the highest is kept (faster than real time, as in an offline export, the sender wakes only
// every 100 ms of wall time). A report is sent once; a memory figure published again while the
// sender picks up the previous one may be sent twice (the controller just shows it again).
// Threads: publish*: the audio thread, real-time safe (atomic stores); take*: the report
// sender's thread.
#include <atomic>
#include <cstdint>

namespace Steinberg {
namespace Vst {

class PublishedReports {
public:
    void publishUsedMemory(int64_t points) noexcept;
    void publishVoiceCount(int32_t voices) noexcept;

    // The newest unsent report, if any.
    bool takeUsedMemory(int64_t& points) noexcept;
    bool takeVoiceCount(int32_t& voices) noexcept;

private:
    std::atomic<int64_t> usedMemory{0};
    std::atomic<bool> usedMemoryFresh{false};
    std::atomic<int32_t> highestVoiceCount{-1};   // -1: nothing published since the last take
};

} // namespace Vst
} // namespace Steinberg
