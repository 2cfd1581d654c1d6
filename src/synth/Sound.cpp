#include "synth/Sound.h"

#include <algorithm>
#include <utility>

namespace Steinberg {
namespace Vst {

std::unique_ptr<Sound> Sound::make(SFSynthList& list, double rate)
{
    auto sound = std::make_unique<Sound>();
    sound->records.swap(list);
    SFSynthList().swap(list);
    sound->players.reserve(sound->records.size());
    sound->loopPeaks.reserve(sound->records.size());
    // Records share buffers: each buffer the sound holds is counted once.
    std::vector<std::pair<const float*, size_t>> buffers;
    buffers.reserve(sound->records.size());
    for (const SFSynth& record : sound->records) {
        sound->loopPeaks.push_back(SamplePlayer::loopPeakOf(record));
        sound->players.push_back(SamplePlayer::forRecord(record, rate));
        sound->players.back().loopPeak = std::min(sound->players.back().loopPeak, sound->loopPeaks.back());
        if (!record.samples.empty())
            buffers.emplace_back(record.samples.data(), record.samples.size());
        // The host's tail: a release longer than two minutes (or not a number) counts as two.
        if (record.volEnvRelease > sound->longestRelease)
            sound->longestRelease = std::min(record.volEnvRelease, 120.0f);
    }
    std::sort(buffers.begin(), buffers.end());
    buffers.erase(std::unique(buffers.begin(), buffers.end()), buffers.end());
    for (const auto& buffer : buffers)
        sound->pointCount += int64_t(buffer.second);
    sound->madeForRate = rate;
    return sound;
}

void Sound::retune(double rate) noexcept
{
    for (size_t i = 0; i < records.size(); ++i) {
        players[i] = SamplePlayer::forRecord(records[i], rate);
        players[i].loopPeak = std::min(players[i].loopPeak, loopPeaks[i]);   // the silent player's stays 0
    }
    madeForRate = rate;
}

} // namespace Vst
} // namespace Steinberg
