// Conversion of resolved zone generator sets into SFSynth records: each zone's samples read
// from "smpl" or decoded from its Ogg Vorbis stream (the preset's streams on several threads at
// once), or shared with records that play the same points; every parameter converted into
// engine units, and the load log.
#include "soundfont/GeneratorRanges.h"
#include "soundfont/GeneratorUnits.h"
#include "soundfont/SoundFontReader.h"

#include "soundfont/ParallelVorbis.h"
#include "soundfont/SampleCache.h"
#include "soundfont/VorbisDecoder.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <set>
#include <vector>

namespace Steinberg {
namespace Vst {

namespace {

using namespace GeneratorUnits;

// firstPoint and endPoint place the sample's points: header start and end for a plain sample;
// 0 and the decoded length for a compressed one, whose loop points count decoded points.
void fillParameters(const std::array<int16_t, 61>& g, const SampleHeader& header, int64_t firstPoint,
                    int64_t endPoint, SFSynth& r)
{
    const auto range = [](int16_t v, uint8_t& low, uint8_t& high) {
        low = static_cast<uint8_t>(static_cast<uint16_t>(v) & 0xFF);
        high = static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8);
    };
    range(g[43], r.keyLow, r.keyHigh);
    range(g[44], r.velocityLow, r.velocityHigh);
    const int64_t start = firstPoint;
    r.startOffset = static_cast<int32_t>(32768 * g[4] + g[0]);
    r.end = static_cast<int32_t>(endPoint + 32768 * int64_t{g[12]} + g[1] - start);
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
    r.filterResonance = resonanceQ(g[9]);
    r.modEnvDelay = twoToCents(g[25]);
    r.modEnvAttack = twoToCents(g[26]);
    r.modEnvHold = twoToCents(g[27]);
    r.modEnvDecay = twoToCents(g[28]);
    r.modEnvSustain = modSustainLevel(g[29]);
    r.modEnvRelease = twoToCents(g[30]);
    r.keyToModEnvHold = g[31] * 0.01f;
    r.keyToModEnvDecay = g[32] * 0.01f;
    r.modLfoFrequency = absoluteCentsToHertz(g[22]);
    r.modLfoDelay = twoToCents(g[21]);
    r.modLfoToVolume = tremoloDepth(g[13]);
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

// The d points at firstByte in "smpl" as floats, plus the 0.0 guard point after them. Read in
// blocks, so the raw bytes never need a second buffer the size of the sample; points the file
// does not hold read as 0.
std::vector<float> readSamples(RiffFile& file, uint32_t smpl, uint32_t firstByte, uint32_t d)
{
    constexpr uint32_t blockPoints = 8192;
    uint8_t bytes[2 * blockPoints];
    std::vector<float> samples;
    samples.reserve(size_t{d} + 1);
    // Grown block by block, so each block's memory is written while it is still in the cache.
    for (uint32_t done = 0; done < d;) {
        const uint32_t n = std::min(blockPoints, d - done);
        uint32_t got = 0;
        file.readChunk(smpl, bytes, 2 * n, firstByte + 2 * done, &got);
        const uint32_t whole = std::min(got / 2, n);
        samples.resize(size_t{done} + whole);
        float* out = samples.data() + done;
        for (uint32_t k = 0; k < whole; ++k) {
            const auto point = static_cast<int16_t>(static_cast<uint16_t>(bytes[2 * k] | (bytes[2 * k + 1] << 8)));
            out[k] = point * (1.0f / 32768.0f);
        }
        if (whole < n)
            break;   // the file ends here: the rest stays 0
        done += n;
    }
    samples.resize(size_t{d} + 1, 0.0f);   // points the file does not hold, and the guard point
    return samples;
}

// Where a zone's points lie in "smpl", or why it has none.
enum class ZoneCheck { ok, badSampleId, noSampleChunk, badSize };

constexpr uint16_t compressedSampleType = 0x10;   // the samples are an Ogg Vorbis stream

struct SampleRange {
    uint32_t firstByte = 0;
    uint32_t pointCount = 0;     // a compressed sample: the bytes of its stream
    bool compressed = false;
    bool operator<(const SampleRange& o) const noexcept
    {
        if (firstByte != o.firstByte)
            return firstByte < o.firstByte;
        return pointCount != o.pointCount ? pointCount < o.pointCount : compressed < o.compressed;
    }
};

// The size check of the record table, and besides it: the points must lie inside the "smpl"
// data the file holds (never another chunk's bytes).
ZoneCheck checkZone(uint16_t sampleId, size_t headerCount, bool haveSamples, uint32_t smplSize,
                    uint64_t smplAvailable, const SampleHeader* header, SampleRange& range)
{
    if (sampleId >= headerCount)
        return ZoneCheck::badSampleId;
    if (!haveSamples)
        return ZoneCheck::noSampleChunk;
    if ((header->sampleType & compressedSampleType) != 0) {
        // start and end are byte offsets of the stream in "smpl", end excluded.
        if (header->end <= header->start || header->end > smplSize || header->end > smplAvailable)
            return ZoneCheck::badSize;
        range.firstByte = header->start;
        range.pointCount = header->end - header->start;
        range.compressed = true;
        return ZoneCheck::ok;
    }
    const uint32_t d = header->end - header->start;
    const uint64_t firstByte = 2 * uint64_t{header->start};
    if (!(2 * uint64_t{d} < smplSize) || firstByte + 2 * uint64_t{d} > smplAvailable)
        return ZoneCheck::badSize;
    range.firstByte = static_cast<uint32_t>(firstByte);
    range.pointCount = d;
    return ZoneCheck::ok;
}

} // namespace

void SoundFontReader::buildSynthRecords()
{
    log += "インストルメント数 : " + std::to_string(zoneGenerators.size()) + "\n";
    const uint32_t smpl = RiffFile::id("smpl");
    uint32_t smplSize = 0;
    const bool haveSamples = file.chunkSize(smpl, smplSize) && smplSize != 0;
    const uint64_t smplAvailable = haveSamples ? file.availableSize(smpl) : 0;
    const auto check = [&](const std::array<int16_t, 61>& g, SampleRange& range) {
        const auto sampleId = static_cast<uint16_t>(g[53]);
        const SampleHeader* header = sampleId < sampleHeaders.size() ? &sampleHeaders[sampleId] : nullptr;
        return checkZone(sampleId, sampleHeaders.size(), haveSamples, smplSize, smplAvailable, header, range);
    };

    // Records that play the same points share one buffer, so what a preset costs is the sum
    // of its distinct ranges. Ranges may overlap, so a hostile file could still ask for far
    // more than it holds: past the limit the whole preset is refused before anything is read.
    // Compressed streams count by their bytes here; their points are capped as they decode.
    std::map<SampleRange, SharedSamples> buffers;
    uint64_t distinctPoints = 0;
    uint64_t distinctStreamBytes = 0;
    for (const auto& g : zoneGenerators) {
        SampleRange range;
        if (check(g, range) == ZoneCheck::ok && buffers.emplace(range, SharedSamples()).second)
            (range.compressed ? distinctStreamBytes : distinctPoints) += range.pointCount;
    }
    const uint64_t limit = std::min(maxDistinctPointsPerPreset, samplePointBudgetFactor * (smplAvailable / 2));
    if (distinctPoints > limit) {
        log += "プリセットの波形の合計 " + std::to_string(distinctPoints) + " ポイントが上限 " +
               std::to_string(limit) + " ポイントを超えるため読み込まない\n";
        return;
    }
    if (distinctStreamBytes > smplAvailable) {
        log += "プリセットの圧縮波形の合計 " + std::to_string(distinctStreamBytes) + " バイトが上限 " +
               std::to_string(smplAvailable) + " バイトを超えるため読み込まない\n";
        return;
    }

    // Each distinct range is converted (or decoded) at most once per build, and not at all
    // when a buffer of the same points of the same file is still held (another instance, an
    // earlier load). A stream that does not decode is tried once and its zones are skipped.
    FileIdentity identity;
    const bool identified = file.identity(identity);
    SampleCache& cache = SampleCache::shared();
    const auto keyOf = [&](const SampleRange& range) {
        SampleKey key{identity, range.firstByte, range.pointCount};
        key.compressed = range.compressed;
        return key;
    };
    // The points the preset's streams may decode to together, and each one on its own.
    const uint64_t presetBudget = std::min(maxDistinctPointsPerPreset - std::min(maxDistinctPointsPerPreset, distinctPoints),
                                           maxVorbisPointsPerPresetByte * distinctStreamBytes);
    const auto streamCap = [](const SampleRange& range) {
        return std::min(maxVorbisPointsPerByte * range.pointCount, uint64_t{std::numeric_limits<int32_t>::max() - 1});
    };
    const auto readStream = [&](uint32_t firstByte, uint32_t bytes, std::vector<uint8_t>& stream) {
        stream.resize(bytes);
        uint32_t got = 0;
        file.readChunk(smpl, stream.data(), bytes, firstByte, &got);
        return got == bytes;
    };
    uint64_t decodedPoints = 0;
    std::map<SampleRange, VorbisOutcome> undecodable;
    // A stream decoded on its own, within what the streams decoded before it left of the budget.
    const auto decode = [&](const SampleRange& range, VorbisOutcome& outcome) {
        std::vector<uint8_t> stream;
        const uint64_t cap = std::min(streamCap(range), presetBudget - std::min(presetBudget, decodedPoints));
        std::vector<float> points;
        outcome = readStream(range.firstByte, range.pointCount, stream)
                      ? decodeVorbis(stream.data(), stream.size(), cap, points)
                      : VorbisOutcome::malformed;
        return points;
    };
    // A decoded stream's points (the guard point added) become the preset's buffer for its range.
    const auto keep = [&](const SampleRange& range, std::vector<float> points) {
        decodedPoints += points.size();
        points.push_back(0.0f);
        SharedSamples made(std::move(points));
        buffers[range] = identified ? cache.add(keyOf(range), std::move(made)) : std::move(made);
    };

    // The streams no reader holds yet, in the order the zones first play them, are decoded at
    // once on several threads; then each outcome is settled in that order exactly as decoding
    // them one after the other settles it: a stream whose points would pass what the streams
    // before it left of the budget is too long, and one the shared budget cut short is decoded
    // again on its own.
    std::vector<VorbisJob> jobs;
    std::vector<SampleRange> jobRanges;
    std::set<SampleRange> queued;
    for (const auto& g : zoneGenerators) {
        SampleRange range;
        if (check(g, range) != ZoneCheck::ok || !range.compressed || !buffers[range].empty() ||
            !queued.insert(range).second)
            continue;
        if (identified)
            buffers[range] = cache.find(keyOf(range));
        if (!buffers[range].empty())
            continue;
        VorbisJob job;
        job.firstByte = range.firstByte;
        job.bytes = range.pointCount;
        job.cap = std::min(streamCap(range), presetBudget);
        jobs.push_back(std::move(job));
        jobRanges.push_back(range);
    }
    decodeVorbisJobs(jobs, readStream, presetBudget, decodingThreads);
    for (size_t k = 0; k < jobs.size(); ++k) {
        VorbisJob& job = jobs[k];
        VorbisOutcome outcome = job.outcome;
        std::vector<float> points = std::move(job.points);
        const uint64_t cap = std::min(streamCap(jobRanges[k]), presetBudget - std::min(presetBudget, decodedPoints));
        if (outcome == VorbisOutcome::outOfShare) {
            points = decode(jobRanges[k], outcome);
        } else if (outcome != VorbisOutcome::tooLong && job.reached > cap) {
            outcome = VorbisOutcome::tooLong;
            points = {};
        }
        if (outcome == VorbisOutcome::ok)
            keep(jobRanges[k], std::move(points));
        else
            undecodable[jobRanges[k]] = outcome;
    }

    const auto samplesFor = [&](const SampleRange& range, VorbisOutcome& outcome) {
        outcome = VorbisOutcome::ok;
        SharedSamples& held = buffers[range];
        if (!held.empty())
            return held;
        const auto failed = undecodable.find(range);
        if (failed != undecodable.end()) {
            outcome = failed->second;
            return held;
        }
        // Plain points (every compressed range was settled above).
        if (identified)
            held = cache.find(keyOf(range));
        if (held.empty()) {
            SharedSamples made(readSamples(file, smpl, range.firstByte, range.pointCount));
            held = identified ? cache.add(keyOf(range), std::move(made)) : std::move(made);
        }
        return held;
    };

    for (size_t i = 0; i < zoneGenerators.size(); ++i) {
        const auto& g = zoneGenerators[i];
        log += "No." + std::to_string(i) + " : ";
        SampleRange range;
        switch (check(g, range)) {
        case ZoneCheck::badSampleId:
            log += "ジェネレータの指定するサンプルIDがサンプル数より多い\n";
            continue;
        case ZoneCheck::noSampleChunk:
            log += "SMPLチャンクのサイズが0\n";
            continue;
        case ZoneCheck::badSize:
            log += "shdrが指定する波形サイズがSMPLチャンクサイズより大きい\n";
            continue;
        case ZoneCheck::ok:
            break;
        }
        SFSynth record;
        VorbisOutcome outcome = VorbisOutcome::ok;
        record.samples = samplesFor(range, outcome);
        switch (outcome) {
        case VorbisOutcome::ok:
            break;
        case VorbisOutcome::empty:
            log += "shdrが指定する圧縮波形が空\n";
            continue;
        case VorbisOutcome::tooLong:
            log += "shdrが指定する圧縮波形が長すぎる\n";
            continue;
        case VorbisOutcome::malformed:
        case VorbisOutcome::notMono:
        case VorbisOutcome::outOfShare:   // settled above: never left
            log += "shdrが指定する圧縮波形を展開できない\n";
            continue;
        }
        const auto length = static_cast<uint32_t>(record.samples.size() - 1);
        const SampleHeader& header = sampleHeaders[static_cast<uint16_t>(g[53])];
        auto inRange = g;   // the file's values as the format allows them
        clampToSoundFontRanges(inRange);
        if (range.compressed)
            fillParameters(inRange, header, 0, length, record);
        else
            fillParameters(inRange, header, header.start, header.end, record);
        keepLoopInsideSamples(record, length);
        record.generators = inRange;
        if (i < zoneModulators.size())
            record.modulators = zoneModulators[i];
        synths.push_back(std::move(record));
        log += "エラーなし\n";
    }
}

} // namespace Vst
} // namespace Steinberg
