// The window-system side of a frame (an X11 child window, or a child HWND on Windows); off
// screen there is none.
// UI thread only; not real-time safe.
#pragma once

#include "ui/widgets/CGeometry.h"

#include <cstdint>
#include <memory>

namespace VSTGUI {

namespace X11 { class IRunLoop; }

enum class PlatformType
{
    kDefaultNative,
    kX11EmbedWindowID,  // the parent is an X11 window id
    kHWND,              // the parent is a Win32 window handle
};

// The type this build's windows embed in.
#ifdef _WIN32
constexpr PlatformType kNativePlatformType = PlatformType::kHWND;
#else
constexpr PlatformType kNativePlatformType = PlatformType::kX11EmbedWindowID;
#endif

// Extra settings for CFrame::open. Without one the current X11::RunLoop is used (X11 only:
// a Win32 window runs its timers on its own thread's message loop).
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

class CFrame;

// Makes the window of `frame` inside `parent` (an X11 window id or an HWND, as `type` says);
// null when this build cannot embed in that type or the window cannot be made. Implemented by
// the window back end (X11Frame.cpp, Win32Frame.cpp).
std::unique_ptr<IPlatformFrame> createPlatformFrame(CFrame& frame, void* parent, PlatformType type,
                                                    IPlatformFrameConfig* config);

}  // namespace VSTGUI
