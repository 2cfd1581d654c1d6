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
    struct Entry {
        int32 id;
        size_t order;   // present values first, then the entries in stream order
        double value;
    };
    std::vector<Entry> all;
    all.reserve(ids.size() + entries.size());
    for (size_t i = 0; i < ids.size(); ++i)
        all.push_back({ids[i], i, valueAt(i)});
    for (const auto& [id, value] : entries)
        all.push_back({id, all.size(), value});
    std::sort(all.begin(), all.end(), [](const Entry& a, const Entry& b) {
        return a.id != b.id ? a.id < b.id : a.order < b.order;
    });
    std::vector<int32> newIds;
    std::vector<Value> newValues;
    newIds.reserve(all.size());
    newValues.reserve(all.size());
    for (size_t i = 0; i < all.size(); ++i) {
        if (i + 1 < all.size() && all[i + 1].id == all[i].id)
            continue;   // a later value for the same ID follows
        newIds.push_back(all[i].id);
        newValues.emplace_back(all[i].value);
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
