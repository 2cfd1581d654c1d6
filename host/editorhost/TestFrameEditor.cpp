#include "TestFrameEditor.h"

#include "ui/widgets/CAnimKnob.h"
#include "ui/widgets/CDataBrowser.h"
#include "ui/widgets/CFrame.h"
#include "ui/widgets/CKickButton.h"
#include "ui/widgets/CRockerSwitch.h"
#include "ui/widgets/CTextEdit.h"
#include "ui/widgets/CVSTGUITimer.h"

#include <cstdio>
#include <cstdlib>

using namespace VSTGUI;

namespace zephra::editorhost {

namespace {
const CColor kFaceIdle{200, 40, 40, 255};
const CColor kFacePressed{40, 200, 40, 255};
}   // namespace

TestFrameEditor::TestFrameEditor(Steinberg::Vst::EditController* controller) : VSTGUIEditor(controller)
{
    for (int i = 0; i < 200; ++i) {
        char text[48];
        std::snprintf(text, sizeof text, "%03d:%03d - Test preset %d", i / 128, i % 128, i);
        rows.emplace_back(text);
    }
}

bool PLUGIN_API TestFrameEditor::open(void* parent, const PlatformType& platformType)
{
    if (frame)
        return false;
    frame = new CFrame(CRect(0, 0, kWidth, kHeight), this);
    frame->setBackgroundColor(CColor(30, 34, 40, 255));
    buildControls();
    if (!frame->open(parent, platformType)) {
        frame->close();
        frame = nullptr;
        return false;
    }
    std::printf("opened\n");
    std::fflush(stdout);
    return true;
}

void TestFrameEditor::openOffscreen()
{
    if (frame)
        return;
    frame = new CFrame(CRect(0, 0, kWidth, kHeight), this);
    frame->setBackgroundColor(CColor(30, 34, 40, 255));
    buildControls();
}

void PLUGIN_API TestFrameEditor::close()
{
    if (!frame)
        return;
    frame->close();
    frame = nullptr;
    buttonFace = nullptr;
}

void TestFrameEditor::buildControls()
{
    auto* title = new CTextLabel(CRect(10, 272, 390, 292), "Zephra widget test frame");
    title->setFontColor(CColor(194, 214, 154, 255));
    title->setBackColor(kTransparentCColor);
    title->setFrameColor(kTransparentCColor);
    frame->addView(title);

    // A visible face under an invisible kick button: it turns green while held.
    buttonFace = new CTextLabel(CRect(20, 20, 120, 60), "Click");
    buttonFace->setBackColor(kFaceIdle);
    buttonFace->setFrameColor(kBlackCColor);
    buttonFace->setFontColor(kWhiteCColor);
    frame->addView(buttonFace);
    frame->addView(new CKickButton(CRect(20, 20, 120, 60), this, 1, nullptr));

    auto* knobStrip = new CBitmap(CResourceDescription("animeknob.png"));
    auto* knob =
        new CAnimKnob(CRect(20, 80, 20 + knobStrip->getWidth(), 80 + knobStrip->getHeight() / 31), this, 7, knobStrip);
    knob->setValue(0.5f);
    knobStrip->forget();
    frame->addView(knob);

    auto* rockerStrip = new CBitmap(CResourceDescription("r_switch_v.png"));
    frame->addView(new CRockerSwitch(CRect(90, 80, 90 + rockerStrip->getWidth(), 80 + rockerStrip->getHeight() / 3),
                                     this, 10000, rockerStrip, CPoint(), CRockerSwitch::kVertical));
    rockerStrip->forget();

    auto* edit = new CTextEdit(CRect(20, 150, 120, 170), this, 1000, "0");
    edit->setBackColor(kWhiteCColor);
    edit->setFontColor(kBlackCColor);
    edit->setStringToValueFunction([](UTF8StringPtr text, float& result, CTextEdit*) {
        const double number = std::strtod(text, nullptr);
        result = float(number >= 0 && number <= 12 ? number / 12 : (number > 12 ? 1 : 0));
        return true;
    });
    frame->addView(edit);

    auto* source = new GenericStringListDataBrowserSource(&rows, this);
    source->setupUI(CColor(194, 214, 154, 255), CColor(146, 208, 80, 255), kTransparentCColor, kTransparentCColor,
                    kTransparentCColor, kNormalFont, -1, 2);
    auto* browser = new CDataBrowser(CRect(200, 20, 380, 260), source,
                                     CDataBrowser::kHorizontalScrollbar | CDataBrowser::kVerticalScrollbar, 16);
    source->forget();
    frame->addView(browser);
    browser->recalculateLayout(false);
}

void TestFrameEditor::valueChanged(CControl* control)
{
    std::printf("valueChanged tag=%d value=%g\n", control->getTag(), double(control->getValue()));
    std::fflush(stdout);
    // A completed click leaves the face green, so a screenshot can show it arrived.
    if (control->getTag() == 1 && control->getValue() > 0.5f && buttonFace) {
        buttonFace->setBackColor(kFacePressed);
        buttonFace->setText("Clicked");
    }
}

void TestFrameEditor::beginEdit(int32_t index)
{
    std::printf("beginEdit %d\n", index);
    std::fflush(stdout);
    VSTGUIEditor::beginEdit(index);
}

void TestFrameEditor::endEdit(int32_t index)
{
    std::printf("endEdit %d\n", index);
    std::fflush(stdout);
    VSTGUIEditor::endEdit(index);
}

void TestFrameEditor::dbSelectionChanged(int32_t row, GenericStringListDataBrowserSource*)
{
    std::printf("selected row=%d\n", row);
    std::fflush(stdout);
}

CMessageResult TestFrameEditor::notify(CBaseObject* sender, IdStringPtr message)
{
    if (message == kMsgTimer && ++ticks == 1) {
        std::printf("timer running\n");
        std::fflush(stdout);
    }
    return VSTGUIEditor::notify(sender, message);
}

}   // namespace zephra::editorhost
