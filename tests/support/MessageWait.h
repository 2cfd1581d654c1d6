#pragma once
// The processor's reports leave from its report sender thread, up to 100 ms after the block
// that published them: integration tests wait for them instead of expecting them at once.
#include <chrono>
#include <string>
#include <thread>

namespace zephra::test {

// Number of recorded messages with `id` once at least `atLeast` of them are there, or when
// `limit` has passed.
template <typename PluginT>
int waitForMessages(const PluginT& plugin, const std::string& id, int atLeast,
                    std::chrono::milliseconds limit = std::chrono::milliseconds(3000))
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (true) {
        int found = 0;
        for (const auto& record : plugin.messages())
            found += record.id == id;
        if (found >= atLeast || std::chrono::steady_clock::now() >= end)
            return found;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

} // namespace zephra::test
