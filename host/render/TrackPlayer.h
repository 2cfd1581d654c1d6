#pragma once
// One plug-in instance playing one track plan, as a DAW plays one instrument track during an
// offline export: blocks are cut at every parameter change (the plug-in applies parameter
// changes at the start of a block), so the audio does not depend on the block size; a preset
// change restores a controller state naming the new preset between two blocks and lets an
// empty block adopt it, so it lands on its sample. The track's pan (controller 10) scales the
// instance's output as a mixer channel's pan control would.
//
// Threads: render on any one thread at a time (the audio thread, which may change between
// calls when they are ordered, as a DAW's audio threads take turns); everything else on the
// thread that created the Plugin (its UI thread, the only one on which the processor may
// answer, as hosts allow). Not real-time safe (allocates between blocks, reads the SoundFont
// on a preset change).
#include "ChannelPlan.h"
#include "TrackPan.h"
#include "host/PluginHost.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zephra {
namespace render {

class TrackPlayer {
public:
    // plugin: set up, with the track's first preset already loaded from soundFontPath.
    TrackPlayer(std::unique_ptr<host::Plugin> plugin, TrackPlan track, std::string soundFontPath, uint64_t usedMemory,
                double sampleRate);

    // Audio side: renders at most the next `frames` frames (at most the plug-in's maximum
    // block per process call), panned, into left/right, and stops early where a preset change
    // falls due. Returns the frames rendered, or -1 with a reason in error. Samples that are
    // not numbers are counted and written as silence.
    int32_t render(int32_t frames, float* left, float* right, std::string& error);
    // UI side, between two renders: makes the preset changes due now.
    void changeDuePreset();
    // UI side, at any time: asks the processor for its voice count (the processor answers
    // with the highest since its last answer).
    void readVoiceCount();

    // Ends the track as a DAW ends an export: processing stops and the plug-in is deactivated;
    // then the processor is asked for its count once more. Returns the highest count that
    // answer carries (the processor keeps the highest since its previous answer).
    int32_t finish();
    int64_t position() const { return playPosition; }
    const TrackPlan& track() const { return trackPlan; }
    // The latest voice count the processor reported.
    int32_t voiceCount() const { return reportedVoiceCount; }
    int64_t nonFiniteSamples() const { return nonFiniteCount; }
    int64_t processCalls() const { return processCallCount; }
    // Sample points of the sound the processor holds now (its "USEDMEM" report).
    uint64_t usedMemory() const { return usedMemoryBytes; }
    // Preset changes that failed (the instance then plays nothing until the next one).
    const std::vector<std::string>& problems() const { return problemMessages; }

private:
    void changePreset(int32_t preset);

    std::unique_ptr<host::Plugin> plugin;
    TrackPlan trackPlan;
    std::string soundFontPath;
    TrackPan pan;
    uint64_t usedMemoryBytes = 0;
    size_t nextNote = 0, nextParameter = 0, nextProgram = 0;
    int64_t playPosition = 0;
    int32_t reportedVoiceCount = 0;
    int64_t nonFiniteCount = 0;
    int64_t processCallCount = 0;
    std::vector<std::string> problemMessages;
    std::vector<host::ParameterChange> changes;
    std::vector<host::NoteEvent> notes;
};

}   // namespace render
}   // namespace zephra
