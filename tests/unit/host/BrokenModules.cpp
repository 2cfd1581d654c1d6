// Shared objects that look like VST3 modules but are not usable: which one is built is chosen
// by a compile definition.
#define EXPORT extern "C" __attribute__((visibility("default")))

#if defined(BROKEN_NO_ENTRY)
// A shared object without any of the entry points.
EXPORT int notAPlugin() { return 1; }
#elif defined(BROKEN_FAILING_ENTRY)
EXPORT bool ModuleEntry(void*) { return false; }
EXPORT bool ModuleExit() { return true; }
EXPORT void* GetPluginFactory() { return nullptr; }
#elif defined(BROKEN_NULL_FACTORY)
EXPORT bool ModuleEntry(void*) { return true; }
EXPORT bool ModuleExit() { return true; }
EXPORT void* GetPluginFactory() { return nullptr; }
#elif defined(BROKEN_NO_FACTORY)
EXPORT bool ModuleEntry(void*) { return true; }
EXPORT bool ModuleExit() { return true; }
#endif
