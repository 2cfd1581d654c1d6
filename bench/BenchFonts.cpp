#include "BenchFonts.h"

#include <cstring>
#include <ctime>
#include <set>
#include <sys/stat.h>

namespace zephra::bench {

bool fileExists(const std::string& path)
{
    struct stat s {};
    return stat(path.c_str(), &s) == 0;
}

std::vector<std::string> installedFonts(std::initializer_list<const char*> paths)
{
    std::vector<std::string> installed;
    for (const char* path : paths)
        if (fileExists(path))
            installed.push_back(path);
    return installed;
}

std::u16string widen(const std::string& s)
{
    std::u16string out;
    for (unsigned char c : s)
        out.push_back(char16_t(c));
    return out;
}

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

double processCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

int32_t presetIndex(const Steinberg::Vst::SoundFontReader& reader, int bank, int program)
{
    for (size_t i = 0; i + 1 < reader.presets.size(); ++i)
        if (reader.presets[i].bank == bank && reader.presets[i].preset == program)
            return int32_t(i);
    return -1;
}

std::string presetName(const Steinberg::Vst::PresetHeader& preset)
{
    return std::string(preset.name, strnlen(preset.name, sizeof preset.name));
}

void loadPreset(Steinberg::Vst::SoundFontReader& reader, int32_t index)
{
    reader.synths.clear();
    reader.resolvePreset(index);
    reader.buildSynthRecords();
}

uint64_t totalPoints(const Steinberg::Vst::SFSynthList& records)
{
    uint64_t points = 0;
    for (const Steinberg::Vst::SFSynth& r : records)
        points += r.samples.size();
    return points;
}

uint64_t distinctPoints(const Steinberg::Vst::SFSynthList& records)
{
    std::set<const float*> seen;
    uint64_t points = 0;
    for (const Steinberg::Vst::SFSynth& r : records)
        if (seen.insert(r.samples.data()).second)
            points += r.samples.size();
    return points;
}

int32_t largestPreset(Steinberg::Vst::SoundFontReader& reader,
                      uint64_t (*points)(const Steinberg::Vst::SFSynthList&))
{
    int32_t best = 0;
    uint64_t bestPoints = 0;
    for (size_t p = 0; p + 1 < reader.presets.size(); ++p) {
        loadPreset(reader, static_cast<int32_t>(p));
        const uint64_t held = points(reader.synths);
        if (held > bestPoints) {
            bestPoints = held;
            best = static_cast<int32_t>(p);
        }
    }
    return best;
}

} // namespace zephra::bench
