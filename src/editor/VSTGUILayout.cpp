// The player editor's layout: every control in drawing order, with its rectangle and colours.
#include "editor/VSTGUI.h"

#include "controller/MyVSTController.h"
#include "editor/BendRangeText.h"
#include "editor/CListBox.h"
#include "platform/Text.h"
#include "shell/ParameterIds.h"
#include "ui/widgets/CAnimKnob.h"
#include "ui/widgets/CFrame.h"
#include "ui/widgets/CKickButton.h"
#include "ui/widgets/COnOffButton.h"
#include "ui/widgets/CRockerSwitch.h"
#include "ui/widgets/CTextEdit.h"

#include <cstdio>

namespace Steinberg {
namespace Vst {

using namespace ::VSTGUI;

namespace {
constexpr CColor kTransparent{255, 255, 255, 0};
constexpr CColor kBlack{0, 0, 0, 255};
} // namespace

VSTGUI::VSTGUI(MyVSTController* controller) : MyVSTGUIEditor(controller)
{
    editorWidth = 681;
    editorHeight = 441;
    backgroundImage = "background.png";
}

VSTGUI::~VSTGUI()
{
    // The frame and its views go before the fields that point at them.
    if (frame)
        close();
    rowToPreset.clear();
}

void VSTGUI::createControls()
{
    const std::u16string path = loadedPath();
    // Bytes of the path that are not text show as U+FFFD; the path itself stays as it is.
    const std::string pathText = displayText(path);
    hoveredView = nullptr;
    frame->registerMouseObserver(this);

    loadButton = addKickButton(kLoadTag, "icon_load.png", 20, 20);
    loadArea = addKickButton(kLoadTag, nullptr, 50, 20, 80, 30);
    fileNameLabel = addLabel(110, 60, pathText, 550, textColour);

    const std::vector<std::string> rows = buildPresetList(path);
    fileLine = fileLabelText(pathText, fontStatus);
    if (fileNameLabel) {
        fileNameLabel->setHoriAlign(kLeftText);
        fileNameLabel->setTextTruncateMode(CTextLabel::kTruncatePath);   // the file name stays whole
        fileNameLabel->setText(fileLine.c_str());
    }

    presetList = addListBox(CRect(25, 125, 220, 425), rows);
    if (presetList) {
        presetList->source->setupUI(accentColour, textColour, kTransparent, kTransparent,
                                    kTransparent, nullptr, -1, 2);
        presetList->browser->recalculateLayout(false);
        presetList->drawer.backColour = kTransparent;
        presetList->drawer.frameColour = kTransparent;
        presetList->drawer.scrollerColour = accentColour;
        presetList->source->setSearchText(presetNameOfRow);   // typing finds preset names
    }
    showStoredSelection();

    memoryLabel = addLabel(340, 130, "0", 60, textColour);
    voiceCountLabel = addLabel(340, 160, "0", 60, textColour);
    pitchBendLabel = addLabel(370, 220, "0", 60, textColour);
    modWheelLabel = addLabel(370, 250, "0", 60, textColour);
    expressionLabel = addLabel(580, 250, "0", 60, textColour);
    sustainLabel = addLabel(370, 280, "off", 60, textColour);

    bendRangeEdit = new CTextEdit(CRect(580, 220, 640, 240), this, kBendRangeId, "0", nullptr, 0);
    bendRangeEdit->setFont(kNormalFont);
    bendRangeEdit->setFontColor(kBlack);
    bendRangeEdit->setBackColor(kTransparent);
    bendRangeEdit->setFrameColor(kTransparent);
    bendRangeEdit->setStringToValueFunction([](UTF8StringPtr text, float& result, CTextEdit*) {
        result = bendRangeFromText(text);
        return true;
    });
    frame->addView(bendRangeEdit);

    bendRangeRocker = addRockerSwitch(kRockerTag, 640, 220);
    if (bendRangeRocker) {
        bendRangeRocker->setValueNormalized(0.5f);
        bendRangeRocker->setDirty(true);
    }
    // The response is no parameter: the switch shows the controller's choice and changes it.
    SharedPointer<CBitmap> responseImage = ::VSTGUI::owned(new CBitmap(CResourceDescription("response_switch.png")));
    responseSwitch = new COnOffButton(CRect(490, 130, 490 + responseImage->getWidth(), 130 + responseImage->getHeight() / 2),
                                      this, kResponseTag, responseImage.get());
    if (playerController())
        responseSwitch->setValue(playerController()->response() == SoundResponse::SoundFont204 ? 1.f : 0.f);
    frame->addView(responseSwitch);

    volumeKnob = addAnimKnob(kVolumeId, 280, 345);
    outputKnob = addAnimKnob(kOutputLevelId, 580, 345);
    // The captions under the knobs, centred on them.
    volumeCaption = addLabel(235, 399, "", 140, accentColour);
    outputCaption = addLabel(535, 399, "", 140, accentColour);
    showKnobCaptions();
    showLoadState();
}

namespace {
std::string valueText(const CControl* control)
{
    if (!control)
        return "none";
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", double(control->getValueNormalized()));
    return text;
}

std::string labelText(const CTextLabel* label)
{
    return label ? label->getText() : std::string("none");
}
} // namespace

void VSTGUI::describeControls(std::string& out) const
{
    out += "fileName=" + labelText(fileNameLabel) + "\n";
    out += "fileNameShown=" + (fileNameLabel ? fileNameLabel->getTruncatedText() : std::string("none")) + "\n";
    out += "loading=" + std::to_string(playerController() && playerController()->fileLoads().busy()) + "\n";
    out += "tooltip=" + (frame ? frame->getShownTooltip() : std::string()) + "\n";
    out += "volumeCaption=" + labelText(volumeCaption) + "\n";
    out += "outputCaption=" + labelText(outputCaption) + "\n";
    out += "memory=" + labelText(memoryLabel) + "\n";
    out += "voices=" + labelText(voiceCountLabel) + "\n";
    out += "pitchBend=" + labelText(pitchBendLabel) + "\n";
    out += "modWheel=" + labelText(modWheelLabel) + "\n";
    out += "expression=" + labelText(expressionLabel) + "\n";
    out += "sustain=" + labelText(sustainLabel) + "\n";
    out += "bendRangeText=" + labelText(bendRangeEdit) + "\n";
    out += "bendRangeValue=" + valueText(bendRangeEdit) + "\n";
    out += "rocker=" + valueText(bendRangeRocker) + "\n";
    out += "response=" + valueText(responseSwitch) + "\n";
    out += "volumeKnob=" + valueText(volumeKnob) + "\n";
    out += "outputKnob=" + valueText(outputKnob) + "\n";
    out += "loadButtonValue=" + valueText(loadButton) + "\n";
    if (presetList && presetList->browser) {
        const CDataBrowser* browser = presetList->browser;
        const CRect size = browser->getViewSize();
        out += "listRows=" + std::to_string(presetList->strings.size()) + "\n";
        out += "listSelected=" + std::to_string(browser->getSelectedRow()) + "\n";
        out += "listRowHeight=" + std::to_string(int(browser->getRowHeight())) + "\n";
        out += "listTop=" + std::to_string(int(size.top)) + "\n";
        out += "listLeft=" + std::to_string(int(size.left)) + "\n";
        out += "listVisibleHeight=" + std::to_string(int(browser->getVisibleSize().getHeight())) + "\n";
        out += "listScroll=" + std::to_string(int(browser->getScrollOffset().y)) + "\n";
        out += "listDimmed=" + std::to_string(browser->getAlphaValue() < 1.f) + "\n";
        for (size_t row = 0; row < presetList->strings.size(); ++row)
            out += "row" + std::to_string(row) + "=" + presetList->strings[row] + "\n";
    }
    for (const auto& entry : rowToPreset)
        out += "rowToPreset" + std::to_string(entry.first) + "=" + std::to_string(entry.second) + "\n";
}

} // namespace Vst
} // namespace Steinberg
