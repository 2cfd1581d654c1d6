#pragma once
// What the renderer asks of one plug-in instance, through the host library as a DAW would:
// restoring a controller state naming the SoundFont and preset (and letting an empty block adopt
// the sound), and reading its MIDI mapping and parameters.
//
// Threads: the thread that created the Plugin (it stands in for both the UI and the audio thread).
// Not real-time safe (allocates, the plug-in reads the SoundFont).
#include "ChannelPlan.h"
#include "RenderPlan.h"
#include "host/PluginHost.h"

#include <cstdint>
#include <string>

namespace zephra {
namespace render {

// Makes the plug-in play presetIndex of the SoundFont at path (UTF-8) and checks that the
// processor took the sound up. Needs Plugin::setup first. usedMemory receives the processor's
// report (sample points).
bool loadSoundFont(host::Plugin& plugin, const std::string& path, int32_t presetIndex, uint64_t& usedMemory,
                   std::string& error);

// Restores the processor's state with the response chosen ("SoundFont 2.04" when soundFont204,
// else "Classic"), and the controller's component state with it, as a DAW restores a project.
bool restoreResponse(host::Plugin& plugin, bool soundFont204, std::string& error);

// The plug-in's MIDI mapping as a plan's controller mapping (no controllers without one).
ControllerMapping midiMappingOf(host::Plugin& plugin);

// The normalised value of the plug-in parameter titled title for the plain value plain, as the
// controller converts it; false when the plug-in has no such parameter.
bool normalizedParameter(host::Plugin& plugin, const std::u16string& title, double plain, uint32_t& id,
                         double& normalized);

// The plug-in's "Bend Range" parameter for the planner (absent when the plug-in has none).
BendRangeParameter bendRangeOf(host::Plugin& plugin);

}   // namespace render
}   // namespace zephra
