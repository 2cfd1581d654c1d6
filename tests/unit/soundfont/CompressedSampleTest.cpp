// SoundFont 3: fonts generated here and compressed by sf3convert play like the .sf2 they came
// from; each compressed sample is decoded once into a shared buffer; a stream that does not
// decode drops only its zones; the decoder refuses what it cannot bound.
#include "TestFiles.h"
#include "soundfont/SampleCache.h"
#include "soundfont/SoundFontReader.h"
#include "soundfont/VorbisDecoder.h"
#include "support/SignalAnalysis.h"
#include "support/Sf3Convert.h"

#include <cmath>

using namespace Steinberg::Vst;
using namespace zephra::test;

namespace {

uint32_t le32At(const std::vector<uint8_t>& b, size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
void putLe32(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

class CompressedFont : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!haveSf3convert())
            GTEST_SKIP() << "sf3convert not installed (apt-get install sf3convert): compressed fonts untested";
        sf2 = buildSoundFont(tonesFont());
        sf3 = convertToSf3(sf2, tempPath("convert"));
        ASSERT_FALSE(sf3.empty()) << "sf3convert failed";
        ASSERT_TRUE(findChunk(sf3, "shdr", shdr, shdrSize));
        ASSERT_TRUE(findChunk(sf3, "smpl", smpl, smplSize));
    }
    // Byte range of sample i's stream inside the file.
    size_t streamStart(size_t i) const { return smpl + le32At(sf3, shdr + 46 * i + 20); }
    size_t streamEnd(size_t i) const { return smpl + le32At(sf3, shdr + 46 * i + 24); }

    SFSynthList build(const std::u16string& path, int32_t preset, std::string* log = nullptr)
    {
        SoundFontReader reader(path);
        reader.resolvePreset(preset);
        reader.buildSynthRecords();
        if (log)
            *log = reader.log;
        return reader.synths;
    }

    std::vector<uint8_t> sf2, sf3;
    size_t shdr = 0, smpl = 0;
    uint32_t shdrSize = 0, smplSize = 0;
};

std::vector<float> pointsOf(const SFSynth& r) { return std::vector<float>(r.samples.begin(), r.samples.end() - 1); }

} // namespace

TEST_F(CompressedFont, EveryPresetPlaysLikeTheSoundFont2ItCameFrom)
{
    SoundFontReader header(writeTemp(sf3, "font.sf3"));
    EXPECT_EQ(header.versionMajor, 3);
    for (size_t i = 0; i + 1 < header.sampleHeaders.size(); ++i)
        EXPECT_EQ(header.sampleHeaders[i].sampleType & 0x10, 0x10) << "sample " << i << " not compressed";
    const std::u16string original = writeTemp(sf2, "font.sf2"), compressed = writeTemp(sf3, "font.sf3");
    for (int32_t p = 0; p < 4; ++p) {
        std::string log;
        const SFSynthList want = build(original, p), got = build(compressed, p, &log);
        ASSERT_EQ(got.size(), want.size()) << log;
        for (size_t z = 0; z < got.size(); ++z) {
            SCOPED_TRACE("preset " + std::to_string(p) + " zone " + std::to_string(z));
            const SFSynth &a = want[z], &b = got[z];
            const std::vector<float> wantPoints = pointsOf(a), gotPoints = pointsOf(b);
            ASSERT_EQ(gotPoints.size(), wantPoints.size());
            EXPECT_EQ(b.samples.back(), 0.0f);
            EXPECT_NEAR(estimateFrequency(gotPoints, 44100) / estimateFrequency(wantPoints, 44100), 1.0, 0.005);
            EXPECT_NEAR(20 * std::log10(rmsLevel(gotPoints) / rmsLevel(wantPoints)), 0.0, 1.0);
            // Loop points count decoded points: the same points of the waveform as in the original.
            EXPECT_EQ(b.loopStart, a.loopStart);
            EXPECT_EQ(b.loopEnd, a.loopEnd);
            EXPECT_EQ(b.end, a.end);
            const double peak = peakLevel(wantPoints);
            for (int32_t at : {a.loopStart, a.loopStart + 7, a.loopEnd - 7, a.loopEnd})
                EXPECT_NEAR(gotPoints[static_cast<size_t>(at)], wantPoints[static_cast<size_t>(at)], 0.05 * peak) << at;
            EXPECT_EQ(b.rootKey, a.rootKey);
            EXPECT_EQ(b.sampleModes, a.sampleModes);
            EXPECT_EQ(b.attenuation, a.attenuation);
            EXPECT_EQ(b.pan, a.pan);
            EXPECT_EQ(b.velocityLow, a.velocityLow);
        }
    }
}

TEST_F(CompressedFont, EachCompressedSampleIsDecodedOnceIntoOneSharedBuffer)
{
    const std::u16string path = writeTemp(sf3, "font.sf3");
    const SFSynthList layers = build(path, 0);
    ASSERT_EQ(layers.size(), 2u);
    EXPECT_TRUE(layers[0].samples.sharesBufferWith(layers[1].samples));
    // Another reader of the same file (a second instance) gets the buffer already held.
    const SFSynthList again = build(path, 0);
    ASSERT_EQ(again.size(), 2u);
    EXPECT_TRUE(again[0].samples.sharesBufferWith(layers[0].samples));
    // The same points stored plainly in another file are not taken for the decoded ones.
    const SFSynthList plain = build(writeTemp(sf2, "font.sf2"), 0);
    EXPECT_FALSE(plain[0].samples.sharesBufferWith(layers[0].samples));
}

TEST_F(CompressedFont, StreamThatDoesNotDecodeDropsOnlyItsZones)
{
    // Guards against a hostile stream taking down the preset (or the process): garbage in one
    // stream and another running past "smpl" skip their samples with a log line each, and the
    // rest of the preset still plays.
    std::vector<uint8_t> broken = sf3;
    for (size_t at = streamStart(1); at < streamStart(1) + 64; ++at)
        broken[at] ^= 0x5A;
    putLe32(broken, shdr + 46 * 2 + 24, smplSize + 1);
    std::string log;
    const SFSynthList all = build(writeTemp(broken, "broken.sf3"), 3, &log);
    ASSERT_EQ(all.size(), 2u) << log;
    EXPECT_EQ(all[0].velocityHigh, 63);
    EXPECT_EQ(all[1].velocityLow, 64);
    EXPECT_NE(log.find("No.2 : shdrが指定する圧縮波形を展開できない\n"), std::string::npos) << log;
    EXPECT_NE(log.find("No.3 : shdrが指定する波形サイズがSMPLチャンクサイズより大きい\n"), std::string::npos) << log;
}

TEST_F(CompressedFont, DecoderRefusesStreamsItCannotBound)
{
    const std::vector<uint8_t> good(sf3.begin() + static_cast<long>(streamStart(1)), sf3.begin() + static_cast<long>(streamEnd(1)));
    std::vector<float> points;
    ASSERT_EQ(decodeVorbis(good.data(), good.size(), 1u << 20, points), VorbisOutcome::ok);
    EXPECT_EQ(points.size(), 44100u);
    EXPECT_GE(points.capacity(), points.size() + 1);   // room for the guard point
    EXPECT_EQ(decodeVorbis(good.data(), good.size(), 1000, points), VorbisOutcome::tooLong);
    EXPECT_TRUE(points.empty());
    EXPECT_EQ(decodeVorbis(good.data(), good.size() / 2, 1u << 20, points), VorbisOutcome::malformed);
    EXPECT_EQ(decodeVorbis(good.data(), 0, 1u << 20, points), VorbisOutcome::malformed);

    std::vector<uint8_t> stereo = good;
    stereo[28 + 11] = 2;   // channel count of the identification header (after the 28-byte page header)
    EXPECT_EQ(decodeVorbis(stereo.data(), stereo.size(), 1u << 20, points), VorbisOutcome::notMono);

    // A comment header whose vendor length runs past its packet: the library would write by it.
    const size_t second = 28 + 30;   // the second page
    ASSERT_EQ(std::string(good.begin() + second, good.begin() + second + 4), "OggS");
    std::vector<uint8_t> lying = good;
    const size_t comment = second + 27 + good[second + 26];
    putLe32(lying, comment + 7, 0xFFFFFFFFu);
    EXPECT_EQ(decodeVorbis(lying.data(), lying.size(), 1u << 20, points), VorbisOutcome::malformed);

    // Only the header pages: a stream without audio decodes to nothing.
    size_t firstAudioPage = second;
    firstAudioPage += 27 + good[second + 26];
    for (size_t s = 0; s < good[second + 26]; ++s)
        firstAudioPage += good[second + 27 + s];
    std::vector<uint8_t> headersOnly(good.begin(), good.begin() + static_cast<long>(firstAudioPage));
    EXPECT_EQ(decodeVorbis(headersOnly.data(), headersOnly.size(), 1u << 20, points), VorbisOutcome::empty);
}
