#pragma once
// Reads a SoundFont 2 file (or a SoundFont 3 file: the same layout, with samples that may be
// Ogg Vorbis streams) into its raw preset-data tables and resolves one preset into SFSynth
// records. The file stays open for the reader's life: sample data is read (and compressed
// samples decoded) per zone, only for the preset resolved.
//
// Threads: UI thread (controller, editor) or a loading thread; one reader is used by one thread
// at a time (buildSynthRecords starts decoding threads of its own and joins them before it
// returns). Not real-time safe (file I/O, allocation).
#include "soundfont/ParallelVorbis.h"
#include "soundfont/RiffFile.h"
#include "soundfont/SFSynth.h"
#include "soundfont/SoundFontTables.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace Steinberg {
namespace Vst {

class SoundFontReader {
public:
    SoundFontReader();
    // Clears everything and loads the file; on failure every table is left empty.
    explicit SoundFontReader(const std::u16string& path);

    bool load(const std::u16string& path);

    // Fills zoneGenerators and zoneModulators for preset index p (file order, clamped to the
    // real presets).
    void resolvePreset(int32_t p);
    // Converts every zone generator set into an SFSynth record (appended to synths) and
    // writes the load log. Records playing the same points share one buffer, also with
    // buffers other readers in the process still hold for the same file (SampleCache).
    void buildSynthRecords();

    // Tables in file order, terminal records included.
    std::vector<PresetHeader> presets;      // "phdr"
    std::vector<Bag> presetBags;            // "pbag"
    std::vector<ModulatorRecord> presetModulators;   // "pmod"
    std::vector<GeneratorRecord> presetGenerators;   // "pgen"
    std::vector<InstrumentRecord> instruments;       // "inst"
    std::vector<Bag> instrumentBags;        // "ibag"
    std::vector<ModulatorRecord> instrumentModulators;  // "imod"
    std::vector<GeneratorRecord> instrumentGenerators;  // "igen"
    std::vector<SampleHeader> sampleHeaders;  // "shdr"

    std::string bankName;              // "INAM"
    uint16_t versionMajor = 0;         // "ifil"
    uint16_t versionMinor = 0;
    std::string log;                   // load log (UTF-8), shown nowhere

    std::vector<std::array<int16_t, 61>> zoneGenerators;  // resolved zones of the last preset
    std::vector<ModulatorList> zoneModulators;            // their modulators, same order
    SFSynthList synths;                                  // records built from them
    // Threads buildSynthRecords decodes compressed samples on (the calling one included); the
    // records are the same whatever the number.
    unsigned decodingThreads = vorbisDecodingThreads();

    // Bytes read from the file so far (the walk, the tables and each zone's samples).
    uint64_t bytesReadFromFile() const noexcept { return file.bytesRead(); }

    // A hostile file can make one preset expand into pbag x ibag zones, or make many zones
    // read the same large sample: both are capped so memory stays proportional to the file.
    static constexpr size_t maxZonesPerPreset = 16384;
    // Work one resolvePreset call may do: one step per zone visited (skipped ones included)
    // and per generator applied. Real fonts need a few thousand; a preset that runs out
    // keeps the sets resolved so far.
    static constexpr size_t maxResolveStepsPerPreset = size_t{1} << 21;
    // Distinct sample points one preset may hold (records playing the same points share them):
    // at most this many times the points of "smpl" (overlapping ranges could otherwise ask for
    // far more than the file holds), and never more than 2^31 points (8 GB as floats). A preset
    // past the limit is refused as a whole, with a line in the log; no real font comes near it.
    static constexpr uint64_t samplePointBudgetFactor = 8;
    static constexpr uint64_t maxDistinctPointsPerPreset = uint64_t{1} << 31;
    // Compressed samples: the distinct streams one preset decodes may together span at most the
    // "smpl" data (in a real font each byte belongs to one stream), and each decodes to at most
    // maxVorbisPointsPerByte points per byte and all of them together to
    // maxVorbisPointsPerPresetByte per byte of the preset's streams, within the preset's limit
    // of distinct points.

private:
    void clear();
    bool loadTables();
    // Appends one zone generator set (and its modulators) per playable zone of the instrument
    // that the preset zone (a bag index) plays, under the preset's global zones (-1: none); a
    // zone with modulators and no generators is global for the modulators only.
    void resolveInstrumentZones(uint16_t instrument, int32_t globalPresetZone, int32_t globalPresetModulatorZone,
                                int32_t presetZone, size_t& stepsLeft);

    RiffFile file;
};

} // namespace Vst
} // namespace Steinberg
