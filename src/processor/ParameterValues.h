#pragma once
// Plain parameter values by ID, kept in ascending ID order.
//
// The key set changes only through set()/clear() (allocating; UI thread, while no audio thread
// uses the object) or by swap(). Values are atomics, so the audio thread may assign() existing
// entries while the UI thread reads them (getState) without a data race.
// Threads: get/contains/assign/size/idAt/valueAt/swap are noexcept and real-time safe (no
// allocation); set/clear/copying allocate and are for the UI thread.
#include "pluginterfaces/base/ftypes.h"

#include <atomic>
#include <cstddef>
#include <utility>
#include <vector>

namespace Steinberg {
namespace Vst {

class ParameterValues {
public:
    ParameterValues() = default;
    ParameterValues(const ParameterValues& other);
    ParameterValues& operator=(const ParameterValues& other);

    // Value of id, 0.0 when id is absent.
    double get(int32 id) const noexcept;
    bool contains(int32 id) const noexcept;
    // Stores value for an id that is already present; false (nothing stored) when absent.
    bool assign(int32 id, double value) noexcept;
    // Stores value for id, inserting the id in order when absent. Allocates.
    void set(int32 id, double value);
    // Stores every (id, value) in order (a later entry for the same id wins): one sort and one
    // merge, however many entries. Allocates.
    void setAll(const std::vector<std::pair<int32, double>>& entries);
    void clear() noexcept;
    void reserve(size_t count);

    size_t size() const noexcept { return ids.size(); }
    bool empty() const noexcept { return ids.empty(); }
    int32 idAt(size_t index) const noexcept { return ids[index]; }
    double valueAt(size_t index) const noexcept;
    void swap(ParameterValues& other) noexcept;

private:
    // std::atomic is neither copyable nor movable; this wrapper copies by load/store.
    struct Value {
        std::atomic<double> v{0.0};
        Value() = default;
        explicit Value(double x) : v(x) {}
        Value(const Value& o) : v(o.v.load(std::memory_order_relaxed)) {}
        Value& operator=(const Value& o) { v.store(o.v.load(std::memory_order_relaxed), std::memory_order_relaxed); return *this; }
    };
    ptrdiff_t indexOf(int32 id) const noexcept;

    std::vector<int32> ids;     // ascending
    std::vector<Value> values;  // parallel to ids
};

} // namespace Vst
} // namespace Steinberg
