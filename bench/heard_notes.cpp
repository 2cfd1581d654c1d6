// heard_notes: counts the note-ons of MIDI files that produce sound through the plug-in, each
// note played as zephra-render plans it (its channel's preset at that moment, the controller
// values then in force, its written length) but alone on an instance, so that nothing else
// masks it. A silent note is missing from the render unless the font has no zone for its key
// and velocity (read from the file here, apart from the plug-in) or the song mutes it (its
// channel's volume or expression at 0).
//
//   heard_notes [--sf2 FONT] [--plugin BUNDLE] FILE.mid ...   (default: the build tree's bundle)
//
// Prints one line per file: note-ons, heard, missing, no zone in the font, muted by the song;
// then lists the missing notes (at most 20 per file), each with whether holding it for a second
// makes it sound. Exit status 1 when a note is missing.
#include "BundleLocator.h"
#include "ChannelPlan.h"
#include "MidiFile.h"
#include "Options.h"
#include "PresetCatalog.h"
#include "Renderer.h"
#include "Score.h"
#include "platform/Text.h"
#include "soundfont/SoundFontReader.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace zephra;
using namespace zephra::render;

constexpr double kRate = 44100.0;
constexpr int32_t kBlock = 512;
constexpr float kHeard = 1.0e-5f;              // -100 dBFS at the plug-in's own level
constexpr int64_t kHeldSamples = 44100;        // the second try holds the note for a second
constexpr int64_t kLongestWait = 30 * 44100;   // the most a release is waited for

struct Note {
    int64_t on = 0, off = 0;
    int16_t key = 0;
    float velocity = 0.f;
    int32_t preset = 0;
    std::vector<host::ParameterChange> state;   // the controller values in force at the note-on
    bool muted = false;                          // volume or expression at 0
};

// Key and velocity ranges of every zone of a preset, as the SoundFont file gives them.
class ZoneRanges {
public:
    explicit ZoneRanges(const std::string& font) : reader(Steinberg::Vst::fromUtf8(font)) {}
    bool covers(int32_t preset, int key, int velocity) {
        auto found = ranges.find(preset);
        if (found == ranges.end()) {
            reader.resolvePreset(preset);
            std::vector<std::array<int, 4>> zones;
            for (const auto& g : reader.zoneGenerators)
                zones.push_back({g[43] & 0xFF, (g[43] >> 8) & 0xFF, g[44] & 0xFF, (g[44] >> 8) & 0xFF});
            found = ranges.emplace(preset, std::move(zones)).first;
        }
        for (const auto& z : found->second)
            if (z[0] <= key && key <= z[1] && z[2] <= velocity && velocity <= z[3]) return true;
        return false;
    }

private:
    Steinberg::Vst::SoundFontReader reader;
    std::map<int32_t, std::vector<std::array<int, 4>>> ranges;
};

// Every note-on of a track with its note-off (the first later one of its key), preset and
// controller values, the pedal left up.
std::vector<Note> notesOf(const TrackPlan& track, uint32_t pedalId, uint32_t volumeId, uint32_t expressionId) {
    std::vector<Note> notes;
    std::map<uint32_t, double> values;
    size_t nextParameter = 0, nextProgram = 0;
    int32_t preset = track.firstPreset;
    const std::vector<PlannedNote>& planned = track.plan.notes;
    for (size_t i = 0; i < planned.size(); ++i) {
        if (!planned[i].on) continue;
        const int64_t at = planned[i].sample;
        for (; nextParameter < track.plan.parameters.size() && track.plan.parameters[nextParameter].sample <= at;
             ++nextParameter)
            values[track.plan.parameters[nextParameter].id] = track.plan.parameters[nextParameter].normalized;
        for (; nextProgram < track.programs.size() && track.programs[nextProgram].sample <= at; ++nextProgram)
            preset = track.programs[nextProgram].preset;
        Note note;
        note.on = at;
        note.off = at;
        for (size_t k = i + 1; k < planned.size(); ++k)
            if (!planned[k].on && planned[k].pitch == planned[i].pitch) {
                note.off = planned[k].sample;
                break;
            }
        note.key = planned[i].pitch;
        note.velocity = planned[i].velocity;
        note.preset = preset;
        for (const auto& [id, value] : values) {
            note.state.push_back({id, 0, id == pedalId ? 0.0 : value});
            note.muted = note.muted || ((id == volumeId || id == expressionId) && value == 0.0);
        }
        notes.push_back(std::move(note));
    }
    return notes;
}

// Plays one note alone for `length` samples and then until silence; true when any sample
// reached kHeard.
bool heard(host::Plugin& plugin, const Note& note, int64_t length) {
    bool loud = false;
    int64_t done = 0;
    int silentBlocks = 0;
    std::vector<host::NoteEvent> events{host::NoteEvent::on(0, note.key, note.velocity)};
    std::vector<host::ParameterChange> changes = note.state;
    while (done < kLongestWait && silentBlocks < 2) {
        if (length >= done && length < done + kBlock)
            events.push_back(host::NoteEvent::off(int32_t(length - done), note.key, 0.f));
        const host::StereoBuffer& out = plugin.process(kBlock, changes, events);
        float peak = 0.f;
        for (size_t i = 0; i < out.left.size(); ++i)
            peak = std::max({peak, std::fabs(out.left[i]), std::fabs(out.right[i])});
        loud = loud || peak >= kHeard;
        silentBlocks = done > length && peak == 0.f ? silentBlocks + 1 : 0;
        events.clear();
        changes.clear();
        done += kBlock;
    }
    return loud;
}

struct Count {
    int64_t noteOns = 0, heard = 0, missing = 0, noZone = 0, muted = 0;
    std::vector<std::string> missingNotes;
};

bool auditFile(host::Module& module, const PresetCatalog& catalog, ZoneRanges& zones, const std::string& font,
               const std::string& path, Count& count, std::string& error) {
    MidiSequence sequence;
    if (!readMidiFile(path, sequence, error)) return false;
    const Score score = scoreFromMidi(sequence);
    std::unique_ptr<host::Plugin> plugin = host::Plugin::create(module, error);
    if (!plugin || !plugin->setup(kRate, kBlock, &error)) return false;
    const ControllerMapping mapping = midiMappingOf(*plugin);
    const ChannelPlanning planning = planChannels(score, kRate, mapping, bendRangeOf(*plugin), catalog, -1);
    for (const TrackPlan& track : planning.tracks) {
        uint32_t pedal = UINT32_MAX, volume = UINT32_MAX, expression = UINT32_MAX;
        if (mapping) {
            mapping(int16_t(track.channel), 64, pedal);
            mapping(int16_t(track.channel), 7, volume);
            mapping(int16_t(track.channel), 11, expression);
        }
        std::vector<Note> notes = notesOf(track, pedal, volume, expression);
        std::stable_sort(notes.begin(), notes.end(), [](const Note& a, const Note& b) { return a.preset < b.preset; });
        int32_t loaded = -1;
        for (const Note& note : notes) {
            ++count.noteOns;
            if (note.preset != loaded) {
                uint64_t points = 0;
                if (!loadSoundFont(*plugin, font, note.preset, points, error)) return false;
                loaded = note.preset;
            }
            const int velocity = int(std::lround(note.velocity * 127.0f));
            if (heard(*plugin, note, note.off - note.on)) {
                ++count.heard;
            } else if (note.muted) {
                ++count.muted;
            } else if (!zones.covers(note.preset, note.key, velocity)) {
                ++count.noZone;
            } else {
                ++count.missing;
                if (count.missingNotes.size() < 20) {
                    char text[200];
                    std::snprintf(text, sizeof text,
                                  "channel %d key %d velocity %d at %.3f s, %lld samples long (%s held for a second)",
                                  track.channel + 1, note.key, velocity, double(note.on) / kRate,
                                  static_cast<long long>(note.off - note.on),
                                  heard(*plugin, note, kHeldSamples) ? "sounds" : "silent even");
                    count.missingNotes.push_back(text);
                }
            }
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::string font = kDefaultSoundFont, bundleOption = ZEPHRA_BUNDLE_PATH, error;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--sf2" || arg == "--plugin") && i + 1 < argc) (arg == "--sf2" ? font : bundleOption) = argv[++i];
        else files.push_back(arg);
    }
    if (files.empty()) {
        std::fprintf(stderr, "usage: heard_notes [--sf2 FONT] [--plugin BUNDLE] FILE.mid ...\n");
        return 2;
    }
    PresetCatalog catalog;
    std::string bundle;
    if (!catalog.load(font, error) || !locateBundle(bundleOption, bundle, error)) {
        std::fprintf(stderr, "heard_notes: %s\n", error.c_str());
        return 2;
    }
    std::shared_ptr<host::Module> module = host::Module::load(bundle, error);
    if (!module) {
        std::fprintf(stderr, "heard_notes: %s\n", error.c_str());
        return 2;
    }
    bool anyMissing = false;
    std::printf("| file | font | note-ons | heard | missing | no zone in the font | muted by the song |\n"
                "|---|---|---|---|---|---|---|\n");
    ZoneRanges zones(font);
    for (const std::string& file : files) {
        Count count;
        if (!auditFile(*module, catalog, zones, font, file, count, error)) {
            std::fprintf(stderr, "heard_notes: %s: %s\n", file.c_str(), error.c_str());
            return 2;
        }
        std::printf("| %s | %s | %lld | %lld | %lld | %lld | %lld |\n", file.substr(file.find_last_of('/') + 1).c_str(),
                    font.substr(font.find_last_of('/') + 1).c_str(), static_cast<long long>(count.noteOns),
                    static_cast<long long>(count.heard), static_cast<long long>(count.missing),
                    static_cast<long long>(count.noZone), static_cast<long long>(count.muted));
        for (const std::string& note : count.missingNotes) std::fprintf(stderr, "  missing: %s\n", note.c_str());
        anyMissing = anyMissing || count.missing > 0;
    }
    return anyMissing ? 1 : 0;
}
