#pragma once
// The format codes OutputFormat hands to OutputFile: libsndfile's values for the formats the
// renderer writes, kept here so that the format choice is the same code on every system (the
// Windows build has no libsndfile and writes WAV with its own writer, which reads the same codes).
// OutputFile.cpp checks them against libsndfile's header.
// Threads: any (constants). Real-time safe.

namespace zephra {
namespace render {
namespace soundfilecodes {

constexpr int kWav = 0x010000;
constexpr int kAiff = 0x020000;
constexpr int kWavExtensible = 0x130000;
constexpr int kFlac = 0x170000;
constexpr int kOgg = 0x200000;
constexpr int kRf64 = 0x220000;
constexpr int kMpeg = 0x230000;
constexpr int kContainerMask = 0x0FFF0000;

constexpr int kPcm16 = 0x0002;
constexpr int kPcm24 = 0x0003;
constexpr int kFloat = 0x0006;
constexpr int kVorbis = 0x0060;
constexpr int kMpegLayer3 = 0x0082;
constexpr int kSampleMask = 0x0000FFFF;

}   // namespace soundfilecodes
}   // namespace render
}   // namespace zephra
