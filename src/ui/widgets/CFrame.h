// The top view of an editor: owns all views, tracks focus, mouse capture and dirty areas,
// and lives either in a child window of the host's (X11 or HWND) or off screen (drawn on request).
// UI thread only; not real-time safe.
#pragma once

#include "ui/widgets/CTooltipSupport.h"
#include "ui/widgets/CViewContainer.h"
#include "ui/widgets/IPlatformFrame.h"

#include <memory>

#include "ui/widgets/NativeGraphics.h"

namespace VSTGUI {

class CNewFileSelector;
class IFileDialogFactory;
class IMouseObserver;
class VSTGUIEditorInterface;

class CFrame : public CViewContainer
{
public:
    CFrame(const CRect& size, VSTGUIEditorInterface* editor);

    // Shows the frame in the parent window. False when the window cannot be made (no display,
    // bad parent, unsupported type); the frame then stays usable off screen.
    bool open(void* parent, PlatformType type = kNativePlatformType,
              IPlatformFrameConfig* config = nullptr);
    bool isOpen() const { return platformFrame != nullptr; }
    // Removes every view and the window, then releases the creator's reference.
    void close();

    VSTGUIEditorInterface* getEditor() const { return editor; }
    IPlatformFrame* getPlatformFrame() const { return platformFrame.get(); }
    bool isFrame() const override { return true; }

    void setFocusView(CView* view);
    CView* getFocusView() const { return focusView; }
    // Focuses the first (or last) view that takes the keyboard, unless one has it already
    // (keyboard focus handed over by the host). False when no view takes it.
    bool focusFirstView(bool last = false);
    // A view that takes all mouse and key events while it is set (an open pop-up menu).
    void setModalView(CView* view) { modalView = view; }
    CView* getModalView() const { return modalView; }
    void onViewRemoved(CView* view);

    // Pixels of the window per pixel of the frame: the host's content scale (HiDPI) times the
    // editor size the user chose. The window gets scale times the frame's pixels.
    void setScaleFactor(double scale);
    double getScaleFactor() const { return scaleFactor; }
    void setViewSize(const CRect& rect, bool invalidate = true) override;

    // Collects areas to redraw (frame coordinates) and forwards them to the window.
    void invalidRect(const CRect& rect);
    CRect getInvalidArea() const { return invalidArea; }
    // Redraws what is dirty on screen and times tooltips; the editor calls it on every timer tick.
    void idle();

    // The view under the pointer (topmost child); observers hear when it changes.
    CView* getHoverView() const { return hoverView; }
    void registerMouseObserver(IMouseObserver* observer);
    void unregisterMouseObserver(IMouseObserver* observer);
    // The tooltip shown now (empty: none).
    const UTF8String& getShownTooltip() const { return tooltips.getShownText(); }

    // Where file selectors of this frame show their dialog; null: the system dialog program.
    void setFileDialogFactory(std::shared_ptr<IFileDialogFactory> factory);
    std::shared_ptr<IFileDialogFactory> getFileDialogFactory() const { return dialogFactory; }
    // Running selectors end silently when the frame goes, so none reports to a closed editor.
    void addRunningSelector(CNewFileSelector* selector);
    void removeRunningSelector(CNewFileSelector* selector);

    // Shows a message across the bottom of the frame until the next click (for failures the
    // user must hear of, such as a missing file dialog program). Empty text hides it.
    void showNotice(const UTF8String& text);
    const UTF8String& getNotice() const { return noticeText; }

    // Entry points for the window system and for tests; coordinates in frame pixels.
    CMouseEventResult platformOnMouseDown(CPoint where, const CButtonState& buttons);
    CMouseEventResult platformOnMouseMoved(CPoint where, const CButtonState& buttons);
    CMouseEventResult platformOnMouseUp(CPoint where, const CButtonState& buttons);
    // The pointer left the frame's window.
    void platformOnMouseExited();
    bool platformOnMouseWheel(CPoint where, const CMouseWheelAxis& axis, float distance,
                              const CButtonState& buttons);
    // Keys go to the focus view first, then to the frame's other keyboard users.
    bool platformOnKeyDown(VstKeyCode& key);
    bool platformOnKeyUp(VstKeyCode& key);
    // Files dropped on the window (UTF-8 paths); false when the editor refused them.
    bool platformOnDrop(const std::vector<UTF8String>& files);
    // Draws `area` (frame coordinates) through `graphics`, whose origin is the frame's top-left.
    void platformDrawRect(NativeGraphics* graphics, const CRect& area);

protected:
    ~CFrame() override;

private:
    void detachSelectors();
    void setHoverView(CView* view);

    VSTGUIEditorInterface* editor;
    std::unique_ptr<IPlatformFrame> platformFrame;
    std::shared_ptr<IFileDialogFactory> dialogFactory;
    std::vector<CNewFileSelector*> runningSelectors;
    CView* noticeView = nullptr;
    UTF8String noticeText;
    CView* focusView = nullptr;
    CView* modalView = nullptr;
    CView* hoverView = nullptr;
    std::vector<IMouseObserver*> mouseObservers;
    CTooltipSupport tooltips{*this};
    CRect invalidArea;
    double scaleFactor = 1.0;
};

}  // namespace VSTGUI
