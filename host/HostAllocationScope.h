#pragma once
// Marks the stretches in which the host library allocates or frees memory on behalf of the
// plug-in (message and attribute objects, message records), so that an allocation-counting
// test can tell those apart from the plug-in's own allocations.
// Threads: any; the marker is per thread. Real-time safe (a thread-local counter).

namespace zephra {
namespace host {

class HostAllocationScope {
public:
    HostAllocationScope() noexcept;
    ~HostAllocationScope() noexcept;
    HostAllocationScope(const HostAllocationScope&) = delete;
    HostAllocationScope& operator=(const HostAllocationScope&) = delete;

    // True while the calling thread is inside at least one scope.
    static bool active() noexcept;
};

}   // namespace host
}   // namespace zephra
