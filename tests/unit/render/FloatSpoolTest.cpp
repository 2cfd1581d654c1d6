// The spool keeps the mix's level as it interleaves it, across its buffer's flushes; a
// non-finite sample is counted and stored as silence.
#include "FloatSpool.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

TEST(FloatSpoolLevels, PeakBeyondFullScaleAndNonFiniteSamplesAreCountedAndStoredSafely)
{
    std::vector<float> left(40000, 0.25f), right(40000, -2.75f);   // more than one buffer
    left[5] = 1.5f;
    left[33000] = std::numeric_limits<float>::infinity();
    right[33000] = std::numeric_limits<float>::quiet_NaN();
    zephra::render::FloatSpool spool;
    std::string error;
    std::vector<float> back(80000);
    ASSERT_TRUE(spool.open(error) && spool.consume(left.data(), right.data(), 40000, error) && spool.rewind(error) &&
                spool.read(back.data(), 40000, error)) << error;
    EXPECT_EQ(spool.peak(), 2.75f);
    EXPECT_EQ(spool.aboveFullScale(), 40000);   // every right sample and left[5], less the NaN
    EXPECT_EQ(spool.nonFinite(), 2);
    EXPECT_EQ(back[10], 1.5f);
    EXPECT_EQ(back[66000] + back[66001], 0.0f);
}
