// Speed of the SoundFont reader on Debian's FluidR3_GM.sf2: opening it and listing its
// presets (the editor's file selection), and resolving and building its largest preset
// (the controller's preset load).
#include "BenchFonts.h"

#include <benchmark/benchmark.h>

using namespace Steinberg::Vst;
using namespace zephra::bench;

namespace {

std::u16string widePath() { return widen(kFluidR3GM); }

bool fontMissing(benchmark::State& state)
{
    if (fileExists(kFluidR3GM))
        return false;
    state.SkipWithError("FluidR3_GM.sf2 missing: apt-get install fluid-soundfont-gm");
    return true;
}

// The preset with the most sample points: the heaviest load a user can trigger.
int32_t largestPreset()
{
    SoundFontReader reader(widePath());
    return zephra::bench::largestPreset(reader, totalPoints);
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
        loadPreset(reader, preset);
        points = totalPoints(reader.synths);
        benchmark::DoNotOptimize(reader.synths.data());
    }
    state.counters["preset"] = preset;
    state.counters["points"] = static_cast<double>(points);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * points * 2));
}
BENCHMARK(BM_BuildLargestPresetFluidR3)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
