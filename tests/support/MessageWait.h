#pragma once
// Reports come from the processor's sender thread up to 100 ms late: waits until `atLeast`
// recorded messages carry `id` (or `limitMs` passed) and returns how many do.
#include <chrono>
#include <string>
#include <thread>

template <typename PluginT>
int waitForMessages(const PluginT& plugin, const std::string& id, int atLeast, int limitMs = 3000)
{
    for (int waited = 0;; waited += 10, std::this_thread::sleep_for(std::chrono::milliseconds(10))) {
        int found = 0;
        for (const auto& record : plugin.messages())
            found += record.id == id;
        if (found >= atLeast || waited >= limitMs)
            return found;
    }
}
