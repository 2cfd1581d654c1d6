// Sample buffers shared across readers in one process (as plug-in instances share them): the
// same points of the same file are held once, a file changed on disk is read anew, and no
// buffer outlives its last user; a buffer's peak over any range.
#include "TestFiles.h"
#include "TestFonts.h"
#include "soundfont/SampleCache.h"
#include "soundfont/SoundFontReader.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

using namespace Steinberg::Vst;
using namespace zephra::test;

namespace {
std::unique_ptr<SoundFontReader> builtFrom(const std::u16string& path)
{
    auto reader = std::make_unique<SoundFontReader>(path);
    reader->resolvePreset(0);
    reader->buildSynthRecords();
    return reader;
}
} // namespace

TEST(SampleCache, ReadersOfOneFileShareBuffersUntilTheFileChangesAndFreeThemWithTheLastUser)
{
    const size_t heldBefore = SampleCache::shared().heldBuffers();
    SoundFontSpec spec = singleZoneFont();
    spec.samples[0] = rampSample("shared", 50000, 0);
    spec.instruments[0].zones.assign(4, ZoneSpec{{}, {}, 0});
    const std::u16string path = writeTemp(buildSoundFont(spec));

    auto first = builtFrom(path);
    auto second = builtFrom(path);   // a second instance loading the same preset
    ASSERT_EQ(second->synths.size(), 4u);
    EXPECT_TRUE(second->synths[0].samples.sharesBufferWith(first->synths[0].samples));
    EXPECT_LT(second->bytesReadFromFile(), 4096u);   // tables only: no sample point read again
    EXPECT_EQ(SampleCache::shared().heldBuffers(), heldBefore + 1);

    // The same file rewritten with other points (same size), with a later modification time.
    spec.samples[0] = rampSample("shared", 50000, 1);
    const std::string narrow(path.begin(), path.end());
    const auto written = std::filesystem::last_write_time(narrow);
    ASSERT_TRUE(writeFile(narrow, buildSoundFont(spec)));
    std::filesystem::last_write_time(narrow, written + std::chrono::seconds(2));
    auto changed = builtFrom(path);
    ASSERT_EQ(changed->synths.size(), 4u);
    EXPECT_FALSE(changed->synths[0].samples.sharesBufferWith(first->synths[0].samples));
    EXPECT_EQ(changed->synths[0].samples[1], 2 / 32768.0f);
    EXPECT_EQ(first->synths[0].samples[1], 0.0f);   // the earlier users keep what they read
    EXPECT_EQ(SampleCache::shared().heldBuffers(), heldBefore + 2);

    // Records outlive their reader; the buffer goes with its last record.
    SFSynthList kept = first->synths;
    first.reset();
    second.reset();
    changed.reset();
    EXPECT_EQ(SampleCache::shared().heldBuffers(), heldBefore + 1);
    kept.clear();
    EXPECT_EQ(SampleCache::shared().heldBuffers(), heldBefore);
}

// The engine bounds a released voice's loop by this peak: it must never come out lower than
// the loudest point of the range, whatever the range's alignment to the blocks.
TEST(SharedSamplesPeak, PeakBetweenIsTheLargestPointOfAnyRange)
{
    std::mt19937 rng(3);
    std::vector<float> points(3000);
    for (float& p : points)
        p = std::uniform_real_distribution<float>(-1.0f, 1.0f)(rng);
    const SharedSamples samples(points);
    for (int trial = 0; trial < 500; ++trial) {
        const size_t from = std::uniform_int_distribution<size_t>(0, 3000)(rng);
        const size_t to = std::uniform_int_distribution<size_t>(from, 3100)(rng);
        float want = 0.0f;
        for (size_t k = from; k < std::min<size_t>(to, 3000); ++k)
            want = std::max(want, std::fabs(points[k]));
        ASSERT_EQ(samples.peakBetween(from, to), want) << from << ".." << to;
    }
}
