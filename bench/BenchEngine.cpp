#include "BenchEngine.h"

namespace zephra::bench {

void handOverSound(Steinberg::Vst::SynthEngine& engine, Steinberg::Vst::SFSynthList records)
{
    engine.receiveSound(records);
    float left[1], right[1];
    engine.render(left, right, 0, 1.0f);
}

} // namespace zephra::bench
