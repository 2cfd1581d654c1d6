// The plug-in view glue between a VST3 host and a widget-layer frame: IPlugView attach/remove
// for X11 embedding (HWND on Windows), size, content scale, the 100 ms editor timer, and
// gesture/edit forwarding to the edit controller. Events and timers run on the host's
// Linux::IRunLoop (on Windows: Win32 timers of the UI thread, see EditorPlatform.h).
// UI thread only (the host's UI thread); not real-time safe.
#pragma once

#include "ui/CBaseObject.h"
#include "ui/CVSTGUITimer.h"
#include "ui/IPlatformFrame.h"
#include "ui/RunLoop.h"
#include "ui/VSTGUIEditorInterface.h"

#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"
#include "public.sdk/source/vst/vsteditcontroller.h"

#include <memory>

namespace Steinberg {
namespace Vst {

class VSTGUIEditor : public EditorView,
                     public VSTGUI::VSTGUIEditorInterface,
                     public VSTGUI::CBaseObject,
                     public IPlugViewContentScaleSupport
{
public:
    VSTGUIEditor(EditController* controller, ViewRect* size = nullptr);
    ~VSTGUIEditor() override;

    // Builds the frame in the parent window; false when it cannot.
    virtual bool PLUGIN_API open(void* parent, const VSTGUI::PlatformType& platformType =
                                                   VSTGUI::PlatformType::kDefaultNative) = 0;
    virtual void PLUGIN_API close() = 0;

    // The editor timer's period (100 ms unless changed).
    void setIdleRate(int32 milliseconds);
    float getContentScaleFactor() const { return contentScale; }

    // VSTGUIEditorInterface: control gestures become the controller's edit brackets.
    void beginEdit(int32_t index) override;
    void endEdit(int32_t index) override;
    // CBaseObject: each tick of the editor timer lets the frame idle.
    VSTGUI::CMessageResult notify(VSTGUI::CBaseObject* sender, VSTGUI::IdStringPtr message) override;

    // IPlugView
    tresult PLUGIN_API isPlatformTypeSupported(FIDString type) SMTG_OVERRIDE;
    tresult PLUGIN_API attached(void* parent, FIDString type) SMTG_OVERRIDE;
    tresult PLUGIN_API removed() SMTG_OVERRIDE;
    tresult PLUGIN_API onSize(ViewRect* newSize) SMTG_OVERRIDE;
    tresult PLUGIN_API canResize() SMTG_OVERRIDE { return kResultFalse; }
    tresult PLUGIN_API checkSizeConstraint(ViewRect* rect) SMTG_OVERRIDE;
    // Keys reach the frame through its own window, not through the host.
    tresult PLUGIN_API onKeyDown(char16, int16, int16) SMTG_OVERRIDE { return kResultFalse; }
    tresult PLUGIN_API onKeyUp(char16, int16, int16) SMTG_OVERRIDE { return kResultFalse; }
    tresult PLUGIN_API onWheel(float) SMTG_OVERRIDE { return kResultFalse; }

    // IPlugViewContentScaleSupport: physical pixels per logical pixel (HiDPI screens).
    tresult PLUGIN_API setContentScaleFactor(ScaleFactor factor) SMTG_OVERRIDE;

    // The widget objects count references their own way; the plug-in view keeps the
    // host's reference count.
    OBJ_METHODS(VSTGUIEditor, EditorView)
    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) SMTG_OVERRIDE;
    uint32 PLUGIN_API addRef() SMTG_OVERRIDE { return EditorView::addRef(); }
    uint32 PLUGIN_API release() SMTG_OVERRIDE { return EditorView::release(); }

protected:
    VSTGUI::CVSTGUITimer* timer;

private:
    std::unique_ptr<VSTGUI::X11::IRunLoop> runLoop;
    float contentScale = 1.f;
};

} // namespace Vst
} // namespace Steinberg
