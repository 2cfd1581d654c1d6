#pragma once
// What the plug-in view glue needs from the platform: the IPlugView platform type the editor
// embeds in, and the loop its widget timers (and window events, on X11) run on while attached.
// EditorPlatformLinux.cpp: "X11EmbedWindowID" and the host's Linux::IRunLoop;
// EditorPlatformWin32.cpp: "HWND" and Win32 timers of the UI thread.
// Threads: the host's UI thread. Not real-time safe.
#include "ui/widgets/RunLoop.h"

#include "pluginterfaces/gui/iplugview.h"

#include <memory>

namespace Steinberg {
namespace Vst {

FIDString editorPlatformTypeName();
// Null when the editor cannot run here (on Linux: the host offers no run loop; a line on
// stderr says so).
std::unique_ptr<VSTGUI::X11::IRunLoop> makeEditorRunLoop(IPlugFrame* plugFrame);

} // namespace Vst
} // namespace Steinberg
