// The editor without a window: opened, driven, ticked, pictured and described for a host that
// has no screen to give (tests, previews).
#include "editor/MyVSTGUIEditor.h"

#include "editor/CListBox.h"
#include "editor/ScriptedFileDialogs.h"
#include "ui/widgets/CBitmap.h"
#include "ui/widgets/CFrame.h"
#include "ui/widgets/OffscreenImage.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace Steinberg {
namespace Vst {

using namespace ::VSTGUI;

DEF_CLASS_IID(IOffscreenEditor)

static_assert(int(kOffscreenKeyBackspace) == int(VKEY_BACK) &&
                  int(kOffscreenKeyReturn) == int(VKEY_RETURN) &&
                  int(kOffscreenKeyEscape) == int(VKEY_ESCAPE) && int(kOffscreenKeyUp) == int(VKEY_UP) &&
                  int(kOffscreenKeyDown) == int(VKEY_DOWN) && int(kOffscreenKeyEnd) == int(VKEY_END),
              "the off-screen key codes are the widget layer's");

tresult PLUGIN_API MyVSTGUIEditor::openOffscreen()
{
    if (frame)
        return kResultFalse;
    return open(nullptr, PlatformType::kX11EmbedWindowID) ? kResultOk : kResultFalse;
}

tresult PLUGIN_API MyVSTGUIEditor::closeOffscreen()
{
    if (!frame || frame->isOpen())
        return kResultFalse;   // a window's editor closes through the host's removed()
    close();
    return kResultOk;
}

tresult PLUGIN_API MyVSTGUIEditor::mouse(int32 kind, double x, double y)
{
    if (!frame)
        return kResultFalse;
    const CPoint where(x, y);
    const CButtonState buttons(kLButton);
    switch (kind) {
        case kOffscreenMouseDown: frame->platformOnMouseDown(where, buttons); break;
        case kOffscreenMouseMoved: frame->platformOnMouseMoved(where, buttons); break;
        case kOffscreenMouseUp: frame->platformOnMouseUp(where, buttons); break;
        case kOffscreenMouseHover: frame->platformOnMouseMoved(where, CButtonState()); break;
        case kOffscreenMouseDoubleClick:
            frame->platformOnMouseDown(where, CButtonState(kLButton | kDoubleClick));
            break;
        case kOffscreenMouseExited: frame->platformOnMouseExited(); break;
        default: return kInvalidArgument;
    }
    return kResultOk;
}

tresult PLUGIN_API MyVSTGUIEditor::key(int32 virtualKey, int32 character)
{
    if (!frame)
        return kResultFalse;
    VstKeyCode code;
    if (virtualKey >= 0 && (virtualKey & kOffscreenKeyWithControl)) {
        code.modifier = MODIFIER_CONTROL;
        virtualKey &= ~int32(kOffscreenKeyWithControl);
    }
    if (virtualKey < 0 || virtualKey > VKEY_ENTER)
        return kInvalidArgument;
    code.virt = static_cast<unsigned char>(virtualKey);
    code.character = character;
    return frame->platformOnKeyDown(code) ? kResultOk : kResultFalse;
}

tresult PLUGIN_API MyVSTGUIEditor::tick()
{
    if (!frame)
        return kResultFalse;
    timer->fire();
    return kResultOk;
}

tresult PLUGIN_API MyVSTGUIEditor::scriptFileDialogs(FIDString path, TBool holdOpen)
{
    scriptedDialogs = std::make_shared<ScriptedFileDialogs>(path ? path : "", holdOpen != 0);
    if (frame)
        frame->setFileDialogFactory(scriptedDialogs);
    return kResultOk;
}

int32 PLUGIN_API MyVSTGUIEditor::fileDialogsStarted()
{
    return scriptedDialogs ? scriptedDialogs->started() : 0;
}

tresult PLUGIN_API MyVSTGUIEditor::finishFileDialogs()
{
    if (!scriptedDialogs)
        return kResultFalse;
    scriptedDialogs->finishAll();
    // Off screen no timer polls the selectors; each poll may end one and change the registry.
    std::vector<CNewFileSelector*> running;
    for (auto& entry : pendingSelectors)
        running.push_back(entry.first);
    for (CNewFileSelector* selector : running)
        if (pendingSelectors.count(selector))
            selector->pollDialog();
    return kResultOk;
}

tresult PLUGIN_API MyVSTGUIEditor::writeScreenshot(FIDString pngPath, double scale)
{
    if (!frame || !pngPath || !(scale > 0 && scale <= 8))
        return kInvalidArgument;
    const OffscreenImage image = OffscreenImage::render(*frame, scale);
    return image.writePng(pngPath) ? kResultOk : kResultFalse;
}

int32 PLUGIN_API MyVSTGUIEditor::describe(char8* buffer, int32 size)
{
    std::string text;
    if (frame) {
        text += "open=" + std::string(frame->isOpen() ? "window" : "offscreen") + "\n";
        const CBitmap* background = frame->getBackground();
        text += "background=" + std::to_string(int(background ? background->getWidth() : 0)) + "x" +
                std::to_string(int(background ? background->getHeight() : 0)) + "\n";
        text += "notice=" + frame->getNotice() + "\n";
        describeControls(text);
    } else {
        text += "open=no\n";
    }
    text += "selectorOpen=" + std::to_string(pendingSelectors.size()) + "\n";
    if (scriptedDialogs) {
        const FileDialogRequest& request = scriptedDialogs->lastRequest();
        text += "dialogTitle=" + request.title + "\n";
        text += "dialogFolder=" + request.initialDirectory + "\n";
        std::string filters;
        for (const CFileExtension& filter : request.filters)
            filters += (filters.empty() ? "" : "|") + filter.getDescription() + ":" + filter.getExtension();
        text += "dialogFilters=" + filters + "\n";
        text += "dialogsCancelled=" + std::to_string(scriptedDialogs->cancelled()) + "\n";
    }
    const auto needed = int32(std::min<size_t>(text.size() + 1, 0x7FFFFFFF));
    if (buffer && size > 0) {
        const size_t copied = std::min<size_t>(size_t(size) - 1, text.size());
        std::memcpy(buffer, text.data(), copied);
        buffer[copied] = 0;
    }
    return needed;
}

} // namespace Vst
} // namespace Steinberg
