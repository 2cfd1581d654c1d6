#pragma once
// An IBStream over a byte vector, for state round trips. It can also imitate a broken medium:
// reads beyond a chosen position either come back short (as from a cut file) or fail outright.
// Threads: one thread at a time. Not real-time safe (writes grow the vector).
#include "pluginterfaces/base/ibstream.h"

#include <cstdint>
#include <vector>

namespace zephra {
namespace host {

class VectorStream : public Steinberg::IBStream {
public:
    enum class LimitBehaviour { ShortRead, Error };

    VectorStream() = default;
    explicit VectorStream(std::vector<uint8_t> bytes) : contents(std::move(bytes)) {}

    // Reads see only the first limit bytes; what lies beyond behaves as behaviour says.
    void limitReads(int64_t limit, LimitBehaviour behaviour) noexcept;

    const std::vector<uint8_t>& bytes() const noexcept { return contents; }
    int64_t position() const noexcept { return cursor; }
    void rewind() noexcept { cursor = 0; }

    Steinberg::tresult PLUGIN_API read(void* buffer, Steinberg::int32 numBytes,
                                       Steinberg::int32* numBytesRead) override;
    Steinberg::tresult PLUGIN_API write(void* buffer, Steinberg::int32 numBytes,
                                        Steinberg::int32* numBytesWritten) override;
    Steinberg::tresult PLUGIN_API seek(Steinberg::int64 pos, Steinberg::int32 mode, Steinberg::int64* result) override;
    Steinberg::tresult PLUGIN_API tell(Steinberg::int64* pos) override;

    // Owned by whoever declares it; reference counting is a no-op.
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    Steinberg::uint32 PLUGIN_API addRef() override { return 1; }
    Steinberg::uint32 PLUGIN_API release() override { return 1; }

private:
    std::vector<uint8_t> contents;
    int64_t cursor = 0;
    int64_t readLimit = -1;   // -1: no limit
    LimitBehaviour limitBehaviour = LimitBehaviour::ShortRead;
};

}   // namespace host
}   // namespace zephra
