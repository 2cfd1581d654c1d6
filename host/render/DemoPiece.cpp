#include "DemoPiece.h"

#include <algorithm>
#include <cmath>

namespace zephra {
namespace render {

namespace {

// Collects events in beats and turns them into a time-ordered score.
class PieceBuilder {
public:
    void note(double beat, double lengthBeats, uint8_t key, uint8_t velocity)
    {
        add(beat, ScoreEventKind::NoteOn, key, velocity);
        add(beat + lengthBeats, ScoreEventKind::NoteOff, key, 64);
    }
    void chord(double beat, double lengthBeats, std::initializer_list<uint8_t> keys, uint8_t velocity)
    {
        for (uint8_t key : keys)
            note(beat, lengthBeats, key, velocity);
    }
    void controller(double beat, uint8_t number, uint8_t value)
    {
        add(beat, ScoreEventKind::Controller, number, value);
    }
    void pitchBend(double beat, uint16_t value) { add(beat, ScoreEventKind::PitchBend, 0, value); }

    // A straight movement of a controller (or the pitch bend) in steps of 1/32 beat.
    template <typename Emit>
    void glide(double fromBeat, double toBeat, double fromValue, double toValue, Emit emit)
    {
        const int steps = std::max(1, static_cast<int>(std::lround((toBeat - fromBeat) * 32.0)));
        for (int i = 0; i <= steps; ++i) {
            const double t = double(i) / steps;
            emit(fromBeat + (toBeat - fromBeat) * t, fromValue + (toValue - fromValue) * t);
        }
    }

    Score finish()
    {
        // Simultaneous events: note-offs first, then controllers, then note-ons, so that a key
        // struck again is released before it restarts and a pedal change precedes new notes.
        std::stable_sort(events.begin(), events.end(), [](const Timed& a, const Timed& b) {
            if (a.beat != b.beat)
                return a.beat < b.beat;
            return rank(a.event.kind) < rank(b.event.kind);
        });
        Score score;
        const double secondsPerBeat = 60.0 / kDemoBeatsPerMinute;
        for (Timed& timed : events) {
            timed.event.seconds = timed.beat * secondsPerBeat;
            score.events.push_back(timed.event);
        }
        score.endSeconds = score.events.empty() ? 0.0 : score.events.back().seconds;
        return score;
    }

private:
    struct Timed {
        double beat;
        ScoreEvent event;
    };
    static int rank(ScoreEventKind kind)
    {
        return kind == ScoreEventKind::NoteOff ? 0 : kind == ScoreEventKind::NoteOn ? 2 : 1;
    }
    void add(double beat, ScoreEventKind kind, uint8_t number, uint16_t value)
    {
        ScoreEvent event;
        event.kind = kind;
        event.number = number;
        event.value = value;
        events.push_back({beat, event});
    }
    std::vector<Timed> events;
};

// Keys by name, for readability of the score below.
enum Key : uint8_t {
    F2 = 41,
    G2 = 43,
    A2 = 45,
    C3 = 48,
    F3 = 53,
    G3 = 55,
    A3 = 57,
    B3 = 59,
    C4 = 60,
    D4 = 62,
    E4 = 64,
    F4 = 65,
    G4 = 67,
    A4 = 69,
    B4 = 71,
    C5 = 72,
    D5 = 74,
    E5 = 76,
    G5 = 79,
    A5 = 81,
};

constexpr uint8_t kModWheel = 1;
constexpr uint8_t kVolume = 7;
constexpr uint8_t kSustain = 64;

}   // namespace

Score makeDemoPiece()
{
    PieceBuilder piece;
    piece.controller(0.0, kVolume, 100);
    piece.controller(0.0, kModWheel, 0);
    piece.pitchBend(0.0, 8192);

    // Bar 1: the melody alone.
    piece.note(0.0, 1.0, E5, 96);
    piece.note(1.0, 1.0, G5, 100);
    piece.note(2.0, 2.0, A5, 104);

    // Bars 2 to 9: a chord per bar under the pedal, re-pressed at each change of harmony.
    // Bar 7 is played short and dry, so that the bend further down moves the melody alone.
    struct Bar {
        std::initializer_list<uint8_t> chord;
        uint8_t bass;
        bool pedal;
    };
    const Bar bars[] = {
        {{A3, C4, E4}, A2, true}, {{F3, A3, C4}, F2, true},  {{C4, E4, G4}, C3, true}, {{G3, B3, D4}, G2, true},
        {{A3, C4, E4}, A2, true}, {{F3, A3, C4}, F2, false}, {{G3, B3, D4}, G2, true},
    };
    double beat = 4.0;
    for (const Bar& bar : bars) {
        piece.note(beat, bar.pedal ? 4.0 : 0.9, bar.bass, 84);
        piece.chord(beat, bar.pedal ? 3.5 : 0.9, bar.chord, 66);
        if (bar.pedal) {
            piece.controller(beat + 0.1, kSustain, 127);
            piece.controller(beat + 3.95, kSustain, 0);
        }
        beat += 4.0;
    }

    // The melody over the chords.
    struct Melody {
        double beat, length;
        uint8_t key, velocity;
    };
    const Melody melody[] = {
        {4, 1, A4, 92},   {5, 1, C5, 96},   {6, 1, E5, 102},  {7, 1, D5, 94},   {8, 1.5, C5, 98}, {9.5, 0.5, A4, 84},
        {10, 1, F4, 88},  {11, 1, A4, 90},  {12, 1, G4, 90},  {13, 1, C5, 96},  {14, 1, E5, 100}, {15, 1, G5, 106},
        {16, 2, D5, 100}, {18, 1, B4, 90},  {19, 1, G4, 86},  {20, 1, E5, 100}, {21, 1, D5, 94},  {22, 1, C5, 92},
        {23, 1, E5, 98},  {24, 4, C5, 104},   // held and bent up a whole tone and back
        {28, 1, B4, 92},  {29, 1, D5, 98},  {30, 2, G5, 106},
    };
    for (const Melody& m : melody)
        piece.note(m.beat, m.length, m.key, m.velocity);

    auto bend = [&piece](double at, double value) { piece.pitchBend(at, static_cast<uint16_t>(std::lround(value))); };
    piece.glide(25.5, 26.0, 8192, 16383, bend);
    piece.glide(26.75, 27.25, 16383, 8192, bend);

    // Bars 10 and 11: the final chord under the pedal, with a mod-wheel swell of vibrato.
    piece.note(32.0, 8.0, C3, 88);
    piece.chord(32.0, 8.0, {C4, E4, G4, C5}, 78);
    piece.controller(32.1, kSustain, 127);
    auto wheel = [&piece](double at, double value) {
        piece.controller(at, kModWheel, static_cast<uint8_t>(std::lround(value)));
    };
    piece.glide(33.0, 36.0, 0, 127, wheel);
    piece.glide(37.0, 39.5, 127, 0, wheel);
    piece.controller(40.0, kSustain, 0);
    return piece.finish();
}

}   // namespace render
}   // namespace zephra
