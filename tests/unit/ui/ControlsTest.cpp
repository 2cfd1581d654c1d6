// Mouse, wheel and value behaviour of the image controls, and the gesture brackets they
// report to the frame's editor interface.
#include "UiTestSupport.h"

#include "ui/widgets/CAnimKnob.h"
#include "ui/widgets/CDrawContext.h"
#include "ui/widgets/CKickButton.h"
#include "ui/widgets/CRockerSwitch.h"
#include "ui/widgets/OffscreenImage.h"


#include <cmath>

#include <gtest/gtest.h>

using namespace VSTGUI;
using namespace zephra::test;

namespace {

// A strip bitmap of `frames` frames, each filled with a different grey, for frame checks.
CBitmap* makeStrip(int width, int frameHeight, int frames);

}  // namespace

TEST(KickButton, ClickReportsOneThenZeroInsideOneGesture)
{
    RecordingEditor editor;
    RecordingListener listener;
    TestFrame frame(&editor);
    auto* button = new CKickButton(CRect(10, 10, 35, 35), &listener, 1, nullptr);
    frame->addView(button);

    frame.click(20, 20);

    ASSERT_EQ(listener.changes.size(), 2u);
    EXPECT_EQ(listener.changes[0].value, 1.f);
    EXPECT_EQ(listener.changes[1].value, 0.f);
    EXPECT_EQ(editor.log, (std::vector<std::string>{"begin 1", "end 1"}));
    EXPECT_EQ(button->getValue(), 0.f);
}

TEST(KickButton, ReleaseOutsideReportsOnlyZero)
{
    RecordingListener listener;
    TestFrame frame;
    auto* button = new CKickButton(CRect(10, 10, 35, 35), &listener, 1, nullptr);
    frame->addView(button);

    frame.drag(20, 20, 100, 100);

    ASSERT_EQ(listener.changes.size(), 1u);
    EXPECT_EQ(listener.changes[0].value, 0.f);
}

TEST(KickButton, ShowsPressedFrameWhileHeld)
{
    TestFrame frame;
    CBitmap* strip = makeStrip(25, 25, 2);
    auto* button = new CKickButton(CRect(0, 0, 25, 25), nullptr, 1, strip);
    strip->forget();
    frame->addView(button);
    EXPECT_EQ(OffscreenImage::render(*frame).getPixel(5, 5).red, 0);
    frame->platformOnMouseDown(CPoint(5, 5), kLButton);
    EXPECT_EQ(OffscreenImage::render(*frame).getPixel(5, 5).red, 100);
    frame->platformOnMouseUp(CPoint(5, 5), kLButton);
    EXPECT_EQ(OffscreenImage::render(*frame).getPixel(5, 5).red, 0);
}

TEST(KickButton, RightClickDoesNothing)
{
    RecordingListener listener;
    TestFrame frame;
    frame->addView(new CKickButton(CRect(10, 10, 35, 35), &listener, 1, nullptr));
    frame.click(20, 20, kRButton);
    EXPECT_TRUE(listener.changes.empty());
}

TEST(AnimKnob, DragUpRaisesValueAndReportsGesture)
{
    RecordingEditor editor;
    RecordingListener listener;
    TestFrame frame(&editor);
    auto* knob = new CAnimKnob(CRect(0, 0, 50, 50), &listener, 7, nullptr);
    knob->setValue(0.f);
    frame->addView(knob);

    frame.drag(25, 40, 25, -60);  // 100 pixels up: half of the 200-pixel range

    EXPECT_NEAR(knob->getValue(), 0.5f, 1e-6);
    ASSERT_FALSE(listener.changes.empty());
    EXPECT_NEAR(listener.changes.back().value, 0.5f, 1e-6);
    EXPECT_EQ(editor.log, (std::vector<std::string>{"begin 7", "end 7"}));
}

TEST(AnimKnob, DragIsLimitedToTheRange)
{
    TestFrame frame;
    auto* knob = new CAnimKnob(CRect(0, 0, 50, 50), nullptr, 7, nullptr);
    knob->setValue(0.9f);
    frame->addView(knob);
    frame.drag(25, 25, 25, -1000);
    EXPECT_EQ(knob->getValue(), 1.f);
    frame.drag(25, 25, 25, 5000);
    EXPECT_EQ(knob->getValue(), 0.f);
}

TEST(AnimKnob, ShiftDragIsTenTimesFiner)
{
    TestFrame frame;
    auto* knob = new CAnimKnob(CRect(0, 0, 50, 50), nullptr, 7, nullptr);
    knob->setValue(0.f);
    frame->addView(knob);
    frame.drag(25, 40, 25, -60, kLButton | kShift);
    EXPECT_NEAR(knob->getValue(), 0.05f, 1e-6);
}

TEST(AnimKnob, WheelStepsByTheWheelIncrementInOneGesture)
{
    RecordingEditor editor;
    RecordingListener listener;
    TestFrame frame(&editor);
    auto* knob = new CAnimKnob(CRect(0, 0, 50, 50), &listener, 7, nullptr);
    knob->setValue(0.5f);
    frame->addView(knob);

    EXPECT_TRUE(frame->platformOnMouseWheel(CPoint(10, 10), kMouseWheelAxisY, 1.f, 0));
    EXPECT_NEAR(knob->getValue(), 0.6f, 1e-6);
    frame->platformOnMouseWheel(CPoint(10, 10), kMouseWheelAxisY, -2.f, 0);
    EXPECT_NEAR(knob->getValue(), 0.4f, 1e-6);
    EXPECT_EQ(listener.changes.size(), 2u);
    EXPECT_EQ(editor.log, (std::vector<std::string>{"begin 7", "end 7", "begin 7", "end 7"}));
}

TEST(AnimKnob, ControlClickRestoresTheDefault)
{
    TestFrame frame;
    auto* knob = new CAnimKnob(CRect(0, 0, 50, 50), nullptr, 7, nullptr);
    knob->setDefaultValue(0.25f);
    knob->setValue(1.f);
    frame->addView(knob);
    frame.click(25, 25, kLButton | kControl);
    EXPECT_EQ(knob->getValue(), 0.25f);
}

TEST(AnimKnob, ShowsTheFrameOfItsValue)
{
    TestFrame frame;
    CBitmap* strip = makeStrip(50, 50, 31);
    auto* knob = new CAnimKnob(CRect(0, 0, 50, 50), nullptr, 7, strip);
    strip->forget();
    frame->addView(knob);
    EXPECT_EQ(knob->getNumSubPixmaps(), 31);
    knob->setValueNormalized(0.f);
    EXPECT_EQ(knob->getFrameIndex(), 0);
    knob->setValueNormalized(0.5f);
    EXPECT_EQ(knob->getFrameIndex(), 15);
    EXPECT_EQ(OffscreenImage::render(*frame).getPixel(25, 25).red, 15 * 100 % 256);
    knob->setValueNormalized(1.f);
    EXPECT_EQ(knob->getFrameIndex(), 30);
}

TEST(AnimKnob, NanValueIsIgnored)
{
    auto* knob = new CAnimKnob(CRect(0, 0, 50, 50), nullptr, 7, nullptr);
    knob->setValue(0.3f);
    knob->setValueNormalized(std::nanf(""));
    knob->setValue(std::nanf(""));
    EXPECT_EQ(knob->getValue(), 0.3f);
    knob->forget();
}

TEST(RockerSwitch, VerticalUpperHalfIsMinusOneWhileHeldAndZeroAfter)
{
    RecordingEditor editor;
    RecordingListener listener;
    TestFrame frame(&editor);
    auto* rocker = new CRockerSwitch(CRect(0, 0, 21, 21), &listener, 10000, nullptr, CPoint(),
                                     CRockerSwitch::kVertical);
    frame->addView(rocker);

    frame->platformOnMouseDown(CPoint(10, 3), kLButton);
    EXPECT_EQ(rocker->getValue(), -1.f);
    EXPECT_EQ(rocker->getValueNormalized(), 0.f);
    frame->platformOnMouseUp(CPoint(10, 3), kLButton);
    EXPECT_EQ(rocker->getValue(), 0.f);

    ASSERT_EQ(listener.changes.size(), 2u);
    EXPECT_EQ(listener.changes[0].value, -1.f);
    EXPECT_EQ(listener.changes[1].value, 0.f);
    EXPECT_EQ(editor.log, (std::vector<std::string>{"begin 10000", "end 10000"}));
}

TEST(RockerSwitch, VerticalLowerHalfIsPlusOne)
{
    RecordingListener listener;
    TestFrame frame;
    auto* rocker = new CRockerSwitch(CRect(0, 0, 21, 21), &listener, 10000, nullptr, CPoint(),
                                     CRockerSwitch::kVertical);
    frame->addView(rocker);
    frame->platformOnMouseDown(CPoint(10, 18), kLButton);
    EXPECT_EQ(rocker->getValue(), 1.f);
    EXPECT_EQ(rocker->getValueNormalized(), 1.f);
    frame->platformOnMouseMoved(CPoint(100, 100), kLButton);
    EXPECT_EQ(rocker->getValue(), 0.f);  // dragged off: back to rest
    frame->platformOnMouseUp(CPoint(100, 100), kLButton);
    EXPECT_EQ(rocker->getValue(), 0.f);
}

TEST(RockerSwitch, MiddleIsHalfNormalisedAndShowsTheRestFrame)
{
    TestFrame frame;
    CBitmap* strip = makeStrip(21, 21, 3);
    auto* rocker = new CRockerSwitch(CRect(0, 0, 21, 21), nullptr, 10000, strip, CPoint(),
                                     CRockerSwitch::kVertical);
    strip->forget();
    frame->addView(rocker);
    rocker->setValueNormalized(0.5f);
    EXPECT_EQ(rocker->getValue(), 0.f);
    EXPECT_EQ(rocker->getFrameIndex(), 1);
    EXPECT_EQ(OffscreenImage::render(*frame).getPixel(10, 10).red, 100);
    frame->platformOnMouseDown(CPoint(10, 2), kLButton);
    EXPECT_EQ(OffscreenImage::render(*frame).getPixel(10, 10).red, 0);
    frame->platformOnMouseUp(CPoint(10, 2), kLButton);
}

TEST(RockerSwitch, WheelNotchIsAPressAndRelease)
{
    RecordingListener listener;
    TestFrame frame;
    frame->addView(new CRockerSwitch(CRect(0, 0, 21, 21), &listener, 10000, nullptr, CPoint(),
                                     CRockerSwitch::kVertical));
    frame->platformOnMouseWheel(CPoint(5, 5), kMouseWheelAxisY, 1.f, 0);
    ASSERT_EQ(listener.changes.size(), 2u);
    EXPECT_EQ(listener.changes[0].value, -1.f);
    EXPECT_EQ(listener.changes[1].value, 0.f);
}

TEST(Control, ValueChangeMarksDirtyAndInvalidatesItsArea)
{
    TestFrame frame;
    auto* knob = new CAnimKnob(CRect(100, 50, 150, 100), nullptr, 7, nullptr);
    frame->addView(knob);
    OffscreenImage::render(*frame);  // clears the pending areas
    knob->setValue(0.7f);
    EXPECT_TRUE(knob->isDirty());
    EXPECT_EQ(frame->getInvalidArea(), CRect(100, 50, 150, 100));
}

TEST(Control, NestedGesturesReportOnlyTheOuterPair)
{
    RecordingEditor editor;
    TestFrame frame(&editor);
    auto* knob = new CAnimKnob(CRect(0, 0, 50, 50), nullptr, 3, nullptr);
    frame->addView(knob);
    knob->beginEdit();
    knob->beginEdit();
    knob->endEdit();
    EXPECT_TRUE(knob->isEditing());
    knob->endEdit();
    knob->endEdit();  // unbalanced: ignored
    EXPECT_EQ(editor.log, (std::vector<std::string>{"begin 3", "end 3"}));
}

TEST(Control, TopmostControlReceivesTheClick)
{
    RecordingListener below, above;
    TestFrame frame;
    frame->addView(new CKickButton(CRect(0, 0, 50, 50), &below, 1, nullptr));
    frame->addView(new CKickButton(CRect(25, 25, 75, 75), &above, 2, nullptr));
    frame.click(30, 30);
    EXPECT_TRUE(below.changes.empty());
    EXPECT_EQ(above.changes.size(), 2u);
}

TEST(Control, RemovingAControlFromItsListenerDuringTheClickIsSafe)
{
    // Guards against a use-after-free when a listener closes the view that reported.
    struct Remover : IControlListener
    {
        CFrame* frame = nullptr;
        void valueChanged(CControl* control) override
        {
            if (control->getValue() == 0.f)
                frame->removeView(control);
        }
    } remover;
    TestFrame frame;
    remover.frame = frame.get();
    frame->addView(new CKickButton(CRect(0, 0, 50, 50), &remover, 1, nullptr));
    frame.click(10, 10);
    EXPECT_EQ(frame->getNbViews(), 0u);
}

namespace {

// A strip of `frames` grey frames, drawn off screen with the widget layer's own drawing.
CBitmap* makeStrip(int width, int frameHeight, int frames)
{
    class Stripes : public CView
    {
    public:
        Stripes(int width, int frameHeight, int frames)
            : CView(CRect(0, 0, width, frameHeight * frames)), frameHeight(frameHeight), frames(frames)
        {
        }
        void draw(CDrawContext* context) override
        {
            for (int i = 0; i < frames; ++i) {
                const uint8_t grey = uint8_t(i * 100 % 256);
                context->setFillColor(CColor(grey, grey, grey, 255));
                context->drawRect(CRect(0, i * frameHeight, getWidth(), (i + 1) * frameHeight), kDrawFilled);
            }
        }
        int frameHeight, frames;
    };
    TestFrame frame(nullptr, width, frameHeight * frames);
    frame->addView(new Stripes(width, frameHeight, frames));
    const OffscreenImage image = OffscreenImage::render(*frame);
    return new CBitmap(image.getSurface());
}

}  // namespace
