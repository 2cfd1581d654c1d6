// A built-in editor with one of each widget, for developers and the X11 tests: it reports
// every value change, gesture and list selection as a line on standard output.
// UI thread only; not real-time safe.
#pragma once

#include "sdk/VSTGUIEditor.h"
#include "ui/widgets/GenericStringListDataBrowserSource.h"
#include "ui/widgets/IControlListener.h"

#include <vector>

namespace VSTGUI {
class CTextLabel;
}

namespace zephra::editorhost {

class TestFrameEditor : public Steinberg::Vst::VSTGUIEditor,
                        public VSTGUI::IControlListener,
                        public VSTGUI::IGenericStringListDataBrowserSourceSelectionChanged {
public:
    static constexpr int kWidth = 400;
    static constexpr int kHeight = 300;

    explicit TestFrameEditor(Steinberg::Vst::EditController* controller);

    bool PLUGIN_API open(void* parent, const VSTGUI::PlatformType& platformType) override;
    void PLUGIN_API close() override;
    // Builds the frame without a window (for screenshots).
    void openOffscreen();

    void valueChanged(VSTGUI::CControl* control) override;
    void beginEdit(int32_t index) override;
    void endEdit(int32_t index) override;
    void dbSelectionChanged(int32_t row, VSTGUI::GenericStringListDataBrowserSource* source) override;
    VSTGUI::CMessageResult notify(VSTGUI::CBaseObject* sender, VSTGUI::IdStringPtr message) override;

protected:
    Steinberg::ViewRect getEditorBaseSize() const override { return Steinberg::ViewRect(0, 0, kWidth, kHeight); }

private:
    void buildControls();

    std::vector<VSTGUI::UTF8String> rows;
    VSTGUI::CTextLabel* buttonFace = nullptr;
    int ticks = 0;
};

}   // namespace zephra::editorhost
