// Compressed SoundFonts: load time and memory of the largest preset of an .sf3 beside the same
// preset of the .sf2 it came from (TimGM6mb, converted here with sf3convert), and of the
// largest preset of Debian's own .sf3 fonts. Load = resolve and build the records, as the
// controller does; memory = the sample buffers the records hold (each once) and the rise of
// the peak resident size of a fresh process during the load. The MuseScore_General_Lite.sf3
// piano is also loaded with its streams decoded on one thread and on every core (wall and CPU
// time of the process), the target being under 1 s on two cores.
// Usage: compressed_bench [--smoke]   (--smoke: TimGM6mb only)
#include "BenchFonts.h"
#include "support/Sf3Convert.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

using namespace Steinberg::Vst;
using namespace zephra::bench;

namespace {

long statusKb(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::atol(line.c_str() + std::strlen(field));
    return 0;
}

struct Load {
    double seconds = 0;
    double cpuSeconds = 0;   // every thread of the process
    size_t records = 0;
    uint64_t heldBytes = 0;   // distinct sample buffers, as floats
    long peakRiseKb = 0;
};

Load load(const std::string& path, int32_t preset, unsigned threads)
{
    SoundFontReader reader(widen(path));
    reader.decodingThreads = threads;
    const long before = statusKb("VmHWM:");
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = processCpuSeconds();
    reader.resolvePreset(preset);
    reader.buildSynthRecords();
    Load result;
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result.cpuSeconds = processCpuSeconds() - cpuStart;
    result.peakRiseKb = statusKb("VmHWM:") - before;
    result.records = reader.synths.size();
    result.heldBytes = 4 * distinctPoints(reader.synths);
    return result;
}

// The preset whose records hold the most distinct points.
int32_t largestPreset(const std::string& path)
{
    SoundFontReader reader(widen(path));
    return zephra::bench::largestPreset(reader, distinctPoints);
}

// Each load runs in a child process of its own, so its peak is not hidden by memory an earlier
// load left mapped.
void report(const std::string& label, const std::string& path, int32_t preset,
            unsigned threads = vorbisDecodingThreads())
{
    std::fflush(stdout);
    const pid_t child = ::fork();
    if (child != 0) {
        ::waitpid(child, nullptr, 0);
        return;
    }
    const Load l = load(path, preset, threads);
    std::printf("%-44s preset %4d  %4zu records  load %8.1f ms (CPU %8.1f ms, %u thread(s))  samples %8.1f MB  "
                "peak rise %8.1f MB\n",
                label.c_str(), preset, l.records, 1000 * l.seconds, 1000 * l.cpuSeconds, threads, l.heldBytes / 1e6,
                l.peakRiseKb / 1024.0);
    std::fflush(stdout);
    ::_exit(0);
}

} // namespace

int main(int argc, char** argv)
{
    const bool smoke = argc > 1 && std::strcmp(argv[1], "--smoke") == 0;
    const std::string tim = kTimGM6mb;
    if (!zephra::test::haveSf3convert() || !fileExists(tim)) {
        std::puts("compressed_bench: needs sf3convert and timgm6mb-soundfont (apt-get install sf3convert timgm6mb-soundfont)");
        return 0;
    }
    std::ifstream in(tim, std::ios::binary);
    const std::vector<uint8_t> sf2((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string converted = "/tmp/zephra_compressed_bench_" + std::to_string(::getpid()) + ".sf3";
    {
        const std::vector<uint8_t> sf3 = zephra::test::convertToSf3(sf2, converted + ".work");
        if (sf3.empty() || !zephra::test::writeFile(converted, sf3)) {
            std::puts("compressed_bench: sf3convert failed on TimGM6mb.sf2");
            return 1;
        }
    }
    const int32_t preset = largestPreset(converted);
    report("TimGM6mb.sf3 (sf3convert -z -a 0)", converted, preset);
    report("TimGM6mb.sf2 (its original)", tim, preset);
    std::remove(converted.c_str());
    if (smoke)
        return 0;
    for (const std::string path : {kFluidR3MonoGM, kMuseScoreGeneralLite}) {
        if (!fileExists(path)) {
            std::printf("%s missing (fluidr3mono-gm-soundfont / musescore-general-soundfont-small)\n", path.c_str());
            continue;
        }
        report(path.substr(path.rfind('/') + 1), path, largestPreset(path));
    }
    const std::string lite = kMuseScoreGeneralLite;
    if (fileExists(lite)) {
        const int32_t piano = presetIndex(SoundFontReader(widen(lite)), 0, 0);
        for (unsigned threads : {1u, vorbisDecodingThreads()})
            if (piano >= 0)
                report("MuseScore_General_Lite.sf3 piano (000:000)", lite, piano, threads);
    }
    return 0;
}
