// Helpers for the widget-layer tests: recording listener and editor interface, a frame
// factory and mouse/keyboard drivers. Test thread only.
#pragma once

#include "ui/widgets/CControl.h"
#include "ui/widgets/CFrame.h"
#include "ui/widgets/CNewFileSelector.h"
#include "ui/widgets/VSTGUIEditorInterface.h"

#include <string>
#include <vector>

namespace zephra::test {

struct RecordedChange
{
    int32_t tag;
    float value;
};

class RecordingListener : public VSTGUI::IControlListener
{
public:
    void valueChanged(VSTGUI::CControl* control) override
    {
        changes.push_back({control->getTag(), control->getValue()});
    }
    void controlBeginEdit(VSTGUI::CControl* control) override { begins.push_back(control->getTag()); }
    void controlEndEdit(VSTGUI::CControl* control) override { ends.push_back(control->getTag()); }

    std::vector<RecordedChange> changes;
    std::vector<int32_t> begins;
    std::vector<int32_t> ends;
};

// Records the gesture brackets that controls report to their frame's editor.
class RecordingEditor : public VSTGUI::VSTGUIEditorInterface
{
public:
    void beginEdit(int32_t index) override { log.push_back("begin " + std::to_string(index)); }
    void endEdit(int32_t index) override { log.push_back("end " + std::to_string(index)); }
    std::vector<std::string> log;
};

// Records what a file selector reports when it ends: how often, the files, the error text.
class EndRecorder : public VSTGUI::CBaseObject
{
public:
    VSTGUI::CMessageResult notify(VSTGUI::CBaseObject* sender, VSTGUI::IdStringPtr message) override;
    int ends = 0;
    std::vector<VSTGUI::UTF8String> files;
    VSTGUI::UTF8String error;
};

// A frame that is released at the end of the test.
class TestFrame
{
public:
    explicit TestFrame(VSTGUI::VSTGUIEditorInterface* editor = nullptr, double width = 300,
                       double height = 200)
        : frame(new VSTGUI::CFrame(VSTGUI::CRect(0, 0, width, height), editor))
    {
    }
    ~TestFrame() { frame->close(); }
    VSTGUI::CFrame* operator->() const { return frame; }
    VSTGUI::CFrame& operator*() const { return *frame; }
    VSTGUI::CFrame* get() const { return frame; }

    void click(double x, double y, int32_t buttons = VSTGUI::kLButton) const
    {
        frame->platformOnMouseDown(VSTGUI::CPoint(x, y), buttons);
        frame->platformOnMouseUp(VSTGUI::CPoint(x, y), buttons);
    }
    void drag(double x0, double y0, double x1, double y1, int32_t buttons = VSTGUI::kLButton) const
    {
        frame->platformOnMouseDown(VSTGUI::CPoint(x0, y0), buttons);
        frame->platformOnMouseMoved(VSTGUI::CPoint(x1, y1), buttons);
        frame->platformOnMouseUp(VSTGUI::CPoint(x1, y1), buttons);
    }
    bool key(unsigned char virt, int32_t character = 0) const
    {
        VSTGUI::VstKeyCode code;
        code.virt = virt;
        code.character = character;
        return frame->platformOnKeyDown(code);
    }
    void type(const std::string& text) const
    {
        for (char c : text)
            key(VSTGUI::VKEY_NONE, static_cast<unsigned char>(c));
    }

private:
    VSTGUI::CFrame* frame;
};

// The folder of the built editor images (set by the build), or empty.
std::string builtResourceFolder();

}  // namespace zephra::test
