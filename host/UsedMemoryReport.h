#pragma once
// Reads the processor's report of the sound it has taken ("USEDMEM": the sample points it will
// hold, 8 bytes little-endian in the attribute "usedMem") from the messages the host recorded.
// The processor answers a hand-over with it inside the same call, so nothing waits for it.
// Threads: any (reads records only). Not real-time safe.
#include "host/HostRecords.h"

#include <cstdint>
#include <vector>

namespace zephra {
namespace host {

// The points of the last such report among the messages, or false when none came.
bool findUsedMemoryReport(const std::vector<MessageRecord>& messages, uint64_t& points);

}   // namespace host
}   // namespace zephra
