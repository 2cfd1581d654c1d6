#pragma once
// The audio file format of the output: the container from the file name's extension (WAV when
// writing to standard output), the sample type from --format, and the libsndfile format code,
// which is RF64 for WAV data beyond the 4 GiB a RIFF header can state and the extensible WAV
// header for float samples.
//
// Threads: any (no shared state). Real-time safe except for the error texts.
#include <cstdint>
#include <string>

namespace zephra {
namespace render {

enum class SampleFormat { Pcm16, Pcm24, Float32 };
enum class Container { Wav, Flac, Ogg, Mp3, Aiff };

// "16", "24" or "float"; false for anything else.
bool parseSampleFormat(const std::string& text, SampleFormat& format);

// The container a path asks for by its extension; "-" (standard output) is WAV. False with a
// reason for an extension the renderer does not write.
bool containerForPath(const std::string& path, Container& container, std::string& error);

// Whether the container stores the sample type at all (the lossy ones encode whatever comes).
bool containerHasSampleType(Container container);

// False with a reason for a combination the container cannot hold (FLAC has no float samples).
bool checkSampleFormat(Container container, SampleFormat format, std::string& error);

// The libsndfile format code for frames stereo frames.
int libsndfileFormat(Container container, SampleFormat format, int64_t frames);

const char* describeFormat(Container container, SampleFormat format);

}   // namespace render
}   // namespace zephra
