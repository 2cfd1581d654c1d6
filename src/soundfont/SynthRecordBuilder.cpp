// Conversion of resolved zone generator sets into SFSynth records: each zone's own samples
// read from "smpl", every parameter converted into engine units, and the load log.
#include "soundfont/GeneratorRanges.h"
#include "soundfont/SoundFontReader.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace Steinberg {
namespace Vst {

namespace {

constexpr float perTimecent = 0.00083333335f;  // 1/1200
constexpr float perCentibel = -0.0050000004f;  // -0.005: centibels to a power of ten
constexpr double lowestFrequency = 8.175999641418457;  // Hz at 0 absolute cents

// Seconds (or a ratio) from timecents (or cents).
float twoToCents(int16_t value) { return static_cast<float>(std::pow(2.0, static_cast<double>(value * perTimecent))); }

// Linear gain from centibels of attenuation; silence beyond 100 dB.
float attenuationGain(int16_t value)
{
    if (value * 0.1f > 100.0f)
        return 0.0f;
    return static_cast<float>(std::pow(10.0, static_cast<double>(value * perCentibel)));
}

float absoluteCentsToHertz(int16_t value)
{
    return static_cast<float>(lowestFrequency * std::pow(2.0, static_cast<double>(value * perTimecent)));
}

void fillParameters(const std::array<int16_t, 61>& g, const SampleHeader& header, SFSynth& r)
{
    const auto range = [](int16_t v, uint8_t& low, uint8_t& high) {
        low = static_cast<uint8_t>(static_cast<uint16_t>(v) & 0xFF);
        high = static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8);
    };
    range(g[43], r.keyLow, r.keyHigh);
    range(g[44], r.velocityLow, r.velocityHigh);
    const int64_t start = header.start;
    r.startOffset = static_cast<int32_t>(32768 * g[4] + g[0]);
    r.end = static_cast<int32_t>(header.end + 32768 * int64_t{g[12]} + g[1] - start);
    r.loopStart = static_cast<int32_t>(header.loopStart + 32768 * int64_t{g[45]} + g[2] - start);
    r.loopEnd = static_cast<int32_t>(header.loopEnd + 32768 * int64_t{g[50]} + g[3] - start);
    r.sampleRate = static_cast<int32_t>(header.sampleRate);
    r.sampleModes = g[54];
    r.exclusiveClass = g[57];
    r.rootKey = g[58] == -1 ? header.originalPitch : g[58];
    r.pitchCorrection = header.pitchCorrection;
    r.coarseTune = g[51];
    r.fineTune = g[52];
    r.attenuation = attenuationGain(g[48]);
    r.pan = g[17] * 0.1f;
    r.volEnvDelay = twoToCents(g[33]);
    r.volEnvAttack = twoToCents(g[34]);
    r.volEnvHold = twoToCents(g[35]);
    r.volEnvDecay = twoToCents(g[36]);
    r.volEnvSustain = attenuationGain(g[37]);
    r.volEnvRelease = twoToCents(g[38]);
    r.keyToVolEnvHold = g[39] * 0.01f;
    r.keyToVolEnvDecay = g[40] * 0.01f;
    r.modEnvToFilterCutoff = twoToCents(g[11]);
    r.modEnvToPitch = twoToCents(g[7]);
    r.filterCutoff = absoluteCentsToHertz(g[8]);
    r.filterResonance = static_cast<float>(std::pow(10.0, static_cast<double>(g[9] * 0.0050000004f)));
    r.modEnvDelay = twoToCents(g[25]);
    r.modEnvAttack = twoToCents(g[26]);
    r.modEnvHold = twoToCents(g[27]);
    r.modEnvDecay = twoToCents(g[28]);
    const float modSustainDrop = g[29] * 0.001f;
    r.modEnvSustain = modSustainDrop > 1.0f ? 0.0f : 1.0f - modSustainDrop;
    r.modEnvRelease = twoToCents(g[30]);
    r.keyToModEnvHold = g[31] * 0.01f;
    r.keyToModEnvDecay = g[32] * 0.01f;
    r.modLfoFrequency = absoluteCentsToHertz(g[22]);
    r.modLfoDelay = twoToCents(g[21]);
    r.modLfoToVolume = g[13] * 0.1f > 100.0f ? 0.0f : 1.0f - attenuationGain(g[13]);
    r.modLfoToFilterCutoff = twoToCents(g[10]);
    r.modLfoToPitch = twoToCents(g[5]);
    r.vibLfoFrequency = absoluteCentsToHertz(g[24]);
    r.vibLfoDelay = twoToCents(g[23]);
    r.reserved[0] = 0.0f;
    r.reserved[1] = 0.0f;
    r.vibLfoToPitch = twoToCents(g[6]);
    r.chorusSend = g[15] * 0.1f;
    r.reverbSend = g[16] * 0.1f;
}

// Loop points that fall outside the zone's samples would send the player outside its data:
// they are clamped to the samples (0 .. length), and a loop left empty plays one-shot.
void keepLoopInsideSamples(SFSynth& r, uint32_t length)
{
    const auto inside = [length](int32_t v) { return std::clamp<int64_t>(v, 0, length); };
    r.loopStart = static_cast<int32_t>(inside(r.loopStart));
    r.loopEnd = static_cast<int32_t>(inside(r.loopEnd));
    if (r.sampleModes != 0 && r.loopEnd <= r.loopStart)
        r.sampleModes = 0;
}

// The zone's d points from "smpl" as floats, plus the 0.0 guard point after them.
void readSamples(RiffFile& file, uint32_t smpl, uint32_t firstByte, uint32_t d, std::vector<uint8_t>& bytes,
                 std::vector<float>& samples)
{
    bytes.resize(2 * size_t{d});
    uint32_t got = 0;
    if (d != 0)
        file.readChunk(smpl, bytes.data(), 2 * d, firstByte, &got);
    std::fill(bytes.begin() + std::min<size_t>(got, bytes.size()), bytes.end(), 0);
    samples.resize(size_t{d} + 1);
    for (uint32_t k = 0; k < d; ++k) {
        const auto point = static_cast<int16_t>(static_cast<uint16_t>(bytes[2 * k] | (bytes[2 * k + 1] << 8)));
        samples[k] = point * (1.0f / 32768.0f);
    }
    samples[d] = 0.0f;
}

} // namespace

void SoundFontReader::buildSynthRecords()
{
    log += "インストルメント数 : " + std::to_string(zoneGenerators.size()) + "\n";
    const uint32_t smpl = RiffFile::id("smpl");
    uint32_t smplSize = 0;
    const bool haveSamples = file.chunkSize(smpl, smplSize) && smplSize != 0;
    const uint64_t smplAvailable = haveSamples ? file.availableSize(smpl) : 0;
    uint64_t pointBudget = samplePointBudgetFactor * (smplAvailable / 2);
    std::vector<uint8_t> bytes;
    // Zones of one preset often share a sample (layers, key splits): each sample is read from
    // the file once per build and copied from the first record that holds it.
    std::unordered_map<uint16_t, size_t> recordOfSample;

    for (size_t i = 0; i < zoneGenerators.size(); ++i) {
        const auto& g = zoneGenerators[i];
        log += "No." + std::to_string(i) + " : ";
        const auto sampleId = static_cast<uint16_t>(g[53]);
        if (sampleId >= sampleHeaders.size()) {
            log += "ジェネレータの指定するサンプルIDがサンプル数より多い\n";
            continue;
        }
        if (!haveSamples) {
            log += "SMPLチャンクのサイズが0\n";
            continue;
        }
        const SampleHeader& header = sampleHeaders[sampleId];
        const uint32_t d = header.end - header.start;
        // Besides the size check, the points must lie inside the "smpl" data the file holds
        // (never another chunk's bytes), and within the per-build point budget.
        const uint64_t firstByte = 2 * uint64_t{header.start};
        if (!(2 * uint64_t{d} < smplSize) || firstByte + 2 * uint64_t{d} > smplAvailable || d > pointBudget) {
            log += "shdrが指定する波形サイズがSMPLチャンクサイズより大きい\n";
            continue;
        }
        pointBudget -= d;
        SFSynth record;
        if (const auto known = recordOfSample.find(sampleId); known != recordOfSample.end()) {
            record.samples = synths[known->second].samples;
        } else {
            readSamples(file, smpl, static_cast<uint32_t>(firstByte), d, bytes, record.samples);
            recordOfSample.emplace(sampleId, synths.size());
        }
        auto inRange = g;   // the file's values as the format allows them
        clampToSoundFontRanges(inRange);
        fillParameters(inRange, header, record);
        keepLoopInsideSamples(record, d);
        synths.push_back(std::move(record));
        log += "エラーなし\n";
    }
}

} // namespace Vst
} // namespace Steinberg
