#include "host/render/platform/OutputFile.h"
#include "SoundFileCodes.h"

#include <sndfile.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zephra {
namespace render {

namespace {

bool toStandardOutput(const std::string& path)
{
    return path == "-";
}

// Copies the whole file behind fd to standard output.
bool copyToStandardOutput(int fd, std::string& error)
{
    if (::lseek(fd, 0, SEEK_SET) != 0) {
        error = std::string("cannot read the finished file back: ") + std::strerror(errno);
        return false;
    }
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0)
            return true;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            error = std::string("cannot read the finished file back: ") + std::strerror(errno);
            return false;
        }
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::write(STDOUT_FILENO, buffer + done, static_cast<size_t>(got - done));
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0) {
                error = std::string("writing to standard output failed: ") + std::strerror(errno);
                return false;
            }
            done += put;
        }
    }
}

// libsndfile words a failed write "System error : No space left on device."; the reason alone
// reads as the renderer's other messages do.
std::string soundFileReason(const char* text)
{
    std::string reason = text != nullptr ? text : "unknown error";
    const std::string prefix = "System error : ";
    if (reason.rfind(prefix, 0) == 0)
        reason.erase(0, prefix.size());
    if (!reason.empty() && reason.back() == '.')
        reason.pop_back();
    return reason;
}

}   // namespace

static_assert(soundfilecodes::kWav == SF_FORMAT_WAV && soundfilecodes::kAiff == SF_FORMAT_AIFF &&
                  soundfilecodes::kWavExtensible == SF_FORMAT_WAVEX && soundfilecodes::kFlac == SF_FORMAT_FLAC &&
                  soundfilecodes::kOgg == SF_FORMAT_OGG && soundfilecodes::kRf64 == SF_FORMAT_RF64 &&
                  soundfilecodes::kMpeg == SF_FORMAT_MPEG && soundfilecodes::kPcm16 == SF_FORMAT_PCM_16 &&
                  soundfilecodes::kPcm24 == SF_FORMAT_PCM_24 && soundfilecodes::kFloat == SF_FORMAT_FLOAT &&
                  soundfilecodes::kVorbis == SF_FORMAT_VORBIS &&
                  soundfilecodes::kMpegLayer3 == SF_FORMAT_MPEG_LAYER_III,
              "the renderer's format codes are libsndfile's");

bool canWriteContainer(Container container, std::string& error)
{
    SF_INFO probe = {};
    probe.samplerate = 44100;
    probe.channels = 2;
    probe.format = libsndfileFormat(container, SampleFormat::Pcm16, 0);
    if (!sf_format_check(&probe)) {
        error = std::string("this system's libsndfile cannot write ") + describeFormat(container, SampleFormat::Pcm16);
        return false;
    }
    return true;
}

OutputFile::~OutputFile()
{
    abandon();
}

bool OutputFile::prepare(const std::string& path, std::string& error)
{
    abandon();
    outputPath = path;
    if (toStandardOutput(path)) {
        const char* folder = std::getenv("TMPDIR");
        temporary = std::string(folder != nullptr && *folder != '\0' ? folder : "/tmp") + "/zephra-render-out-XXXXXX";
    } else {
        const size_t slash = path.find_last_of('/');
        const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
        const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
        temporary = folder + "." + name + ".part-XXXXXX";
    }
    fd = ::mkstemp(&temporary[0]);
    if (fd < 0) {
        error = "cannot write \"" + path + "\": " + std::strerror(errno);
        temporary.clear();
        return false;
    }
    if (toStandardOutput(path)) {
        // Only this descriptor needs the file: without a name, nothing is left behind however
        // the process ends (a closed pipe, a second Ctrl-C).
        ::unlink(temporary.c_str());
        temporary.clear();
        return true;
    }
    // mkstemp makes the file private; the output gets the permissions a new file would get.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    return true;
}

bool OutputFile::begin(int sampleRate, int format, std::string& error)
{
    if (fd < 0 || file != nullptr) {
        error = "no output file is prepared";
        return false;
    }
    SF_INFO info = {};
    info.samplerate = sampleRate;
    info.channels = 2;
    info.format = format;
    file = sf_open_fd(fd, SFM_WRITE, &info, SF_FALSE);
    if (file == nullptr) {
        error = "cannot write \"" + outputPath + "\": " + soundFileReason(sf_strerror(nullptr));
        return false;
    }
    // Without this, libsndfile wraps samples beyond full scale around to the other sign.
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    // The PEAK chunk of float files carries a time stamp; without it equal audio gives equal files.
    sf_command(file, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
    return true;
}

bool OutputFile::write(const float* interleaved, int32_t frameCount, std::string& error)
{
    if (file == nullptr) {
        error = "no output file is open";
        return false;
    }
    if (sf_writef_float(file, interleaved, frameCount) != frameCount) {
        error = "writing \"" + outputPath + "\" failed: " + soundFileReason(sf_strerror(file));
        return false;
    }
    return true;
}

bool OutputFile::commit(std::string& error)
{
    if (file == nullptr) {
        error = "no output file is open";
        return false;
    }
    const int closed = sf_close(file);
    file = nullptr;
    if (closed != 0) {
        error = "finishing \"" + outputPath + "\" failed: " + soundFileReason(sf_error_number(closed));
        abandon();
        return false;
    }
    if (::fsync(fd) != 0) {
        error = "finishing \"" + outputPath + "\" failed: " + std::strerror(errno);
        abandon();
        return false;
    }
    if (toStandardOutput(outputPath)) {
        const bool copied = copyToStandardOutput(fd, error);
        abandon();
        return copied;
    }
    ::close(fd);
    fd = -1;
    if (::rename(temporary.c_str(), outputPath.c_str()) != 0) {
        error = "cannot put the finished file in place as \"" + outputPath + "\": " + std::strerror(errno);
        abandon();
        return false;
    }
    temporary.clear();
    return true;
}

void OutputFile::abandon()
{
    if (file != nullptr) {
        sf_close(file);
        file = nullptr;
    }
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
    if (!temporary.empty()) {
        ::unlink(temporary.c_str());
        temporary.clear();
    }
}

}   // namespace render
}   // namespace zephra
