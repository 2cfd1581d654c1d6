// The plug-in view glue between a VST3 host and a widget-layer frame: IPlugView attach/remove
// for X11 embedding (HWND on Windows), size, content scale, the 100 ms editor timer, and
// gesture/edit forwarding to the edit controller. Events and timers run on the host's
// Linux::IRunLoop (on Windows: Win32 timers of the UI thread, see EditorPlatform.h).
// Size: the view is the editor's own size (getEditorBaseSize) times the host's content scale
// times the size the user chose (0.5 to 2, by dragging the host's window where the host lets
// it, or from the context menu of the background), in physical pixels, before and after
// attached(). The frame keeps its own pixels and draws at the product of both factors.
// UI thread only (the host's UI thread); not real-time safe.
#pragma once

#include "ui/widgets/CBaseObject.h"
#include "ui/widgets/CVSTGUITimer.h"
#include "ui/widgets/IPlatformFrame.h"
#include "ui/widgets/RunLoop.h"
#include "ui/widgets/VSTGUIEditorInterface.h"

#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"
#include "public.sdk/source/vst/vsteditcontroller.h"

#include <memory>
#include <vector>

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

    // The size the user chose, as a factor of the editor's own size.
    static constexpr double kSmallestZoom = 0.5;
    static constexpr double kLargestZoom = 2.0;
    double getZoomFactor() const { return zoomFactor; }
    // Sets the size; while attached the host is asked to resize its window (resizeView), and a
    // refusal keeps the old size. False when out of range or refused.
    bool setZoomFactor(double factor);
    // The sizes the context menu offers, in percent.
    static const std::vector<int32>& zoomMenuPercents();

    // VSTGUIEditorInterface: control gestures become the controller's edit brackets.
    void beginEdit(int32_t index) override;
    void endEdit(int32_t index) override;
    // CBaseObject: each tick of the editor timer lets the frame idle.
    VSTGUI::CMessageResult notify(VSTGUI::CBaseObject* sender, VSTGUI::IdStringPtr message) override;
    // VSTGUIEditorInterface: the background's context menu offers the editor sizes.
    bool onContextMenu(VSTGUI::CFrame* menuFrame, const VSTGUI::CPoint& where) override;

    // IPlugView
    tresult PLUGIN_API isPlatformTypeSupported(FIDString type) SMTG_OVERRIDE;
    tresult PLUGIN_API attached(void* parent, FIDString type) SMTG_OVERRIDE;
    tresult PLUGIN_API removed() SMTG_OVERRIDE;
    tresult PLUGIN_API getSize(ViewRect* size) SMTG_OVERRIDE;
    // A size from the host (its window was dragged): the editor takes the largest size of its
    // own aspect ratio that fits, within 50 % to 200 %.
    tresult PLUGIN_API onSize(ViewRect* newSize) SMTG_OVERRIDE;
    tresult PLUGIN_API canResize() SMTG_OVERRIDE { return kResultTrue; }
    // Turns a proposed size into the one the editor would take (same rule as onSize).
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
    // The editor's size in its own pixels (at 100 % and scale 1): by default the open frame's,
    // else the size given to the constructor.
    virtual ViewRect getEditorBaseSize() const;
    // Sets the remembered size without asking anyone (before the host sees the view).
    void restoreZoomFactor(double factor);
    // Called on the next timer tick (or when the view is removed) after the user changed the
    // size, to remember it; the default remembers nothing.
    virtual void saveZoomFactor(double factor) { (void)factor; }
    // Saves a size change not saved yet.
    void flushZoomFactor();

    VSTGUI::CVSTGUITimer* timer;

private:
    // The view in physical pixels at the given size factor.
    ViewRect scaledSize(double zoom) const;
    // The size factor of the largest view of the editor's aspect ratio inside `proposal`.
    double fittingZoom(const ViewRect& proposal) const;
    void applyScale();
    // IPlugFrame::resizeView; false when the host refused. Without a host frame there is no
    // one to ask, and the size simply changes.
    bool askHostToResize(ViewRect size);

    std::unique_ptr<VSTGUI::X11::IRunLoop> runLoop;
    float contentScale = 1.f;
    double zoomFactor = 1.0;
    bool zoomUnsaved = false;
    bool askingHost = false;   // inside IPlugFrame::resizeView
    ViewRect sizeHostKnows;   // what the host last heard from getSize, onSize or resizeView
    ViewRect constructedSize; // the size given to the constructor
    ViewRect lastConstrained; // the last answer of checkSizeConstraint
};

} // namespace Vst
} // namespace Steinberg
