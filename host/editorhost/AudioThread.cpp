#include "AudioThread.h"

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace zephra::editorhost {

AudioThread::AudioThread(host::Plugin& plugin) : plugin(plugin) {}

AudioThread::~AudioThread()
{
    stopping = true;
    if (thread.joinable())
        thread.join();
    for (int fd : {wakeRead, wakeWrite})
        if (fd >= 0)
            close(fd);
}

bool AudioThread::start(std::string& error)
{
    int fds[2];
    if (pipe(fds) != 0) {
        error = "no pipe for the audio thread";
        return false;
    }
    wakeRead = fds[0];
    wakeWrite = fds[1];
    fcntl(wakeRead, F_SETFL, O_NONBLOCK);
    try {
        thread = std::thread(&AudioThread::run, this);
    } catch (const std::system_error&) {
        error = "the system gave no audio thread";
        return false;
    }
    return true;
}

void AudioThread::queue(const std::vector<int16_t>& keys, bool on)
{
    for (int16_t key : keys)
        queued.push_back(on ? host::NoteEvent::on(0, key) : host::NoteEvent::off(0, key));
}

bool AudioThread::play(const std::vector<int16_t>& keys)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (captureBlocksLeft > 0 || captureDone)
        return false;
    queue(keys, true);
    playing = keys;
    captured.clear();
    captureBlocksLeft = kPlayedBlocks;
    return true;
}

bool AudioThread::takePlayed(std::vector<float>& left)
{
    char byte;
    while (read(wakeRead, &byte, 1) == 1) {
    }
    std::lock_guard<std::mutex> lock(mutex);
    if (!captureDone)
        return false;
    left.swap(captured);
    captured.clear();
    captureDone = false;
    return true;
}

void AudioThread::hold(const std::vector<int16_t>& keys)
{
    std::lock_guard<std::mutex> lock(mutex);
    queue(keys, true);
    held.insert(held.end(), keys.begin(), keys.end());
}

void AudioThread::release()
{
    std::lock_guard<std::mutex> lock(mutex);
    queue(held, false);
    held.clear();
}

void AudioThread::run()
{
    const auto blockTime = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(double(kBlock) / 44100.0));
    std::vector<host::NoteEvent> notes;
    auto next = std::chrono::steady_clock::now();
    while (!stopping) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            notes.swap(queued);
            queued.clear();
        }
        const host::StereoBuffer& out = plugin.process(kBlock, {}, notes);
        notes.clear();
        bool completed = false;
        {
            std::lock_guard<std::mutex> lock(mutex);
            if (captureBlocksLeft > 0) {
                captured.insert(captured.end(), out.left.begin(), out.left.end());
                if (--captureBlocksLeft == 1)   // the chord ends at the start of the last block
                    queue(playing, false), playing.clear();
                completed = captureBlocksLeft == 0;
                captureDone = completed;
            }
        }
        if (completed) {
            const char byte = 1;
            if (write(wakeWrite, &byte, 1) != 1)
                break;
        }
        next += blockTime;
        const auto now = std::chrono::steady_clock::now();
        if (now > next + std::chrono::milliseconds(100))
            next = now;   // far behind (a stalled machine): go on from now rather than rush
        std::this_thread::sleep_until(next);
    }
}

}   // namespace zephra::editorhost
