#pragma once
// Helpers for the controller's integration tests: load the built bundle through the host
// library, build controller state streams, render notes and measure what comes out.
// Threads: the test's thread. Not real-time safe.
#include "host/PluginHost.h"
#include "support/StateBytes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace zephra {
namespace test {

inline std::shared_ptr<host::Module> loadBundle()
{
    std::string error;
    auto module = host::Module::load(ZEPHRA_BUNDLE_PATH, error);
    EXPECT_TRUE(module) << error;
    return module;
}

inline std::unique_ptr<host::Plugin> createPlugin(host::Module& module)
{
    std::string error;
    auto plugin = host::Plugin::create(module, error);
    EXPECT_TRUE(plugin) << error;
    return plugin;
}

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

inline double peak(const std::vector<float>& samples, size_t from = 0)
{
    double most = 0.0;
    for (size_t i = from; i < samples.size(); ++i) most = std::max(most, std::fabs(double(samples[i])));
    return most;
}

// Frequency from the upward zero crossings (linearly interpolated) after sample from.
inline double estimateFrequency(const std::vector<float>& samples, double sampleRate, size_t from)
{
    double first = -1.0;
    double last = -1.0;
    int crossings = 0;
    for (size_t i = std::max<size_t>(from, 1); i < samples.size(); ++i) {
        if (samples[i - 1] < 0.0f && samples[i] >= 0.0f) {
            const double at = double(i - 1) + samples[i - 1] / (double(samples[i - 1]) - samples[i]);
            if (first < 0.0) first = at;
            last = at;
            ++crossings;
        }
    }
    if (crossings < 2) return 0.0;
    return (crossings - 1) * sampleRate / (last - first);
}

// A file written into a fresh temporary folder, removed with the object.
class BundleTempFile {
public:
    BundleTempFile(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        char pattern[] = "/tmp/zephra-controller-it-XXXXXX";
        folder = mkdtemp(pattern) ? pattern : "/tmp";
        path = folder + "/" + name;
        if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
            std::fwrite(bytes.data(), 1, bytes.size(), file);
            std::fclose(file);
        }
    }
    ~BundleTempFile()
    {
        std::remove(path.c_str());
        rmdir(folder.c_str());
    }
    std::string folder;
    std::string path;
};

} // namespace test
} // namespace zephra
