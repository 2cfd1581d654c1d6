// SoundFont 3: a font generated here and compressed by sf3convert plays like the .sf2 it came
// from, each compressed sample decoded once into a shared buffer; a stream that does not decode
// drops only its zones; the decoder refuses what it cannot bound.
#include "TestFiles.h"
#include "soundfont/ParallelVorbis.h"
#include "soundfont/SoundFontReader.h"
#include "soundfont/VorbisDecoder.h"
#include "support/SignalAnalysis.h"
#include "support/Sf3Convert.h"

#include <cmath>
#include <new>

using namespace Steinberg::Vst;
using namespace zephra::test;

namespace {
struct Converted : ::testing::Test {
    void SetUp() override
    {
        if (!haveSf3convert())
            GTEST_SKIP() << "sf3convert not installed (apt-get install sf3convert): compressed fonts untested";
        ASSERT_FALSE((sf3 = convertToSf3(sf2, tempPath("convert"))).empty()) << "sf3convert failed";
        sf2Path = writeTemp(sf2, "font.sf2");
        RiffFile riff(sf3Path = writeTemp(sf3, "font.sf3"));
        smpl = size_t(riff.chunkIndex().at(RiffFile::id("smpl"))) + 4;
        shdr = size_t(riff.chunkIndex().at(RiffFile::id("shdr"))) + 4;
        headers = SoundFontReader(sf3Path).sampleHeaders;
    }
    SFSynthList build(const std::u16string& path, int32_t preset, std::string* log = nullptr, unsigned threads = 1)
    {
        SoundFontReader reader(path);
        reader.decodingThreads = threads;
        reader.resolvePreset(preset);
        reader.buildSynthRecords();
        if (log)
            *log = reader.log;
        return reader.synths;
    }
    const std::vector<uint8_t> sf2 = buildSoundFont(tonesFont());
    std::vector<uint8_t> sf3;
    std::u16string sf2Path, sf3Path;
    std::vector<SampleHeader> headers;
    size_t smpl = 0, shdr = 0;
};
} // namespace

TEST_F(Converted, EveryPresetPlaysLikeTheSoundFont2ItCameFromFromOneSharedBufferPerSample)
{
    for (int32_t p = 0; p < 4; ++p) {
        std::string log;
        const SFSynthList want = build(sf2Path, p), got = build(sf3Path, p, &log);
        ASSERT_EQ(got.size(), want.size()) << log;
        for (size_t z = 0; z < got.size(); ++z) {
            const std::vector<float> a(want[z].samples.begin(), want[z].samples.end() - 1), b(got[z].samples.begin(), got[z].samples.end() - 1);
            ASSERT_EQ(b.size(), a.size()) << "preset " << p << " zone " << z;
            EXPECT_NEAR(estimateFrequency(b, 44100) / estimateFrequency(a, 44100), 1.0, 0.005);
            EXPECT_NEAR(20 * std::log10(rmsLevel(b) / rmsLevel(a)), 0.0, 1.0);
            // Loop points count decoded points and land on the same points of the waveform.
            EXPECT_EQ(got[z].loopStart, want[z].loopStart);
            EXPECT_EQ(got[z].loopEnd, want[z].loopEnd);
            for (int32_t k : {want[z].loopStart, want[z].loopStart + 7, want[z].loopEnd - 7, want[z].loopEnd})
                EXPECT_NEAR(b[size_t(k)], a[size_t(k)], 0.05 * peakLevel(a)) << k;
        }
    }
    const SFSynthList first = build(sf3Path, 0), second = build(sf3Path, 0);   // a second instance
    EXPECT_TRUE(first[0].samples.sharesBufferWith(first[1].samples) && second[0].samples.sharesBufferWith(first[0].samples));
}

TEST_F(Converted, StreamThatDoesNotDecodeDropsOnlyItsZones)
{
    // Guards against a hostile stream taking down the preset (or the process).
    std::vector<uint8_t> broken = sf3;
    for (size_t k = smpl + headers[1].start; k < smpl + headers[1].start + 64; ++k)
        broken[k] ^= 0x5A;                    // garbage in "Mid"
    broken[shdr + 46 * 2 + 27] = 0x7F;       // "High" ends past "smpl"
    std::string log;
    ASSERT_EQ(build(writeTemp(broken, "broken.sf3"), 3, &log).size(), 2u) << log;   // "Low" still plays
    EXPECT_NE(log.find("No.2 : shdrが指定する圧縮波形を展開できない\n"), std::string::npos) << log;
    EXPECT_NE(log.find("No.3 : shdrが指定する波形サイズがSMPLチャンクサイズより大きい\n"), std::string::npos) << log;
}

TEST_F(Converted, DecoderRefusesStreamsItCannotBound)
{
    std::vector<uint8_t> good(sf3.begin() + long(smpl + headers[1].start), sf3.begin() + long(smpl + headers[1].end)), bad = good;
    std::vector<float> out;
    ASSERT_EQ(decodeVorbis(good.data(), good.size(), 44100, out), VorbisOutcome::ok);
    EXPECT_EQ(decodeVorbis(good.data(), good.size(), 44099, out), VorbisOutcome::tooLong);
    const size_t comment = 58 + 27 + good[58 + 26];   // after the 58-byte first page, the second
    size_t audio = comment;                           // page's header, then its packets
    for (size_t s = 0; s < good[58 + 26]; ++s)
        audio += good[58 + 27 + s];
    EXPECT_EQ(decodeVorbis(good.data(), audio, 1u << 20, out), VorbisOutcome::empty);
    bad[28 + 11] = 2;   // the identification header's channel count
    EXPECT_EQ(decodeVorbis(bad.data(), bad.size(), 1u << 20, out), VorbisOutcome::notMono);
    bad = good;         // a vendor text longer than the comment packet: the library would write by it
    std::fill_n(bad.begin() + long(comment + 7), 4, 0xFF);
    EXPECT_EQ(decodeVorbis(bad.data(), bad.size(), 1u << 20, out), VorbisOutcome::malformed);
}

// A preset's streams share one cap, not only 1024 points per byte each: a few megabytes of
// silent packets must be refused long before they could claim 2^31 points (8 GB).
TEST_F(Converted, PresetDecodingFarBeyondRealCompressionIsRefused)
{
    SoundFontSpec spec = tonesFont();
    spec.samples[1].points.resize(44100 * 60, 0);   // "Mid": a second of tone, a minute of silence,
                                                    // which the encoder makes 250 points per byte
    const std::vector<uint8_t> silent = convertToSf3(buildSoundFont(spec), tempPath("silent"));
    ASSERT_FALSE(silent.empty());
    std::string log;
    EXPECT_EQ(build(writeTemp(silent, "silent.sf3"), 1, &log).size(), 0u);
    EXPECT_NE(log.find("No.0 : shdrが指定する圧縮波形が長すぎる\n"), std::string::npos) << log;
    EXPECT_EQ(build(sf3Path, 1).size(), 1u);   // the real stream still plays
}

// Guards against decoding on several threads changing what loads: the same records and log as
// one thread, also when the preset's shared budget runs out and the streams that lost the race
// for it are decoded again in order.
TEST_F(Converted, StreamsDecodedOnSeveralThreadsLoadAsOnOneThreadWithinTheSharedBudget)
{
    SoundFontSpec spec = tonesFont();
    spec.samples[1].points.resize(44100 * 80, 0);   // "Mid" with 80 s of silence: past the budget
    const std::u16string path = writeTemp(convertToSf3(buildSoundFont(spec), tempPath("long")), "long.sf3");
    for (int32_t p = 0; p < 4; ++p) {
        std::string manyLog, oneLog;
        std::vector<std::vector<float>> many;   // copied out, so the second load decodes anew
        for (const SFSynth& r : build(path, p, &manyLog, 4))
            many.emplace_back(r.samples.begin(), r.samples.end());
        const SFSynthList one = build(path, p, &oneLog, 1);
        EXPECT_EQ(manyLog, oneLog);
        ASSERT_EQ(many.size(), one.size());
        for (size_t z = 0; z < one.size(); ++z)
            EXPECT_TRUE(std::equal(one[z].samples.begin(), one[z].samples.end(), many[z].begin(), many[z].end()));
        if (p == 3) {   // "Mid" is too long there, "Low" and "High" play
            EXPECT_EQ(one.size(), 3u) << oneLog;
        }
    }
    std::vector<VorbisJob> jobs(3);
    for (size_t k = 0; k < 3; ++k) {
        jobs[k].firstByte = headers[k].start;
        jobs[k].bytes = headers[k].end - headers[k].start;
        jobs[k].cap = 1u << 20;
    }
    const auto read = [&](uint32_t first, uint32_t bytes, std::vector<uint8_t>& stream) {
        stream.assign(sf3.begin() + long(smpl + first), sf3.begin() + long(smpl + first + bytes));
        return true;
    };
    decodeVorbisJobs(jobs, read, 50000, 3);   // room for one stream's 44100 points
    size_t held = 0, refused = 0;
    for (const VorbisJob& job : jobs) {
        held += job.points.size();
        refused += job.outcome == VorbisOutcome::outOfShare;
    }
    EXPECT_LE(held, 50000u);
    EXPECT_GE(refused, 2u);
}

// Guards against a failing stream leaving decoding threads behind (std::terminate) or being
// lost: the exception comes out of the call once every thread has ended.
TEST_F(Converted, AnExceptionInOneStreamIsThrownOnceEveryThreadHasEnded)
{
    std::vector<VorbisJob> jobs(6);
    for (size_t k = 0; k < jobs.size(); ++k) {
        jobs[k].firstByte = headers[k % 3].start;
        jobs[k].bytes = headers[k % 3].end - headers[k % 3].start;
        jobs[k].cap = 1u << 20;
    }
    const auto read = [&](uint32_t first, uint32_t bytes, std::vector<uint8_t>& stream) {
        if (first == headers[1].start)
            throw std::bad_alloc();
        stream.assign(sf3.begin() + long(smpl + first), sf3.begin() + long(smpl + first + bytes));
        return true;
    };
    EXPECT_THROW(decodeVorbisJobs(jobs, read, 1u << 24, 4), std::bad_alloc);
}
