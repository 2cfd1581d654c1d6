// The plug-in view glue: platform type, attach/remove with the host's run loop, the editor
// timer, gesture forwarding to the controller, sizing and content scale.
#include "sdk/VSTGUIEditor.h"
#include "ui/widgets/CAnimKnob.h"
#include "ui/widgets/CFrame.h"
#include "ui/widgets/COptionMenu.h"

#include "base/source/fobject.h"
#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace Steinberg {
bool operator==(const ViewRect& a, const ViewRect& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
std::ostream& operator<<(std::ostream& out, const ViewRect& r)
{
    return out << r.left << "," << r.top << " " << r.getWidth() << "x" << r.getHeight();
}
} // namespace Steinberg

namespace {

// A host window frame with a run loop whose timers the test fires by hand.
class FakeHostFrame : public FObject, public IPlugFrame, public Linux::IRunLoop
{
public:
    explicit FakeHostFrame(bool offerRunLoop = true) : offerRunLoop(offerRunLoop) {}

    tresult PLUGIN_API resizeView(IPlugView*, ViewRect* newSize) SMTG_OVERRIDE
    {
        if (refuseResize)
            return kResultFalse;
        resizes.push_back(*newSize);
        return kResultTrue;
    }
    tresult PLUGIN_API registerEventHandler(Linux::IEventHandler* h, Linux::FileDescriptor) SMTG_OVERRIDE
    {
        h->addRef();
        events.push_back(h);
        return kResultTrue;
    }
    tresult PLUGIN_API unregisterEventHandler(Linux::IEventHandler* h) SMTG_OVERRIDE
    {
        for (auto it = events.begin(); it != events.end(); ++it)
            if (*it == h) {
                h->release();
                events.erase(it);
                return kResultTrue;
            }
        return kResultFalse;
    }
    tresult PLUGIN_API registerTimer(Linux::ITimerHandler* h, Linux::TimerInterval ms) SMTG_OVERRIDE
    {
        h->addRef();
        timers[h] = ms;
        return kResultTrue;
    }
    tresult PLUGIN_API unregisterTimer(Linux::ITimerHandler* h) SMTG_OVERRIDE
    {
        if (timers.erase(h) == 0)
            return kResultFalse;
        h->release();
        return kResultTrue;
    }
    void fireTimers()
    {
        auto copy = timers;
        for (auto& entry : copy)
            entry.first->onTimer();
    }

    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) SMTG_OVERRIDE
    {
        QUERY_INTERFACE(iid, obj, IPlugFrame::iid, IPlugFrame)
        if (offerRunLoop) {
            QUERY_INTERFACE(iid, obj, Linux::IRunLoop::iid, Linux::IRunLoop)
        }
        return FObject::queryInterface(iid, obj);
    }
    REFCOUNT_METHODS(FObject)

    bool offerRunLoop;
    bool refuseResize = false;
    std::vector<ViewRect> resizes;
    std::vector<Linux::IEventHandler*> events;
    std::map<Linux::ITimerHandler*, Linux::TimerInterval> timers;
};

class RecordingHandler : public FObject, public IComponentHandler
{
public:
    tresult PLUGIN_API beginEdit(ParamID id) SMTG_OVERRIDE { log.push_back("begin " + std::to_string(id)); return kResultOk; }
    tresult PLUGIN_API performEdit(ParamID id, ParamValue) SMTG_OVERRIDE { log.push_back("perform " + std::to_string(id)); return kResultOk; }
    tresult PLUGIN_API endEdit(ParamID id) SMTG_OVERRIDE { log.push_back("end " + std::to_string(id)); return kResultOk; }
    tresult PLUGIN_API restartComponent(int32) SMTG_OVERRIDE { return kResultOk; }
    OBJ_METHODS(RecordingHandler, FObject)
    REFCOUNT_METHODS(FObject)
    DEFINE_INTERFACES
        DEF_INTERFACE(IComponentHandler)
    END_DEFINE_INTERFACES(FObject)
    std::vector<std::string> log;
};

// An editor whose frame stays off screen, so the glue can be driven without a display.
class OffscreenEditor : public VSTGUIEditor
{
public:
    explicit OffscreenEditor(EditController* controller) : VSTGUIEditor(controller) {}
    bool PLUGIN_API open(void*, const VSTGUI::PlatformType&) override
    {
        ++opens;
        if (failOpen)
            return false;
        frame = new VSTGUI::CFrame(VSTGUI::CRect(0, 0, 320, 200), this);
        knob = new VSTGUI::CAnimKnob(VSTGUI::CRect(0, 0, 50, 50), nullptr, 7, nullptr);
        frame->addView(knob);
        return true;
    }
    void PLUGIN_API close() override
    {
        ++closes;
        if (frame)
            frame->close();
        frame = nullptr;
        knob = nullptr;
    }
    void doIdleStuff() override { ++idles; }

    VSTGUI::CAnimKnob* knob = nullptr;
    bool failOpen = false;
    int opens = 0, closes = 0, idles = 0;
};

struct GlueTest : ::testing::Test
{
    void SetUp() override
    {
        controller = new EditController;
        handler = new RecordingHandler;
        controller->setComponentHandler(handler);
        host = new FakeHostFrame;
        editor = new OffscreenEditor(controller);
        editor->setFrame(host);
    }
    void TearDown() override
    {
        editor->setFrame(nullptr);
        editor->release();
        host->release();
        controller->setComponentHandler(nullptr);
        handler->release();
        controller->release();
    }
    void* parent() const { return reinterpret_cast<void*>(uintptr_t(0x400001)); }

    EditController* controller = nullptr;
    RecordingHandler* handler = nullptr;
    FakeHostFrame* host = nullptr;
    OffscreenEditor* editor = nullptr;
};

} // namespace

TEST_F(GlueTest, OnlyX11EmbeddingIsSupported)
{
    EXPECT_EQ(editor->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID), kResultTrue);
    EXPECT_EQ(editor->isPlatformTypeSupported(kPlatformTypeHWND), kResultFalse);
    EXPECT_EQ(editor->isPlatformTypeSupported(nullptr), kResultFalse);
    EXPECT_EQ(editor->attached(parent(), kPlatformTypeHWND), kResultFalse);
    EXPECT_EQ(editor->opens, 0);
}

TEST_F(GlueTest, AttachOpensSizesTheHostWindowAndRunsThe100msTimer)
{
    ASSERT_EQ(editor->attached(parent(), kPlatformTypeX11EmbedWindowID), kResultTrue);
    EXPECT_EQ(editor->opens, 1);
    ASSERT_EQ(host->resizes.size(), 1u);
    EXPECT_EQ(host->resizes[0].getWidth(), 320);
    EXPECT_EQ(host->resizes[0].getHeight(), 200);
    ASSERT_EQ(host->timers.size(), 1u);
    EXPECT_EQ(host->timers.begin()->second, 100u);
    host->fireTimers();
    host->fireTimers();
    EXPECT_EQ(editor->idles, 2);

    EXPECT_EQ(editor->removed(), kResultTrue);
    EXPECT_EQ(editor->closes, 1);
    EXPECT_TRUE(host->timers.empty());
    EXPECT_TRUE(host->events.empty());
    EXPECT_EQ(VSTGUI::X11::RunLoop::get(), nullptr);
}

TEST_F(GlueTest, AttachTwiceIsRefused)
{
    ASSERT_EQ(editor->attached(parent(), kPlatformTypeX11EmbedWindowID), kResultTrue);
    EXPECT_EQ(editor->attached(parent(), kPlatformTypeX11EmbedWindowID), kResultFalse);
    EXPECT_EQ(editor->opens, 1);
    editor->removed();
}

TEST_F(GlueTest, HostWithoutRunLoopIsRefusedClearly)
{
    host->offerRunLoop = false;
    EXPECT_EQ(editor->attached(parent(), kPlatformTypeX11EmbedWindowID), kResultFalse);
    EXPECT_EQ(editor->opens, 0);
}

TEST_F(GlueTest, FailedOpenLeavesNothingRegistered)
{
    editor->failOpen = true;
    EXPECT_EQ(editor->attached(parent(), kPlatformTypeX11EmbedWindowID), kResultFalse);
    EXPECT_TRUE(host->timers.empty());
    EXPECT_EQ(VSTGUI::X11::RunLoop::get(), nullptr);
}

TEST_F(GlueTest, ControlGesturesReachTheControllerAsEditBrackets)
{
    ASSERT_EQ(editor->attached(parent(), kPlatformTypeX11EmbedWindowID), kResultTrue);
    editor->getFrame()->platformOnMouseDown(VSTGUI::CPoint(10, 40), VSTGUI::kLButton);
    editor->getFrame()->platformOnMouseUp(VSTGUI::CPoint(10, 10), VSTGUI::kLButton);
    EXPECT_EQ(handler->log, (std::vector<std::string>{"begin 7", "end 7"}));
    editor->removed();
}

TEST_F(GlueTest, OpenCloseHundredTimesLeavesNoRegistrations)
{
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(editor->attached(parent(), kPlatformTypeX11EmbedWindowID), kResultTrue);
        host->fireTimers();
        ASSERT_EQ(editor->removed(), kResultTrue);
    }
    EXPECT_EQ(editor->opens, 100);
    EXPECT_EQ(editor->closes, 100);
    EXPECT_TRUE(host->timers.empty());
}

TEST(Glue, ViewReleasedWhileAttachedUnregistersEverything)
{
    // Guards against a frame left registered on a run loop that the view no longer has.
    auto* controller = new EditController;
    auto* host = new FakeHostFrame;
    auto* editor = new OffscreenEditor(controller);
    editor->setFrame(host);
    ASSERT_EQ(editor->attached(reinterpret_cast<void*>(uintptr_t(0x400001)),
                               kPlatformTypeX11EmbedWindowID), kResultTrue);
    editor->release();
    EXPECT_TRUE(host->timers.empty());
    EXPECT_EQ(VSTGUI::X11::RunLoop::get(), nullptr);
    host->release();
    controller->release();
}

TEST_F(GlueTest, ContentScaleIsCheckedAndReachesTheFrame)
{
    IPlugViewContentScaleSupport* scale = nullptr;
    ASSERT_EQ(editor->queryInterface(IPlugViewContentScaleSupport::iid,
                                     reinterpret_cast<void**>(&scale)), kResultTrue);
    EXPECT_EQ(scale->setContentScaleFactor(2.f), kResultTrue);
    EXPECT_EQ(scale->setContentScaleFactor(0.f), kInvalidArgument);
    EXPECT_EQ(scale->setContentScaleFactor(std::nanf("")), kInvalidArgument);
    ASSERT_EQ(editor->attached(parent(), kPlatformTypeX11EmbedWindowID), kResultTrue);
    EXPECT_EQ(editor->getFrame()->getScaleFactor(), 2.0);
    ASSERT_FALSE(host->resizes.empty());
    EXPECT_EQ(host->resizes.back().getWidth(), 640);  // the view size is in physical pixels
    EXPECT_EQ(scale->setContentScaleFactor(1.5f), kResultTrue);
    EXPECT_EQ(editor->getFrame()->getScaleFactor(), 1.5);
    EXPECT_EQ(host->resizes.back().getWidth(), 480);
    ViewRect size;
    editor->getSize(&size);
    EXPECT_EQ(size.getHeight(), 300);
    editor->removed();
    scale->release();
}

TEST_F(GlueTest, ResizingKeepsTheAspectWithinHalfToDoubleSizeAndReachesTheFrame)
{
    ASSERT_EQ(editor->attached(parent(), kPlatformTypeX11EmbedWindowID), kResultTrue);   // 320 x 200
    EXPECT_EQ(editor->canResize(), kResultTrue);
    const std::vector<std::pair<ViewRect, ViewRect>> proposals = {
        {ViewRect(0, 0, 5000, 5000), ViewRect(0, 0, 640, 400)},
        {ViewRect(0, 0, 10, 10), ViewRect(0, 0, 160, 100)},
        {ViewRect(10, 20, 490, 1000), ViewRect(10, 20, 490, 320)},
    };
    for (auto [proposal, expected] : proposals) {
        EXPECT_EQ(editor->checkSizeConstraint(&proposal), kResultTrue);
        EXPECT_EQ(proposal, expected);
    }
    // A size the editor gave out maps to itself, or hosts that ask again would jitter.
    for (int width = 100; width < 800; width += 7) {
        ViewRect once(0, 0, width, 1000);
        editor->checkSizeConstraint(&once);
        ViewRect twice = once;
        editor->checkSizeConstraint(&twice);
        EXPECT_EQ(twice, once) << width;
    }
    ViewRect dragged(0, 0, 480, 310);
    EXPECT_EQ(editor->onSize(&dragged), kResultTrue);
    EXPECT_EQ(editor->getFrame()->getScaleFactor(), 1.5);
    ViewRect size;
    editor->getSize(&size);
    EXPECT_EQ(size, ViewRect(0, 0, 480, 300));
    EXPECT_EQ(editor->checkSizeConstraint(nullptr), kInvalidArgument);
    EXPECT_EQ(editor->onSize(nullptr), kInvalidArgument);
    editor->removed();
}

TEST_F(GlueTest, TheSizeMenuAsksTheHostAndARefusalKeepsTheSize)
{
    ASSERT_EQ(editor->attached(parent(), kPlatformTypeX11EmbedWindowID), kResultTrue);
    VSTGUI::CFrame* frame = editor->getFrame();
    frame->platformOnMouseDown(VSTGUI::CPoint(200, 10), VSTGUI::kRButton);
    ASSERT_NE(frame->getModalView(), nullptr) << "a right click on the background opens the menu";
    const VSTGUI::CRect menu = frame->getModalView()->getViewSize();
    EXPECT_LE(menu.right, 320) << "the menu stays inside the frame";
    const VSTGUI::CPoint entry150(menu.left + 20, menu.top + 4 + 3.5 * VSTGUI::COptionMenu::kEntryHeight);
    frame->platformOnMouseDown(entry150, VSTGUI::kLButton);
    frame->platformOnMouseUp(entry150, VSTGUI::kLButton);
    EXPECT_EQ(frame->getModalView(), nullptr);
    EXPECT_EQ(host->resizes.back(), ViewRect(0, 0, 480, 300));
    EXPECT_EQ(frame->getScaleFactor(), 1.5);
    host->refuseResize = true;
    EXPECT_FALSE(editor->setZoomFactor(2.0));
    EXPECT_EQ(frame->getScaleFactor(), 1.5);
    EXPECT_FALSE(editor->setZoomFactor(2.5));
    editor->removed();
}
