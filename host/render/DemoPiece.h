#pragma once
// The built-in piece played when no MIDI file is given: a short piano piece in A minor that
// shows the instrument off (a solo opening, chords under a melody with the sustain pedal, a
// pitch bend on a held note and a mod-wheel swell on the final chord), about 27 seconds long.
//
// Threads: any (builds a fresh value). Not real-time safe (allocates).
#include "Score.h"

namespace zephra {
namespace render {

constexpr double kDemoBeatsPerMinute = 100.0;

Score makeDemoPiece();

}   // namespace render
}   // namespace zephra
