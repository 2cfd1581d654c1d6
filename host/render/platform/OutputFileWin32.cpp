// The output writer on Windows, where libsndfile has no build here: our own RIFF writer, which
// converts samples exactly as the Linux writer's library does (float times 2^31, rounded to
// nearest and clipped at full scale; 16-bit keeps the top two bytes, 24-bit the top three), so
// both platforms write the same samples. As on Linux the audio goes to a temporary file beside
// the output, which replaces the output (MoveFileExW) only once it is complete. Paths are UTF-8,
// opened as UTF-16. WAV only (canWriteContainer below refuses the other containers).
#include "host/render/platform/OutputFile.h"
#include "SoundFileCodes.h"

#include "platform/Text.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

// The header leaves the writer's handle opaque (libsndfile's on Linux); here it is ours.
struct sf_private_tag {
    std::FILE* stream = nullptr;
    zephra::render::SampleFormat format = zephra::render::SampleFormat::Pcm16;
    int sampleRate = 44100;
    bool begun = false;
    int64_t frames = 0;
};

namespace zephra {
namespace render {

using Steinberg::Vst::fromUtf8;

namespace {

std::string systemError(DWORD code)
{
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   code, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    std::wstring message = text != nullptr ? text : L"error " + std::to_wstring(code);
    LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L'.'))
        message.pop_back();
    return Steinberg::Vst::displayText(std::u16string(message.begin(), message.end()));
}

// The system's form of a path that prepare() accepted, so valid UTF-8 that converts.
std::wstring systemPath(const std::string& utf8)
{
    const std::u16string wide = fromUtf8(utf8);
    return std::wstring(wide.begin(), wide.end());
}

// The temporary folder as UTF-8, or ".\\" when the system gives none that UTF-8 can name.
std::string temporaryFolder()
{
    wchar_t folder[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH)
        return ".\\";
    try {
        return Steinberg::Vst::toUtf8(std::u16string(folder, folder + length));
    } catch (const std::range_error&) {
        return ".\\";
    }
}

void put16(unsigned char* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
void put32(unsigned char* p, uint32_t v)
{
    put16(p, v);
    put16(p + 2, v >> 16);
}

// Full-scale 32-bit value: float times 2^31, rounded to nearest, clipped.
int32_t toPcm32(float sample)
{
    const float scaled = sample * (8.0f * float(0x10000000));
    if (scaled >= float(0x7FFFFFFF))
        return 0x7FFFFFFF;
    if (scaled <= -8.0f * float(0x10000000))
        return INT32_MIN;
    return int32_t(std::lrintf(scaled));
}

int bytesPerSample(SampleFormat format)
{
    return format == SampleFormat::Pcm16 ? 2 : format == SampleFormat::Pcm24 ? 3 : 4;
}

// RIFF header for `frames` frames. PCM: the plain 16-byte "fmt " chunk. Float: the extensible
// "fmt " chunk (IEEE float sub-format, front left and right), a "fact" chunk and a 24-byte
// "PAD " chunk, the layout the Linux writer gives float files, so both write the same bytes.
std::vector<unsigned char> header(SampleFormat format, int sampleRate, int64_t frames)
{
    const bool isFloat = format == SampleFormat::Float32;
    const uint32_t block = uint32_t(2 * bytesPerSample(format));
    const uint32_t dataBytes = uint32_t(frames * block);
    std::vector<unsigned char> h(isFloat ? 112 : 44, 0);
    unsigned char* p = h.data();
    std::memcpy(p, "RIFF", 4);
    put32(p + 4, uint32_t(h.size() - 8) + dataBytes);
    std::memcpy(p + 8, "WAVEfmt ", 8);
    put32(p + 16, isFloat ? 40 : 16);
    put16(p + 20, isFloat ? 0xFFFE : 1);
    put16(p + 22, 2);
    put32(p + 24, uint32_t(sampleRate));
    put32(p + 28, uint32_t(sampleRate) * block);
    put16(p + 32, block);
    put16(p + 34, uint32_t(8 * bytesPerSample(format)));
    unsigned char* next = p + 36;
    if (isFloat) {
        static const unsigned char kFloatSubFormat[16] = {0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                                          0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
        put16(next, 22);        // extension size
        put16(next + 2, 32);    // valid bits
        put32(next + 4, 0x3);   // front left, front right
        std::memcpy(next + 8, kFloatSubFormat, 16);
        std::memcpy(next + 24, "fact", 4);
        put32(next + 28, 4);
        put32(next + 32, uint32_t(frames));
        std::memcpy(next + 36, "PAD ", 4);
        put32(next + 40, 24);
        next += 68;
    }
    std::memcpy(next, "data", 4);
    put32(next + 4, dataBytes);
    return h;
}

bool writeHeader(sf_private_tag& file)
{
    const std::vector<unsigned char> bytes = header(file.format, file.sampleRate, file.frames);
    return std::fseek(file.stream, 0, SEEK_SET) == 0 &&
           std::fwrite(bytes.data(), 1, bytes.size(), file.stream) == bytes.size() &&
           std::fseek(file.stream, 0, SEEK_END) == 0;
}

// Copies the whole finished file to standard output.
bool copyToStandardOutput(std::FILE* stream, std::string& error)
{
    if (std::fflush(stdout) != 0 || std::fseek(stream, 0, SEEK_SET) != 0) {
        error = "cannot read the finished file back";
        return false;
    }
    _setmode(_fileno(stdout), _O_BINARY);
    char buffer[1 << 16];
    for (;;) {
        const size_t got = std::fread(buffer, 1, sizeof buffer, stream);
        if (got == 0)
            break;
        if (std::fwrite(buffer, 1, got, stdout) != got) {
            error = "writing to standard output failed";
            return false;
        }
    }
    if (std::ferror(stream) || std::fflush(stdout) != 0) {
        error = "writing to standard output failed";
        return false;
    }
    return true;
}

}   // namespace

bool canWriteContainer(Container container, std::string& error)
{
    if (container == Container::Wav)
        return true;
    const char* name = container == Container::Flac  ? "FLAC"
                       : container == Container::Ogg ? "Ogg Vorbis"
                       : container == Container::Mp3 ? "MP3"
                                                     : "AIFF";
    error = std::string("this Windows build writes WAV files only, not ") + name + ": name the output .wav";
    return false;
}

OutputFile::~OutputFile()
{
    abandon();
}

bool OutputFile::prepare(const std::string& path, std::string& error)
{
    abandon();
    outputPath = path;
    if (!Steinberg::Vst::isValidUtf8(path)) {
        error = "cannot write \"" + path + "\": the name is not valid UTF-8";
        return false;
    }
    std::string base;
    if (path == "-") {
        base = temporaryFolder() + "zephra-render-out-";
    } else {
        const size_t slash = path.find_last_of("/\\");
        const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
        const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
        base = folder + "." + name + ".part-";
    }
    // A new name of our own beside the output: CREATE_NEW fails rather than take over a file.
    HANDLE handle = INVALID_HANDLE_VALUE;
    DWORD failure = 0;
    unsigned seed = GetCurrentProcessId() * 2654435761u ^ GetTickCount();
    for (int attempt = 0; attempt < 100 && handle == INVALID_HANDLE_VALUE; ++attempt) {
        seed = seed * 1664525u + 1013904223u;
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%06X", seed >> 8);
        temporary = base + suffix;
        handle = CreateFileW(systemPath(temporary).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        failure = handle == INVALID_HANDLE_VALUE ? GetLastError() : 0;
        if (failure != 0 && failure != ERROR_FILE_EXISTS && failure != ERROR_ALREADY_EXISTS)
            break;
    }
    if (handle == INVALID_HANDLE_VALUE) {
        error = "cannot write \"" + path + "\": " + systemError(failure);
        temporary.clear();
        return false;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY);
    std::FILE* stream = fd >= 0 ? _fdopen(fd, "w+b") : nullptr;
    if (stream == nullptr) {
        if (fd >= 0)
            _close(fd);
        else
            CloseHandle(handle);
        error = "cannot write \"" + path + "\": the temporary file cannot be used";
        DeleteFileW(systemPath(temporary).c_str());
        temporary.clear();
        return false;
    }
    file = new sf_private_tag;
    file->stream = stream;
    return true;
}

bool OutputFile::begin(int sampleRate, int format, std::string& error)
{
    if (file == nullptr || file->begun) {
        error = "no output file is prepared";
        return false;
    }
    const int container = format & soundfilecodes::kContainerMask;
    const int sample = format & soundfilecodes::kSampleMask;
    if (container == soundfilecodes::kRf64) {
        error = "cannot write \"" + outputPath + "\": the Windows build writes WAV files up to 4 GiB only";
        return false;
    }
    if ((container != soundfilecodes::kWav && container != soundfilecodes::kWavExtensible) ||
        (sample != soundfilecodes::kPcm16 && sample != soundfilecodes::kPcm24 && sample != soundfilecodes::kFloat)) {
        error = "cannot write \"" + outputPath + "\": the Windows build writes WAV files only";
        return false;
    }
    file->format = sample == soundfilecodes::kPcm16   ? SampleFormat::Pcm16
                   : sample == soundfilecodes::kPcm24 ? SampleFormat::Pcm24
                                                      : SampleFormat::Float32;
    file->sampleRate = sampleRate;
    file->frames = 0;
    // The sizes are filled in by commit(); until then the header says zero frames.
    if (!writeHeader(*file)) {
        error = "writing \"" + outputPath + "\" failed";
        return false;
    }
    file->begun = true;
    return true;
}

bool OutputFile::write(const float* interleaved, int32_t frameCount, std::string& error)
{
    if (file == nullptr || !file->begun) {
        error = "no output file is open";
        return false;
    }
    const SampleFormat format = file->format;
    const int bytes = bytesPerSample(format);
    unsigned char buffer[2 * 4 * 1024];
    const int32_t chunkFrames = 1024;
    for (int32_t done = 0; done < frameCount;) {
        const int32_t count = std::min(chunkFrames, frameCount - done);
        unsigned char* p = buffer;
        for (int32_t i = 0; i < 2 * count; ++i) {
            const float sample = interleaved[2 * done + i];
            if (format == SampleFormat::Pcm16) {
                put16(p, uint16_t(uint32_t(toPcm32(sample)) >> 16));
            } else if (format == SampleFormat::Pcm24) {
                const uint32_t value = uint32_t(toPcm32(sample));
                p[0] = uint8_t(value >> 8);
                p[1] = uint8_t(value >> 16);
                p[2] = uint8_t(value >> 24);
            } else {
                uint32_t bits;
                std::memcpy(&bits, &sample, 4);
                put32(p, bits);
            }
            p += bytes;
        }
        const size_t size = size_t(p - buffer);
        if (std::fwrite(buffer, 1, size, file->stream) != size) {
            error = "writing \"" + outputPath + "\" failed: " + std::strerror(errno);
            return false;
        }
        done += count;
        file->frames += count;
    }
    return true;
}

bool OutputFile::commit(std::string& error)
{
    if (file == nullptr || !file->begun) {
        error = "no output file is open";
        return false;
    }
    if (!writeHeader(*file) || std::fflush(file->stream) != 0 ||
        !FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file->stream))))) {
        error = "finishing \"" + outputPath + "\" failed";
        abandon();
        return false;
    }
    if (outputPath == "-") {
        const bool copied = copyToStandardOutput(file->stream, error);
        abandon();
        return copied;
    }
    std::fclose(file->stream);
    delete file;
    file = nullptr;
    if (!MoveFileExW(systemPath(temporary).c_str(), systemPath(outputPath).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = "cannot put the finished file in place as \"" + outputPath + "\": " + systemError(GetLastError());
        abandon();
        return false;
    }
    temporary.clear();
    return true;
}

void OutputFile::abandon()
{
    if (file != nullptr) {
        std::fclose(file->stream);
        delete file;
        file = nullptr;
    }
    if (!temporary.empty()) {
        DeleteFileW(systemPath(temporary).c_str());
        temporary.clear();
    }
}

}   // namespace render
}   // namespace zephra
