#pragma once
// The raw preset-data records of a SoundFont 2 file ("phdr" .. "shdr"), decoded field by
// field from their little-endian file layout, plus the fixed record sizes in the file.
//
// Threads: plain value types; any thread. Real-time safe (no behaviour).
#include <cstdint>

namespace Steinberg {
namespace Vst {

struct PresetHeader {          // "phdr", 38 bytes
    char name[20] = {};        // as in the file, not necessarily zero-terminated
    uint16_t preset = 0;       // program number
    uint16_t bank = 0;
    uint16_t bagIndex = 0;     // first "pbag" record of this preset
    uint32_t library = 0;
    uint32_t genre = 0;
    uint32_t morphology = 0;
};

struct Bag {                   // "pbag" / "ibag", 4 bytes
    uint16_t generatorIndex = 0;
    uint16_t modulatorIndex = 0;
};

struct ModulatorRecord {       // "pmod" / "imod", 10 bytes (applied by the "SoundFont 2.04" response)
    uint16_t source = 0;
    uint16_t destination = 0;
    int16_t amount = 0;
    uint16_t amountSource = 0;
    uint16_t transform = 0;
};

struct GeneratorRecord {       // "pgen" / "igen", 4 bytes
    uint16_t op = 0;
    int16_t amount = 0;        // ranges: low byte = lower bound, high byte = upper bound
};

struct InstrumentRecord {      // "inst", 22 bytes
    char name[20] = {};
    uint16_t bagIndex = 0;     // first "ibag" record of this instrument
};

struct SampleHeader {          // "shdr", 46 bytes
    char name[20] = {};
    uint32_t start = 0;        // sample points from the beginning of "smpl"
    uint32_t end = 0;
    uint32_t loopStart = 0;
    uint32_t loopEnd = 0;
    uint32_t sampleRate = 0;
    uint8_t originalPitch = 0; // recorded pitch as a MIDI key
    int8_t pitchCorrection = 0;  // cents
    uint16_t sampleLink = 0;
    uint16_t sampleType = 0;
};

namespace SoundFontRecordBytes {
constexpr uint32_t presetHeader = 38;
constexpr uint32_t bag = 4;
constexpr uint32_t modulator = 10;
constexpr uint32_t generator = 4;
constexpr uint32_t instrument = 22;
constexpr uint32_t sampleHeader = 46;
} // namespace SoundFontRecordBytes

} // namespace Vst
} // namespace Steinberg
