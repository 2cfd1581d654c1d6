#pragma once
// Writes the output so that a failure or an interruption never destroys or half-writes a file:
// the audio goes to a temporary file beside the output (".NAME.part-XXXXXX"), which replaces
// the output by a rename only once it is complete. For "-" the finished file is copied to
// standard output instead. The temporary file is created before the render starts, so an
// unwritable folder is reported at once.
//
// Threads: one thread per output. Not real-time safe (file I/O).
#include "OutputFormat.h"

#include <cstdint>
#include <string>

struct sf_private_tag;

namespace zephra {
namespace render {

// Whether this system's writer can write the container (libsndfile's build on Linux, WAV only
// on Windows). False with a reason.
bool canWriteContainer(Container container, std::string& error);

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();   // abandons an output that was not committed
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates the temporary file for path ("-": standard output). False with a reason.
    bool prepare(const std::string& path, std::string& error);
    // Starts the audio file in the temporary file (libsndfile format code, see OutputFormat.h).
    bool begin(int sampleRate, int format, std::string& error);
    // Appends frameCount interleaved stereo frames; PCM output is clipped at full scale.
    bool write(const float* interleaved, int32_t frameCount, std::string& error);
    // Finishes the file and puts it in place. False with a reason (the old output then stays).
    bool commit(std::string& error);
    // Removes the temporary file; the output stays as it was.
    void abandon();

    const std::string& temporaryPath() const { return temporary; }

private:
    std::string outputPath;
    std::string temporary;
    int fd = -1;
    sf_private_tag* file = nullptr;   // libsndfile's SNDFILE
};

}   // namespace render
}   // namespace zephra
