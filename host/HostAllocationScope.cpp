#include "host/HostAllocationScope.h"

namespace zephra {
namespace host {

namespace {
// Depth rather than a flag: scopes nest when a host call frees a message it just recorded.
thread_local int scopeDepth = 0;
}   // namespace

HostAllocationScope::HostAllocationScope() noexcept
{
    ++scopeDepth;
}
HostAllocationScope::~HostAllocationScope() noexcept
{
    --scopeDepth;
}
bool HostAllocationScope::active() noexcept
{
    return scopeDepth > 0;
}

}   // namespace host
}   // namespace zephra
