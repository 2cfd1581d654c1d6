// Values of the shared lookup tables.
#include "synth/SynthTables.h"

#include <gtest/gtest.h>

namespace T = Steinberg::Vst::SynthTables;

TEST(SynthTables, AttackRowRisesLinearlyAndNeverReachesOne)
{
    EXPECT_EQ(T::envelopeCurve[128], 0.0f);
    EXPECT_EQ(T::envelopeCurve[129], 0.0078125f);
    EXPECT_EQ(T::envelopeCurve[255], 127.0f / 128.0f);
}

TEST(SynthTables, HoldRowIsExactlyOneAndSilentRowsAreZero)
{
    for (int k = 0; k < 128; ++k) {
        EXPECT_EQ(T::envelopeCurve[k], 0.0f);
        EXPECT_EQ(T::envelopeCurve[256 + k], 1.0f);
        EXPECT_EQ(T::envelopeCurve[512 + k], 0.0f);
        EXPECT_EQ(T::envelopeCurve[768 + k], 0.0f);
    }
}

TEST(SynthTables, DecayRowFallsGeometricallyAndReleaseRowCopiesIt)
{
    EXPECT_EQ(T::envelopeCurve[384], 0.9255464f);
    EXPECT_NEAR(T::envelopeCurve[384 + 127], 5e-5, 1e-5);
    for (int k = 1; k < 128; ++k) {
        EXPECT_LT(T::envelopeCurve[384 + k], T::envelopeCurve[384 + k - 1]);
        EXPECT_EQ(T::envelopeCurve[640 + k], T::envelopeCurve[384 + k]);
    }
}

TEST(SynthTables, PanLawIsEqualPowerFromLeftToRight)
{
    EXPECT_FLOAT_EQ(T::panLeft[0], 1.0f);
    EXPECT_FLOAT_EQ(T::panRight[0], 0.0f);
    EXPECT_NEAR(T::panLeft[50], 0.70710678f, 1e-6);
    EXPECT_NEAR(T::panRight[50], 0.70710678f, 1e-6);
    EXPECT_NEAR(T::panLeft[100], 0.0f, 1e-6);
    EXPECT_FLOAT_EQ(T::panRight[100], 1.0f);
    for (int k = 0; k <= 100; ++k)
        EXPECT_NEAR(T::panLeft[k] * T::panLeft[k] + T::panRight[k] * T::panRight[k], 1.0f, 1e-6);
}

TEST(SynthTables, LfoWaveIsARaisedCosineFromZeroToOne)
{
    EXPECT_EQ(T::lfoWave[0], 0.0f);
    EXPECT_NEAR(T::lfoWave[220], 0.99999f, 1e-5);
    EXPECT_NEAR(T::lfoWave[440], 0.0f, 1e-4);
    for (int k = 0; k < 441; ++k) {
        EXPECT_GE(T::lfoWave[k], 0.0f);
        EXPECT_LE(T::lfoWave[k], 1.0f);
    }
}
