// libFuzzer target: any bytes as a SoundFont file: open, load, then resolve and build every
// preset (plus one index before and one past the table), checking what callers rely on.
#include "FuzzInput.h"
#include "soundfont/SoundFontReader.h"

#include <cstdlib>

using Steinberg::Vst::SoundFontReader;

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
    }
    return 0;
}
