// libFuzzer target: any bytes as the component state, handed to the processor's setState and
// then to the controller's setComponentState, as a host restoring a project does. A state the
// processor takes is written back by getState in a form that both sides take again, unchanged.
#include "PluginUnderTest.h"

#include <cstdlib>

using namespace zephra::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    PluginUnderTest plugin;
    const std::vector<uint8_t> bytes(data, data + size);
    const bool taken = plugin.processor->setState(streamOf(bytes)) == kResultOk;
    plugin.controller->setComponentState(streamOf(bytes));
    const std::vector<uint8_t> written = stateOf(*plugin.processor);
    if (taken && (plugin.processor->setState(streamOf(written)) != kResultOk ||
                  plugin.controller->setComponentState(streamOf(written)) != kResultOk ||
                  stateOf(*plugin.processor) != written))
        std::abort();
    return 0;
}
