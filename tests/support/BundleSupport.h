#pragma once
// Helpers for the integration tests that drive instances of the built bundle by hand: loading
// it (BundleFixture), state streams (StateBytes), files (TempFile), the messages of one ID,
// playing a note and measuring what comes out (SignalAnalysis).
// Threads: the test's thread. Not real-time safe.
#include "host/PluginHost.h"
#include "support/BundleFixture.h"
#include "support/SignalAnalysis.h"
#include "support/StateBytes.h"
#include "support/TempFile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zephra {
namespace test {

inline std::vector<host::MessageRecord> messagesWithId(const host::Plugin& plugin, const std::string& id)
{
    std::vector<host::MessageRecord> found;
    for (const host::MessageRecord& record : plugin.messages())
        if (record.id == id) found.push_back(record);
    return found;
}

// Plays pitch from the first sample on and returns blocks x blockSize samples of the left
// channel. The plug-in must be set up.
inline std::vector<float> renderNote(host::Plugin& plugin, int16_t pitch, int blocks, int32_t blockSize = 512)
{
    std::vector<float> left;
    for (int b = 0; b < blocks; ++b) {
        std::vector<host::NoteEvent> notes;
        if (b == 0) notes.push_back(host::NoteEvent::on(0, pitch, 1.0f));
        const host::StereoBuffer& out = plugin.process(blockSize, {}, notes);
        left.insert(left.end(), out.left.begin(), out.left.end());
    }
    return left;
}

inline void releaseAndSettle(host::Plugin& plugin, int16_t pitch, int blocks = 40, int32_t blockSize = 512)
{
    for (int b = 0; b < blocks; ++b) {
        std::vector<host::NoteEvent> notes;
        if (b == 0) notes.push_back(host::NoteEvent::off(0, pitch));
        plugin.process(blockSize, {}, notes);
    }
}

} // namespace test
} // namespace zephra
