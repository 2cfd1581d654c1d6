// Mirroring the processor's state stream into the parameter objects.
#include "controller/ControllerState.h"
#include "shell/ParameterIds.h"
#include "ControllerTestSupport.h"

#include <gtest/gtest.h>

using namespace zephra::test;

namespace {
const std::vector<std::pair<int32_t, double>> changed = {
    {kModWheelId, 0.25}, {kVolumeId, 0.5}, {kExpressionId, 0.75}, {kSustainPedalId, 1.0}, {kPitchBendId, -0.5}, {kBendRangeId, 7.0}, {kOutputLevelId, 24.0}};

std::vector<double> allValues(MyVSTController& controller)
{
    std::vector<double> values;
    for (ParamID id : {0x7FFFFFFFu, 1u, 7u, 11u, 64u, 129u, 1000u, 1001u})
        values.push_back(controller.getParamNormalized(id));
    return values;
}
} // namespace

TEST(ComponentState, BothStreamsBeginWithTheDescriptionsCombinedVersion)
{
    EXPECT_EQ(filledDescription().combinedVersion(), kStateHeader);
}

TEST(ComponentState, PlainValuesAreConvertedByEachParameter)
{
    ControllerFixture fixture;
    MyVSTController& controller = *fixture.controller;
    ASSERT_EQ(setComponentState(controller, processorStateBytes(kStateHeader, 0, changed)), kResultOk);
    EXPECT_DOUBLE_EQ(controller.getParamNormalized(1), 0.25);
    EXPECT_DOUBLE_EQ(controller.getParamNormalized(7), 0.5);
    EXPECT_DOUBLE_EQ(controller.getParamNormalized(64), 1.0);
    EXPECT_DOUBLE_EQ(controller.getParamNormalized(129), 0.25);
    EXPECT_DOUBLE_EQ(controller.getParamNormalized(1000), 7.0 / 12.0);
    EXPECT_NEAR(controller.getParamNormalized(1001), 0.5, 1e-6);
    EXPECT_EQ(controller.getParamNormalized(0x7FFFFFFF), 0.0);
}

TEST(ComponentState, AnyNonZeroBypassByteMeansOn)
{
    ControllerFixture fixture;
    ASSERT_EQ(setComponentState(*fixture.controller, processorStateBytes(kStateHeader, 2, {})), kResultOk);
    EXPECT_EQ(fixture.controller->getParamNormalized(0x7FFFFFFF), 1.0);
}

TEST(ComponentState, UnknownIdsAndTrailingExtraStateAreIgnored)
{
    ControllerFixture fixture;
    std::vector<uint8_t> bytes = processorStateBytes(kStateHeader, 0, {{5000, 3.0}, {kVolumeId, 0.5}});
    bytes.insert(bytes.end(), {1, 2, 3, 4, 5});
    ASSERT_EQ(setComponentState(*fixture.controller, bytes), kResultOk);
    EXPECT_DOUBLE_EQ(fixture.controller->getParamNormalized(7), 0.5);
}

TEST(ComponentStateBadInput, OtherVersionIsRefusedAndChangesNothing)
{
    ControllerFixture fixture;
    const std::vector<double> before = allValues(*fixture.controller);
    EXPECT_EQ(setComponentState(*fixture.controller, processorStateBytes("1.4-fw 2.1", 1, changed)), kResultFalse);
    EXPECT_EQ(allValues(*fixture.controller), before);
}

TEST(ComponentStateBadInput, EveryTruncationIsRefusedAndChangesNothing)
{
    ControllerFixture fixture;
    ASSERT_EQ(setComponentState(*fixture.controller, processorStateBytes(kStateHeader, 0, {{kModWheelId, 0.75}})), kResultOk);
    const std::vector<double> before = allValues(*fixture.controller);
    const std::vector<uint8_t> full = processorStateBytes(kStateHeader, 1, changed);
    for (size_t length = 0; length < full.size(); ++length) {
        const std::vector<uint8_t> cut(full.begin(), full.begin() + static_cast<long>(length));
        EXPECT_EQ(setComponentState(*fixture.controller, cut), kResultFalse) << length;
        EXPECT_EQ(allValues(*fixture.controller), before) << length;
    }
}

TEST(ComponentStateBadInput, HugeAndNegativeCountsAndHeaderLengthsAreRefused)
{
    ControllerFixture fixture;
    const std::vector<double> before = allValues(*fixture.controller);
    for (int32_t count : {-1, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()}) {
        std::vector<uint8_t> bytes;
        appendStateHeader(bytes, kStateHeader);
        bytes.push_back(1);
        appendInt32(bytes, count);
        appendInt32(bytes, 7);
        appendDouble(bytes, 0.5);
        EXPECT_EQ(setComponentState(*fixture.controller, bytes), kResultFalse) << count;
        std::vector<uint8_t> header;
        appendInt32(header, count);
        header.insert(header.end(), 12, 'x');
        EXPECT_EQ(setComponentState(*fixture.controller, header), kResultFalse) << count;
    }
    EXPECT_EQ(allValues(*fixture.controller), before);
}

TEST(ComponentStateBadInput, NonFiniteValuesAreRefused)
{
    // Guards against NaN reaching a parameter (the SDK's clamp lets NaN through).
    ControllerFixture fixture;
    const std::vector<double> before = allValues(*fixture.controller);
    EXPECT_EQ(setComponentState(*fixture.controller, processorStateBytes(kStateHeader, 0, {{kModWheelId, 0.5}, {kVolumeId, std::nan("")}})), kResultFalse);
    EXPECT_EQ(setComponentState(*fixture.controller, processorStateBytes(kStateHeader, 0, {{1001, INFINITY}})), kResultFalse);
    EXPECT_EQ(allValues(*fixture.controller), before);
}

TEST(ComponentStateBadInput, OutOfRangePlainValuesAreClampedIntoTheParameter)
{
    ControllerFixture fixture;
    ASSERT_EQ(setComponentState(*fixture.controller, processorStateBytes(kStateHeader, 0, {{kModWheelId, 9.0}, {kPitchBendId, -7.0}, {kOutputLevelId, -3.0}, {kSustainPedalId, 2.0}})), kResultOk);
    EXPECT_EQ(fixture.controller->getParamNormalized(1), 1.0);
    EXPECT_EQ(fixture.controller->getParamNormalized(129), 0.0);
    EXPECT_EQ(fixture.controller->getParamNormalized(1001), 0.0);
    EXPECT_EQ(fixture.controller->getParamNormalized(64), 1.0);
}

TEST(ComponentStateBadInput, NullStreamIsRefused)
{
    ControllerFixture fixture;
    EXPECT_EQ(fixture.controller->setComponentState(nullptr), kResultFalse);
}
