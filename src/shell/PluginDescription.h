#pragma once
// The process-wide plug-in description: names, version, bus counts, class IDs and the parameter
// registry. Everything that makes the generic framework this particular plug-in lives here.
//
// Threads: written only by the module entry (InitDll/ModuleEntry) before any class is created;
// afterwards read-only from any thread (UI and audio) without locks. Reading is real-time safe
// (use find(), never operator[], on the registry from the audio thread).
#include "pluginterfaces/base/ftypes.h"
#include "pluginterfaces/base/funknown.h"

#include <map>
#include <string>

namespace Steinberg {
namespace Vst {

// How a normalised 0..1 value maps to the plain value, and which parameter object the
// controller makes for the entry.
enum ParameterKind : int32 {
    Range = 0,      // min + (max - min) * x
    Toggle = 1,     // 1.0 if x > 0.5, else 0.0
    IntRange = 2,   // min + round((max - min) * x), halves away from zero
    List = 3,       // as IntRange; items from listText
    Curve = 4,      // min + (max - min) * x^log2(10)
};

struct ParameterSpec {
    std::string name;
    std::string units;
    double minPlain = 0.0;
    double maxPlain = 1.0;
    double defaultPlain = 0.0;
    int32 kind = Range;
    int32 midiController = -1;   // VST3 ControllerNumbers value; -1 = none
    std::string listText;        // List items separated by ","
};

// The host's bypass parameter: not in the registry, handled by the framework itself.
constexpr int32 kBypassParameterId = 0x7FFFFFFF;

struct PluginDescription {
    std::string vendor = "no vendor name";
    std::string url;
    std::string email;
    std::string name = "test vst3";
    std::string version = "0";
    std::string category = "Fx";
    std::string frameworkVersion = "fw 2.1";
    int32 sideChainInputCount = 0;
    int32 eventInputCount = 0;
    int32 eventOutputCount = 0;
    FUID processorClassId{0, 0, 0, 1};
    FUID controllerClassId{0, 0, 0, 2};
    std::map<int32, ParameterSpec> parameters;   // ascending ID order

    // version + "-" + frameworkVersion: the processor class version and the state header.
    std::string combinedVersion() const { return version + "-" + frameworkVersion; }
};

// The module's one description (static defaults until fillDescription has run).
PluginDescription& pluginDescription();

} // namespace Vst
} // namespace Steinberg
