#pragma once
// One render as a DAW project for an offline export: the bundle loaded once, one plug-in
// instance per track plan (one per MIDI channel with notes, or one for the whole piece with
// --single), each set up and given its first preset, then played and mixed. With several jobs
// the instances render on that many threads at once; everything else they are asked stays on
// the session's thread.
//
// Threads: the thread that creates it (it stands in for the UI thread of every instance, and
// for their audio thread when one job renders). Not real-time safe (loads the bundle and
// SoundFonts, allocates, starts threads).
#include "FloatSpool.h"
#include "Mixdown.h"
#include "MixRenderer.h"
#include "Options.h"
#include "PresetCatalog.h"
#include "Score.h"
#include "TrackPlayer.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zephra {
namespace render {

enum class SessionResult { Ready, SoundFontProblem, PluginProblem, Interrupted };

class RenderSession {
public:
    // commandLinePreset: the preset --preset or --bank/--program chose, else -1. False results
    // come with a reason in error (none for Interrupted).
    SessionResult prepare(const Options& options, const PresetCatalog& catalog, int32_t commandLinePreset,
                          const std::string& bundlePath, const Score& score, std::string& error);
    bool render(AudioSink& sink, const ProgressFunction& progress, const StopRequest& stop, MixStats& stats,
                std::string& error);

    int64_t songEnd() const { return songEndFrame; }
    size_t instanceCount() const { return trackPlayers.size(); }
    // Notes on what the plan could not follow exactly (fallback presets, ignored programs ...).
    const std::vector<std::string>& remarks() const { return sessionRemarks; }
    // One line per instance: its channel, preset and sample memory.
    std::vector<std::string> describeInstances() const;
    // Preset changes that failed during the render.
    std::vector<std::string> problems() const;

private:
    std::vector<TrackPlan> planTracks(const Options& options, const PresetCatalog& catalog, int32_t commandLinePreset,
                                      const Score& score, host::Plugin& first);

    std::shared_ptr<host::Module> loadedModule;
    std::vector<std::unique_ptr<TrackPlayer>> trackPlayers;
    int jobs = 1;
    std::vector<std::string> sessionRemarks;
    std::vector<std::string> presetRows;   // per instance, its first preset's row
    std::string soundFontPath;
    int64_t songEndFrame = 0;
    double sampleRate = 44100.0;
    int32_t blockSize = 512;
    TailRule tail;
};

}   // namespace render
}   // namespace zephra
