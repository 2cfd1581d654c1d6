#pragma once
// One render as a DAW project for an offline export: the bundle loaded once, one plug-in
// instance per track plan (one per MIDI channel with notes, or one for the whole piece with
// --single), each set up and given its first preset, then played and mixed. With several jobs
// the instances are spread over that many threads, each instance living on one of them from
// its creation to its end (loading, rendering and preset changes run in parallel).
//
// Threads: the thread that creates it (it stands in for both the UI and the audio thread of
// the instances it keeps itself). Not real-time safe (loads the bundle and SoundFonts,
// allocates, starts threads).
#include "FloatSpool.h"
#include "Mixdown.h"
#include "MixRenderer.h"
#include "Options.h"
#include "PresetCatalog.h"
#include "Score.h"
#include "TrackPlayer.h"
#include "TrackThreads.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zephra {
namespace render {

enum class SessionResult { Ready, SoundFontProblem, PluginProblem, Interrupted };

class RenderSession {
public:
    RenderSession() = default;
    ~RenderSession();   // ends every instance on its own thread
    RenderSession(const RenderSession&) = delete;
    RenderSession& operator=(const RenderSession&) = delete;

    // commandLinePreset: the preset --preset or --bank/--program chose, else -1. False results
    // come with a reason in error (none for Interrupted).
    SessionResult prepare(const Options& options, const PresetCatalog& catalog, int32_t commandLinePreset,
                          const std::string& bundlePath, const Score& score, std::string& error);
    bool render(AudioSink& sink, const ProgressFunction& progress, const StopRequest& stop, MixStats& stats,
                std::string& error);

    int64_t songEnd() const { return songEnd_; }
    size_t instanceCount() const { return players().size(); }
    int jobs() const { return jobs_; }
    // Notes on what the plan could not follow exactly (fallback presets, ignored programs ...).
    const std::vector<std::string>& remarks() const { return remarks_; }
    // One line per instance: its channel, preset and sample memory.
    std::vector<std::string> describeInstances() const;
    // Preset changes that failed during the render.
    std::vector<std::string> problems() const;

private:
    std::vector<TrackPlan> planTracks(const Options& options, const PresetCatalog& catalog, int32_t commandLinePreset,
                                      const Score& score, host::Plugin& first);
    std::vector<TrackPlayer*> players() const;

    std::shared_ptr<host::Module> module_;
    // One slot per planned track, empty when its first preset could not be loaded; the slots'
    // players live on the threads of threads_.
    std::vector<std::unique_ptr<TrackPlayer>> slots_;
    std::unique_ptr<TrackThreads> threads_;
    int jobs_ = 1;
    std::vector<std::string> remarks_;
    std::vector<std::string> presetRows_;   // per instance, its first preset's row
    std::string soundFontPath_;
    int64_t songEnd_ = 0;
    double sampleRate_ = 44100.0;
    int32_t blockSize_ = 512;
    TailRule tail_;
};

} // namespace render
} // namespace zephra
