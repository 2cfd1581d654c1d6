// The window-system side of a frame (an X11 child window); off screen there is none.
// UI thread only; not real-time safe.
#pragma once

#include "ui/CGeometry.h"

#include <cstdint>

namespace VSTGUI {

namespace X11 { class IRunLoop; }

enum class PlatformType
{
    kDefaultNative,
    kX11EmbedWindowID,  // the parent is an X11 window id
};

// Extra settings for CFrame::open. Without one the current X11::RunLoop is used.
struct IPlatformFrameConfig
{
    X11::IRunLoop* runLoop = nullptr;
};

class IPlatformFrame
{
public:
    virtual ~IPlatformFrame() = default;
    virtual void invalidRect(const CRect& rect) = 0;
    // Logical size and content scale (physical pixels per logical pixel).
    virtual void setSize(const CRect& size, double scaleFactor) = 0;
    virtual uint32_t getWindowId() const = 0;
};

}  // namespace VSTGUI
