#pragma once
// The module's edit controller: parameter objects built from the plug-in description, the MIDI
// controller mapping, both state streams, loading a SoundFont or WAV file and handing it to
// the processor, and the processor's reports ("USEDMEM", "VOICENUM").
//
// Threads: everything runs on the host's UI thread, except getMidiControllerAssignment, which
// may come from any thread. The processor's reports arrive on the UI thread inside the
// controller's own sends ("USEDMEM" answers "SF2DATA", "VOICENUM" answers "GETVOICENUM");
// notify still only stores their figures atomically and never calls into the editor off the
// UI thread, so a host that delivers on another thread does no harm.
#include "controller/ControllerEditor.h"
#include "controller/ControllerState.h"
#include "shell/PluginDescription.h"

#include "pluginterfaces/vst/ivstmidicontrollers.h"
#include "public.sdk/source/vst/vsteditcontroller.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace Steinberg {
namespace Vst {

class MyVSTController : public EditController, public IMidiMapping {
public:
    MyVSTController();
    // Builds its parameters from the given description instead of the module's own.
    explicit MyVSTController(const PluginDescription& description);
    ~MyVSTController() override;

    // --- IPluginBase / IEditController ---
    tresult PLUGIN_API initialize(FUnknown* context) override;
    tresult PLUGIN_API setComponentState(IBStream* state) override;
    tresult PLUGIN_API setState(IBStream* state) override;
    tresult PLUGIN_API getState(IBStream* state) override;
    // The view named "editor" from the editor maker, or null (no maker, another name).
    IPlugView* PLUGIN_API createView(FIDString name) override;
    // Edits of tags that name no parameter stay here: the host hears only of its parameters.
    tresult beginEdit(ParamID tag) override;
    tresult performEdit(ParamID tag, ParamValue valueNormalized) override;
    tresult endEdit(ParamID tag) override;
    // Guarded versions of the SDK's: values outside 0..1 are clamped before formatting and no
    // text conversion error leaves the call.
    tresult PLUGIN_API getParamStringByValue(ParamID tag, ParamValue valueNormalized,
                                             String128 string) override;
    tresult PLUGIN_API getParamValueByString(ParamID tag, TChar* string,
                                             ParamValue& valueNormalized) override;

    // --- IConnectionPoint --- (UI thread; see the header comment)
    tresult PLUGIN_API notify(IMessage* message) override;
    // UI thread (the editor's timer): asks the processor for its busy voice count, which comes
    // back inside this call as "VOICENUM" when the processor has counted since its last answer.
    void requestVoiceCount();
    // UI thread. Once connected, the remembered files are sent again: a load made before the
    // connection (or while the host gave no message object) never reached the processor.
    tresult PLUGIN_API connect(IConnectionPoint* other) override;

    // --- IMidiMapping --- (any thread; reads midiMap only)
    tresult PLUGIN_API getMidiControllerAssignment(int32 busIndex, int16 channel,
                                                   CtrlNumber midiControllerNumber,
                                                   ParamID& id) override;

    // --- loading (UI thread) ---
    // Remembers path (and the preset index, when given) as file 1 and loads it unless both
    // are unchanged.
    void loadFile(const std::u16string& path, const int32_t* presetIndex);
    // ".wav" -> sendWave; ".sf2"/".SF2"/".sf3"/".SF3" -> sendSoundFont with the preset in the option blob
    // (when it is 4 bytes) or 0; any other extension is ignored.
    void loadByExtension(int32_t fileId, const std::u16string& path, const uint8_t* optionData,
                         int32_t optionSize);
    // Loads the remembered files again (a restored state, a new connection). Of each kind only
    // the last remembered file is loaded: the processor keeps one sound, the newest, so an
    // earlier one would be replaced before it is heard, and a project naming thousands of files
    // would hold the UI thread for all of them.
    void reloadRememberedFiles();
    // Reads a WAV file and sends "WAVDATA"; nothing is sent when the file is refused.
    void sendWave(int32_t fileId, const std::u16string& path);
    // Reads a SoundFont, resolves one preset and sends "SF2DATA" with the records' address.
    void sendSoundFont(int32_t fileId, const std::u16string& path, int32_t presetIndex);

    // --- the editor link (UI thread) ---
    // Makes the editor view for createView; the module sets it, so the controller itself
    // knows nothing of the widget layer.
    using EditorMaker = std::function<IPlugView*(MyVSTController&)>;
    void setEditorMaker(EditorMaker maker) { editorMaker = std::move(maker); }
    // The editor registers when it opens and unregisters when it closes; closing an editor
    // that is no longer the registered one changes nothing.
    void editorOpened(ControllerEditor* opened);
    void editorClosed(ControllerEditor* closed);

    // --- IUnknown ---
    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override;
    REFCOUNT_METHODS(EditController)

    OBJ_METHODS(MyVSTController, EditController)

    // The open editor, or null. Written on the UI thread; the audio thread only tests it.
    std::atomic<ControllerEditor*> editor{nullptr};
    std::map<int16, ParamID> midiMap;   // MIDI controller number -> parameter ID
    FilePathMap filePaths;              // file ID -> remembered path
    FileOptionMap fileOptions;          // file ID -> option blob (preset index as 4 bytes)
    // The processor's last memory report ("USEDMEM"): total sample points of its sound.
    std::atomic<uint64_t> usedMemory{0};
    StringListMap stringLists;          // carried through the controller state only
    // The processor's last busy-voice report ("VOICENUM"), for the editor's timer to show.
    std::atomic<int32_t> voiceCount{0};
    // Counts "VOICENUM" reports, so the editor can tell whether a new one arrived.
    std::atomic<uint32_t> voiceReports{0};

private:
    void createParameters();
    bool onUiThread() const { return std::this_thread::get_id() == uiThread; }

    const PluginDescription& description;
    EditorMaker editorMaker;
    std::thread::id uiThread;   // the thread that created the controller (the host's UI thread)
};

static_assert(std::atomic<uint64_t>::is_always_lock_free, "usedMemory must be lock-free");
static_assert(std::atomic<int32_t>::is_always_lock_free, "voiceCount must be lock-free");
static_assert(std::atomic<ControllerEditor*>::is_always_lock_free, "editor must be lock-free");

} // namespace Vst
} // namespace Steinberg
