// Loading: version check, bank name and the nine preset-data tables.
#include "soundfont/SoundFontReader.h"

#include <cstring>

namespace Steinberg {
namespace Vst {

namespace {

uint16_t le16(const uint8_t* p) noexcept { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t le32(const uint8_t* p) noexcept
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

void decode(const uint8_t* p, PresetHeader& r)
{
    std::memcpy(r.name, p, 20);
    r.preset = le16(p + 20);
    r.bank = le16(p + 22);
    r.bagIndex = le16(p + 24);
    r.library = le32(p + 26);
    r.genre = le32(p + 30);
    r.morphology = le32(p + 34);
}
void decode(const uint8_t* p, Bag& r)
{
    r.generatorIndex = le16(p);
    r.modulatorIndex = le16(p + 2);
}
void decode(const uint8_t* p, ModulatorRecord& r)
{
    r.source = le16(p);
    r.destination = le16(p + 2);
    r.amount = static_cast<int16_t>(le16(p + 4));
    r.amountSource = le16(p + 6);
    r.transform = le16(p + 8);
}
void decode(const uint8_t* p, GeneratorRecord& r)
{
    r.op = le16(p);
    r.amount = static_cast<int16_t>(le16(p + 2));
}
void decode(const uint8_t* p, InstrumentRecord& r)
{
    std::memcpy(r.name, p, 20);
    r.bagIndex = le16(p + 20);
}
void decode(const uint8_t* p, SampleHeader& r)
{
    std::memcpy(r.name, p, 20);
    r.start = le32(p + 20);
    r.end = le32(p + 24);
    r.loopStart = le32(p + 28);
    r.loopEnd = le32(p + 32);
    r.sampleRate = le32(p + 36);
    r.originalPitch = p[40];
    r.pitchCorrection = static_cast<int8_t>(p[41]);
    r.sampleLink = le16(p + 42);
    r.sampleType = le16(p + 44);
}

// Reads a chunk's data as far as the file holds it: the buffer never exceeds the file size.
bool readWhole(RiffFile& file, uint32_t id, std::vector<uint8_t>& bytes)
{
    uint32_t stated = 0;
    if (!file.chunkSize(id, stated) || stated == 0)
        return false;
    bytes.assign(file.availableSize(id), 0);
    uint32_t got = 0;
    file.readChunk(id, bytes.data(), static_cast<uint32_t>(bytes.size()), 0, &got);
    bytes.resize(got);
    return true;
}

template <typename Record>
bool readTable(RiffFile& file, const char (&name)[5], uint32_t recordBytes, std::vector<Record>& table)
{
    std::vector<uint8_t> bytes;
    if (!readWhole(file, RiffFile::id(name), bytes))
        return false;
    const size_t count = bytes.size() / recordBytes;  // a remainder is ignored
    table.resize(count);
    for (size_t i = 0; i < count; ++i)
        decode(bytes.data() + i * recordBytes, table[i]);
    return true;
}

} // namespace

SoundFontReader::SoundFontReader() = default;

SoundFontReader::SoundFontReader(const std::u16string& path)
{
    if (!load(path)) {
        clear();
        log.clear();
    }
}

void SoundFontReader::clear()
{
    presets.clear();
    presetBags.clear();
    presetModulators.clear();
    presetGenerators.clear();
    instruments.clear();
    instrumentBags.clear();
    instrumentModulators.clear();
    instrumentGenerators.clear();
    sampleHeaders.clear();
    bankName.clear();
    versionMajor = 0;
    versionMinor = 0;
}

bool SoundFontReader::load(const std::u16string& path)
{
    log.clear();
    clear();
    file.open(path);

    uint32_t stated = 0;
    if (!file.chunkSize(RiffFile::id("ifil"), stated) || stated == 0)
        return false;
    uint8_t version[4] = {};
    file.readChunk(RiffFile::id("ifil"), version, 4, 0);
    versionMajor = le16(version);
    versionMinor = le16(version + 2);
    // 2: SoundFont 2; 3: the same layout with samples stored as Ogg Vorbis streams.
    if (versionMajor != 2 && versionMajor != 3)
        return false;

    std::vector<uint8_t> text;
    if (readWhole(file, RiffFile::id("INAM"), text)) {
        size_t length = 0;
        while (length < text.size() && text[length] != 0)
            ++length;
        bankName.assign(reinterpret_cast<const char*>(text.data()), length);
    }

    if (!file.chunkSize(RiffFile::id("smpl"), stated) || stated == 0)
        return false;
    return loadTables();
}

bool SoundFontReader::loadTables()
{
    namespace B = SoundFontRecordBytes;
    return readTable(file, "phdr", B::presetHeader, presets) &&
           readTable(file, "pbag", B::bag, presetBags) &&
           readTable(file, "pmod", B::modulator, presetModulators) &&
           readTable(file, "pgen", B::generator, presetGenerators) &&
           readTable(file, "inst", B::instrument, instruments) &&
           readTable(file, "ibag", B::bag, instrumentBags) &&
           readTable(file, "imod", B::modulator, instrumentModulators) &&
           readTable(file, "igen", B::generator, instrumentGenerators) &&
           readTable(file, "shdr", B::sampleHeader, sampleHeaders);
}

} // namespace Vst
} // namespace Steinberg
