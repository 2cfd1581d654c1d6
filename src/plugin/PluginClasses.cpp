// The two classes this module's factory creates: the SoundFont player's processor and the
// framework's edit controller, which makes the player's editor when the host asks for it.
#include "shell/ClassFactory.h"

#include "controller/MyVSTController.h"
#include "editor/VSTGUI.h"
#include "synth/VSTDSP.h"

#include <new>

namespace Steinberg {
namespace Vst {

FUnknown* createProcessorInstance(void*)
{
    // A failed construction yields null, which the factory reports to the host.
    auto* processor = new (std::nothrow) VSTDSP();
    return processor ? static_cast<IAudioProcessor*>(processor) : nullptr;
}

FUnknown* createControllerInstance(void*)
{
    auto* controller = new (std::nothrow) MyVSTController();
    if (!controller) return nullptr;
    controller->setEditorMaker([](MyVSTController& owner) -> IPlugView* {
        return new VSTGUI(&owner);
    });
    return static_cast<IEditController*>(controller);
}

} // namespace Vst
} // namespace Steinberg
