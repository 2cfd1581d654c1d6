#pragma once
// The host library: loads a VST3 bundle and drives its processor and controller as a DAW does.
// Integration tests and the command-line renderer reach the plug-in only through this API.
//
// Threads: Module and Plugin belong to the thread that creates them (the "UI thread"), except
// Plugin::process and the process-set-up calls, which a caller may run on a second ("audio")
// thread while the UI thread calls state or message functions, as hosts do. Messages between the
// plug-in's two sides are delivered only when sent on the UI thread, as the SDK's hosts do.
// Real-time safety: Plugin::process allocates nothing while the block fits the set-up, the
// parameter changes fit ParameterChanges' capacity and the notes fit EventList's capacity.
// Everything else may allocate.
#include "host/HostAllocationScope.h"
#include "host/HostRecords.h"

#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zephra {
namespace host {

// Messages refused by the connections of every plug-in in this process so far (see
// Plugin::refusedMessages); tests fail on any.
int64_t refusedMessagesInProcess() noexcept;

// A loaded bundle: the shared object inside it, its entry points and its class factory.
class Module : public std::enable_shared_from_this<Module> {
public:
    // bundlePath: "<name>.vst3" folder (the library is Contents/x86_64-linux/<name>.so) or the
    // path of a shared object itself. Calls ModuleEntry and GetPluginFactory and reads the
    // factory and class records. Returns null with a readable reason in error on any failure.
    static std::shared_ptr<Module> load(const std::string& bundlePath, std::string& error);
    ~Module();   // releases the factory, calls ModuleExit, unloads the library
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;

    Steinberg::IPluginFactory* factory() const noexcept { return pluginFactory; }
    const FactoryRecord& factoryInfo() const noexcept { return factoryRecord; }
    const std::vector<ClassRecord>& classes() const noexcept { return classRecords; }
    // First class with this category ("Audio Module Class", ...), or null.
    const ClassRecord* findClass(const std::string& category) const noexcept;
    const std::string& libraryPath() const noexcept { return libraryFilePath; }
    // An exported symbol of the library (dlsym), or null.
    void* symbol(const char* name) const noexcept;

private:
    Module() = default;

    void* handle = nullptr;
    bool entered = false;   // ModuleEntry succeeded, so ModuleExit is owed
    Steinberg::IPluginFactory* pluginFactory = nullptr;
    FactoryRecord factoryRecord;
    std::vector<ClassRecord> classRecords;
    std::string libraryFilePath;
};

class HostContext;
class ComponentHandler;
class ConnectionProxy;
class MessageLog;
class ParameterChanges;
class EventList;

// How the buffers of one block are presented to the plug-in.
enum class BusLayout {
    Stereo,                // one stereo input bus and one stereo output bus (the normal case)
    NoBuses,               // numInputs = numOutputs = 0, null bus arrays
    ZeroChannels,          // one input and one output bus with numChannels 0, null channel arrays
    NullChannelPointers,   // stereo buses whose channel pointers are null
    MonoOutput,            // stereo input, a one-channel output bus
};

struct ProcessOptions {
    BusLayout layout = BusLayout::Stereo;
    bool nullParameterChanges = false;   // inputParameterChanges = nullptr instead of a list
    bool nullEvents = false;             // inputEvents = nullptr instead of a list
    bool inPlace = false;                // output channels are the input channels
    int32_t processMode = Steinberg::Vst::kRealtime;
};

// Output (or input) samples of one block, one vector per channel.
struct StereoBuffer {
    std::vector<float> left;
    std::vector<float> right;
};

// One processor with its controller, created, initialised and connected like a DAW does.
class Plugin {
public:
    // Creates the first "Audio Module Class" class of the module and its controller, initialises
    // both with the host context, sets the component handler, connects them through the
    // recording proxies (synchronous delivery) and hands the processor's state to the
    // controller's setComponentState. Null with a reason in error on failure.
    static std::unique_ptr<Plugin> create(Module& module, std::string& error);
    ~Plugin();   // stops processing, deactivates, disconnects, terminates and releases both sides
    Plugin(const Plugin&) = delete;
    Plugin& operator=(const Plugin&) = delete;

    Steinberg::Vst::IComponent* component() const noexcept { return componentInterface; }
    Steinberg::Vst::IAudioProcessor* processor() const noexcept { return processorInterface; }
    Steinberg::Vst::IEditController* controller() const noexcept { return controllerInterface; }
    Steinberg::Vst::IMidiMapping* midiMapping() const noexcept { return midiMappingInterface; }
    Steinberg::FUnknown* hostContext() const noexcept;

    // --- processing set-up ---
    // Stereo in/out bus arrangements, setupProcessing (32-bit), setActive(true),
    // setProcessing(true) (kNotImplemented counts as done). False with a reason on failure.
    bool setup(double sampleRate, int32_t maxBlock, std::string* error = nullptr);
    Steinberg::tresult setActive(bool active);
    Steinberg::tresult setProcessing(bool processing);
    Steinberg::tresult setupProcessing(double sampleRate, int32_t maxBlock,
                                       int32_t processMode = Steinberg::Vst::kRealtime);
    double sampleRate() const noexcept { return setupSampleRate; }
    int32_t maxBlock() const noexcept { return setupMaxBlock; }
    bool active() const noexcept { return isActive; }

    // --- processing (audio thread) ---
    // Input signal for the following blocks: block k reads samples from its start position in
    // these vectors (zeros beyond them). Call it before process, not during.
    void setInputSignal(const std::vector<float>& left, const std::vector<float>& right);
    // Renders one block and returns its output (valid until the next process call). Parameter
    // points are grouped into one queue per ID in the given order; notes keep the given order.
    // Points and notes beyond the lists' capacities (64 IDs of 64 points, 1024 notes) are left
    // out. A negative length or one above 2^20 samples is not passed on: the result is then
    // kInvalidArgument and the output empty.
    const StereoBuffer& process(int32_t numSamples, const std::vector<ParameterChange>& parameterChanges = {},
                                const std::vector<NoteEvent>& notes = {},
                                const Steinberg::Vst::ProcessContext* context = nullptr,
                                const ProcessOptions& options = {});
    // The same block rendered straight into the caller's channels (numSamples each, zeroed
    // first), as a host that hands the plug-in its own mix buffers does: stereo buses, no
    // process context. False, with kInvalidArgument as the result, when the block was not
    // passed on (a length out of range or a null channel).
    bool processInto(int32_t numSamples, const std::vector<ParameterChange>& parameterChanges,
                     const std::vector<NoteEvent>& notes, float* left, float* right);
    Steinberg::tresult lastProcessResult() const noexcept { return lastResult; }
    // Samples handed out so far by process (position of the next block in the input signal).
    int64_t processedSamples() const noexcept { return processedSampleCount; }

    // --- state ---
    std::vector<uint8_t> processorState(Steinberg::tresult* result = nullptr);
    Steinberg::tresult setProcessorState(const std::vector<uint8_t>& bytes);
    std::vector<uint8_t> controllerState(Steinberg::tresult* result = nullptr);
    Steinberg::tresult setControllerState(const std::vector<uint8_t>& bytes);
    Steinberg::tresult setControllerComponentState(const std::vector<uint8_t>& bytes);

    // --- parameters ---
    std::vector<Steinberg::Vst::ParameterInfo> parameterInfos() const;

    // --- what the controller told the host ---
    std::vector<EditRecord> edits() const;
    void clearEdits();

    // --- connection messages ---
    std::vector<MessageRecord> messages() const;
    void clearMessages();
    // While held, messages are recorded and kept instead of delivered; deliverHeldMessages
    // hands them to their receivers later, in send order, and returns how many it delivered.
    void holdMessages(bool hold);
    int deliverHeldMessages();
    // Messages are recorded unless switched off (long renders).
    void recordMessages(bool record);
    // Imitates a host without a message factory: the plug-in's allocateMessage gets null.
    void refuseMessageObjects(bool refuse);
    // Messages the connection refused because they were sent on another thread than the one
    // that created the plug-in and connected its two sides (the UI thread), as hosts built on
    // the SDK refuse them. A correct plug-in never has any.
    int64_t refusedMessages() const;
    // Sends a message without attributes to the processor, as the controller would, through the
    // same connection (recorded; delivered only when sent on the UI thread).
    Steinberg::tresult sendToProcessor(const char* messageId);

private:
    Plugin();
    bool build(Module& module, std::string& error);
    void prepareBuffers(int32_t maxBlock);
    void processBlock(int32_t numSamples, const std::vector<ParameterChange>& parameterChanges,
                      const std::vector<NoteEvent>& notes, const Steinberg::Vst::ProcessContext* context,
                      const ProcessOptions& options, float* outputLeft, float* outputRight);
    void disconnect();

    std::shared_ptr<Module> loadedModule;   // keeps the library loaded while the plug-in lives
    std::unique_ptr<HostContext> hostApplication;
    std::unique_ptr<ComponentHandler> handler;
    std::unique_ptr<MessageLog> messageLog;
    std::unique_ptr<ConnectionProxy> toController;   // the processor's peer
    std::unique_ptr<ConnectionProxy> toProcessor;    // the controller's peer
    std::unique_ptr<ParameterChanges> inputParameterChanges;
    std::unique_ptr<ParameterChanges> outputParameterChanges;   // offered, never read
    std::unique_ptr<EventList> events;

    Steinberg::Vst::IComponent* componentInterface = nullptr;
    Steinberg::Vst::IAudioProcessor* processorInterface = nullptr;
    Steinberg::Vst::IEditController* controllerInterface = nullptr;
    Steinberg::Vst::IMidiMapping* midiMappingInterface = nullptr;
    bool componentIsInitialized = false;
    bool controllerIsInitialized = false;
    bool connected = false;

    double setupSampleRate = 44100.0;
    int32_t setupMaxBlock = 0;
    bool isActive = false;
    bool isProcessing = false;
    Steinberg::tresult lastResult = Steinberg::kResultOk;
    int64_t processedSampleCount = 0;

    StereoBuffer inputSignal;
    StereoBuffer input;               // at least the block's length; only grows
    size_t silentInputSamples = 0;    // leading samples of `input` known to hold silence
    StereoBuffer output;
};

}   // namespace host
}   // namespace zephra
