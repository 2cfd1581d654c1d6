#pragma once
// The second pass over a finished render: the gain that brings the whole mix to its target
// peak, and the writing of the spooled mix through that gain into the output, with a short fade
// at the very end so that no sound stops with a click.
//
// Threads: one thread. Not real-time safe (file I/O).
#include "FloatSpool.h"
#include "MixRenderer.h"
#include "host/render/platform/OutputFile.h"

#include <cstdint>
#include <string>

namespace zephra {
namespace render {

constexpr double kNormalisedPeakDb = -1.0;

// The gain that moves peak to kNormalisedPeakDb (1 for a silent mix).
double normalisingGain(float peak);

struct MixdownStats {
    int64_t aboveFullScale = 0;   // samples beyond full scale after the gain
};

// Writes every spooled frame times gain into output (which must have begun), fading the last
// fadeFrames to silence.
bool writeMixdown(FloatSpool& spool, OutputFile& output, double gain, int64_t fadeFrames, const StopRequest& stop,
                  MixdownStats& stats, std::string& error);

}   // namespace render
}   // namespace zephra
