// The editor framework: frame and background, control makers, the edit path and the dispatch
// of widget notifications to the concrete editor.
#include "editor/MyVSTGUIEditor.h"

#include "controller/MyVSTController.h"
#include "editor/CListBox.h"
#include "editor/EditorSizeSetting.h"
#include "editor/ScriptedFileDialogs.h"
#include "ui/widgets/CAnimKnob.h"
#include "ui/widgets/CBitmap.h"
#include "ui/widgets/CFrame.h"
#include "ui/widgets/CKickButton.h"
#include "ui/widgets/CRockerSwitch.h"
#include "ui/widgets/CTextLabel.h"

#include <algorithm>
#include <cmath>

namespace Steinberg {
namespace Vst {

using namespace ::VSTGUI;

namespace {
// Frames in the knob and rocker strips.
constexpr int kKnobFrames = 31;
constexpr int kRockerFrames = 3;
constexpr CColor kTransparent{255, 255, 255, 0};

// A bitmap by resource name; the caller holds the only reference.
SharedPointer<CBitmap> loadImage(const char* name)
{
    return ::VSTGUI::owned(new CBitmap(CResourceDescription(name)));
}
} // namespace

MyVSTGUIEditor::MyVSTGUIEditor(MyVSTController* controller)
    : VSTGUIEditor(controller), owner(controller)
{
    // The host asks for the size before it attaches the view: the user's size counts already.
    restoreZoomFactor(loadEditorSize());
}

MyVSTGUIEditor::~MyVSTGUIEditor()
{
    flushZoomFactor();
    // A host that releases the view without removing it: the frame goes first, then the
    // list boxes its browsers draw through.
    if (frame)
        close();
    controlsByTag.clear();
    listBoxesBySource.clear();
    pendingSelectors.clear();
    if (owner)
        owner->editorClosed(this);
}

bool PLUGIN_API MyVSTGUIEditor::open(void* parent, const PlatformType& platformType)
{
    rect = ViewRect(0, 0, editorWidth, editorHeight);
    if (frame)
        return false;
    frame = new CFrame(CRect(0, 0, editorWidth, editorHeight), this);
    if (!backgroundImage.empty()) {
        SharedPointer<CBitmap> background = loadImage(backgroundImage.c_str());
        frame->setBackground(background.get());
    }
    // A window that cannot be made leaves no half-open editor behind; without a parent the
    // frame lives off screen.
    if (parent && !frame->open(parent, platformType)) {
        frame->close();
        frame = nullptr;
        return false;
    }
    if (scriptedDialogs)
        frame->setFileDialogFactory(scriptedDialogs);
    if (owner)
        owner->editorOpened(this);
    createControls();
    return true;
}

void PLUGIN_API MyVSTGUIEditor::close()
{
    // The list boxes outlive the frame: its browsers draw through their drawers until then.
    std::vector<CListBox*> listBoxes;
    for (auto& entry : listBoxesBySource)
        if (entry.second && std::find(listBoxes.begin(), listBoxes.end(), entry.second) == listBoxes.end())
            listBoxes.push_back(entry.second);
    listBoxesBySource.clear();
    controlsByTag.clear();
    pendingSelectors.clear();   // the frame ends running selectors without a report
    if (owner)
        owner->editorClosed(this);
    if (frame) {
        CFrame* closing = frame;
        frame = nullptr;
        closing->close();
    }
    for (CListBox* listBox : listBoxes)
        listBox->forget();
}

// --- control makers ---

void MyVSTGUIEditor::setBound(CControl* control, int32 tag)
{
    if (controller)
        control->setValueNormalized(float(controller->getParamNormalized(ParamID(tag))));
    controlsByTag.emplace(tag, control);
}

CKickButton* MyVSTGUIEditor::addKickButton(int32 tag, const char* image, int32 x, int32 y,
                                           int32 width, int32 height)
{
    if (!frame)
        return nullptr;
    SharedPointer<CBitmap> bitmap;
    CRect size;
    if (image) {
        bitmap = loadImage(image);
        size = CRect(x, y, x + bitmap->getWidth(), y + bitmap->getHeight() / 2);
    } else {
        size = CRect(x, y, x + (width < 1 ? 10 : width), y + (height < 1 ? 10 : height));
    }
    auto* button = new CKickButton(size, this, tag, bitmap.get());
    frame->addView(button);
    setBound(button, tag);
    return button;
}

CAnimKnob* MyVSTGUIEditor::addAnimKnob(int32 tag, int32 x, int32 y)
{
    if (!frame)
        return nullptr;
    SharedPointer<CBitmap> bitmap = loadImage("animeknob.png");
    const CRect size(x, y, x + bitmap->getWidth(), y + bitmap->getHeight() / kKnobFrames);
    auto* knob = new CAnimKnob(size, this, tag, bitmap.get());
    frame->addView(knob);
    setBound(knob, tag);
    return knob;
}

CRockerSwitch* MyVSTGUIEditor::addRockerSwitch(int32 tag, int32 x, int32 y)
{
    if (!frame)
        return nullptr;
    SharedPointer<CBitmap> bitmap = loadImage("r_switch_v.png");
    const CRect size(x, y, x + bitmap->getWidth(), y + bitmap->getHeight() / kRockerFrames);
    auto* rocker = new CRockerSwitch(size, this, tag, bitmap.get(), CPoint(0, 0),
                                     CRockerSwitch::kVertical);
    frame->addView(rocker);
    setBound(rocker, tag);
    return rocker;
}

CTextLabel* MyVSTGUIEditor::addLabel(int32 x, int32 y, const UTF8String& text, int32 width,
                                     const CColor& textColour)
{
    if (!frame)
        return nullptr;
    auto* label = new CTextLabel(CRect(x, y, x + std::max(width, int32(40)), y + 20), text.c_str());
    label->setFont(kNormalFont);
    label->setFontColor(textColour);
    label->setBackColor(kTransparent);
    label->setFrameColor(kTransparent);
    frame->addView(label);
    return label;
}

CListBox* MyVSTGUIEditor::addListBox(const CRect& rect, const std::vector<UTF8String>& rows)
{
    if (!frame)
        return nullptr;
    auto* source = new GenericStringListDataBrowserSource(nullptr, this);
    source->setupUI(CColor(0, 255, 0, 255), CColor(0, 0, 0, 255), CColor(127, 127, 127, 255),
                    kTransparent, kTransparent, nullptr, -1, 2);
    // Only a vertical scrollbar: rows that do not fit end in "…" (their whole text is the
    // row's tooltip), so there is never anything to scroll sideways.
    auto* browser = new CDataBrowser(rect, source, CDataBrowser::kVerticalScrollbar, 16, nullptr);
    frame->addView(browser);
    auto* listBox = new CListBox(rows, browser, source);
    browser->recalculateLayout(false);
    listBoxesBySource[source] = listBox;
    source->forget();   // the browser keeps its own reference
    return listBox;
}

// --- the edit path ---

void MyVSTGUIEditor::valueChanged(CControl* control)
{
    if (!control)
        return;
    const int32 tag = control->getTag();
    float value = control->getValueNormalized();
    if (controller) {
        if (Parameter* parameter = controller->getParameterObject(ParamID(tag))) {
            const int32 steps = parameter->getInfo().stepCount;
            if (steps > 0)
                value = std::round(value * float(steps)) / float(steps);
        }
        controller->setParamNormalized(ParamID(tag), value);
    }
    const auto siblings = controlsByTag.equal_range(tag);
    for (auto it = siblings.first; it != siblings.second; ++it) {
        if (it->second == control)
            continue;
        it->second->setValueNormalized(value);
        it->second->setDirty(true);
    }
    onValueChanged(tag, value, control);
    if (controller)
        controller->performEdit(ParamID(tag), value);
}

// --- notifications ---

CMessageResult MyVSTGUIEditor::notify(CBaseObject* sender, IdStringPtr message)
{
    if (message == kMsgTimer) {
        onTimer();
    } else if (message == CNewFileSelector::kSelectEndMessage) {
        auto* selector = dynamic_cast<CNewFileSelector*>(sender);
        if (selector) {
            const auto pending = pendingSelectors.find(selector);
            const int32 id = pending != pendingSelectors.end() ? pending->second : 0;
            if (pending != pendingSelectors.end())
                pendingSelectors.erase(pending);
            if (selector->getNumSelectedFiles() > 0)
                onFileSelected(id, selector->getSelectedFile(0));
            return kMessageNotified;
        }
    }
    return notifyUnhandled(sender, message);
}

void MyVSTGUIEditor::dbSelectionChanged(int32_t row, GenericStringListDataBrowserSource* source)
{
    CListBox*& listBox = listBoxesBySource[source];   // an unknown source gets an empty entry
    onListSelect(listBox, row);
}

bool MyVSTGUIEditor::onFilesDropped(const std::vector<std::string>& files)
{
    return frame && onFilesDrop(files);
}

ViewRect MyVSTGUIEditor::getEditorBaseSize() const
{
    return ViewRect(0, 0, editorWidth, editorHeight);
}

void MyVSTGUIEditor::saveZoomFactor(double factor)
{
    saveEditorSize(factor);
}

bool MyVSTGUIEditor::openFileSelector(int32 selectorId, const std::vector<CFileExtension>& filters)
{
    // One dialog at a time: a second click while the user is choosing starts nothing.
    if (!frame || !pendingSelectors.empty())
        return false;
    CNewFileSelector* selector = CNewFileSelector::create(frame, CNewFileSelector::kSelectFile);
    if (!selector)
        return false;
    pendingSelectors[selector] = selectorId;
    selector->setTitle("ファイルの選択");
    selector->setInitialDirectory(initialSelectorFolder());
    for (size_t i = 0; i < filters.size(); ++i) {
        if (i == 0)
            selector->setDefaultExtension(filters[i]);
        else
            selector->addFileExtension(filters[i]);
    }
    frame->setFocusView(nullptr);
    // The dialog runs on its own; its end comes back through notify. A dialog that could not
    // start has reported its end already (and the frame shows why).
    selector->run(this);
    selector->forget();
    return pendingSelectors.count(selector) > 0;
}

tresult PLUGIN_API MyVSTGUIEditor::queryInterface(const TUID iid, void** obj)
{
    QUERY_INTERFACE(iid, obj, IOffscreenEditor::iid, IOffscreenEditor)
    return VSTGUIEditor::queryInterface(iid, obj);
}

} // namespace Vst
} // namespace Steinberg
