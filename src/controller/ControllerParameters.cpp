// Building the controller's parameter objects and MIDI map from the parameter registry.
#include "controller/CurveParameter.h"
#include "controller/MyVSTController.h"
#include "platform/Text.h"

#include <cmath>
#include <limits>

namespace Steinberg {
namespace Vst {

namespace {
// Registry texts are ours and valid UTF-8; an invalid one gives an empty text, not a throw.
std::u16string wide(const std::string& bytes)
{
    try {
        return fromUtf8(bytes);
    } catch (const std::range_error&) {
        return {};
    }
}

const TChar* tchars(const std::u16string& text)
{
    return reinterpret_cast<const TChar*>(text.c_str());
}

int32 stepCountOf(double minPlain, double maxPlain)
{
    const double span = std::trunc(maxPlain - minPlain);
    if (!(span > 0.0)) return 0;
    if (span > std::numeric_limits<int32>::max()) return std::numeric_limits<int32>::max();
    return static_cast<int32>(span);
}

Parameter* makeParameter(int32 id, const ParameterSpec& spec)
{
    const std::u16string title = wide(spec.name);
    const std::u16string units = wide(spec.units);
    switch (spec.kind) {
    case Range:
    case IntRange: {
        const int32 steps = spec.kind == IntRange ? stepCountOf(spec.minPlain, spec.maxPlain) : 0;
        auto* parameter = new RangeParameter(tchars(title), id, tchars(units), spec.minPlain,
                                             spec.maxPlain, spec.defaultPlain, steps,
                                             ParameterInfo::kCanAutomate, kRootUnitId);
        parameter->setPrecision(2);
        return parameter;
    }
    case Toggle: {
        auto* parameter = new StringListParameter(
            tchars(title), id, tchars(units), ParameterInfo::kCanAutomate | ParameterInfo::kIsList,
            kRootUnitId);
        parameter->appendString(STR16("Off"));
        parameter->appendString(STR16("On"));
        return parameter;
    }
    case List: {
        auto* parameter = new StringListParameter(
            tchars(title), id, tchars(units), ParameterInfo::kCanAutomate | ParameterInfo::kIsList,
            kRootUnitId);
        const std::vector<std::string> items = splitItems(spec.listText);
        for (const std::string& item : items) parameter->appendString(tchars(wide(item)));
        if (items.empty()) parameter->appendString(STR16("*** no string ***"));
        return parameter;
    }
    case Curve: {
        auto* parameter = new CurveParameter(tchars(title), id, tchars(units), spec.minPlain,
                                             spec.maxPlain, ParameterInfo::kCanAutomate,
                                             kRootUnitId);
        const double span = spec.maxPlain - spec.minPlain;
        const double ratio = span != 0.0 ? (spec.defaultPlain - spec.minPlain) / span : 0.0;
        parameter->setNormalized(ratio > 0.0 ? std::pow(ratio, CurveParameter::inverseCurveExponent)
                                             : 0.0);
        return parameter;
    }
    default:
        return nullptr;   // unknown kinds get no object
    }
}
} // namespace

void MyVSTController::createParameters()
{
    auto* bypass = new StringListParameter(STR16("Bypass"), kBypassParameterId, nullptr,
                                           ParameterInfo::kCanAutomate | ParameterInfo::kIsBypass,
                                           kRootUnitId);
    bypass->appendString(STR16("Off"));
    bypass->appendString(STR16("On"));
    parameters.addParameter(bypass);

    for (const auto& [id, spec] : description.parameters) {
        if (Parameter* parameter = makeParameter(id, spec)) parameters.addParameter(parameter);
        if (spec.midiController >= 0)
            midiMap[static_cast<int16>(spec.midiController)] = static_cast<ParamID>(id);
    }
}

} // namespace Vst
} // namespace Steinberg
