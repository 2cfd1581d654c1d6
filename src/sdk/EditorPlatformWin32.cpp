// The editor's platform pieces on Windows: the view embeds in the host's HWND, and the widget
// timers are Win32 timers on the UI thread (the host's message loop runs them).
#include "sdk/EditorPlatform.h"

#include "ui/win32/Win32RunLoop.h"

namespace Steinberg {
namespace Vst {

FIDString editorPlatformTypeName()
{
    return kPlatformTypeHWND;
}

std::unique_ptr<VSTGUI::X11::IRunLoop> makeEditorRunLoop(IPlugFrame*)
{
    return VSTGUI::makeWin32RunLoop();
}

} // namespace Vst
} // namespace Steinberg
