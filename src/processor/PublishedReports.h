#pragma once
// The busy voice count ("VOICENUM") as the audio thread published it, waiting for the
// controller's next request: of the counts published in between, the highest is kept (faster
// than real time, as in an offline export, many counts fall between two requests). A count is
// answered once.
// Threads: publishVoiceCount: the audio thread, real-time safe (atomic operations only);
// takeVoiceCount: the UI thread, inside the request's notify.
#include <atomic>
#include <cstdint>

namespace Steinberg {
namespace Vst {

class PublishedReports {
public:
    void publishVoiceCount(int32_t voices) noexcept;

    // The highest count published since the last take, if any.
    bool takeVoiceCount(int32_t& voices) noexcept;

private:
    std::atomic<int32_t> highestVoiceCount{-1};   // -1: nothing published since the last take
};

} // namespace Vst
} // namespace Steinberg
