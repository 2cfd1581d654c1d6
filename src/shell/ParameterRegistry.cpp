#include "shell/ParameterRegistry.h"
#include "shell/ParameterIds.h"

#include <mutex>

#include "platform/Text.h"

#include <algorithm>
#include <cmath>

namespace Steinberg {
namespace Vst {
namespace {
// Stable identities of the two classes: hosts store them in their projects.
const char* const kProcessorClassIdText = "{6A3C1E52-9B4D-4F7A-8E21-5D0C7B93A1F4}";
const char* const kControllerClassIdText = "{B2E87F10-3C6A-4D59-9F04-71A8C2D5E6B3}";
const char* const kVendorUrl = "https://norvane.audio/zephra-sf2-player";

// The SDK's ControllerNumbers for the five channel controls.
constexpr int32 kModWheelController = 1;
constexpr int32 kVolumeController = 7;
constexpr int32 kExpressionController = 11;
constexpr int32 kSustainController = 64;
constexpr int32 kPitchBendController = 129;
} // namespace

FUID classIdFromText(const std::string& text)
{
    std::string digits = replaceAll(text, "-", "");
    digits = replaceAll(digits, "{", "");
    digits = replaceAll(digits, "}", "");
    FUID id;
    if (!id.fromString(digits.c_str()))
        return FUID();
    return id;
}

void addParameter(PluginDescription& description, int32 id, const std::string& name,
                  const std::string& units, double minPlain, double maxPlain, double defaultPlain,
                  int32 kind, int32 midiController, const std::string& listText)
{
    double lo = std::min(minPlain, maxPlain);
    double hi = std::max(minPlain, maxPlain);
    double def = defaultPlain;
    if (def < lo)
        def = lo;
    if (def > hi)
        def = hi;

    if (kind == IntRange) {
        lo = std::floor(lo);
        hi = std::floor(hi);
        def = std::floor(def);
    } else if (kind == List) {
        lo = 0.0;
        hi = static_cast<double>(splitItems(listText).size());
        def = def > hi ? hi : std::floor(def);
        // A default from a negative range would fall below the list's first item.
        if (def < lo)
            def = lo;
    }

    ParameterSpec& spec = description.parameters[id];
    spec.name = name;
    spec.units = units;
    spec.minPlain = lo;
    spec.maxPlain = hi;
    spec.defaultPlain = def;
    spec.kind = kind;
    spec.midiController = midiController;
    spec.listText = listText;
}

void addRangeParameter(PluginDescription& description, int32 id, const std::string& name,
                       double minPlain, double defaultPlain, int32 midiController)
{
    addParameter(description, id, name, "", minPlain, 1.0, defaultPlain, Range, midiController,
                 "");
}

void addListParameter(PluginDescription& description, int32 id, const std::string& name,
                      const std::string& listText, int32 midiController)
{
    const double count = static_cast<double>(splitItems(listText).size());
    addParameter(description, id, name, "", 0.0, count, 0.0, List, midiController, listText);
}

bool fillDescription(PluginDescription& description)
{
    description.vendor = "Norvane";
    description.url = kVendorUrl;
    description.email = "";
    description.name = "Zephra SF2 Player";
    description.version = "1.5";
    description.category = "Instrument";
    description.sideChainInputCount = 0;
    description.eventInputCount = 1;
    description.eventOutputCount = 0;
    description.processorClassId = classIdFromText(kProcessorClassIdText);
    description.controllerClassId = classIdFromText(kControllerClassIdText);

    addRangeParameter(description, kModWheelId, "Mod Wheel", 0.0, 0.0, kModWheelController);
    addRangeParameter(description, kVolumeId, "Volume", 0.0, 1.0, kVolumeController);
    addRangeParameter(description, kExpressionId, "Expression", 0.0, 1.0, kExpressionController);
    addListParameter(description, kSustainPedalId, "Sus Pedal", "off,on", kSustainController);
    addRangeParameter(description, kPitchBendId, "Pitch Bend", -1.0, 0.0, kPitchBendController);
    addParameter(description, kBendRangeId, "Bend Range", "", 0.0, 12.0, 2.0, IntRange, -1, "");
    addParameter(description, kOutputLevelId, "Output Level", "", 0.0, 240.0, 12.0, Curve, -1, "");
    return true;
}

bool fillDescription()
{
    return fillDescription(pluginDescription());
}

bool fillDescriptionOnce()
{
    static std::once_flag once;
    static bool filled = false;
    std::call_once(once, [] { filled = fillDescription(); });
    return filled;
}

} // namespace Vst
} // namespace Steinberg
