#pragma once
// Bookkeeping of the Linux module entry: ModuleEntry/ModuleExit calls nest (a host may load the
// same module more than once); the first entry records the library handle for resource lookup,
// the last exit clears it.
// Threads: the host's UI thread; the counter is atomic. Not called from the audio thread.

namespace Steinberg {

// Counts one ModuleEntry; records handle on the first. True when this was the first entry.
bool enterModule(void* sharedLibraryHandle) noexcept;
// Counts one ModuleExit; false when there was no matching entry (the count stays at zero).
bool leaveModule() noexcept;
// Number of entries not yet matched by an exit.
int moduleEntryCount() noexcept;

} // namespace Steinberg
