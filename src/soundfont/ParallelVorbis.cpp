#include "soundfont/ParallelVorbis.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

namespace Steinberg {
namespace Vst {

void decodeVorbisJobs(std::vector<VorbisJob>& jobs, const VorbisStreamReader& read, uint64_t sharedPoints,
                      unsigned threads)
{
    // The library's shared tables are set up before any thread decodes.
    prepareVorbisDecoding();
    VorbisShare share(sharedPoints);
    std::atomic<size_t> next{0};
    std::atomic<bool> stop{false};
    std::mutex readLock;
    std::mutex failureLock;
    std::exception_ptr failure;

    const auto work = [&]() noexcept {
        std::vector<uint8_t> stream;
        while (!stop.load(std::memory_order_relaxed)) {
            const size_t k = next.fetch_add(1);
            if (k >= jobs.size())
                return;
            VorbisJob& job = jobs[k];
            try {
                bool whole = false;
                {
                    std::lock_guard<std::mutex> lock(readLock);
                    whole = read(job.firstByte, job.bytes, stream);
                }
                job.outcome = whole ? decodeVorbis(stream.data(), stream.size(), job.cap, job.points, &job.reached, &share)
                                    : VorbisOutcome::malformed;
            } catch (...) {
                std::lock_guard<std::mutex> lock(failureLock);
                if (!failure)
                    failure = std::current_exception();
                stop = true;
                return;
            }
        }
    };

    std::vector<std::thread> workers;
    // Every worker is joined before this returns, whatever happens on the way.
    struct Joiner {
        std::vector<std::thread>& workers;
        std::atomic<bool>& stop;
        void joinAll() noexcept
        {
            for (std::thread& t : workers)
                if (t.joinable())
                    t.join();
        }
        ~Joiner()
        {
            stop = true;
            joinAll();
        }
    } joiner{workers, stop};
    const size_t wanted = std::min<size_t>(threads, jobs.size());
    workers.reserve(wanted > 0 ? wanted - 1 : 0);
    for (size_t t = 1; t < wanted; ++t) {
        try {
            workers.emplace_back(work);
        } catch (const std::system_error&) {
            break;   // no more threads to be had: the ones running take the rest
        }
    }
    work();
    joiner.joinAll();
    if (failure)
        std::rethrow_exception(failure);
}

unsigned vorbisDecodingThreads() noexcept
{
    return std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
}

} // namespace Vst
} // namespace Steinberg
