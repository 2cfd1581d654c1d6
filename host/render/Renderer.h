#pragma once
// Drives the plug-in through the host library as a DAW would during an offline export:
// restores a controller state naming the SoundFont and preset, lets one empty block adopt the
// sound, then plays the plan block by block. Blocks are cut at every parameter change, since
// the plug-in applies parameter changes at the start of a block: so the audio is the same
// whatever the block size.
//
// Threads: the thread that owns the Plugin (it stands in for both the UI and the audio thread).
// Not real-time safe (allocates between blocks, writes files through the sink).
#include "RenderPlan.h"
#include "host/PluginHost.h"

#include <cstdint>
#include <functional>
#include <string>

namespace zephra {
namespace render {

// Makes the plug-in play presetIndex of the SoundFont at path (UTF-8) and checks that the
// processor took the sound up. Needs Plugin::setup first. usedMemory receives the processor's
// report (sample points).
bool loadSoundFont(host::Plugin& plugin, const std::string& path, int32_t presetIndex,
                   uint64_t& usedMemory, std::string& error);

// The plug-in's MIDI mapping as a plan's controller mapping (no controllers without one).
ControllerMapping midiMappingOf(host::Plugin& plugin);

// The normalised value of the plug-in parameter titled title for the plain value plain, as the
// controller converts it; false when the plug-in has no such parameter.
bool normalizedParameter(host::Plugin& plugin, const std::u16string& title, double plain, uint32_t& id,
                         double& normalized);

// Receives the rendered audio, block by block.
class AudioSink {
public:
    virtual ~AudioSink() = default;
    virtual bool consume(const float* left, const float* right, int32_t frameCount, std::string& error) = 0;
};

struct RenderStats {
    int64_t frames = 0;
    double wallSeconds = 0.0;   // time spent in the render loop
    double cpuSeconds = 0.0;    // processor time of this process in the loop (less load-dependent)
    float peak = 0.f;           // largest absolute sample value
    int64_t nonFiniteSamples = 0;   // NaN or infinite samples the plug-in produced
    int32_t maxVoices = 0;      // highest count the processor reported in "VOICENUM"
    int64_t blocks = 0;         // process calls
};

using ProgressFunction = std::function<void(int64_t doneFrames)>;

// Plays the plan with blocks of at most blockSize samples (the plug-in must be set up with a
// maximum block of at least that).
bool renderPlan(host::Plugin& plugin, const RenderPlan& plan, int32_t blockSize, AudioSink& sink,
                const ProgressFunction& progress, RenderStats& stats, std::string& error);

} // namespace render
} // namespace zephra
