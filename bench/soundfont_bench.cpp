// Speed of the SoundFont reader on Debian's FluidR3_GM.sf2: opening it and listing its
// presets (the editor's file selection), and resolving and building its largest preset
// (the controller's preset load).
#include "soundfont/SoundFontReader.h"

#include <benchmark/benchmark.h>

#include <fstream>

using namespace Steinberg::Vst;

namespace {

const std::string fontPath = "/usr/share/sounds/sf2/FluidR3_GM.sf2";

std::u16string widePath() { return std::u16string(fontPath.begin(), fontPath.end()); }

bool fontMissing(benchmark::State& state)
{
    if (std::ifstream(fontPath).good())
        return false;
    state.SkipWithError("FluidR3_GM.sf2 missing: apt-get install fluid-soundfont-gm");
    return true;
}

// The preset with the most sample points: the heaviest load a user can trigger.
int32_t largestPreset()
{
    SoundFontReader reader(widePath());
    int32_t best = 0;
    size_t bestPoints = 0;
    for (size_t p = 0; p + 1 < reader.presets.size(); ++p) {
        reader.synths.clear();
        reader.resolvePreset(static_cast<int32_t>(p));
        reader.buildSynthRecords();
        size_t points = 0;
        for (const SFSynth& r : reader.synths)
            points += r.samples.size();
        if (points > bestPoints) {
            bestPoints = points;
            best = static_cast<int32_t>(p);
        }
    }
    return best;
}

void BM_ListPresetsFluidR3(benchmark::State& state)
{
    if (fontMissing(state))
        return;
    for (auto _ : state) {
        SoundFontReader reader(widePath());
        benchmark::DoNotOptimize(reader.presets.data());
    }
}
BENCHMARK(BM_ListPresetsFluidR3)->Unit(benchmark::kMillisecond);

void BM_BuildLargestPresetFluidR3(benchmark::State& state)
{
    if (fontMissing(state))
        return;
    const int32_t preset = largestPreset();
    size_t points = 0;
    for (auto _ : state) {
        SoundFontReader reader(widePath());
        reader.resolvePreset(preset);
        reader.buildSynthRecords();
        points = 0;
        for (const SFSynth& r : reader.synths)
            points += r.samples.size();
        benchmark::DoNotOptimize(reader.synths.data());
    }
    state.counters["preset"] = preset;
    state.counters["points"] = static_cast<double>(points);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * points * 2));
}
BENCHMARK(BM_BuildLargestPresetFluidR3)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
