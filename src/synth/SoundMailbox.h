#pragma once
// Lock-free hand-over of a new Sound from the message thread to the audio thread.
//
// One pending slot: the message side fills it only when it is empty (a second sound while one
// is pending is refused); the audio side takes it when it adopts and, before freeing the slot,
// puts the sound it replaced into a retired slot. The message side frees that retired sound the
// next time it posts (or the owner at destruction), so the audio thread never frees memory.
// The retired slot is always empty when the audio side fills it: every post first empties it,
// and a post can only follow the audio side's release of the pending slot.
//
// Threads: post/collectRetired/drain: the message (UI) thread; take/retire: the audio thread,
// real-time safe (atomic loads, stores and exchanges only).
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

    // Message side. Whether the slot is free for a new sound now.
    bool canPost() const noexcept;
    // Frees the sound the audio side retired, if any.
    void collectRetired() noexcept;
    // Puts `sound` into the empty slot; false (sound left with the caller) when one is pending.
    bool post(std::unique_ptr<Sound>& sound) noexcept;

    // Audio side. The pending sound, or null; it stays pending until finishTake().
    Sound* peek() const noexcept;
    // Hands back the sound that the pending one replaced (may be null) and empties the slot.
    void finishTake(Sound* replaced) noexcept;

    // Owner at destruction (no audio thread running): frees what the slots hold.
    void drain() noexcept;

private:
    std::atomic<Sound*> pending{nullptr};
    std::atomic<Sound*> retired{nullptr};
};

} // namespace Vst
} // namespace Steinberg
