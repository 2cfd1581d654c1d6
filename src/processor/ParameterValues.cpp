#include "processor/ParameterValues.h"

#include <algorithm>

namespace Steinberg {
namespace Vst {

ParameterValues::ParameterValues(const ParameterValues& other)
    : ids(other.ids), values(other.values)
{
}

ParameterValues& ParameterValues::operator=(const ParameterValues& other)
{
    if (this != &other) {
        ids = other.ids;
        values = other.values;
    }
    return *this;
}

ptrdiff_t ParameterValues::indexOf(int32 id) const noexcept
{
    auto it = std::lower_bound(ids.begin(), ids.end(), id);
    if (it == ids.end() || *it != id)
        return -1;
    return it - ids.begin();
}

double ParameterValues::get(int32 id) const noexcept
{
    const ptrdiff_t index = indexOf(id);
    return index < 0 ? 0.0 : values[static_cast<size_t>(index)].v.load(std::memory_order_relaxed);
}

bool ParameterValues::contains(int32 id) const noexcept
{
    return indexOf(id) >= 0;
}

bool ParameterValues::assign(int32 id, double value) noexcept
{
    const ptrdiff_t index = indexOf(id);
    if (index < 0)
        return false;
    values[static_cast<size_t>(index)].v.store(value, std::memory_order_relaxed);
    return true;
}

void ParameterValues::set(int32 id, double value)
{
    auto it = std::lower_bound(ids.begin(), ids.end(), id);
    const auto index = it - ids.begin();
    if (it != ids.end() && *it == id) {
        values[static_cast<size_t>(index)].v.store(value, std::memory_order_relaxed);
        return;
    }
    ids.insert(it, id);
    values.insert(values.begin() + index, Value(value));
}

void ParameterValues::setAll(const std::vector<std::pair<int32, double>>& entries)
{
    std::vector<std::pair<int32, double>> all;
    all.reserve(ids.size() + entries.size());
    for (size_t i = 0; i < ids.size(); ++i)
        all.emplace_back(ids[i], valueAt(i));
    all.insert(all.end(), entries.begin(), entries.end());
    // Stable: among equal IDs the present value comes first and the last entry last.
    std::stable_sort(all.begin(), all.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<int32> newIds;
    std::vector<Value> newValues;
    newIds.reserve(all.size());
    newValues.reserve(all.size());
    for (size_t i = 0; i < all.size(); ++i) {
        if (i + 1 < all.size() && all[i + 1].first == all[i].first)
            continue;   // a later value for the same ID follows
        newIds.push_back(all[i].first);
        newValues.emplace_back(all[i].second);
    }
    ids.swap(newIds);
    values.swap(newValues);
}

void ParameterValues::clear() noexcept
{
    ids.clear();
    values.clear();
}

void ParameterValues::reserve(size_t count)
{
    ids.reserve(count);
    values.reserve(count);
}

double ParameterValues::valueAt(size_t index) const noexcept
{
    return values[index].v.load(std::memory_order_relaxed);
}

void ParameterValues::swap(ParameterValues& other) noexcept
{
    ids.swap(other.ids);
    values.swap(other.values);
}

} // namespace Vst
} // namespace Steinberg
