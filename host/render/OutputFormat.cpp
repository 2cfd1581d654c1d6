// The output format from the command line and the file name, the same on every system; what
// the system's writer can write is asked of OutputFile.
#include "OutputFormat.h"

#include "host/render/platform/OutputFile.h"
#include "SoundFileCodes.h"

#include <algorithm>
#include <cctype>

namespace zephra {
namespace render {

namespace {

int bytesPerSample(SampleFormat format)
{
    return format == SampleFormat::Pcm16 ? 2 : format == SampleFormat::Pcm24 ? 3 : 4;
}

int sampleType(SampleFormat format)
{
    using namespace soundfilecodes;
    return format == SampleFormat::Pcm16 ? kPcm16 : format == SampleFormat::Pcm24 ? kPcm24 : kFloat;
}

// Room left for the header chunks under the 4 GiB a RIFF size field can state.
constexpr uint64_t kRiffDataLimit = 0xFFFFFFFFull - 4096;

}   // namespace

bool parseSampleFormat(const std::string& text, SampleFormat& format)
{
    if (text == "16")
        format = SampleFormat::Pcm16;
    else if (text == "24")
        format = SampleFormat::Pcm24;
    else if (text == "float" || text == "32f" || text == "f32")
        format = SampleFormat::Float32;
    else
        return false;
    return true;
}

bool containerForPath(const std::string& path, Container& container, std::string& error)
{
    if (path == "-") {
        container = Container::Wav;
        return true;
    }
    const size_t slash =
        path.find_last_of("/\\");   // either separator: the extension is what follows the last dot of the name
    const size_t dot = path.find_last_of('.');
    std::string extension =
        dot == std::string::npos || (slash != std::string::npos && dot < slash) ? std::string() : path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == "wav" || extension == "wave")
        container = Container::Wav;
    else if (extension == "flac")
        container = Container::Flac;
    else if (extension == "ogg" || extension == "oga")
        container = Container::Ogg;
    else if (extension == "mp3")
        container = Container::Mp3;
    else if (extension == "aif" || extension == "aiff")
        container = Container::Aiff;
    else {
        error = "cannot tell the audio format of \"" + path +
                "\" from its extension: name it .wav, .flac, .ogg, .mp3 or .aiff";
        return false;
    }
    return canWriteContainer(container, error);
}

bool containerHasSampleType(Container container)
{
    return container != Container::Ogg && container != Container::Mp3;
}

bool checkSampleFormat(Container container, SampleFormat format, std::string& error)
{
    if (container == Container::Flac && format == SampleFormat::Float32) {
        error = "FLAC holds 16 or 24-bit samples, not float: choose --format 16 or 24, or a .wav name";
        return false;
    }
    return true;
}

int libsndfileFormat(Container container, SampleFormat format, int64_t frames)
{
    using namespace soundfilecodes;
    switch (container) {
    case Container::Flac:
        return kFlac | sampleType(format);
    case Container::Ogg:
        return kOgg | kVorbis;
    case Container::Mp3:
        return kMpeg | kMpegLayer3;
    case Container::Aiff:
        return kAiff | sampleType(format);
    case Container::Wav:
        break;
    }
    const uint64_t dataBytes = static_cast<uint64_t>(std::max<int64_t>(frames, 0)) * 2u * bytesPerSample(format);
    if (dataBytes > kRiffDataLimit)
        return kRf64 | sampleType(format);
    return (format == SampleFormat::Float32 ? kWavExtensible : kWav) | sampleType(format);
}

const char* describeFormat(Container container, SampleFormat format)
{
    switch (container) {
    case Container::Flac:
        return format == SampleFormat::Pcm16 ? "FLAC, 16-bit" : "FLAC, 24-bit";
    case Container::Ogg:
        return "Ogg Vorbis";
    case Container::Mp3:
        return "MP3";
    case Container::Aiff:
        return format == SampleFormat::Pcm16   ? "AIFF, 16-bit"
               : format == SampleFormat::Pcm24 ? "AIFF, 24-bit"
                                               : "AIFF, 32-bit float";
    case Container::Wav:
        break;
    }
    return format == SampleFormat::Pcm16   ? "WAV, 16-bit"
           : format == SampleFormat::Pcm24 ? "WAV, 24-bit"
                                           : "WAV, 32-bit float";
}

}   // namespace render
}   // namespace zephra
