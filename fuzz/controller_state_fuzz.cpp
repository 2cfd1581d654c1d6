// libFuzzer target: any bytes as the controller state, handed to the controller's setState as a
// host restoring a project does (a SoundFont or WAV file it names is loaded and sent to the
// processor). A state the controller takes is written back by getState in a form that a new
// controller takes, unchanged.
#include "PluginUnderTest.h"

#include <cstdlib>

using namespace zephra::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    PluginUnderTest plugin, restored;
    if (plugin.controller->setState(streamOf(std::vector<uint8_t>(data, data + size))) != kResultOk)
        return 0;
    const std::vector<uint8_t> written = stateOf(*plugin.controller);
    if (restored.controller->setState(streamOf(written)) != kResultOk || stateOf(*restored.controller) != written)
        std::abort();
    return 0;
}
