#include "soundfont/InFlightSynthLists.h"

#include <algorithm>
#include <mutex>
#include <utility>
#include <vector>

namespace Steinberg {
namespace Vst {
namespace {

struct Registry {
    std::mutex mutex;
    std::vector<std::pair<const SFSynth*, const SFSynth*>> ranges;   // one entry per open scope
};

Registry& registry()
{
    static Registry instance;
    return instance;
}

} // namespace

InFlightSynthLists::Scope::Scope(const SFSynth* first, const SFSynth* last)
    : first(first), last(last)
{
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.ranges.emplace_back(first, last);
}

InFlightSynthLists::Scope::~Scope()
{
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = std::find(r.ranges.begin(), r.ranges.end(), std::make_pair(first, last));
    if (it != r.ranges.end())
        r.ranges.erase(it);
}

bool InFlightSynthLists::copyIfInFlight(const SFSynth* first, const SFSynth* last,
                                        SFSynthList& out)
{
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (std::find(r.ranges.begin(), r.ranges.end(), std::make_pair(first, last)) ==
        r.ranges.end())
        return false;
    SFSynthList copy;
    copy.reserve(static_cast<size_t>(last - first));
    for (const SFSynth* record = first; record != last; ++record)
        copy.push_back(*record);
    out.swap(copy);
    return true;
}

} // namespace Vst
} // namespace Steinberg
