// The controller as a host sees it through the built bundle: its parameters, their texts,
// the MIDI mapping and the fresh controller state.
#include "support/BundleSupport.h"

#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivstmidicontrollers.h"

#include <gtest/gtest.h>

using namespace zephra::test;
using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {
std::u16string text(const TChar* chars) { return std::u16string(reinterpret_cast<const char16_t*>(chars)); }

class ControllerThroughBundle : public BundleFixture {
protected:
    std::u16string valueString(ParamID id, double normalised)
    {
        String128 out{};
        EXPECT_EQ(plugin->controller()->getParamStringByValue(id, normalised, out), kResultOk);
        return text(out);
    }
};
} // namespace

TEST_F(ControllerThroughBundle, EightParametersInOrderWithTitlesFlagsStepsAndDefaults)
{
    const std::vector<ParameterInfo> infos = plugin->parameterInfos();
    ASSERT_EQ(infos.size(), 8u);
    struct Expected { ParamID id; std::u16string title; int32 flags; int32 steps; double defaultValue; };
    const Expected expected[] = {
        {0x7FFFFFFF, u"Bypass", 0x10001, 1, 0.0},
        {1, u"Mod Wheel", 1, 0, 0.0},
        {7, u"Volume", 1, 0, 1.0},
        {11, u"Expression", 1, 0, 1.0},
        {64, u"Sus Pedal", 9, 1, 0.0},
        {129, u"Pitch Bend", 1, 0, 0.5},
        {1000, u"Bend Range", 1, 12, 2.0 / 12.0},
        {1001, u"Output Level", 1, 0, 0.0},
    };
    for (size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(infos[i].id, expected[i].id) << i;
        EXPECT_EQ(text(infos[i].title), expected[i].title) << i;
        EXPECT_EQ(text(infos[i].units), u"") << i;
        EXPECT_EQ(infos[i].flags, expected[i].flags) << i;
        EXPECT_EQ(infos[i].stepCount, expected[i].steps) << i;
        EXPECT_DOUBLE_EQ(infos[i].defaultNormalizedValue, expected[i].defaultValue) << i;
    }
}

TEST_F(ControllerThroughBundle, ValueStrings)
{
    IEditController* controller = plugin->controller();
    EXPECT_EQ(valueString(1, 0.5), u"0.50");
    EXPECT_EQ(valueString(1000, controller->getParamNormalized(1000)), u"2");
    EXPECT_EQ(valueString(64, 0.0), u"off");
    EXPECT_EQ(valueString(64, 1.0), u"on");
    EXPECT_EQ(valueString(1001, controller->getParamNormalized(1001)), u"12.0000");
    EXPECT_NEAR(controller->getParamNormalized(1001), 0.4058, 1e-4);
}

TEST_F(ControllerThroughBundle, ValuesFromTextArePlainValues)
{
    ParamValue value = 0.0;
    TChar twentyFour[] = STR16("24");
    ASSERT_EQ(plugin->controller()->getParamValueByString(1001, twentyFour, value), kResultOk);
    EXPECT_NEAR(value, 0.5, 1e-6);
}

TEST_F(ControllerThroughBundle, MidiMappingAnswers)
{
    IMidiMapping* mapping = plugin->midiMapping();
    ASSERT_NE(mapping, nullptr);
    for (int16 number : {1, 7, 11, 64, 129}) {
        ParamID id = 0;
        EXPECT_EQ(mapping->getMidiControllerAssignment(0, 0, number, id), kResultOk) << number;
        EXPECT_EQ(id, ParamID(number));
    }
    ParamID id = 0;
    EXPECT_EQ(mapping->getMidiControllerAssignment(3, 15, kPitchBend, id), kResultOk);
    EXPECT_EQ(id, 129u);
    id = 555;
    EXPECT_EQ(mapping->getMidiControllerAssignment(0, 0, kCtrlBreath, id), kResultFalse);
    EXPECT_EQ(mapping->getMidiControllerAssignment(0, 0, kAfterTouch, id), kResultFalse);
    EXPECT_EQ(id, 555u);
}

TEST_F(ControllerThroughBundle, FreshControllerStateIs27Bytes)
{
    tresult result = kResultFalse;
    const std::vector<uint8_t> bytes = plugin->controllerState(&result);
    EXPECT_EQ(result, kResultOk);
    const std::vector<uint8_t> expected = {11, 0, 0, 0, '1', '.', '5', '-', 'f', 'w', ' ', '2', '.', '1', 0,
                                           0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(bytes, expected);
}

TEST_F(ControllerThroughBundle, OnlyTheViewNamedEditorIsOffered)
{
    IPlugView* view = plugin->controller()->createView("editor");
    ASSERT_NE(view, nullptr);
    view->release();
    EXPECT_EQ(plugin->controller()->createView("other"), nullptr);
    EXPECT_EQ(plugin->controller()->createView(nullptr), nullptr);
}
