// libFuzzer target: any bytes as a SoundFont file: open, load, then resolve and build every
// preset (plus one index before and one past the table), checking what callers rely on, and
// play each preset's records through the engine: no sample may come out as NaN or infinity.
#include "FuzzInput.h"
#include "soundfont/SoundFontReader.h"
#include "synth/SynthEngine.h"

#include <cmath>
#include <cstdlib>
#include <memory>

using Steinberg::Vst::SFSynthList;
using Steinberg::Vst::SoundFontReader;
using Steinberg::Vst::SynthEngine;

namespace {

// A low, a middle and a high key at full velocity, a few blocks each, then released.
void playThroughEngine(const SFSynthList& records)
{
    if (records.empty())
        return;
    auto engine = std::make_unique<SynthEngine>();
    SFSynthList copy = records;
    engine->receiveSound(copy);
    float left[256], right[256];
    engine->render(left, right, 256, 1.0f);   // adopts the sound
    for (int16_t key : {21, 60, 108})
        engine->noteOn(key, 1.0f);
    for (int block = 0; block < 6; ++block) {
        if (block == 4)
            for (int16_t key : {21, 60, 108})
                engine->noteOff(key);
        engine->render(left, right, 256, 12.0f);
        for (int i = 0; i < 256; ++i)
            if (!std::isfinite(left[i]) || !std::isfinite(right[i]))
                std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SoundFontReader reader(zephra::fuzz::writeInput(data, size));
    const int32_t presetCount = static_cast<int32_t>(reader.presets.size());
    for (int32_t p = -1; p <= presetCount; ++p) {
        reader.log.clear();
        reader.synths.clear();
        reader.resolvePreset(p);
        reader.buildSynthRecords();
        if (reader.synths.size() > reader.zoneGenerators.size())
            std::abort();
        for (const auto& record : reader.synths) {
            // Every record carries its guard point, and a loop stays inside the samples.
            const auto length = static_cast<int64_t>(record.samples.size()) - 1;
            if (length < 0 || record.samples.back() != 0.0f)
                std::abort();
            if (record.loopStart < 0 || record.loopEnd > length || record.loopStart > length)
                std::abort();
            volatile float touch = record.samples[static_cast<size_t>(length / 2)];
            (void)touch;
        }
        playThroughEngine(reader.synths);
    }
    return 0;
}
