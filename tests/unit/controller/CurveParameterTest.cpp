// The power-curve parameter: conversions, texts, and values outside its range.
#include "controller/CurveParameter.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {
CurveParameter outputLevel() { return CurveParameter(STR16("Output Level"), 1001, STR16(""), 0.0, 240.0, 1, 0); }

std::u16string text(const CurveParameter& parameter, double normalised)
{
    String128 out{};
    parameter.toString(normalised, out);
    return std::u16string(reinterpret_cast<const char16_t*>(out));
}
} // namespace

TEST(CurveParameter, ToPlainFollowsTheCurve)
{
    const CurveParameter parameter = outputLevel();
    EXPECT_NEAR(parameter.toPlain(0.5), 240.0 * std::pow(0.5, 3.321928073389531), 1e-12);
    EXPECT_NEAR(parameter.toPlain(0.5), 24.0, 1e-5);
    EXPECT_EQ(parameter.toPlain(0.0), 0.0);
    EXPECT_EQ(parameter.toPlain(1.0), 240.0);
}

TEST(CurveParameter, ToNormalizedInvertsIt)
{
    const CurveParameter parameter = outputLevel();
    EXPECT_EQ(parameter.toNormalized(240.0), 1.0);
    EXPECT_NEAR(parameter.toNormalized(parameter.toPlain(0.3)), 0.3, 1e-12);
    EXPECT_NEAR(parameter.toNormalized(12.0), std::pow(0.05, 0.3010299976120944), 1e-12);
}

TEST(CurveParameter, TextsArePlainValuesWithFourDecimals)
{
    const CurveParameter parameter = outputLevel();
    EXPECT_EQ(text(parameter, 1.0), u"240.0000");
    EXPECT_EQ(text(parameter, parameter.toNormalized(12.0)), u"12.0000");
    ParamValue value = -1.0;
    ASSERT_TRUE(parameter.fromString(STR16("24"), value));
    EXPECT_NEAR(value, 0.5, 1e-6);
}

TEST(CurveParameter, UnreadableTextLeavesTheValueAlone)
{
    const CurveParameter parameter = outputLevel();
    ParamValue value = 0.25;
    EXPECT_FALSE(parameter.fromString(STR16("loud"), value));
    EXPECT_FALSE(parameter.fromString(STR16(""), value));
    EXPECT_FALSE(parameter.fromString(STR16("nan"), value));
    EXPECT_FALSE(parameter.fromString(STR16("inf"), value));
    EXPECT_FALSE(parameter.fromString(nullptr, value));
    const TChar loneSurrogate[] = {u'5', 0xDC00, 0};
    EXPECT_FALSE(parameter.fromString(loneSurrogate, value));
    EXPECT_EQ(value, 0.25);
}

TEST(CurveParameterOutOfRange, PlainValuesBelowTheMinimumGiveZero)
{
    const CurveParameter parameter = outputLevel();
    EXPECT_EQ(parameter.toNormalized(-10.0), 0.0);
    EXPECT_EQ(parameter.toNormalized(std::nan("")), 0.0);
    ParamValue value = 0.25;
    ASSERT_TRUE(parameter.fromString(STR16("-5"), value));
    EXPECT_EQ(value, 0.0);
}

TEST(CurveParameterOutOfRange, NegativeNormalisedValuesGiveTheMinimum)
{
    const CurveParameter parameter = outputLevel();
    EXPECT_EQ(parameter.toPlain(-0.5), 0.0);
    EXPECT_EQ(parameter.toPlain(std::nan("")), 0.0);
    EXPECT_EQ(text(parameter, -1.0), u"0.0000");
}

TEST(CurveParameterOutOfRange, AboveTheMaximumTheCurveContinuesUnclamped)
{
    const CurveParameter parameter = outputLevel();
    EXPECT_GT(parameter.toNormalized(480.0), 1.0);
    EXPECT_GT(parameter.toPlain(1.5), 240.0);
}

TEST(CurveParameterOutOfRange, HugeValuesStillFitTheText)
{
    const CurveParameter parameter(STR16("Huge"), 1, STR16(""), 0.0, 1e300, 1, 0);
    const std::u16string shown = text(parameter, 1.0);
    EXPECT_EQ(shown.size(), 127u);
    EXPECT_EQ(shown.substr(0, 4), u"1000");
}

TEST(CurveParameterEqualBounds, EveryPlainValueGivesZeroAndZeroGivesTheBound)
{
    const CurveParameter parameter(STR16("Fixed"), 1, STR16(""), 5.0, 5.0, 1, 0);
    EXPECT_EQ(parameter.toNormalized(5.0), 0.0);
    EXPECT_EQ(parameter.toNormalized(100.0), 0.0);
    EXPECT_EQ(parameter.toPlain(0.0), 5.0);
    EXPECT_EQ(parameter.toPlain(1.0), 5.0);
}

TEST(CurveParameter, ReportsItsClassNames)
{
    const CurveParameter parameter = outputLevel();
    EXPECT_STREQ(parameter.isA(), "CurveParameter");
    EXPECT_TRUE(parameter.isTypeOf("Parameter"));
    ParameterInfo info = parameter.getInfo();
    EXPECT_EQ(info.defaultNormalizedValue, 0.0);
    EXPECT_EQ(info.stepCount, 0);
    EXPECT_EQ(info.flags, 1);
}
