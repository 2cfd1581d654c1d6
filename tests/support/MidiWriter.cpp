#include "support/MidiWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace zephra {
namespace test {

std::vector<uint8_t> variableLength(uint32_t value) {
    std::vector<uint8_t> reversed{static_cast<uint8_t>(value & 0x7F)};
    while ((value >>= 7) != 0) reversed.push_back(static_cast<uint8_t>(0x80 | (value & 0x7F)));
    return {reversed.rbegin(), reversed.rend()};
}

MidiTrack& MidiTrack::noteOn(uint32_t tick, uint8_t channel, uint8_t key, uint8_t velocity) {
    return raw(tick, {static_cast<uint8_t>(0x90 | (channel & 15)), key, velocity});
}
MidiTrack& MidiTrack::noteOff(uint32_t tick, uint8_t channel, uint8_t key, uint8_t velocity) {
    return raw(tick, {static_cast<uint8_t>(0x80 | (channel & 15)), key, velocity});
}
MidiTrack& MidiTrack::note(uint32_t tick, uint32_t lengthTicks, uint8_t channel, uint8_t key, uint8_t velocity) {
    noteOn(tick, channel, key, velocity);
    return noteOff(tick + lengthTicks, channel, key);
}
MidiTrack& MidiTrack::controller(uint32_t tick, uint8_t channel, uint8_t number, uint8_t value) {
    return raw(tick, {static_cast<uint8_t>(0xB0 | (channel & 15)), number, value});
}
MidiTrack& MidiTrack::program(uint32_t tick, uint8_t channel, uint8_t programNumber) {
    return raw(tick, {static_cast<uint8_t>(0xC0 | (channel & 15)), programNumber});
}
MidiTrack& MidiTrack::pitchBend(uint32_t tick, uint8_t channel, uint16_t value14) {
    return raw(tick, {static_cast<uint8_t>(0xE0 | (channel & 15)), static_cast<uint8_t>(value14 & 0x7F),
                      static_cast<uint8_t>((value14 >> 7) & 0x7F)});
}
MidiTrack& MidiTrack::tempo(uint32_t tick, uint32_t micros) {
    return raw(tick, {0xFF, 0x51, 0x03, static_cast<uint8_t>(micros >> 16), static_cast<uint8_t>(micros >> 8),
                      static_cast<uint8_t>(micros)});
}
MidiTrack& MidiTrack::trackName(uint32_t tick, const std::string& name) {
    std::vector<uint8_t> bytes{0xFF, 0x03};
    const auto length = variableLength(static_cast<uint32_t>(name.size()));
    bytes.insert(bytes.end(), length.begin(), length.end());
    bytes.insert(bytes.end(), name.begin(), name.end());
    return raw(tick, bytes);
}
MidiTrack& MidiTrack::sysex(uint32_t tick, const std::vector<uint8_t>& body) {
    std::vector<uint8_t> bytes{0xF0};
    const auto length = variableLength(static_cast<uint32_t>(body.size()));
    bytes.insert(bytes.end(), length.begin(), length.end());
    bytes.insert(bytes.end(), body.begin(), body.end());
    return raw(tick, bytes);
}
MidiTrack& MidiTrack::raw(uint32_t tick, const std::vector<uint8_t>& bytes) {
    events.push_back({tick, bytes});
    return *this;
}

std::vector<uint8_t> MidiTrack::body(bool runningStatus, bool endOfTrack) const {
    std::vector<Event> sorted = events;
    std::stable_sort(sorted.begin(), sorted.end(), [](const Event& a, const Event& b) { return a.tick < b.tick; });
    std::vector<uint8_t> out;
    uint32_t previousTick = 0;
    uint8_t previousStatus = 0;
    for (const Event& event : sorted) {
        const auto delta = variableLength(event.tick - previousTick);
        out.insert(out.end(), delta.begin(), delta.end());
        previousTick = event.tick;
        const uint8_t status = event.bytes.empty() ? 0 : event.bytes[0];
        const bool channelMessage = status >= 0x80 && status < 0xF0;
        const bool skipStatus = runningStatus && channelMessage && status == previousStatus;
        out.insert(out.end(), event.bytes.begin() + (skipStatus ? 1 : 0), event.bytes.end());
        if (channelMessage) previousStatus = status;
        else if (status == 0xF0 || status == 0xF7) previousStatus = 0;
    }
    if (endOfTrack) out.insert(out.end(), {0x00, 0xFF, 0x2F, 0x00});
    return out;
}

namespace {
void putBigEndian(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}
} // namespace

std::vector<uint8_t> buildMidiFile(const std::vector<MidiTrack>& tracks, const MidiFileOptions& options) {
    std::vector<uint8_t> out{'M', 'T', 'h', 'd'};
    putBigEndian(out, 6, 4);
    putBigEndian(out, options.format, 2);
    putBigEndian(out, static_cast<uint32_t>(tracks.size()), 2);
    putBigEndian(out, options.division, 2);
    for (const MidiTrack& track : tracks) {
        const auto body = track.body(options.runningStatus, options.endOfTrack);
        out.insert(out.end(), {'M', 'T', 'r', 'k'});
        putBigEndian(out, static_cast<uint32_t>(body.size()), 4);
        out.insert(out.end(), body.begin(), body.end());
    }
    return out;
}

bool writeMidiFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool complete = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && complete;
}

std::vector<uint8_t> makeGeneralMidiPiece(double seconds) {
    constexpr uint32_t kQuarter = 480;
    constexpr uint32_t kBar = 4 * kQuarter;
    const uint32_t bars = static_cast<uint32_t>(std::ceil(seconds / 2.0));  // 2 s per bar at 120 bpm
    MidiTrack conductor, bass, chords, melody, pad;
    conductor.trackName(0, "Conductor").tempo(0, 500000);
    bass.trackName(0, "Bass").program(0, 0, 33).controller(0, 0, 7, 60).controller(0, 0, 10, 40);
    chords.trackName(0, "Piano").program(0, 1, 0).controller(0, 1, 7, 55).controller(0, 1, 10, 64);
    melody.trackName(0, "Lead").program(0, 2, 73).controller(0, 2, 7, 60).controller(0, 2, 10, 88);
    pad.trackName(0, "Pad").program(0, 3, 89).controller(0, 3, 7, 28).controller(0, 3, 11, 80);

    // I - vi - IV - V in C, with a walking bass, offbeat chords, an eighth-note melody.
    const uint8_t roots[4] = {48, 45, 41, 43};
    const uint8_t thirds[4] = {4, 3, 4, 4};
    const uint8_t scale[8] = {72, 74, 76, 77, 79, 81, 83, 84};
    for (uint32_t bar = 0; bar < bars; ++bar) {
        const uint32_t start = bar * kBar;
        const uint8_t root = roots[bar % 4];
        for (uint32_t beat = 0; beat < 4; ++beat)
            bass.note(start + beat * kQuarter, kQuarter - 20, 0, static_cast<uint8_t>(root - 12 + (beat % 2) * 7), 96);
        for (uint32_t beat = 0; beat < 4; ++beat) {
            const uint32_t at = start + beat * kQuarter + kQuarter / 2;
            chords.note(at, kQuarter / 2, 1, static_cast<uint8_t>(root + 12), 72)
                .note(at, kQuarter / 2, 1, static_cast<uint8_t>(root + 12 + thirds[bar % 4]), 70)
                .note(at, kQuarter / 2, 1, static_cast<uint8_t>(root + 19), 70);
        }
        for (uint32_t eighth = 0; eighth < 8; ++eighth) {
            const uint8_t key = scale[(bar * 3 + eighth * 5) % 8];
            melody.note(start + eighth * kQuarter / 2, kQuarter / 2 - 10, 2, key,
                        static_cast<uint8_t>(80 + (eighth % 4) * 8));
        }
        // A bend up and back on the last beat of every other bar.
        if (bar % 2 == 1)
            for (uint32_t step = 0; step <= 8; ++step) {
                const double shape = std::sin(3.14159265358979 * step / 8.0);
                melody.pitchBend(start + 3 * kQuarter + step * kQuarter / 8, 2,
                                 static_cast<uint16_t>(8192 + std::lround(shape * 4000.0)));
            }
        pad.note(start, kBar, 3, root, 60).note(start, kBar, 3, static_cast<uint8_t>(root + 7), 60);
        // Expression swells over each bar.
        for (uint32_t step = 0; step < 8; ++step)
            pad.controller(start + step * kBar / 8, 3, 11, static_cast<uint8_t>(60 + step * 8));
    }
    return buildMidiFile({conductor, bass, chords, melody, pad});
}

std::vector<uint8_t> makeSixteenChannelPiece(double seconds) {
    constexpr uint32_t kQuarter = 480;
    constexpr uint32_t kBar = 4 * kQuarter;
    const uint32_t bars = static_cast<uint32_t>(std::ceil(seconds / 2.0));
    const uint8_t roots[4] = {48, 45, 41, 43};
    std::vector<MidiTrack> tracks(17);
    tracks[0].trackName(0, "Conductor").tempo(0, 500000);
    for (uint8_t channel = 0; channel < 16; ++channel) {
        MidiTrack& track = tracks[channel + 1u];
        if (channel == 9) {
            for (uint32_t bar = 0; bar < bars; ++bar)
                for (uint32_t eighth = 0; eighth < 8; ++eighth) {
                    const uint32_t at = bar * kBar + eighth * kQuarter / 2;
                    track.note(at, 60, 9, 42, 70);                                         // closed hi-hat
                    if (eighth % 4 == 0) track.note(at, 60, 9, 36, 110);                   // kick
                    if (eighth % 4 == 2) track.note(at, 60, 9, 38, 100);                   // snare
                }
            continue;
        }
        // One program from each family of eight; longer notes for the higher families.
        track.program(0, channel, static_cast<uint8_t>(channel * 8)).controller(0, channel, 7, 70);
        const uint32_t step = kQuarter / 2 * (1u + channel % 4);
        for (uint32_t bar = 0; bar < bars; ++bar)
            for (uint32_t at = 0; at < kBar; at += step) {
                const uint8_t octave = static_cast<uint8_t>(12 * (channel % 3));
                const uint8_t key = static_cast<uint8_t>(roots[bar % 4] + octave + ((at / step) % 3) * 4);
                track.note(bar * kBar + at, step - 10, channel, key, static_cast<uint8_t>(70 + channel));
            }
    }
    return buildMidiFile(tracks);
}

} // namespace test
} // namespace zephra
