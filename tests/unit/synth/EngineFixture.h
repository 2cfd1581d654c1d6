#pragma once
// An engine at 44.1 kHz with a record list already adopted, for note and output tests.
// Threads: test code.
#include "soundfont/SFSynth.h"
#include "synth/SynthEngine.h"

#include <vector>

namespace zephra::test {

inline void adopt(Steinberg::Vst::SynthEngine& engine, Steinberg::Vst::SFSynthList records)
{
    engine.receiveSound(records);
    float left[1], right[1];
    engine.render(left, right, 0, 1.0f);
}

// Renders `count` samples and returns the left channel (the right one in `right` if given).
inline std::vector<float> renderLeft(Steinberg::Vst::SynthEngine& engine, int count, float gain = 1.0f,
                                     std::vector<float>* right = nullptr)
{
    std::vector<float> l(size_t(count) + 1), r(size_t(count) + 1);
    engine.render(l.data(), r.data(), count, gain);
    l.resize(size_t(count));
    r.resize(size_t(count));
    if (right)
        *right = r;
    return l;
}

} // namespace zephra::test
