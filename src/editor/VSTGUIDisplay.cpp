// The player editor's live displays: the 100 ms refresh of figures and parameter texts, the
// "Bend Range" rocker, and the voice count handed over by the controller.
#include "editor/VSTGUI.h"

#include "controller/MyVSTController.h"
#include "platform/Text.h"
#include "ui/CAnimKnob.h"
#include "ui/CKickButton.h"
#include "ui/CRockerSwitch.h"
#include "ui/CTextEdit.h"

#include <cstring>
#include <stdexcept>
#include <string>

namespace Steinberg {
namespace Vst {

using namespace ::VSTGUI;

namespace {
constexpr ParamID kBendRange = 1000;
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
    if ((control == loadButton || control == loadArea) && value > 0.5f) {
        openSoundFontSelector();
        return;
    }
    // Only a press steps: the rocker's spring back to rest (value 0) must not undo the step
    // before the field has caught up with it.
    if (control == bendRangeRocker && bendRangeRocker && bendRangeEdit && controller &&
        bendRangeRocker->getValue() != 0.f) {
        // Steps from what the field shows, which follows the parameter on the next tick.
        float stepped = bendRangeEdit->getValue() - bendRangeRocker->getValue() * kOneTwelfth;
        stepped = stepped < 0.f ? 0.f : (stepped > 1.f ? 1.f : stepped);
        controller->setParamNormalized(kBendRange, stepped);
        // The host records the step as one gesture of "Bend Range" itself.
        controller->beginEdit(kBendRange);
        controller->performEdit(kBendRange, stepped);
        controller->endEdit(kBendRange);
    }
}

void VSTGUI::showParameterText(CTextLabel* label, ParamID id)
{
    if (label && controller)
        label->setText(parameterText(controller, id, controller->getParamNormalized(id)).c_str());
}

void VSTGUI::onTimer()
{
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
    showParameterText(pitchBendLabel, 129);
    showParameterText(modWheelLabel, 1);
    showParameterText(expressionLabel, 11);
    showParameterText(sustainLabel, 64);

    if (bendRangeEdit && controller && !bendRangeEdit->isEditingText()) {
        // Follows the parameter; also replaces a typed text that the parameter limited or
        // snapped ("15" shows as the range's top once it is set).
        const ParamValue value = controller->getParamNormalized(kBendRange);
        const std::string text = parameterText(controller, kBendRange, value);
        if (float(value) != bendRangeEdit->getValue() ||
            (!text.empty() && text != bendRangeEdit->getText()))
            bendRangeEdit->setText(text.c_str());
    }
    if (volumeKnob && controller) {
        const auto volume = float(controller->getParamNormalized(7));
        if (volume != volumeKnob->getValueNormalized()) {
            volumeKnob->setValueNormalized(volume);
            volumeKnob->setDirty(true);
        }
    }
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
