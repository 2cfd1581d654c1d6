// The plug-in description: static defaults, the filled values and the registry insertion rules.
#include "shell/ParameterConversion.h"
#include "shell/ParameterRegistry.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Steinberg;
using namespace Steinberg::Vst;

TEST(Description, FreshDescriptionHoldsTheNeutralDefaults)
{
    const PluginDescription d;
    EXPECT_EQ(d.vendor, "no vendor name");
    EXPECT_EQ(d.url, "");
    EXPECT_EQ(d.name, "test vst3");
    EXPECT_EQ(d.version, "0");
    EXPECT_EQ(d.category, "Fx");
    EXPECT_EQ(d.combinedVersion(), "0-fw 2.1");
    EXPECT_EQ(d.eventInputCount, 0);
    EXPECT_EQ(d.processorClassId, FUID(0, 0, 0, 1));
    EXPECT_EQ(d.controllerClassId, FUID(0, 0, 0, 2));
    EXPECT_TRUE(d.parameters.empty());
}

TEST(Description, FillingGivesThePlayersValues)
{
    PluginDescription d;
    EXPECT_TRUE(fillDescription(d));
    EXPECT_EQ(d.vendor, "Norvane");
    EXPECT_FALSE(d.url.empty());
    EXPECT_EQ(d.email, "");
    EXPECT_EQ(d.name, "Zephra SF2 Player");
    EXPECT_EQ(d.category, "Instrument");
    EXPECT_EQ(d.combinedVersion(), "1.5-fw 2.1");
    EXPECT_EQ(d.sideChainInputCount, 0);
    EXPECT_EQ(d.eventInputCount, 1);
    EXPECT_EQ(d.eventOutputCount, 0);
    EXPECT_TRUE(d.processorClassId.isValid());
    EXPECT_TRUE(d.controllerClassId.isValid());
    EXPECT_NE(d.processorClassId, d.controllerClassId);
}

// Hosts store class IDs in projects: they must never change between builds.
TEST(Description, ClassIdsAreFixed)
{
    PluginDescription d;
    fillDescription(d);
    char8 text[64];
    d.processorClassId.toRegistryString(text);
    EXPECT_STREQ(text, "{6A3C1E52-9B4D-4F7A-8E21-5D0C7B93A1F4}");
    d.controllerClassId.toRegistryString(text);
    EXPECT_STREQ(text, "{B2E87F10-3C6A-4D59-9F04-71A8C2D5E6B3}");
}

TEST(Description, RefillingChangesNothing)
{
    PluginDescription once, twice;
    fillDescription(once);
    fillDescription(twice);
    fillDescription(twice);
    EXPECT_EQ(twice.parameters.size(), once.parameters.size());
    EXPECT_EQ(twice.processorClassId, once.processorClassId);
}

TEST(Registry, HoldsTheSevenParametersInIdOrder)
{
    PluginDescription d;
    fillDescription(d);
    std::vector<int32> ids;
    for (const auto& entry : d.parameters)
        ids.push_back(entry.first);
    EXPECT_EQ(ids, (std::vector<int32>{1, 7, 11, 64, 129, 1000, 1001}));

    struct Row { int32 id; const char* name; int32 kind; double lo, hi, def; int32 midi; const char* list; };
    const Row rows[] = {
        {1, "Mod Wheel", Range, 0, 1, 0, 1, ""},
        {7, "Volume", Range, 0, 1, 1, 7, ""},
        {11, "Expression", Range, 0, 1, 1, 11, ""},
        {64, "Sus Pedal", List, 0, 2, 0, 64, "off,on"},
        {129, "Pitch Bend", Range, -1, 1, 0, 129, ""},
        {1000, "Bend Range", IntRange, 0, 12, 2, -1, ""},
        {1001, "Output Level", Curve, 0, 240, 12, -1, ""},
    };
    for (const Row& row : rows) {
        const ParameterSpec& spec = d.parameters.at(row.id);
        EXPECT_EQ(spec.name, row.name) << row.id;
        EXPECT_EQ(spec.units, "") << row.id;
        EXPECT_EQ(spec.kind, row.kind) << row.id;
        EXPECT_DOUBLE_EQ(spec.minPlain, row.lo) << row.id;
        EXPECT_DOUBLE_EQ(spec.maxPlain, row.hi) << row.id;
        EXPECT_DOUBLE_EQ(spec.defaultPlain, row.def) << row.id;
        EXPECT_EQ(spec.midiController, row.midi) << row.id;
        EXPECT_EQ(spec.listText, row.list) << row.id;
    }
}

TEST(Registry, SwappedBoundsAreOrderedAndTheDefaultClamped)
{
    PluginDescription d;
    addParameter(d, 5, "x", "u", 5.0, 2.0, 9.0, Range, -1, "");
    const ParameterSpec& spec = d.parameters.at(5);
    EXPECT_DOUBLE_EQ(spec.minPlain, 2.0);
    EXPECT_DOUBLE_EQ(spec.maxPlain, 5.0);
    EXPECT_DOUBLE_EQ(spec.defaultPlain, 5.0);
    EXPECT_EQ(spec.units, "u");
}

TEST(Registry, IntRangeIsFloored)
{
    PluginDescription d;
    addParameter(d, 5, "x", "", 0.5, 12.7, 2.9, IntRange, -1, "");
    const ParameterSpec& spec = d.parameters.at(5);
    EXPECT_DOUBLE_EQ(spec.minPlain, 0.0);
    EXPECT_DOUBLE_EQ(spec.maxPlain, 12.0);
    EXPECT_DOUBLE_EQ(spec.defaultPlain, 2.0);
    addParameter(d, 6, "y", "", -0.5, 3.0, -0.5, IntRange, -1, "");
    EXPECT_DOUBLE_EQ(d.parameters.at(6).minPlain, -1.0);
    EXPECT_DOUBLE_EQ(d.parameters.at(6).defaultPlain, -1.0);
}

TEST(Registry, ListSpansItsItemCount)
{
    PluginDescription d;
    addListParameter(d, 64, "p", "off,on", 64);
    EXPECT_DOUBLE_EQ(d.parameters.at(64).minPlain, 0.0);
    EXPECT_DOUBLE_EQ(d.parameters.at(64).maxPlain, 2.0);
    addListParameter(d, 65, "q", "", -1);
    EXPECT_DOUBLE_EQ(d.parameters.at(65).minPlain, 0.0);
    EXPECT_DOUBLE_EQ(d.parameters.at(65).maxPlain, 0.0);
    EXPECT_DOUBLE_EQ(d.parameters.at(65).defaultPlain, 0.0);
    addParameter(d, 66, "r", "", 0.0, 9.0, 7.5, List, -1, "a,b,c");
    EXPECT_DOUBLE_EQ(d.parameters.at(66).defaultPlain, 3.0);   // above the item count
    addParameter(d, 67, "s", "", 0.0, 9.0, 1.5, List, -1, "a,b,c");
    EXPECT_DOUBLE_EQ(d.parameters.at(67).defaultPlain, 1.0);
}

// Regression guard: a negative default must not leave a list's default below its first item.
TEST(Registry, ListDefaultStaysInsideTheList)
{
    PluginDescription d;
    addParameter(d, 68, "t", "", -5.0, 5.0, -3.0, List, -1, "a,b");
    EXPECT_DOUBLE_EQ(d.parameters.at(68).defaultPlain, 0.0);
}

TEST(Registry, AddingAnExistingIdOverwritesEveryField)
{
    PluginDescription d;
    addParameter(d, 9, "first", "dB", 0.0, 10.0, 5.0, IntRange, 7, "");
    addRangeParameter(d, 9, "second", 0.25, 0.5, -1);
    const ParameterSpec& spec = d.parameters.at(9);
    EXPECT_EQ(spec.name, "second");
    EXPECT_EQ(spec.units, "");
    EXPECT_EQ(spec.kind, Range);
    EXPECT_DOUBLE_EQ(spec.minPlain, 0.25);
    EXPECT_DOUBLE_EQ(spec.maxPlain, 1.0);
    EXPECT_EQ(spec.midiController, -1);
    EXPECT_EQ(d.parameters.size(), 1u);
}

TEST(ClassIdText, BracesAndHyphensAreDropped)
{
    const FUID id = classIdFromText("{01234567-89AB-CDEF-0123-456789ABCDEF}");
    char8 text[64];
    id.toString(text);
    EXPECT_STREQ(text, "0123456789ABCDEF0123456789ABCDEF");
}

TEST(ClassIdText, GarbageGivesAnInvalidId)
{
    EXPECT_FALSE(classIdFromText("not a class id").isValid());
    EXPECT_FALSE(classIdFromText("").isValid());
}

TEST(Conversion, EachKindMapsNormalisedToPlain)
{
    ParameterSpec spec;
    spec.minPlain = -2.0;
    spec.maxPlain = 2.0;
    spec.kind = Range;
    EXPECT_DOUBLE_EQ(plainFromNormalised(spec, 0.75), 1.0);
    spec.kind = Toggle;
    EXPECT_DOUBLE_EQ(plainFromNormalised(spec, 0.5), 0.0);
    EXPECT_DOUBLE_EQ(plainFromNormalised(spec, 0.51), 1.0);
    spec.kind = IntRange;
    EXPECT_DOUBLE_EQ(plainFromNormalised(spec, 0.125), -1.0);   // 0.5 step rounds away from 0
    spec.kind = Curve;
    spec.minPlain = 0.0;
    spec.maxPlain = 240.0;
    EXPECT_NEAR(plainFromNormalised(spec, std::pow(0.05, 1.0 / kCurveExponent)), 12.0, 1e-9);
}
