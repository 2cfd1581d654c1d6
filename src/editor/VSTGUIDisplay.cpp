// The player editor's live displays: the 100 ms refresh of figures and parameter texts, the
// files the controller has read meanwhile and the "Loading" line, the knobs' captions, the
// "Bend Range" rocker, and the voice count handed over by the controller.
#include "editor/VSTGUI.h"

#include "controller/MyVSTController.h"
#include "editor/CListBox.h"
#include "platform/Text.h"
#include "shell/ParameterIds.h"
#include "ui/widgets/CAnimKnob.h"
#include "ui/widgets/CKickButton.h"
#include "ui/widgets/COnOffButton.h"
#include "ui/widgets/CRockerSwitch.h"
#include "ui/widgets/CTextEdit.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

namespace Steinberg {
namespace Vst {

using namespace ::VSTGUI;

namespace {
constexpr float kOneTwelfth = 1.f / 12.f;   // one semitone of "Bend Range", normalised

// The parameter's text for a normalised value, as UTF-8 (empty when it cannot be had).
std::string parameterText(EditController* controller, ParamID id, ParamValue value)
{
    String128 text{};
    if (controller->getParamStringByValue(id, value, text) != kResultOk)
        return {};
    try {
        return toUtf8(reinterpret_cast<const char16_t*>(text));
    } catch (const std::range_error&) {
        return {};
    }
}
} // namespace

void VSTGUI::onValueChanged(int32, float value, CControl* control)
{
    if (control && (control == volumeKnob || control == outputKnob))
        showKnobCaptions();
    if ((control == loadButton || control == loadArea) && value > 0.5f) {
        openSoundFontSelector();
        return;
    }
    if (control == responseSwitch && responseSwitch && playerController()) {
        playerController()->chooseResponse(value > 0.5f ? SoundResponse::SoundFont204 : SoundResponse::Classic);
        return;
    }
    // Only a press steps: the rocker's spring back to rest (value 0) must not undo the step
    // before the field has caught up with it.
    if (control == bendRangeRocker && bendRangeRocker && bendRangeEdit && controller &&
        bendRangeRocker->getValue() != 0.f) {
        // Steps from what the field shows, which follows the parameter on the next tick.
        float stepped = bendRangeEdit->getValue() - bendRangeRocker->getValue() * kOneTwelfth;
        stepped = stepped < 0.f ? 0.f : (stepped > 1.f ? 1.f : stepped);
        controller->setParamNormalized(kBendRangeId, stepped);
        // The host records the step as one gesture of "Bend Range" itself.
        controller->beginEdit(kBendRangeId);
        controller->performEdit(kBendRangeId, stepped);
        controller->endEdit(kBendRangeId);
    }
}

void VSTGUI::showParameterText(CTextLabel* label, ParamID id)
{
    if (label && controller)
        label->setText(parameterText(controller, id, controller->getParamNormalized(id)).c_str());
}

void VSTGUI::showLoadState()
{
    MyVSTController* player = playerController();
    if (!player)
        return;
    player->deliverLoadedFiles();
    const LoadWorker& loads = player->fileLoads();
    const LoadWorker::Request* loading = loads.newest();
    const bool shown = loading && LoadWorker::Clock::now() - loads.busySince() >= kLoadShownAfter;
    if (fileNameLabel)
        fileNameLabel->setText(shown ? loadingLabelText(loading->path).c_str() : fileLine.c_str());
    if (presetList && presetList->browser)
        presetList->browser->setAlphaValue(shown ? kDimmedListAlpha : 1.f);
}

void VSTGUI::showKnobCaption(CTextLabel* caption, const CControl* knob, ParamID id)
{
    if (!caption || !controller)
        return;
    Parameter* parameter = controller->getParameterObject(id);
    std::string text = parameter ? displayText(reinterpret_cast<const char16_t*>(parameter->getInfo().title))
                                 : std::string();
    if (knob && (knob == hoveredView || knob->isEditing())) {
        // The parameter's own text, without zeros past the first decimal ("12.0000" -> "12.0").
        std::string value = parameterText(controller, id, controller->getParamNormalized(id));
        const size_t point = value.find('.');
        if (point != std::string::npos && value.find_first_not_of("0123456789", point + 1) == std::string::npos)
            value.erase(std::max(point + 2, value.find_last_not_of('0') + 1));
        text += " " + value;
    }
    caption->setText(text.c_str());
}

void VSTGUI::beginEdit(int32_t index)
{
    MyVSTGUIEditor::beginEdit(index);
    showKnobCaptions();   // a knob turned shows its value from the first moment
}

void VSTGUI::endEdit(int32_t index)
{
    MyVSTGUIEditor::endEdit(index);
    showKnobCaptions();
}

void VSTGUI::showKnobCaptions()
{
    showKnobCaption(volumeCaption, volumeKnob, kVolumeId);
    showKnobCaption(outputCaption, outputKnob, kOutputLevelId);
}

void VSTGUI::onMouseEntered(CView* view, CFrame*)
{
    hoveredView = view;
    showKnobCaptions();
}

void VSTGUI::onMouseExited(CView* view, CFrame*)
{
    if (hoveredView == view)
        hoveredView = nullptr;
    showKnobCaptions();
}

void VSTGUI::onTimer()
{
    showLoadState();
    MyVSTController* player = playerController();
    if (memoryLabel && player)
        memoryLabel->setText(
            std::to_string(player->usedMemory.load(std::memory_order_relaxed) / 1024).c_str());
    if (voiceCountLabel && player) {
        // Asked on every tick; the answer comes back inside the call when there is one.
        player->requestVoiceCount();
        // The controller's latest report, or one handed to this editor directly.
        const uint32_t reports = player->voiceReports.load(std::memory_order_acquire);
        if (reports != shownVoiceReports) {
            shownVoiceReports = reports;
            voiceCountLabel->setText(
                std::to_string(player->voiceCount.load(std::memory_order_relaxed)).c_str());
        }
        if (voicesReported.exchange(false, std::memory_order_acquire))
            voiceCountLabel->setText(
                std::to_string(reportedVoices.load(std::memory_order_relaxed)).c_str());
    }
    showParameterText(pitchBendLabel, kPitchBendId);
    showParameterText(modWheelLabel, kModWheelId);
    showParameterText(expressionLabel, kExpressionId);
    showParameterText(sustainLabel, kSustainPedalId);

    if (bendRangeEdit && controller && !bendRangeEdit->isEditingText()) {
        // Follows the parameter; also replaces a typed text that the parameter limited or
        // snapped ("15" shows as the range's top once it is set).
        const ParamValue value = controller->getParamNormalized(kBendRangeId);
        const std::string text = parameterText(controller, kBendRangeId, value);
        if (float(value) != bendRangeEdit->getValue() ||
            (!text.empty() && text != bendRangeEdit->getText()))
            bendRangeEdit->setText(text.c_str());
    }
    if (responseSwitch && player) {
        // A restored state may have changed the response while the editor is open.
        const float chosen = player->response() == SoundResponse::SoundFont204 ? 1.f : 0.f;
        if (chosen != responseSwitch->getValue())
            responseSwitch->setValue(chosen);
    }
    if (volumeKnob && controller) {
        const auto volume = float(controller->getParamNormalized(kVolumeId));
        if (volume != volumeKnob->getValueNormalized()) {
            volumeKnob->setValueNormalized(volume);
            volumeKnob->setDirty(true);
        }
    }
    showKnobCaptions();
}

tresult VSTGUI::onControllerMessage(IMessage* message)
{
    if (!message)
        return kInvalidArgument;
    const char* id = message->getMessageID();
    if (!id || std::strcmp(id, "VOICENUM") != 0)
        return kNotImplemented;
    // Whatever thread this runs on, it only stores the figure; the timer shows it.
    IAttributeList* attributes = message->getAttributes();
    const void* data = nullptr;
    uint32 size = 0;
    if (attributes && attributes->getBinary("voiceNum", data, size) == kResultOk && data &&
        size >= 4) {
        const auto* bytes = static_cast<const uint8_t*>(data);
        const uint32_t bits = uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 |
                              uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
        reportedVoices.store(static_cast<int32_t>(bits), std::memory_order_relaxed);
        voicesReported.store(true, std::memory_order_release);
    }
    return kResultOk;
}

CMessageResult VSTGUI::notifyUnhandled(CBaseObject* sender, IdStringPtr message)
{
    return VSTGUIEditor::notify(sender, message);
}

} // namespace Vst
} // namespace Steinberg
