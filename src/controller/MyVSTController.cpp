#include "controller/MyVSTController.h"
#include "platform/Text.h"
#include "sdk/TextMessage.h"

#include "pluginterfaces/base/smartpointer.h"

#include <cstring>
#include <exception>

namespace Steinberg {
namespace Vst {

namespace {
bool messageIdIs(IMessage* message, const char* expected)
{
    const char* id = message->getMessageID();
    return id && std::strcmp(id, expected) == 0;
}

// The first size bytes of a byte-block attribute, or false when it is missing or shorter.
bool readBinaryAttribute(IMessage* message, const char* key, uint8_t* out, uint32 size)
{
    IAttributeList* attributes = message->getAttributes();
    if (!attributes) return false;
    const void* data = nullptr;
    uint32 available = 0;
    if (attributes->getBinary(key, data, available) != kResultOk || !data || available < size)
        return false;
    std::memcpy(out, data, size);
    return true;
}

uint64_t littleEndian(const uint8_t* bytes, int count)
{
    uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i) value = (value << 8) | bytes[i];
    return value;
}
} // namespace

MyVSTController::MyVSTController() : MyVSTController(pluginDescription()) {}

MyVSTController::MyVSTController(const PluginDescription& description)
    : description(description), uiThread(std::this_thread::get_id())
{
}

MyVSTController::~MyVSTController() = default;

tresult PLUGIN_API MyVSTController::queryInterface(const TUID iid, void** obj)
{
    QUERY_INTERFACE(iid, obj, IMidiMapping::iid, IMidiMapping)
    return EditController::queryInterface(iid, obj);
}

tresult PLUGIN_API MyVSTController::initialize(FUnknown* context)
{
    const tresult result = EditController::initialize(context);
    if (result != kResultOk) return result;
    uiThread = std::this_thread::get_id();
    createParameters();
    return kResultOk;
}

IPlugView* PLUGIN_API MyVSTController::createView(FIDString name)
{
    if (!name || std::strcmp(name, ViewType::kEditor) != 0 || !editorMaker) return nullptr;
    try {
        return editorMaker(*this);
    } catch (const std::exception&) {
        return nullptr;   // no view rather than an exception into the host
    }
}

tresult MyVSTController::beginEdit(ParamID tag)
{
    if (!getParameterObject(tag)) return kInvalidArgument;
    return EditController::beginEdit(tag);
}

tresult MyVSTController::performEdit(ParamID tag, ParamValue valueNormalized)
{
    if (!getParameterObject(tag)) return kInvalidArgument;
    return EditController::performEdit(tag, valueNormalized);
}

tresult MyVSTController::endEdit(ParamID tag)
{
    if (!getParameterObject(tag)) return kInvalidArgument;
    return EditController::endEdit(tag);
}

tresult PLUGIN_API MyVSTController::getParamStringByValue(ParamID tag, ParamValue valueNormalized,
                                                          String128 string)
{
    if (!string) return kInvalidArgument;
    // Outside 0..1 a range parameter's plain value is unbounded and its text could overrun.
    if (!(valueNormalized >= 0.0)) valueNormalized = 0.0;
    if (valueNormalized > 1.0) valueNormalized = 1.0;
    try {
        return EditController::getParamStringByValue(tag, valueNormalized, string);
    } catch (const std::exception&) {
        string[0] = 0;
        return kResultFalse;
    }
}

tresult PLUGIN_API MyVSTController::getParamValueByString(ParamID tag, TChar* string,
                                                          ParamValue& valueNormalized)
{
    if (!string) return kInvalidArgument;
    try {
        // Text that is no valid UTF-16 is refused here, before the SDK's lenient scanning.
        toUtf8(reinterpret_cast<const char16_t*>(string));
        return EditController::getParamValueByString(tag, string, valueNormalized);
    } catch (const std::exception&) {
        return kResultFalse;
    }
}

tresult PLUGIN_API MyVSTController::getMidiControllerAssignment(int32 /*busIndex*/,
                                                                int16 /*channel*/,
                                                                CtrlNumber midiControllerNumber,
                                                                ParamID& id)
{
    const auto found = midiMap.find(midiControllerNumber);
    if (found == midiMap.end()) return kResultFalse;
    id = found->second;
    return kResultOk;
}

tresult PLUGIN_API MyVSTController::notify(IMessage* message)
{
    if (!message) return kInvalidArgument;

    // The processor's reports: store the figures atomically (harmless should a host deliver
    // them on another thread) and leave the drawing to the editor's timer on the UI thread.
    if (messageIdIs(message, "USEDMEM")) {
        uint8_t bytes[8];
        if (readBinaryAttribute(message, "usedMem", bytes, 8))
            usedMemory.store(littleEndian(bytes, 8), std::memory_order_relaxed);
        return kResultOk;
    }
    if (messageIdIs(message, "VOICENUM")) {
        uint8_t bytes[4];
        if (readBinaryAttribute(message, "voiceNum", bytes, 4)) {
            voiceCount.store(static_cast<int32_t>(static_cast<uint32_t>(littleEndian(bytes, 4))),
                             std::memory_order_relaxed);
            voiceReports.fetch_add(1, std::memory_order_release);
        }
        if (editor.load(std::memory_order_acquire)) return kResultOk;   // the editor shows it
        return ComponentBase::notify(message);
    }

    // The SDK's base reads this one unsafely (see TextMessage.h).
    if (isTextMessage(message)) {
        std::string text;
        return readTextMessage(message, text) ? receiveText(text.c_str()) : kResultFalse;
    }

    // Other messages reach the editor only on the UI thread, where it cannot close meanwhile.
    if (onUiThread()) {
        if (ControllerEditor* open = editor.load(std::memory_order_acquire)) {
            const tresult handled = open->onControllerMessage(message);
            if (handled != kNotImplemented) return handled;
        }
    }
    return ComponentBase::notify(message);
}

void MyVSTController::requestVoiceCount()
{
    IPtr<IMessage> message = owned(allocateMessage());
    if (!message) return;   // a host without messages: the count stays as last reported
    message->setMessageID("GETVOICENUM");
    sendMessage(message);
}

void MyVSTController::editorOpened(ControllerEditor* opened)
{
    editor.store(opened, std::memory_order_release);
}

void MyVSTController::editorClosed(ControllerEditor* closed)
{
    ControllerEditor* expected = closed;
    if (!editor.compare_exchange_strong(expected, nullptr, std::memory_order_acq_rel))
        return;
    // No timer will deliver the files still being read: they are sent now, so the sound the
    // user chose is the one that plays.
    for (LoadWorker::Result& result : loads.finishAll())
        sendLoaded(result);
}

} // namespace Vst
} // namespace Steinberg
