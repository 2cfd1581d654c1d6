#include "synth/Sound.h"

#include <algorithm>

namespace Steinberg {
namespace Vst {

std::unique_ptr<Sound> Sound::make(SFSynthList& list, double rate)
{
    auto sound = std::make_unique<Sound>();
    sound->records.swap(list);
    SFSynthList().swap(list);
    sound->players.reserve(sound->records.size());
    for (const SFSynth& record : sound->records) {
        sound->players.push_back(SamplePlayer::forRecord(record, rate));
        sound->pointCount += int64_t(record.samples.size());
        // The host's tail: a release longer than two minutes (or not a number) counts as two.
        if (record.volEnvRelease > sound->longestRelease)
            sound->longestRelease = std::min(record.volEnvRelease, 120.0f);
    }
    sound->madeForRate = rate;
    return sound;
}

void Sound::retune(double rate) noexcept
{
    for (size_t i = 0; i < records.size(); ++i)
        players[i] = SamplePlayer::forRecord(records[i], rate);
    madeForRate = rate;
}

} // namespace Vst
} // namespace Steinberg
