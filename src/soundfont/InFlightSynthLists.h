#pragma once
// Process-wide registry of SFSynth record lists that are being handed from the controller to
// the processor right now. The "SF2DATA" message carries raw addresses; the receiver copies
// records only from a range that the sender registered for the duration of its send, so a
// stale, foreign or late message is refused instead of dereferencing freed memory.
//
// Threads: UI thread (sender and the synchronous receiver); internally locked, so any thread
// may call it. Not real-time safe (lock, allocation): never call it from the audio thread.
#include "soundfont/SFSynth.h"

namespace Steinberg {
namespace Vst {

class InFlightSynthLists {
public:
    // Registers [first, last) for the lifetime of the scope (one send call).
    class Scope {
    public:
        Scope(const SFSynth* first, const SFSynth* last);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        const SFSynth* first;
        const SFSynth* last;
    };

    // Copies the records [first, last) into out (replacing its contents) only if exactly that
    // range is registered now. The copies share the records' sample buffers: no sample point is
    // copied. The copy happens under the registry's lock, so the sender cannot end its scope
    // halfway. Returns false and leaves out untouched otherwise.
    static bool copyIfInFlight(const SFSynth* first, const SFSynth* last, SFSynthList& out);
};

} // namespace Vst
} // namespace Steinberg
