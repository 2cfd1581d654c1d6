#pragma once
// The SoundFont player's editor: the 681 x 441 layout with the load button, the file name, the
// sorted preset list, the engine figures (memory, voices), the controller displays, the
// "Bend Range" field and rocker, the response switch and the two level knobs with their captions
// (which show the value while a knob is turned or pointed at); the 100 ms display refresh, which
// also sends the files the controller has read meanwhile and shows "Loading NAME…" over a dimmed
// list while a load takes longer; the SoundFont file selector and the preset list that loads the
// chosen preset.
//
// Threads: the host's UI thread only. Each timer tick asks the processor for its voice count
// through the controller; the processor's reports reach the labels through the controller's
// atomics (and this editor's own, for a "VOICENUM" handed to it), read on the timer tick;
// nothing here runs on the audio thread.
#include "editor/MyVSTGUIEditor.h"
#include "editor/PresetList.h"
#include "ui/widgets/CColor.h"
#include "ui/widgets/IMouseObserver.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>

namespace VSTGUI {
class COnOffButton;
class CTextEdit;
}

namespace Steinberg {
namespace Vst {

class VSTGUI : public MyVSTGUIEditor, private ::VSTGUI::IMouseObserver
{
public:
    explicit VSTGUI(MyVSTController* controller);
    ~VSTGUI() override;

    // Tags of the controls that edit no parameter: the load icon and area open the file
    // selector; the rocker steps "Bend Range"; the switch chooses the response.
    static constexpr int32 kLoadTag = 10001;
    static constexpr int32 kRockerTag = 10000;
    static constexpr int32 kResponseTag = 10002;
    static constexpr int32 kSelectorId = 100;
    // The scroll arithmetic of the preset list counts rows of this many pixels.
    static constexpr int32 kScrollRowPixels = 22;
    // A load that takes longer than this shows "Loading NAME…" and dims the list.
    static constexpr std::chrono::milliseconds kLoadShownAfter{150};
    // The list's opacity while a load is shown.
    static constexpr float kDimmedListAlpha = 0.35f;

    // Gestures of the controls: the knobs' captions follow them.
    void beginEdit(int32_t index) override;
    void endEdit(int32_t index) override;

protected:
    void createControls() override;
    void onValueChanged(int32 tag, float value, ::VSTGUI::CControl* control) override;
    void onTimer() override;
    void onFileSelected(int32 selectorId, const std::string& path) override;
    ::VSTGUI::CMessageResult notifyUnhandled(::VSTGUI::CBaseObject* sender,
                                             ::VSTGUI::IdStringPtr message) override;
    tresult onControllerMessage(IMessage* message) override;
    void onListSelect(CListBox* listBox, int32 row) override;
    // The first .sf2/.sf3 file loads as if chosen in the file selector; other files are refused
    // with a notice saying why.
    bool onFilesDrop(const std::vector<std::string>& files) override;
    void describeControls(std::string& out) const override;
    std::string initialSelectorFolder() const override;

private:
    void openSoundFontSelector();
    // Fills rowToPreset and returns the rows for path; remembers why nothing is listed.
    std::vector<std::string> buildPresetList(const std::u16string& path);
    void showStoredSelection();
    // Selects row without scrolling, then scrolls so that target row (clamped to the list)
    // is in view.
    void selectAndReveal(int32 row, int32 target);
    std::u16string loadedPath() const;
    void showParameterText(::VSTGUI::CTextLabel* label, ParamID id);
    // Sends what the controller has read and shows whether a load is still under way.
    void showLoadState();
    // A knob's caption: the parameter's name, with its value while the knob is pointed at or
    // turned ("Output Level 12.0").
    void showKnobCaption(::VSTGUI::CTextLabel* caption, const ::VSTGUI::CControl* knob, ParamID id);
    void showKnobCaptions();
    void onMouseEntered(::VSTGUI::CView* view, ::VSTGUI::CFrame* frame) override;
    void onMouseExited(::VSTGUI::CView* view, ::VSTGUI::CFrame* frame) override;

    ::VSTGUI::CTextLabel* fileNameLabel = nullptr;
    ::VSTGUI::CKickButton* loadButton = nullptr;
    ::VSTGUI::CKickButton* loadArea = nullptr;
    CListBox* presetList = nullptr;
    ::VSTGUI::CTextLabel* voiceCountLabel = nullptr;
    ::VSTGUI::CTextLabel* memoryLabel = nullptr;
    ::VSTGUI::CTextLabel* pitchBendLabel = nullptr;
    ::VSTGUI::CTextLabel* modWheelLabel = nullptr;
    ::VSTGUI::CTextLabel* expressionLabel = nullptr;
    ::VSTGUI::CTextLabel* sustainLabel = nullptr;
    ::VSTGUI::CAnimKnob* volumeKnob = nullptr;
    ::VSTGUI::CTextEdit* bendRangeEdit = nullptr;
    ::VSTGUI::CRockerSwitch* bendRangeRocker = nullptr;
    ::VSTGUI::COnOffButton* responseSwitch = nullptr;   // off: "Classic", on: "SoundFont 2.04"
    std::map<int32, int32> rowToPreset;
    ::VSTGUI::CColor textColour{146, 208, 80, 255};
    ::VSTGUI::CColor accentColour{194, 214, 154, 255};

    ::VSTGUI::CAnimKnob* outputKnob = nullptr;   // not refreshed from the host; kept for describe()
    ::VSTGUI::CTextLabel* volumeCaption = nullptr;
    ::VSTGUI::CTextLabel* outputCaption = nullptr;
    const ::VSTGUI::CView* hoveredView = nullptr;   // the view under the pointer
    std::string fileLine;                         // the file-name label's text between loads
    FontStatus fontStatus = FontStatus::noPath;
    // A "VOICENUM" handed to the editor directly; shown on the next tick.
    std::atomic<int32_t> reportedVoices{0};
    std::atomic<bool> voicesReported{false};
    uint32_t shownVoiceReports = 0;   // the controller's report count last shown
};

} // namespace Vst
} // namespace Steinberg
