#pragma once
// What the module's factory publishes: the factory information and the two class records built
// from the plug-in description, and the creation functions of the two classes (defined by the
// module that links the shell, so the shell knows nothing of the concrete classes).
//
// Threads: the host's UI thread. Not real-time safe.
#include "pluginterfaces/base/ipluginbase.h"
#include "shell/PluginDescription.h"

namespace Steinberg {
namespace Vst {

// SDK version text written into both class records.
constexpr const char* kClassSdkVersion = "VST 3.6.8";

PFactoryInfo makeFactoryInfo(const PluginDescription& description);
PClassInfo2 makeProcessorClassInfo(const PluginDescription& description);
PClassInfo2 makeControllerClassInfo(const PluginDescription& description);

// Creation functions registered with the factory; each returns one reference (null on failure).
FUnknown* createProcessorInstance(void* context);
FUnknown* createControllerInstance(void* context);

} // namespace Vst
} // namespace Steinberg
