// The spool keeps the mix's level while it interleaves it: its peak, the samples beyond full
// scale and the non-finite ones (stored as silence), across its buffer's flushes.
#include "FloatSpool.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

TEST(FloatSpoolLevels, PeakBeyondFullScaleAndNonFiniteSamplesAreCountedAndStoredSafely)
{
    constexpr int32_t kFrames = 40000;   // more than the buffer holds, so it flushes on the way
    std::vector<float> left(kFrames, 0.25f), right(kFrames, -0.5f);
    left[5] = 1.5f;
    right[17000] = -2.75f;
    left[33000] = std::numeric_limits<float>::infinity();
    right[33000] = std::numeric_limits<float>::quiet_NaN();
    zephra::render::FloatSpool spool;
    std::string error;
    ASSERT_TRUE(spool.open(error) && spool.consume(left.data(), right.data(), 30000, error) &&
                spool.consume(left.data() + 30000, right.data() + 30000, kFrames - 30000, error))
        << error;
    EXPECT_EQ(spool.peak(), 2.75f);
    EXPECT_EQ(spool.aboveFullScale(), 2);
    EXPECT_EQ(spool.nonFinite(), 2);
    std::vector<float> back(2 * kFrames);
    ASSERT_TRUE(spool.rewind(error) && spool.read(back.data(), kFrames, error)) << error;
    EXPECT_EQ(back[2 * 5], 1.5f);
    EXPECT_EQ(back[2 * 33000], 0.0f);
    EXPECT_EQ(back[2 * 33000 + 1], 0.0f);
    EXPECT_EQ(back[2 * 39999 + 1], -0.5f);
}
