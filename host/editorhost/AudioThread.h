// The editor host's audio thread, as a DAW runs one: it plays the plug-in in real time, one
// 512-sample block after another paced by the clock, with the notes the UI thread queues, while
// the UI thread runs the editor, its timer and the messages between processor and controller.
// A played chord is captured; when its capture is complete the thread writes a byte to a pipe
// that the UI thread's run loop watches.
// Threads: every member function on the UI thread; the processing on the thread of its own.
// Not real-time safe on the UI side (locks, allocates); the audio side takes a short lock
// shared only with the UI thread's note queue, which is the host's cost, not the plug-in's.
#pragma once

#include "host/PluginHost.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zephra::editorhost {

class AudioThread {
public:
    static constexpr int32_t kBlock = 512;
    static constexpr int kPlayedBlocks = 44;   // a played chord: half a second at 44.1 kHz

    explicit AudioThread(host::Plugin& plugin);
    ~AudioThread();   // stops and joins the thread
    AudioThread(const AudioThread&) = delete;
    AudioThread& operator=(const AudioThread&) = delete;

    // The plug-in must be set up for kBlock at 44.1 kHz. False with a reason on failure.
    bool start(std::string& error);
    // Readable once a played chord's capture is complete (see takePlayed).
    int capturedDescriptor() const { return wakeRead; }

    // Strikes keys now and releases them kPlayedBlocks - 1 blocks later, capturing the left
    // channel of those blocks; false while an earlier capture runs.
    bool play(const std::vector<int16_t>& keys);
    // The captured chord, once complete; false before.
    bool takePlayed(std::vector<float>& left);
    // Strikes keys and holds them until release().
    void hold(const std::vector<int16_t>& keys);
    void release();

private:
    void run();
    void queue(const std::vector<int16_t>& keys, bool on);

    host::Plugin& plugin;
    std::thread thread;
    std::atomic<bool> stopping{false};
    int wakeRead = -1, wakeWrite = -1;

    std::mutex mutex;                      // guards everything below
    std::vector<host::NoteEvent> queued;   // for the next block
    std::vector<int16_t> held;             // struck by hold(), not yet released
    std::vector<int16_t> playing;          // the played chord, released after its blocks
    int captureBlocksLeft = 0;
    bool captureDone = false;
    std::vector<float> captured;
};

}   // namespace zephra::editorhost
