// The parameter objects the controller builds from the registry, and the MIDI mapping.
#include "ControllerTestSupport.h"

#include <gtest/gtest.h>

using namespace zephra::test;

namespace {
std::u16string title(const ParameterInfo& info) { return std::u16string(reinterpret_cast<const char16_t*>(info.title)); }

std::u16string valueText(MyVSTController& controller, ParamID id, double normalised)
{
    String128 text{};
    controller.getParamStringByValue(id, normalised, text);
    return std::u16string(reinterpret_cast<const char16_t*>(text));
}
} // namespace

TEST(ControllerParameters, BypassFirstThenRegistryInAscendingIdOrder)
{
    ControllerFixture fixture;
    MyVSTController& controller = *fixture.controller;
    ASSERT_EQ(controller.getParameterCount(), 8);
    const ParamID expectedIds[] = {0x7FFFFFFF, 1, 7, 11, 64, 129, 1000, 1001};
    const std::u16string expectedTitles[] = {u"Bypass", u"Mod Wheel", u"Volume", u"Expression",
                                             u"Sus Pedal", u"Pitch Bend", u"Bend Range",
                                             u"Output Level"};
    for (int32 i = 0; i < 8; ++i) {
        ParameterInfo info{};
        ASSERT_EQ(controller.getParameterInfo(i, info), kResultOk);
        EXPECT_EQ(info.id, expectedIds[i]) << i;
        EXPECT_EQ(title(info), expectedTitles[i]) << i;
        EXPECT_EQ(info.units[0], 0) << i;
        EXPECT_EQ(info.shortTitle[0], 0) << i;
        EXPECT_EQ(info.unitId, kRootUnitId) << i;
    }
}

TEST(ControllerParameters, FlagsStepCountsAndDefaults)
{
    ControllerFixture fixture;
    MyVSTController& controller = *fixture.controller;
    struct Expected { int32 flags; int32 steps; double defaultValue; };
    const Expected expected[] = {
        {0x10001, 1, 0.0},   // Bypass
        {1, 0, 0.0},         // Mod Wheel
        {1, 0, 1.0},         // Volume
        {1, 0, 1.0},         // Expression
        {9, 1, 0.0},         // Sus Pedal: list of two items
        {1, 0, 0.5},         // Pitch Bend: 0 in -1..1
        {1, 12, 2.0 / 12.0}, // Bend Range
        {1, 0, 0.0},         // Output Level reports 0 as default
    };
    for (int32 i = 0; i < 8; ++i) {
        ParameterInfo info{};
        controller.getParameterInfo(i, info);
        EXPECT_EQ(info.flags, expected[i].flags) << i;
        EXPECT_EQ(info.stepCount, expected[i].steps) << i;
        EXPECT_DOUBLE_EQ(info.defaultNormalizedValue, expected[i].defaultValue) << i;
    }
}

TEST(ControllerParameters, OutputLevelStartsAtTheCurveMappedDefault)
{
    ControllerFixture fixture;
    const double value = fixture.controller->getParamNormalized(1001);
    EXPECT_NEAR(value, std::pow(0.05, 0.3010299976120944), 1e-12);
    EXPECT_NEAR(value, 0.4058, 1e-4);
}

TEST(ControllerParameters, ValueStrings)
{
    ControllerFixture fixture;
    MyVSTController& controller = *fixture.controller;
    EXPECT_EQ(valueText(controller, 1, 0.5), u"0.50");
    EXPECT_EQ(valueText(controller, 129, 0.0), u"-1.00");
    EXPECT_EQ(valueText(controller, 1000, 2.0 / 12.0), u"2");
    EXPECT_EQ(valueText(controller, 64, 0.0), u"off");
    EXPECT_EQ(valueText(controller, 64, 1.0), u"on");
    EXPECT_EQ(valueText(controller, 0x7FFFFFFF, 1.0), u"On");
    EXPECT_EQ(valueText(controller, 1001, controller.getParamNormalized(1001)), u"12.0000");
}

TEST(ControllerParameters, ValueStringsOfOutOfRangeValuesAreClamped)
{
    // Guards against formatting an unbounded plain value into the 128-unit buffer.
    ControllerFixture fixture;
    EXPECT_EQ(valueText(*fixture.controller, 1, 1e300), u"1.00");
    EXPECT_EQ(valueText(*fixture.controller, 1, -1e300), u"0.00");
    EXPECT_EQ(valueText(*fixture.controller, 1, std::nan("")), u"0.00");
}

TEST(ControllerParameters, TextToValueUsesPlainValues)
{
    ControllerFixture fixture;
    ParamValue value = -1.0;
    TChar text[] = STR16("24");
    ASSERT_EQ(fixture.controller->getParamValueByString(1001, text, value), kResultOk);
    EXPECT_NEAR(value, 0.5, 1e-6);
}

TEST(ControllerParametersBadInput, TextWithALoneSurrogateIsRefusedWithoutThrowing)
{
    ControllerFixture fixture;
    ParamValue value = 0.25;
    TChar text[] = {u'1', 0xD800, 0};
    EXPECT_NE(fixture.controller->getParamValueByString(1, text, value), kResultOk);
    EXPECT_NE(fixture.controller->getParamValueByString(1001, text, value), kResultOk);
    EXPECT_EQ(value, 0.25);
    EXPECT_EQ(fixture.controller->getParamValueByString(1, nullptr, value), kInvalidArgument);
}

TEST(ControllerParameters, ListWithoutItemsGetsThePlaceholderItem)
{
    PluginDescription description;
    addParameter(description, 5, "Empty List", "", 0, 0, 0, List, -1, "");
    addParameter(description, 6, "Switch", "", 0, 1, 1, Toggle, -1, "ignored,items");
    ControllerFixture fixture(description);
    MyVSTController& controller = *fixture.controller;
    ASSERT_EQ(controller.getParameterCount(), 3);
    ParameterInfo info{};
    controller.getParameterInfo(1, info);
    EXPECT_EQ(info.stepCount, 0);
    EXPECT_EQ(valueText(controller, 5, 0.0), u"*** no string ***");
    controller.getParameterInfo(2, info);
    EXPECT_EQ(info.flags, 9);
    EXPECT_EQ(info.stepCount, 1);
    EXPECT_EQ(info.defaultNormalizedValue, 0.0);
    EXPECT_EQ(valueText(controller, 6, 0.0), u"Off");
    EXPECT_EQ(valueText(controller, 6, 1.0), u"On");
}

TEST(ControllerParameters, EntriesOfUnknownKindGetNoObjectButKeepTheirMidiController)
{
    PluginDescription description;
    addParameter(description, 9, "Odd", "", 0, 1, 0, 17, 74, "");
    ControllerFixture fixture(description);
    EXPECT_EQ(fixture.controller->getParameterCount(), 1);
    ParamID id = 0;
    EXPECT_EQ(fixture.controller->getMidiControllerAssignment(0, 0, 74, id), kResultOk);
    EXPECT_EQ(id, 9u);
}

TEST(MidiMapping, FiveChannelControlsMapToTheirParameters)
{
    ControllerFixture fixture;
    IMidiMapping* mapping = nullptr;
    ASSERT_EQ(fixture.controller->queryInterface(IMidiMapping::iid, reinterpret_cast<void**>(&mapping)), kResultOk);
    for (int16 number : {1, 7, 11, 64, 129}) {
        ParamID id = 0;
        EXPECT_EQ(mapping->getMidiControllerAssignment(0, 0, number, id), kResultOk) << number;
        EXPECT_EQ(id, static_cast<ParamID>(number));
    }
    mapping->release();
}

TEST(MidiMapping, BusAndChannelAreIgnored)
{
    ControllerFixture fixture;
    ParamID id = 0;
    EXPECT_EQ(fixture.controller->getMidiControllerAssignment(3, 15, kPitchBend, id), kResultOk);
    EXPECT_EQ(id, 129u);
}

TEST(MidiMapping, UnmappedControllersAreRefusedAndLeaveTheIdAlone)
{
    ControllerFixture fixture;
    for (int16 number : {0, 2, 128, 1000, -1}) {
        ParamID id = 4242;
        EXPECT_EQ(fixture.controller->getMidiControllerAssignment(0, 0, number, id), kResultFalse);
        EXPECT_EQ(id, 4242u);
    }
}

TEST(ControllerLifecycle, TerminateKeepsMidiMapAndRemovesParameters)
{
    ControllerFixture fixture;
    fixture.controller->terminate();
    EXPECT_EQ(fixture.controller->getParameterCount(), 0);
    ParamID id = 0;
    EXPECT_EQ(fixture.controller->getMidiControllerAssignment(0, 0, 7, id), kResultOk);
}

TEST(ControllerLifecycle, EditsOfTagsWithoutParameterNeverReachTheHost)
{
    ControllerFixture fixture;
    for (ParamID tag : {10000u, 10001u, 2u})
        EXPECT_EQ(fixture.controller->performEdit(tag, 0.5), kInvalidArgument) << tag;
    EXPECT_EQ(fixture.controller->beginEdit(10000), kInvalidArgument);
    EXPECT_EQ(fixture.controller->endEdit(10000), kInvalidArgument);
}

TEST(ControllerLifecycle, CreateViewWithoutEditorMakerGivesNoView)
{
    ControllerFixture fixture;
    EXPECT_EQ(fixture.controller->createView("editor"), nullptr);
    EXPECT_EQ(fixture.controller->createView(""), nullptr);
    EXPECT_EQ(fixture.controller->createView(nullptr), nullptr);
    EXPECT_EQ(fixture.controller->editor.load(), nullptr);
}

TEST(ControllerLifecycle, ReportsItsClassNames)
{
    ControllerFixture fixture;
    EXPECT_STREQ(fixture.controller->isA(), "MyVSTController");
    EXPECT_TRUE(fixture.controller->isTypeOf("EditController"));
    EXPECT_TRUE(fixture.controller->isTypeOf("ComponentBase"));
}
