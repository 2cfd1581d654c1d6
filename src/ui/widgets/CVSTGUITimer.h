// A periodic timer that sends "timer fired" (kMsgTimer) to its target's notify.
// Runs on the current X11::RunLoop; without one it only fires when fire() is called (tests).
// UI thread only; not real-time safe.
#pragma once

#include "ui/widgets/CBaseObject.h"
#include "ui/widgets/RunLoop.h"

namespace VSTGUI {

extern IdStringPtr kMsgTimer;  // "timer fired"; compare by address

class CVSTGUITimer : public CBaseObject, private X11::ITimerHandler
{
public:
    // The target is not owned; stop() or destroy the timer before the target goes.
    CVSTGUITimer(CBaseObject* target, uint32_t fireTimeMilliseconds = 100, bool doStart = false);
    ~CVSTGUITimer() override;

    bool start();
    bool stop();
    bool isRunning() const { return running; }
    uint32_t getFireTime() const { return fireTime; }
    bool setFireTime(uint32_t milliseconds);
    // Delivers one tick now (what the run loop does every fire time).
    void fire();

private:
    void onTimer() override { fire(); }

    CBaseObject* target;
    uint32_t fireTime;
    bool running = false;
    X11::IRunLoop* loop = nullptr;  // the loop the timer is registered with, while running
};

}  // namespace VSTGUI
