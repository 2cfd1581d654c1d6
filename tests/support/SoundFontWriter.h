#pragma once
// Builds SoundFont 2 files in memory for the tests: samples, instruments and presets with
// global and local zones, plus raw tweaks of the chunk layout for hostile-file tests.
// Threads: any; no state. Not real-time safe.
#include "support/WavWriter.h"

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace zephra {
namespace test {

struct GeneratorSpec {
    uint16_t op = 0;
    int16_t amount = 0;
};
// A range generator (key range 43, velocity range 44): low byte low, high byte high.
GeneratorSpec rangeGenerator(uint16_t op, uint8_t low, uint8_t high);

struct ModulatorSpec {
    uint16_t source = 0;
    uint16_t destination = 0;
    int16_t amount = 0;
    uint16_t amountSource = 0;
    uint16_t transform = 0;
};

// A zone's generators are written in the given order; when link >= 0 it is appended as the
// last generator: the instrument (41) in a preset zone, the sample ID (53) in an instrument
// zone. A zone with link -1 is a global zone (or, with no generators, an empty one).
struct ZoneSpec {
    std::vector<GeneratorSpec> generators;
    std::vector<ModulatorSpec> modulators;
    int32_t link = -1;
};

struct SampleSpec {
    std::string name = "sample";
    std::vector<int16_t> points;
    uint32_t sampleRate = 44100;
    uint8_t rootKey = 60;
    int8_t pitchCorrection = 0;
    uint32_t loopStart = 0;    // points from the sample's first point
    uint32_t loopEnd = 0;
    uint16_t sampleType = 1;   // mono
    uint16_t sampleLink = 0;
    // Header positions written as they stand (absolute points in "smpl") instead of the
    // ones the writer computes: start, end, loop start, loop end.
    struct Positions { uint32_t start, end, loopStart, loopEnd; };
    std::optional<Positions> rawPositions;
};

struct InstrumentSpec {
    std::string name = "instrument";
    std::vector<ZoneSpec> zones;
};

struct PresetSpec {
    std::string name = "preset";
    uint16_t program = 0;
    uint16_t bank = 0;
    std::vector<ZoneSpec> zones;
};

struct SoundFontSpec {
    uint16_t versionMajor = 2;
    uint16_t versionMinor = 1;
    std::optional<std::string> bankName = std::string("Test Bank");  // none: no "INAM"
    std::vector<SampleSpec> samples;
    std::vector<InstrumentSpec> instruments;
    std::vector<PresetSpec> presets;

    // Raw tweaks, by chunk ID ("ifil", "INAM", "smpl", "phdr" .. "shdr"):
    std::vector<RawChunk> extraInfoChunks;                 // appended to the INFO list
    std::set<std::string> omitChunks;                      // left out entirely
    std::map<std::string, std::vector<uint8_t>> replaceData;  // written instead of the data
    std::map<std::string, int64_t> statedSizes;            // written as the chunk's size
    std::vector<RawChunk> trailingChunks;                  // after the preset-data list
    bool padOddChunks = true;                              // pad byte after odd-sized chunks
    // Terminal-record bag/sample indices are written as the writer computes them unless set.
    std::optional<uint16_t> terminalPresetBag;
    std::optional<uint16_t> terminalInstrumentBag;
};

std::vector<uint8_t> buildSoundFont(const SoundFontSpec& spec);

// The raw preset-data chunk bodies of a spec, in case a test wants to edit them.
std::map<std::string, std::vector<uint8_t>> buildPresetData(const SoundFontSpec& spec);

struct SineFontOptions {
    int presetCount = 1;            // preset i: "Sine i", bank 0, program i
    double frequency = 441.0;       // 100 points per cycle at 44100 Hz
    uint32_t sampleRate = 44100;
    uint8_t rootKey = 69;
    int8_t pitchCorrection = 0;
    bool looped = true;             // loop over whole cycles, so it is seamless
    int volEnvReleaseTimecents = -12000;
    std::vector<GeneratorSpec> instrumentGenerators;   // added to the instrument zone
    std::vector<GeneratorSpec> presetGenerators;       // added to every preset zone
};
// Every preset plays the same sine (full-scale amplitude 16384, about half scale).
std::vector<uint8_t> makeSineSoundFont(const SineFontOptions& options = {});

// Presets in file order (bank:program "name"): 0:0 "Piano", 128:0 "Drums", 0:5 "Organ". Each
// plays a looped 441 Hz sine at key 69; Drums sounds an octave higher, so a test can hear
// which preset plays.
std::vector<uint8_t> makePianoDrumsOrganFont();

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes);

} // namespace test
} // namespace zephra
