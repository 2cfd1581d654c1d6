// The widget layer's timers on Windows: a message-only window of the thread that makes the
// loop carries one Win32 timer per registration, so every timer fires on that (the UI) thread
// from the host's own message loop. There are no descriptor watches on Windows.
// UI thread only; not real-time safe.
#pragma once

#include "ui/widgets/RunLoop.h"

#include <memory>

namespace VSTGUI {

// Null when the message window cannot be made.
std::unique_ptr<X11::IRunLoop> makeWin32RunLoop();

}  // namespace VSTGUI
