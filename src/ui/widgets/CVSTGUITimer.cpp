#include "ui/widgets/CVSTGUITimer.h"

namespace VSTGUI {

IdStringPtr kMsgTimer = "timer fired";

CVSTGUITimer::CVSTGUITimer(CBaseObject* target, uint32_t fireTimeMilliseconds, bool doStart)
    : target(target), fireTime(fireTimeMilliseconds > 0 ? fireTimeMilliseconds : 1)
{
    if (doStart)
        start();
}

CVSTGUITimer::~CVSTGUITimer()
{
    stop();
}

bool CVSTGUITimer::start()
{
    if (running)
        return true;
    running = true;
    loop = X11::RunLoop::get();
    if (loop && !loop->registerTimer(fireTime, this))
        loop = nullptr;
    return true;
}

bool CVSTGUITimer::stop()
{
    if (!running)
        return false;
    running = false;
    if (loop)
        loop->unregisterTimer(this);
    loop = nullptr;
    return true;
}

bool CVSTGUITimer::setFireTime(uint32_t milliseconds)
{
    if (milliseconds == 0)
        return false;
    const bool wasRunning = running;
    stop();
    fireTime = milliseconds;
    if (wasRunning)
        start();
    return true;
}

void CVSTGUITimer::fire()
{
    if (!target)
        return;
    remember();  // the target may release the timer from its notification
    target->notify(this, kMsgTimer);
    forget();
}

}  // namespace VSTGUI
