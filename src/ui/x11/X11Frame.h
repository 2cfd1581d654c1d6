// The on-screen side of a frame: an xcb child window inside the host's window, its events
// and redraws driven by the run loop (never a thread of its own), drawn with cairo at the
// content scale. UI thread only; not real-time safe.
#pragma once

#include "ui/widgets/IPlatformFrame.h"
#include "ui/widgets/RunLoop.h"

#include <memory>

namespace VSTGUI {

class CFrame;

class X11Frame : public IPlatformFrame
{
public:
    // Null when there is no display or the parent window does not exist.
    static std::unique_ptr<X11Frame> create(CFrame& frame, uint32_t parentWindow,
                                            X11::IRunLoop& loop);
    ~X11Frame() override = default;
};

}  // namespace VSTGUI
