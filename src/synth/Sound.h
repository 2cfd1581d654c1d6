#pragma once
// A received record list together with its sample players, built whole off the audio thread
// so that the audio thread only swaps pointers when it adopts it.
// Threads: made and destroyed on the UI thread; read by the audio thread once adopted. Its
// records may be the last users of their sample buffers, so destroying it can free them: that
// is why a retired sound goes back to the UI thread.
// make() allocates; retune() is real-time safe.
#include "soundfont/SFSynth.h"
#include "synth/SamplePlayer.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Steinberg {
namespace Vst {

struct Sound {
    SFSynthList records;
    std::vector<SamplePlayer> players;   // one per record, same order
    std::vector<float> loopPeaks;        // one per record: SamplePlayer::loopPeakOf, kept on retuning
    int64_t pointCount = 0;              // sample points held: each shared buffer once, guard points included
    double madeForRate = 0.0;            // processing sample rate the players were made for
    float longestRelease = 0.0f;         // longest volume envelope release of the records, s

    // Takes the records over (leaving `list` empty) and makes their players for `rate`.
    static std::unique_ptr<Sound> make(SFSynthList& list, double rate);
    // Remakes the players in place for another processing sample rate (no allocation).
    void retune(double rate) noexcept;
};

} // namespace Vst
} // namespace Steinberg
