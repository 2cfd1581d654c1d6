#pragma once
// What the controller needs from an open editor: a handler for connection messages that the
// controller does not handle itself. The editor registers itself with the controller when it
// opens and unregisters when it closes (MyVSTController::editorOpened / editorClosed).
// Threads: onControllerMessage is called on the UI thread only (the controller never calls
// into the editor from the audio thread). Not real-time safe.
#include "pluginterfaces/vst/ivstmessage.h"

namespace Steinberg {
namespace Vst {

class ControllerEditor {
public:
    virtual ~ControllerEditor() = default;
    // kNotImplemented lets the controller fall back to its base handling.
    virtual tresult onControllerMessage(IMessage* message) = 0;
};

} // namespace Vst
} // namespace Steinberg
