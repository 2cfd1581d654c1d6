#pragma once
// Plain records the host library hands to its callers: factory and class information as read
// from the module, parameter changes and note events to send, edits and messages observed.
// Threads: any (value types). Real-time safe to read; copying them allocates.
#include "pluginterfaces/base/funknown.h"
#include "pluginterfaces/vst/vsttypes.h"

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace zephra {
namespace host {

using ClassId = std::array<uint8_t, 16>;

// PFactoryInfo, texts cut at their first zero byte.
struct FactoryRecord {
    std::string vendor;
    std::string url;
    std::string email;
    int32_t flags = 0;
};

// PClassInfo, completed from PClassInfo2 when the factory offers IPluginFactory2.
struct ClassRecord {
    ClassId classId{};
    int32_t cardinality = 0;
    std::string category;
    std::string name;
    bool hasInfo2 = false;   // the fields below came from getClassInfo2
    uint32_t classFlags = 0;
    std::string subCategories;
    std::string vendor;
    std::string version;
    std::string sdkVersion;
};

// One point of a parameter queue: normalised value at a sample offset of the block.
struct ParameterChange {
    Steinberg::Vst::ParamID id = 0;
    int32_t sampleOffset = 0;
    double value = 0.0;
};

// A note-on or note-off event at a sample offset of the block.
struct NoteEvent {
    enum class Kind { On, Off };
    Kind kind = Kind::On;
    int32_t sampleOffset = 0;
    int16_t channel = 0;
    int16_t pitch = 60;
    float velocity = 1.0f;
    int32_t noteId = -1;

    static NoteEvent on(int32_t offset, int16_t pitch, float velocity = 1.0f, int16_t channel = 0)
    {
        return NoteEvent{Kind::On, offset, channel, pitch, velocity, -1};
    }
    static NoteEvent off(int32_t offset, int16_t pitch, float velocity = 0.0f, int16_t channel = 0)
    {
        return NoteEvent{Kind::Off, offset, channel, pitch, velocity, -1};
    }
};

// What the controller told the host through IComponentHandler.
struct EditRecord {
    enum class Kind { BeginEdit, PerformEdit, EndEdit, RestartComponent, SetDirty };
    Kind kind = Kind::BeginEdit;
    Steinberg::Vst::ParamID id = 0;   // 0 for RestartComponent
    double value = 0.0;               // PerformEdit; SetDirty: 1 dirty, 0 clean
    int32_t restartFlags = 0;         // RestartComponent only
    std::thread::id thread;
};

enum class MessageDirection { ToProcessor, ToController };

// A message that passed (or is held in) the connection between processor and controller.
// Binary attributes are copied; integer, float and string attributes keep their values too.
struct MessageRecord {
    MessageDirection direction = MessageDirection::ToProcessor;
    std::string id;
    std::thread::id thread;                                     // thread on which the sender called notify
    bool held = false;                                          // held back at send time instead of delivered
    bool refused = false;                                       // sent off the connecting (UI) thread: never delivered
    Steinberg::tresult deliveryResult = Steinberg::kResultOk;   // receiver's notify result
    std::map<std::string, std::vector<uint8_t>> binaries;
    std::map<std::string, int64_t> integers;
    std::map<std::string, double> floats;
    std::map<std::string, std::u16string> strings;
};

}   // namespace host
}   // namespace zephra
