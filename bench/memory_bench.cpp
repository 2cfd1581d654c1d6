// Memory and load time of one preset, measured as a DAW holds the plug-in: the built bundle
// loaded through the host library, the preset named in a restored controller state, the sound
// adopted by one render call. Beside it, libfluidsynth loading the same font in the same run.
//
// For each font: the preset's zones, distinct samples and their points; the resident memory an
// instance gains by the load (steady) and the highest it reaches during the load and hand-over
// (peak); the load time; what a second instance with the same preset adds; libfluidsynth's
// memory with the whole font loaded and with only the preset's samples loaded. Every figure is
// taken in a fresh process of its own, so that no measurement inherits another's memory.
//
// Usage: memory_bench [--smoke] [--font PATH BANK PROGRAM]...
// Without --font: FluidR3_GM 000:003 (when installed) and a generated font with many layered
// zones over few samples. --smoke: the generated font, small, once.
#include "BundleLocator.h"
#include "controller/ControllerState.h"
#include "PresetCatalog.h"
#include "host/PluginHost.h"
#include "host/UsedMemoryReport.h"
#include "soundfont/SoundFontReader.h"
#include "support/SoundFontWriter.h"

#include <fluidsynth.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <malloc.h>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

constexpr double kMiB = 1024.0 * 1024.0;

struct Font {
    std::string label;
    std::string path;
    int bank = 0;
    int program = 0;
};

// Figures a measuring child process hands back through a pipe; NaN when not taken.
struct Figures {
    double zones = NAN, distinctSamples = NAN, distinctPoints = NAN, recordPoints = NAN;
    double usedMem = NAN, steady = NAN, peak = NAN, loadSeconds = NAN;
    double oneInstance = NAN, twoInstances = NAN, reloadSeconds = NAN;
    double fluidWhole = NAN, fluidPreset = NAN;
};

// VmRSS or VmHWM of this process in bytes.
double statusBytes(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const size_t length = std::strlen(field);
    while (std::getline(status, line))
        if (line.compare(0, length, field) == 0 && line.size() > length && line[length] == ':')
            return std::atof(line.c_str() + length + 1) * 1024.0;
    return NAN;
}
double residentBytes() { return statusBytes("VmRSS"); }
double peakBytes() { return statusBytes("VmHWM"); }

// Starts the peak figure (VmHWM) again from the current resident size.
void resetPeak()
{
    std::ofstream refs("/proc/self/clear_refs");
    refs << "5";
}

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The measurements, each run in a fresh process of this program ("--measure KIND PATH BANK
// PROGRAM"), which prints its figures on one line: a forked child would inherit the parent's
// heap, whose free but resident pages would hide what a load allocates.
enum Kind { kPreset, kOneInstance, kTwoInstances, kFluidWhole, kFluidPreset, kKinds };
const char* const kKindNames[kKinds] = {"preset", "one", "two", "fluid-whole", "fluid-preset"};
constexpr size_t kFigureCount = sizeof(Figures) / sizeof(double);

Figures measureInFreshProcess(Kind kind, const Font& font)
{
    Figures figures;
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return figures;
    self[length] = 0;
    const std::string command = std::string("'") + self + "' --measure " + kKindNames[kind] + " '" + font.path +
                                "' " + std::to_string(font.bank) + " " + std::to_string(font.program);
    FILE* child = popen(command.c_str(), "r");
    if (!child)
        return figures;
    double values[kFigureCount];
    size_t got = 0;
    while (got < kFigureCount && std::fscanf(child, "%lf", &values[got]) == 1)
        ++got;
    pclose(child);
    if (got == kFigureCount)
        std::memcpy(&figures, values, sizeof values);
    return figures;
}

int32_t presetIndex(const Font& font)
{
    zephra::render::PresetCatalog catalog;
    std::string error;
    if (!catalog.load(font.path, error))
        return -1;
    return catalog.find(font.bank, font.program);
}

// What the preset asks for, read with the SoundFont reader itself.
void measurePreset(const Font& font, Figures& f)
{
    Steinberg::Vst::SoundFontReader reader(std::u16string(font.path.begin(), font.path.end()));
    reader.resolvePreset(presetIndex(font));
    reader.buildSynthRecords();
    std::set<const float*> buffers;
    double distinct = 0, held = 0;
    for (const auto& record : reader.synths) {
        held += double(record.samples.size());
        if (buffers.insert(record.samples.data()).second)
            distinct += double(record.samples.size());
    }
    f.zones = double(reader.synths.size());
    f.distinctSamples = double(buffers.size());
    f.distinctPoints = distinct;
    f.recordPoints = held;
}

std::unique_ptr<zephra::host::Plugin> readyInstance(zephra::host::Module& module)
{
    std::string error;
    auto plugin = zephra::host::Plugin::create(module, error);
    if (!plugin || !plugin->setup(44100.0, 512, &error)) {
        std::fprintf(stderr, "memory_bench: %s\n", error.c_str());
        return nullptr;
    }
    plugin->recordMessages(true);
    plugin->process(0);
    return plugin;
}

// Loads the preset as a DAW restoring a project does. uiSeconds: the time the controller's
// state restore takes on the UI thread (read, resolve, convert, hand over); the processor's
// report of the sound comes back inside it.
bool loadPreset(zephra::host::Plugin& plugin, const Font& font, double& uiSeconds, uint64_t& usedPoints)
{
    const std::vector<uint8_t> state = Steinberg::Vst::soundFontControllerState(
        std::u16string(font.path.begin(), font.path.end()), presetIndex(font));
    plugin.clearMessages();
    const auto start = std::chrono::steady_clock::now();
    if (plugin.setControllerState(state) != Steinberg::kResultOk)
        return false;
    uiSeconds = secondsSince(start);
    plugin.process(0);   // the processor adopts the sound at the end of a render call
    const bool reported = zephra::host::findUsedMemoryReport(plugin.messages(), usedPoints);
    plugin.clearMessages();
    if (reported)
        return true;
    std::fprintf(stderr, "memory_bench: no report of the loaded sound for %s\n", font.path.c_str());
    return false;
}

std::shared_ptr<zephra::host::Module> loadBundle()
{
    std::string error, bundle;
    std::shared_ptr<zephra::host::Module> module;
    if (zephra::render::locateBundle(ZEPHRA_BUNDLE_PATH, bundle, error))
        module = zephra::host::Module::load(bundle, error);
    if (!module)
        std::fprintf(stderr, "memory_bench: %s\n", error.c_str());
    return module;
}

// One instance: what the load adds, its peak and its time.
void measureOneInstance(const Font& font, Figures& f)
{
    auto module = loadBundle();
    auto plugin = module ? readyInstance(*module) : nullptr;
    if (!plugin)
        return;
    malloc_trim(0);   // free heap pages left by setting up do not hide what the load takes
    const double empty = residentBytes();
    resetPeak();
    uint64_t used = 0;
    if (!loadPreset(*plugin, font, f.loadSeconds, used))
        return;
    f.peak = peakBytes() - empty;
    f.steady = residentBytes() - empty;
    f.usedMem = double(used);
}

// Two instances in one process, both empty first: what the first load adds, and both loads.
void measureTwoInstances(const Font& font, Figures& f)
{
    auto module = loadBundle();
    auto first = module ? readyInstance(*module) : nullptr;
    auto second = module ? readyInstance(*module) : nullptr;
    if (!first || !second)
        return;
    malloc_trim(0);
    const double empty = residentBytes();
    uint64_t used = 0;
    double seconds = 0.0;
    if (!loadPreset(*first, font, seconds, used))
        return;
    f.oneInstance = residentBytes() - empty;
    if (!loadPreset(*second, font, f.reloadSeconds, used))
        return;
    f.twoInstances = residentBytes() - empty;
}

// libfluidsynth with the preset selected on channel 0: the whole font's samples loaded (its
// default), or only those of presets in use (dynamic sample loading).
double measureFluidSynth(const Font& font, bool dynamicLoading)
{
    fluid_settings_t* settings = new_fluid_settings();
    fluid_settings_setint(settings, "synth.dynamic-sample-loading", dynamicLoading ? 1 : 0);
    fluid_settings_setnum(settings, "synth.sample-rate", 44100.0);
    fluid_synth_t* synth = new_fluid_synth(settings);
    malloc_trim(0);
    const double before = residentBytes();
    const int id = fluid_synth_sfload(synth, font.path.c_str(), 1);
    double grown = NAN;
    if (id != FLUID_FAILED && fluid_synth_program_select(synth, 0, id, font.bank, font.program) == FLUID_OK)
        grown = residentBytes() - before;
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
    return grown;
}

// Few long samples, many zones over them: every key in four velocity layers, each layer of a
// key range playing one of the samples, as layered and split instruments do.
Font writeLayeredFont(const std::string& folder, bool small)
{
    using namespace zephra::test;
    const size_t sampleCount = 4;
    const size_t points = small ? 100000 : 1000000;
    SoundFontSpec spec;
    for (size_t s = 0; s < sampleCount; ++s) {
        SampleSpec sample;
        sample.name = "layer" + std::to_string(s);
        sample.points.resize(points);
        for (size_t k = 0; k < points; ++k)
            sample.points[k] = int16_t(12000.0 * std::sin(double(k) * 0.0628 * double(s + 1)));
        sample.loopStart = uint32_t(points / 2);
        sample.loopEnd = uint32_t(points - 8);
        sample.rootKey = 60;
        spec.samples.push_back(sample);
    }
    InstrumentSpec instrument{"layers", {}};
    const int keysPerZone = small ? 4 : 1;
    for (int key = 0; key < 128; key += keysPerZone)
        for (int layer = 0; layer < 4; ++layer) {
            const auto low = uint8_t(layer * 32);
            instrument.zones.push_back(ZoneSpec{{rangeGenerator(43, uint8_t(key), uint8_t(key + keysPerZone - 1)),
                                                 rangeGenerator(44, low, uint8_t(low + 31)), {54, 1}},
                                                {},
                                                int32_t((key / keysPerZone + layer) % sampleCount)});
        }
    spec.instruments.push_back(instrument);
    spec.presets.push_back(PresetSpec{"Layered", 0, 0, {ZoneSpec{{}, {}, 0}}});
    const std::string path = folder + "/layered.sf2";
    if (!writeFile(path, buildSoundFont(spec)))
        std::fprintf(stderr, "memory_bench: cannot write %s\n", path.c_str());
    return Font{small ? "generated, 128 zones on 4 samples" : "generated, 512 zones on 4 samples", path, 0, 0};
}

const char* verdict(bool met) { return met ? "met" : "MISSED"; }

void report(const Font& font, const Figures& f)
{
    std::printf("\n== %s (%s, %03d:%03d)\n", font.label.c_str(), font.path.c_str(), font.bank, font.program);
    std::printf("zones %.0f, distinct samples %.0f, their points %.2f M (%.1f MB as float); "
                "points the records would hold each on their own %.2f M\n",
                f.zones, f.distinctSamples, f.distinctPoints / 1e6, f.distinctPoints * 4 / 1e6,
                f.recordPoints / 1e6);
    std::printf("USEDMEM (points held) %.0f\n", f.usedMem);
    const double allowed = 4.0 * f.distinctPoints + 32.0 * kMiB;
    std::printf("steady memory over an empty instance %.1f MiB   target <= 4 B x points + 32 MiB = %.1f MiB: %s\n",
                f.steady / kMiB, allowed / kMiB, verdict(f.steady <= allowed));
    std::printf("peak during load and hand-over     %.1f MiB   target <= steady + 10 %% = %.1f MiB: %s\n",
                f.peak / kMiB, 1.1 * f.steady / kMiB, verdict(f.peak <= 1.1 * f.steady));
    std::printf("load time on the UI thread         %.3f s     (target for FluidR3 Honky Tonk <= 0.1 s)\n",
                f.loadSeconds);
    const double ratio = f.twoInstances / f.oneInstance;
    std::printf("two instances, same preset         %.1f MiB against %.1f MiB for one: x%.3f   target <= x1.1: %s\n",
                f.twoInstances / kMiB, f.oneInstance / kMiB, ratio, verdict(ratio <= 1.1));
    std::printf("second instance's load time        %.3f s\n", f.reloadSeconds);
    std::printf("libfluidsynth, same font           %.1f MiB with the whole font loaded (its default), "
                "%.1f MiB with dynamic sample loading\n",
                f.fluidWhole / kMiB, f.fluidPreset / kMiB);
}

bool installed(const std::string& path)
{
    struct stat s {};
    return stat(path.c_str(), &s) == 0;
}

} // namespace

// One measurement in this process; prints every figure (nan when not taken).
int measureHere(const char* kindName, const Font& font)
{
    Figures f;
    if (std::strcmp(kindName, kKindNames[kPreset]) == 0)
        measurePreset(font, f);
    else if (std::strcmp(kindName, kKindNames[kOneInstance]) == 0)
        measureOneInstance(font, f);
    else if (std::strcmp(kindName, kKindNames[kTwoInstances]) == 0)
        measureTwoInstances(font, f);
    else if (std::strcmp(kindName, kKindNames[kFluidWhole]) == 0)
        f.fluidWhole = measureFluidSynth(font, false);
    else if (std::strcmp(kindName, kKindNames[kFluidPreset]) == 0)
        f.fluidPreset = measureFluidSynth(font, true);
    else
        return 2;
    double values[kFigureCount];
    std::memcpy(values, &f, sizeof values);
    for (double value : values)
        std::printf("%.17g ", value);
    std::printf("\n");
    return 0;
}

int main(int argc, char** argv)
{
    if (argc == 6 && std::strcmp(argv[1], "--measure") == 0)
        return measureHere(argv[2], Font{argv[3], argv[3], std::atoi(argv[4]), std::atoi(argv[5])});
    bool smoke = false;
    std::vector<Font> fonts;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--smoke") == 0) {
            smoke = true;
        } else if (std::strcmp(argv[i], "--font") == 0 && i + 3 < argc) {
            fonts.push_back(Font{argv[i + 1], argv[i + 1], std::atoi(argv[i + 2]), std::atoi(argv[i + 3])});
            i += 3;
        } else {
            std::fprintf(stderr, "usage: memory_bench [--smoke] [--font PATH BANK PROGRAM]...\n");
            return 2;
        }
    }
    char folderTemplate[] = "/tmp/zephra_memory_bench_XXXXXX";
    const char* folder = mkdtemp(folderTemplate);
    if (!folder)
        return 1;
    if (fonts.empty()) {
        const std::string fluid = "/usr/share/sounds/sf2/FluidR3_GM.sf2";
        if (!smoke && installed(fluid))
            fonts.push_back(Font{"FluidR3_GM, Honky Tonk", fluid, 0, 3});
        fonts.push_back(writeLayeredFont(folder, smoke));
    }
    for (const Font& font : fonts) {
        if (presetIndex(font) < 0) {
            std::printf("\n== %s: no preset %03d:%03d, skipped\n", font.label.c_str(), font.bank, font.program);
            continue;
        }
        Figures f = measureInFreshProcess(kPreset, font);
        const Figures one = measureInFreshProcess(kOneInstance, font);
        const Figures two = measureInFreshProcess(kTwoInstances, font);
        f.usedMem = one.usedMem;
        f.steady = one.steady;
        f.peak = one.peak;
        f.loadSeconds = one.loadSeconds;
        f.oneInstance = two.oneInstance;
        f.twoInstances = two.twoInstances;
        f.reloadSeconds = two.reloadSeconds;
        f.fluidWhole = measureInFreshProcess(kFluidWhole, font).fluidWhole;
        f.fluidPreset = measureInFreshProcess(kFluidPreset, font).fluidPreset;
        report(font, f);
    }
    std::remove((std::string(folder) + "/layered.sf2").c_str());
    rmdir(folder);
    return 0;
}
