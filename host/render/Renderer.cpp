#include "Renderer.h"
#include "host/render/platform/RealPath.h"

#include "controller/ControllerState.h"
#include "controller/ExtraStateFields.h"
#include "host/UsedMemoryReport.h"
#include "platform/Text.h"
#include "synth/SoundResponse.h"

#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace zephra {
namespace render {

bool loadSoundFont(host::Plugin& plugin, const std::string& path, int32_t presetIndex, uint64_t& usedMemory,
                   std::string& error)
{
    std::u16string widePath;
    try {
        widePath = Steinberg::Vst::fromUtf8(realPathOr(path));
    } catch (const std::exception&) {
        error = "SoundFont path \"" + path + "\" holds characters the plug-in cannot take";
        return false;
    }
    plugin.clearMessages();
    if (plugin.setControllerState(Steinberg::Vst::soundFontControllerState(widePath, presetIndex)) !=
        Steinberg::kResultOk) {
        error = "the plug-in's controller refused the state naming the SoundFont";
        return false;
    }
    // The processor answers the hand-over with its report inside the same call, and adopts the
    // sound at the end of its next render call: an empty block does that before the first note.
    plugin.process(0);

    bool sent = false;
    for (const host::MessageRecord& message : plugin.messages())
        if (message.direction == host::MessageDirection::ToProcessor && message.id == "SF2DATA")
            sent = true;
    const bool adopted = host::findUsedMemoryReport(plugin.messages(), usedMemory);
    plugin.clearMessages();
    if (!sent) {
        error = "the plug-in did not load \"" + path +
                "\" (it takes SoundFonts only from file names "
                "ending in .sf2, .SF2, .sf3 or .SF3)";
        return false;
    }
    if (!adopted || usedMemory == 0) {
        error = "preset " + std::to_string(presetIndex) + " of \"" + path +
                "\" gave the plug-in nothing to play (it has no usable samples)";
        return false;
    }
    return true;
}

bool restoreResponse(host::Plugin& plugin, bool soundFont204, std::string& error)
{
    Steinberg::tresult result = Steinberg::kResultFalse;
    std::vector<uint8_t> state = plugin.processorState(&result);
    if (result != Steinberg::kResultOk || state.empty()) {
        error = "the plug-in gave no processor state to set its response in";
        return false;
    }
    // A fresh instance's state has no extra fields ("Classic"); "SoundFont 2.04" is its field.
    if (soundFont204) {
        const std::vector<uint8_t> field = Steinberg::Vst::ExtraStateFields::responseFieldBytes(
            int32_t(Steinberg::Vst::SoundResponse::SoundFont204));
        state.insert(state.end(), field.begin(), field.end());
    }
    if (plugin.setProcessorState(state) != Steinberg::kResultOk ||
        plugin.setControllerComponentState(state) != Steinberg::kResultOk) {
        error = "the plug-in refused the state choosing its response";
        return false;
    }
    return true;
}

ControllerMapping midiMappingOf(host::Plugin& plugin)
{
    Steinberg::Vst::IMidiMapping* mapping = plugin.midiMapping();
    if (mapping == nullptr)
        return {};
    return [mapping](int16_t channel, int16_t controller, uint32_t& id) {
        Steinberg::Vst::ParamID mapped = 0;
        if (mapping->getMidiControllerAssignment(0, channel, controller, mapped) != Steinberg::kResultOk)
            return false;
        id = mapped;
        return true;
    };
}

bool normalizedParameter(host::Plugin& plugin, const std::u16string& title, double plain, uint32_t& id,
                         double& normalized)
{
    Steinberg::Vst::IEditController* controller = plugin.controller();
    if (controller == nullptr)
        return false;
    for (const Steinberg::Vst::ParameterInfo& info : plugin.parameterInfos()) {
        std::u16string name;
        for (const Steinberg::Vst::TChar* c = info.title; *c != 0 && name.size() < 128; ++c)
            name.push_back(static_cast<char16_t>(*c));
        if (name != title)
            continue;
        id = info.id;
        normalized = std::clamp(controller->plainParamToNormalized(info.id, plain), 0.0, 1.0);
        return true;
    }
    return false;
}

BendRangeParameter bendRangeOf(host::Plugin& plugin)
{
    BendRangeParameter bend;
    double top = 0.0;
    if (!normalizedParameter(plugin, u"Bend Range", 0.0, bend.id, top))
        return bend;
    Steinberg::Vst::IEditController* controller = plugin.controller();
    bend.present = true;
    bend.maxSemitones = std::floor(controller->normalizedParamToPlain(bend.id, 1.0));
    const uint32_t id = bend.id;
    bend.normalized = [controller, id](double semitones) {
        return std::clamp(controller->plainParamToNormalized(id, semitones), 0.0, 1.0);
    };
    return bend;
}

}   // namespace render
}   // namespace zephra
