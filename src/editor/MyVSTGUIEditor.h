#pragma once
// The framework's editor base: a fixed-size frame with a background image, makers for controls
// whose tag is a parameter ID, the edit path from controls to controller and host, and the
// dispatch of timer ticks, file-selector results, list selections and controller messages to
// seven operations that a concrete editor implements. It also offers the off-screen access
// (IOffscreenEditor) through which a host drives the editor without a window.
//
// Threads: the host's UI thread only (host calls, mouse and timer events, selector results).
// Nothing here is real-time safe.
#include "controller/ControllerEditor.h"
#include "editor/IOffscreenEditor.h"
#include "sdk/VSTGUIEditor.h"
#include "ui/widgets/CFileExtension.h"
#include "ui/widgets/CNewFileSelector.h"
#include "ui/widgets/GenericStringListDataBrowserSource.h"
#include "ui/widgets/IControlListener.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace VSTGUI {
class CAnimKnob;
class CControl;
class CKickButton;
class CRockerSwitch;
class CTextLabel;
struct CColor;
}

namespace Steinberg {
namespace Vst {

class CListBox;
class MyVSTController;
class ScriptedFileDialogs;

class MyVSTGUIEditor : public VSTGUIEditor,
                       public ::VSTGUI::IControlListener,
                       public ::VSTGUI::IGenericStringListDataBrowserSourceSelectionChanged,
                       public ControllerEditor,
                       public IOffscreenEditor
{
public:
    explicit MyVSTGUIEditor(MyVSTController* controller);
    ~MyVSTGUIEditor() override;

    // --- the host's view (IPlugView through the SDK glue) ---
    // A null parent opens the frame off screen (no window; ticks come from tick()).
    bool PLUGIN_API open(void* parent, const ::VSTGUI::PlatformType& platformType) override;
    void PLUGIN_API close() override;

    // --- control makers (between open and close) ---
    // Bound makers register the control under its tag and set it to the parameter's value.
    ::VSTGUI::CKickButton* addKickButton(int32 tag, const char* image, int32 x, int32 y,
                                         int32 width = 0, int32 height = 0);
    ::VSTGUI::CAnimKnob* addAnimKnob(int32 tag, int32 x, int32 y);
    ::VSTGUI::CRockerSwitch* addRockerSwitch(int32 tag, int32 x, int32 y);
    ::VSTGUI::CTextLabel* addLabel(int32 x, int32 y, const ::VSTGUI::UTF8String& text,
                                   int32 width, const ::VSTGUI::CColor& textColour);
    // A list box in rect, filled with rows; the editor keeps it while the frame exists.
    CListBox* addListBox(const ::VSTGUI::CRect& rect, const std::vector<::VSTGUI::UTF8String>& rows);

    // Shows the file selector for one file. False when none was started: a selector of this
    // editor is still open (the user is choosing already), or none could be made.
    bool openFileSelector(int32 selectorId, const std::vector<::VSTGUI::CFileExtension>& filters);
    bool isFileSelectorOpen() const { return !pendingSelectors.empty(); }

    // --- widget-layer callbacks ---
    void valueChanged(::VSTGUI::CControl* control) override;
    ::VSTGUI::CMessageResult notify(::VSTGUI::CBaseObject* sender,
                                    ::VSTGUI::IdStringPtr message) override;
    void dbSelectionChanged(int32_t row, ::VSTGUI::GenericStringListDataBrowserSource* source) override;
    // Files dropped on the editor go to onFilesDrop.
    bool onFilesDropped(const std::vector<std::string>& files) override;

    // --- IOffscreenEditor ---
    tresult PLUGIN_API openOffscreen() SMTG_OVERRIDE;
    tresult PLUGIN_API closeOffscreen() SMTG_OVERRIDE;
    tresult PLUGIN_API mouse(int32 kind, double x, double y) SMTG_OVERRIDE;
    tresult PLUGIN_API key(int32 virtualKey, int32 character) SMTG_OVERRIDE;
    tresult PLUGIN_API tick() SMTG_OVERRIDE;
    tresult PLUGIN_API scriptFileDialogs(FIDString path, TBool holdOpen) SMTG_OVERRIDE;
    int32 PLUGIN_API fileDialogsStarted() SMTG_OVERRIDE;
    tresult PLUGIN_API finishFileDialogs() SMTG_OVERRIDE;
    tresult PLUGIN_API writeScreenshot(FIDString pngPath, double scale) SMTG_OVERRIDE;
    int32 PLUGIN_API describe(char8* buffer, int32 size) SMTG_OVERRIDE;

    // IOffscreenEditor joins the view's interfaces; counting stays the view's.
    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) SMTG_OVERRIDE;
    uint32 PLUGIN_API addRef() SMTG_OVERRIDE { return VSTGUIEditor::addRef(); }
    uint32 PLUGIN_API release() SMTG_OVERRIDE { return VSTGUIEditor::release(); }

protected:
    // The seven operations of a concrete editor.
    virtual void createControls() = 0;
    virtual void onValueChanged(int32 tag, float value, ::VSTGUI::CControl* control) = 0;
    virtual void onTimer() = 0;
    virtual void onFileSelected(int32 selectorId, const std::string& path) = 0;
    virtual ::VSTGUI::CMessageResult notifyUnhandled(::VSTGUI::CBaseObject* sender,
                                                     ::VSTGUI::IdStringPtr message) = 0;
    tresult onControllerMessage(IMessage* message) override = 0;
    virtual void onListSelect(CListBox* listBox, int32 row) = 0;
    // Files dropped on the editor (UTF-8 paths): true when the editor took one.
    virtual bool onFilesDrop(const std::vector<std::string>& files) = 0;

    // What a concrete editor adds to describe(): "name=value" lines.
    virtual void describeControls(std::string& out) const = 0;
    // The starting folder of the file selector (UTF-8; empty: the dialog's own choice).
    virtual std::string initialSelectorFolder() const = 0;

    MyVSTController* playerController() const { return owner; }

    // The editor's own size (editorWidth x editorHeight); the user's size is kept per user.
    ViewRect getEditorBaseSize() const override;
    void saveZoomFactor(double factor) override;

    int32 editorWidth = 0;
    int32 editorHeight = 0;
    ::VSTGUI::UTF8String backgroundImage;
    std::multimap<int32, ::VSTGUI::CControl*> controlsByTag;
    std::map<::VSTGUI::GenericStringListDataBrowserSource*, CListBox*> listBoxesBySource;
    std::map<::VSTGUI::CNewFileSelector*, int32> pendingSelectors;

private:
    void setBound(::VSTGUI::CControl* control, int32 tag);

    MyVSTController* owner;
    std::shared_ptr<ScriptedFileDialogs> scriptedDialogs;   // set by scriptFileDialogs
};

} // namespace Vst
} // namespace Steinberg
