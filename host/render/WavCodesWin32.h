#pragma once
// The format codes OutputFormat hands to OutputFile, on Windows: the values libsndfile gives
// the same formats on Linux (its header is not there for the Windows build), so a code means
// the same on both systems. Only WAV is written on Windows.
// Threads: any (constants). Real-time safe.

namespace zephra {
namespace render {
namespace wavcodes {

constexpr int kWav = 0x010000;
constexpr int kWavExtensible = 0x130000;
constexpr int kRf64 = 0x220000;
constexpr int kContainerMask = 0x0FFF0000;
constexpr int kPcm16 = 0x0002;
constexpr int kPcm24 = 0x0003;
constexpr int kFloat = 0x0006;
constexpr int kSampleMask = 0x0000FFFF;

} // namespace wavcodes
} // namespace render
} // namespace zephra
