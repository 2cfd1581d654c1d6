#pragma once
// The message and attribute-list objects the host makes for the plug-in (IMessage,
// IAttributeList). Every call that allocates or frees runs inside a HostAllocationScope, so an
// allocation-counting test can leave the host's share out. The attributes can be listed, which
// the connection proxy needs to record messages.
// Threads: any; one object is used by one thread at a time (reference counting is atomic).
// Not real-time safe: setting attributes allocates (marked as the host's allocation).
#include "pluginterfaces/vst/ivstattributes.h"
#include "pluginterfaces/vst/ivstmessage.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace zephra {
namespace host {

struct MessageRecord;

class AttributeList final : public Steinberg::Vst::IAttributeList {
public:
    AttributeList() = default;

    Steinberg::tresult PLUGIN_API setInt(AttrID id, Steinberg::int64 value) override;
    Steinberg::tresult PLUGIN_API getInt(AttrID id, Steinberg::int64& value) override;
    Steinberg::tresult PLUGIN_API setFloat(AttrID id, double value) override;
    Steinberg::tresult PLUGIN_API getFloat(AttrID id, double& value) override;
    Steinberg::tresult PLUGIN_API setString(AttrID id, const Steinberg::Vst::TChar* string) override;
    // Copies at most sizeInBytes bytes, always zero-terminated when there is room for one unit.
    Steinberg::tresult PLUGIN_API getString(AttrID id, Steinberg::Vst::TChar* string,
                                            Steinberg::uint32 sizeInBytes) override;
    Steinberg::tresult PLUGIN_API setBinary(AttrID id, const void* data, Steinberg::uint32 sizeInBytes) override;
    Steinberg::tresult PLUGIN_API getBinary(AttrID id, const void*& data, Steinberg::uint32& sizeInBytes) override;

    // Copies every attribute into the record's maps.
    void copyInto(MessageRecord& record) const;

    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    Steinberg::uint32 PLUGIN_API addRef() override;
    Steinberg::uint32 PLUGIN_API release() override;

private:
    ~AttributeList() = default;   // reference-counted: release() deletes

    std::map<std::string, int64_t, std::less<>> integers;   // less<>: lookups by char* never allocate
    std::map<std::string, double, std::less<>> floats;
    std::map<std::string, std::u16string, std::less<>> strings;
    std::map<std::string, std::vector<uint8_t>, std::less<>> binaries;
    std::atomic<Steinberg::uint32> references{1};
};

class Message final : public Steinberg::Vst::IMessage {
public:
    Message();

    const char* PLUGIN_API getMessageID() override;   // null until set
    void PLUGIN_API setMessageID(const char* id) override;
    Steinberg::Vst::IAttributeList* PLUGIN_API getAttributes() override;

    // The attributes as our own class (never null).
    const AttributeList& attributes() const noexcept { return *attributeList; }
    // Messages alive in the process now (tests check that none is lost or leaked).
    static long liveCount() noexcept;

    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    Steinberg::uint32 PLUGIN_API addRef() override;
    Steinberg::uint32 PLUGIN_API release() override;

private:
    ~Message();

    std::string messageId;
    bool hasId = false;
    AttributeList* attributeList;   // owned reference
    std::atomic<Steinberg::uint32> references{1};
};

}   // namespace host
}   // namespace zephra
