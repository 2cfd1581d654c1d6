// libFuzzer target: any bytes as a WAV file through readWav.
#include "FuzzInput.h"
#include "soundfont/WavReader.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::unique_ptr<float[]> left, right;
    int32_t frames = -1, rate = 0;
    const bool ok = Steinberg::Vst::readWav(zephra::fuzz::writeInput(data, size), left, right, frames, rate);
    if (ok) {
        if (rate != 44100 || frames < 0 || static_cast<size_t>(frames) > size || !left || !right)
            std::abort();
        float sum = 0.0f;
        for (int32_t i = 0; i < frames; ++i)
            sum += left[i] + right[i];
        volatile float keep = sum;
        (void)keep;
    } else if (left || right) {
        std::abort();  // a refusal hands nothing out
    }
    return 0;
}
