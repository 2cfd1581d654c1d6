#include "host/UsedMemoryReport.h"

namespace zephra {
namespace host {

bool findUsedMemoryReport(const std::vector<MessageRecord>& messages, uint64_t& points)
{
    bool found = false;
    for (const MessageRecord& message : messages) {
        if (message.direction != MessageDirection::ToController || message.id != "USEDMEM")
            continue;
        const auto it = message.binaries.find("usedMem");
        if (it == message.binaries.end() || it->second.size() < 8)
            continue;
        uint64_t value = 0;
        for (int i = 7; i >= 0; --i)
            value = (value << 8) | it->second[static_cast<size_t>(i)];
        points = value;
        found = true;
    }
    return found;
}

}   // namespace host
}   // namespace zephra
