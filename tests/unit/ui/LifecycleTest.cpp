// Timers, reference counting and repeated frame creation (leaks are caught by ASan).
#include "UiTestSupport.h"

#include "ui/widgets/CAnimKnob.h"
#include "ui/widgets/CDataBrowser.h"
#include "ui/widgets/CKickButton.h"
#include "ui/widgets/CRockerSwitch.h"
#include "ui/widgets/CTextEdit.h"
#include "ui/widgets/CVSTGUITimer.h"
#include "ui/widgets/GenericStringListDataBrowserSource.h"
#include "ui/widgets/OffscreenImage.h"
#include "ui/widgets/RunLoop.h"

#include <gtest/gtest.h>

#include <map>

using namespace VSTGUI;
using namespace zephra::test;

namespace {

class TickCounter : public CBaseObject
{
public:
    CMessageResult notify(CBaseObject* sender, IdStringPtr message) override
    {
        if (message == kMsgTimer) {
            ++ticks;
            lastSender = sender;
            return kMessageNotified;
        }
        return kMessageUnknown;
    }
    int ticks = 0;
    CBaseObject* lastSender = nullptr;
};

class FakeRunLoop : public X11::IRunLoop
{
public:
    bool registerEventHandler(int, X11::IEventHandler*) override { return true; }
    bool unregisterEventHandler(X11::IEventHandler*) override { return true; }
    bool registerTimer(uint64_t interval, X11::ITimerHandler* handler) override
    {
        timers[handler] = interval;
        return true;
    }
    bool unregisterTimer(X11::ITimerHandler* handler) override
    {
        return timers.erase(handler) == 1;
    }
    void fireAll()
    {
        auto copy = timers;
        for (auto& [handler, interval] : copy)
            handler->onTimer();
    }
    std::map<X11::ITimerHandler*, uint64_t> timers;
};

}  // namespace

TEST(Timer, RunsOnTheCurrentRunLoopAndSendsTimerFired)
{
    FakeRunLoop loop;
    X11::RunLoop::init(&loop);
    TickCounter counter;
    auto* timer = new CVSTGUITimer(&counter, 100, true);
    ASSERT_EQ(loop.timers.size(), 1u);
    EXPECT_EQ(loop.timers.begin()->second, 100u);
    loop.fireAll();
    loop.fireAll();
    EXPECT_EQ(counter.ticks, 2);
    EXPECT_EQ(counter.lastSender, timer);
    timer->stop();
    EXPECT_TRUE(loop.timers.empty());
    loop.fireAll();
    EXPECT_EQ(counter.ticks, 2);
    timer->start();
    timer->forget();  // destruction unregisters
    EXPECT_TRUE(loop.timers.empty());
    X11::RunLoop::exit();
    EXPECT_EQ(X11::RunLoop::get(), nullptr);
}

TEST(Timer, MessageIsComparedByIdentity)
{
    TickCounter counter;
    const char copy[] = "timer fired";
    EXPECT_EQ(counter.notify(nullptr, copy), kMessageUnknown);
    EXPECT_EQ(counter.notify(nullptr, kMsgTimer), kMessageNotified);
}

TEST(Timer, WithoutRunLoopOnlyManualTicks)
{
    TickCounter counter;
    auto* timer = new CVSTGUITimer(&counter, 100, true);
    EXPECT_TRUE(timer->isRunning());
    timer->fire();
    EXPECT_EQ(counter.ticks, 1);
    timer->forget();
}

TEST(Timer, RunLoopInitAndExitNest)
{
    FakeRunLoop first, second;
    X11::RunLoop::init(&first);
    X11::RunLoop::init(&second);
    EXPECT_EQ(X11::RunLoop::get(), &first);
    X11::RunLoop::exit();
    EXPECT_EQ(X11::RunLoop::get(), &first);
    X11::RunLoop::exit();
    EXPECT_EQ(X11::RunLoop::get(), nullptr);
    X11::RunLoop::exit();  // unbalanced: harmless
}

TEST(Lifecycle, OpeningAndClosingAFullFrameHundredTimesReleasesEverything)
{
    RecordingListener listener;
    std::vector<UTF8String> rows{"000:000 - Piano", "000:005 - Organ", "128:000 - Drums"};
    for (int round = 0; round < 100; ++round) {
        auto* frame = new CFrame(CRect(0, 0, 681, 441), nullptr);
        frame->addView(new CKickButton(CRect(20, 20, 45, 45), &listener, 1, nullptr));
        frame->addView(new CAnimKnob(CRect(280, 345, 330, 395), &listener, 7, nullptr));
        frame->addView(new CRockerSwitch(CRect(640, 220, 661, 241), &listener, 10000, nullptr,
                                         CPoint(), CRockerSwitch::kVertical));
        auto* edit = new CTextEdit(CRect(580, 220, 640, 240), &listener, 1000, "0");
        frame->addView(edit);
        auto* source = new GenericStringListDataBrowserSource(&rows);
        frame->addView(new CDataBrowser(CRect(25, 125, 220, 425), source, 3, 16));
        source->forget();
        frame->setFocusView(edit);  // closing while editing must not report or leak
        OffscreenImage::render(*frame);
        frame->close();
    }
    EXPECT_TRUE(listener.changes.empty());
}

TEST(Lifecycle, RemovingTheFocusedViewClearsTheFocusSilently)
{
    RecordingListener listener;
    TestFrame frame;
    auto* edit = new CTextEdit(CRect(0, 0, 50, 20), &listener, 1, "0");
    frame->addView(edit);
    frame.click(10, 10);
    frame.type("5");
    frame->removeView(edit);
    EXPECT_EQ(frame->getFocusView(), nullptr);
    EXPECT_TRUE(listener.changes.empty());
}

TEST(Lifecycle, ViewsBelongToOneContainer)
{
    TestFrame frame;
    auto* view = new CView(CRect(0, 0, 10, 10));
    EXPECT_TRUE(frame->addView(view));
    EXPECT_FALSE(frame->addView(view));
    EXPECT_FALSE(frame->addView(nullptr));
    EXPECT_EQ(frame->getNbViews(), 1u);
    EXPECT_EQ(view->getFrame(), frame.get());
}
