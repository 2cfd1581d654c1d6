#pragma once
// Exit status of zephra-render, one per kind of problem, so scripts can tell them apart.
//
// Threads: any (constants). Real-time safe.

namespace zephra {
namespace render {

enum ExitCode : int {
    kExitDone = 0,
    kExitUsage = 2,           // unknown option, missing or bad value
    kExitSoundFont = 3,       // missing, unreadable or invalid SoundFont; no such preset
    kExitMidi = 4,            // missing, unreadable or broken MIDI file; a file without notes
    kExitOutput = 5,          // the output file cannot be written
    kExitPlugin = 6,          // the bundle cannot be found, loaded or set up, or it sent messages off the UI thread
    kExitSilent = 7,          // the render produced nothing but silence
    kExitInterrupted = 130,   // stopped by a signal (Ctrl-C); nothing was written
};

}   // namespace render
}   // namespace zephra
