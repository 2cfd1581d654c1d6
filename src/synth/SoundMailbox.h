#pragma once
// Lock-free hand-over of a new Sound from the message thread to the audio thread.
//
// One pending slot: the message side puts the newest sound there, replacing (and freeing) one
// the audio side has not taken yet, so the sound chosen last is the one that plays. The audio
// side takes the pending sound out of the slot with one exchange, so a sound it holds can never
// be freed under it, and hands the sound it replaced back through a retired slot; the message
// side frees that one the next time it posts (or the owner at destruction), so the audio thread
// never frees memory. If the retired slot is still full, the audio side keeps the replaced sound
// and takes no new one until it could hand it back.
//
// Threads: post/drain: the message (UI) thread; collectRetired: any thread but the audio thread
// (it only exchanges the retired slot, so it may run beside post); take/retire: the audio
// thread, real-time safe (atomic loads, stores and exchanges only).
#include "synth/Sound.h"

#include <atomic>
#include <memory>

namespace Steinberg {
namespace Vst {

class SoundMailbox {
public:
    SoundMailbox() = default;
    ~SoundMailbox();
    SoundMailbox(const SoundMailbox&) = delete;
    SoundMailbox& operator=(const SoundMailbox&) = delete;

    // Message side. Frees the sound the audio side retired, if any.
    void collectRetired() noexcept;
    // Makes `sound` the pending one (taking it over); a sound still pending is freed here.
    void post(std::unique_ptr<Sound>& sound) noexcept;
    // Whether a sound waits to be taken.
    bool hasPending() const noexcept;

    // Audio side. Takes the pending sound out of the slot (null when there is none, or while
    // the last replaced sound could not be handed back yet).
    Sound* take() noexcept;
    // Hands back the sound that a taken one replaced (may be null).
    void retire(Sound* replaced) noexcept;

    // Owner at destruction (no audio thread running): frees what the slots hold.
    void drain() noexcept;

private:
    std::atomic<Sound*> pending{nullptr};
    std::atomic<Sound*> retired{nullptr};
    Sound* holding = nullptr;   // audio side only: replaced, waiting for the retired slot
};

} // namespace Vst
} // namespace Steinberg
