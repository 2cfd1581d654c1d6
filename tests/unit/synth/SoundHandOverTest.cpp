// Adoption of a received record list: timing, the pending slot where the newest list wins, what
// is reported and the lock-free hand-over between a message thread and the audio thread.
#include "synth/SoundMailbox.h"
#include "unit/synth/EngineFixture.h"
#include "unit/synth/TestRecords.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace Steinberg::Vst;
using namespace zephra::test;

TEST(SoundHandOver, ListIsAdoptedAtTheEndOfTheNextRenderCall)
{
    SynthEngine engine;
    SFSynthList list{neutralSineRecord()};
    EXPECT_TRUE(engine.receiveSound(list));
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(engine.playerCount(), 0u);
    engine.noteOn(69, 1.0f);   // nothing adopted yet
    std::vector<float> l(64), r(64);
    const SynthEngine::RenderReport report = engine.render(l.data(), r.data(), 64, 1.0f);
    EXPECT_TRUE(report.adopted);
    EXPECT_EQ(report.usedPoints, 2001);
    EXPECT_EQ(engine.playerCount(), 1u);
    EXPECT_EQ(engine.busyVoiceCount(), 0);
}

TEST(SoundHandOver, ReportedPointsCountEachSharedBufferOnce)
{
    SynthEngine engine;
    SFSynth layer = neutralSineRecord(1000);
    SFSynth upperLayer = layer;   // another velocity layer over the same points
    upperLayer.velocityLow = 64;
    SFSynthList list{layer, upperLayer, neutralSineRecord(500)};
    engine.receiveSound(list);
    std::vector<float> l(1), r(1);
    const SynthEngine::RenderReport report = engine.render(l.data(), r.data(), 1, 1.0f);
    EXPECT_TRUE(report.adopted);
    EXPECT_EQ(report.usedPoints, 1001 + 501);
    EXPECT_EQ(engine.playerCount(), 3u);
}

// Guards against the sound chosen last being lost while an earlier one was still pending.
TEST(SoundHandOver, ANewerListReplacesAPendingOneAndIsAdopted)
{
    SynthEngine engine;
    SFSynthList first{neutralSineRecord(1000)};
    SFSynthList second{neutralSineRecord(500), neutralSineRecord(500)};
    EXPECT_TRUE(engine.receiveSound(first));
    EXPECT_TRUE(engine.receiveSound(second));
    EXPECT_TRUE(second.empty());
    std::vector<float> l(1), r(1);
    const SynthEngine::RenderReport report = engine.render(l.data(), r.data(), 1, 1.0f);
    EXPECT_TRUE(report.adopted);
    EXPECT_EQ(report.usedPoints, 1002);
    EXPECT_EQ(engine.playerCount(), 2u);
    EXPECT_FALSE(engine.render(l.data(), r.data(), 1, 1.0f).adopted);
}

TEST(SoundHandOver, AdoptionSilencesSoundingNotesAfterTheCurrentCall)
{
    SynthEngine engine;
    adopt(engine, {neutralSineRecord()});
    engine.noteOn(69, 1.0f);
    renderLeft(engine, 500);
    SFSynthList next{neutralSineRecord()};
    engine.receiveSound(next);
    const std::vector<float> during = renderLeft(engine, 200);
    EXPECT_NE(during[199], 0.0f);   // still sounding within the call
    EXPECT_EQ(engine.busyVoiceCount(), 0);
    for (float x : renderLeft(engine, 200))
        ASSERT_EQ(x, 0.0f);
    engine.noteOn(69, 1.0f);   // the new records play
    EXPECT_EQ(engine.busyVoiceCount(), 1);
}

// Guards against a rate change retuning only a pending sound (448 Hz for A at 48 kHz).
TEST(SoundHandOver, PlayersFollowEverySampleRateChangeAdoptedOrNot)
{
    SynthEngine engine;
    SFSynthList list{neutralSineRecord()};
    engine.receiveSound(list);
    engine.setSampleRate(88200.0);
    std::vector<float> l(1), r(1);
    engine.render(l.data(), r.data(), 0, 1.0f);
    ASSERT_NE(engine.currentSound(), nullptr);
    EXPECT_FLOAT_EQ(engine.currentSound()->players[0].referenceFrequency, 880.0f);
    engine.setSampleRate(48000.0);   // processing stopped: the current sound is retuned too
    EXPECT_FLOAT_EQ(engine.currentSound()->players[0].referenceFrequency, 440.0f * 48000.0f / 44100.0f);
}

TEST(SoundHandOver, EmptyListLeavesNothingPendingAndTheSoundPlaying)
{
    SynthEngine engine;
    adopt(engine, {neutralSineRecord()});
    SFSynthList empty;
    EXPECT_FALSE(engine.receiveSound(empty));
    std::vector<float> l(1), r(1);
    const SynthEngine::RenderReport report = engine.render(l.data(), r.data(), 0, 1.0f);
    EXPECT_FALSE(report.adopted);
    engine.noteOn(69, 1.0f);
    EXPECT_GT(engine.busyVoiceCount(), 0);
    // The slot stayed free: the next real list is taken.
    SFSynthList next{neutralSineRecord()};
    EXPECT_TRUE(engine.receiveSound(next));
}

TEST(SoundMailbox, ReplacedAndRetiredSoundsAreFreedOnThePostingSide)
{
    SoundMailbox box;
    const auto make = [] { SFSynthList list{neutralSineRecord(100)}; return Sound::make(list, 44100.0); };
    std::unique_ptr<Sound> first = make(), second = make(), third = make();
    Sound* const secondRaw = second.get();
    Sound* const thirdRaw = third.get();
    box.post(first);
    box.post(second);   // the untaken first sound is freed here (the sanitizers see a leak otherwise)
    EXPECT_EQ(box.take(), secondRaw);
    box.post(third);
    EXPECT_EQ(box.take(), thirdRaw);
    box.retire(secondRaw);   // adopting the third sound hands back the second
    box.retire(thirdRaw);    // the retired slot is still full: held until it can be handed back
    box.post(first = make());
    EXPECT_EQ(box.take(), nullptr);   // nothing taken before the held sound went back
    box.collectRetired();
    const std::unique_ptr<Sound> adopted(box.take());
    EXPECT_NE(adopted, nullptr);
}

// Guards against the message thread and the audio thread touching one list at the same time:
// run under the sanitizers, any overlap or double free shows up here.
TEST(SoundMailbox, ConcurrentPostsAndAdoptionsHandOverEverySoundOnce)
{
    SynthEngine engine;
    std::atomic<bool> stop{false};
    std::atomic<int> lastPosted{0};
    std::atomic<int> adopted{0};
    std::thread sender([&] {
        // At least 150 sounds, and on until the audio side has adopted some, however the
        // threads are scheduled.
        for (int i = 1; (i <= 150 || adopted < 10) && i <= 100000 && !stop; ++i) {
            SFSynthList list{neutralSineRecord(100 + i)};
            if (engine.receiveSound(list))
                lastPosted = i;
            std::this_thread::yield();
        }
        stop = true;
    });
    std::thread collector([&] {   // as the report sender frees replaced sounds
        while (!stop)
            engine.collectRetiredSound();
    });
    std::vector<float> l(32), r(32);
    while (!stop) {
        engine.noteOn(69, 1.0f);
        if (engine.render(l.data(), r.data(), 32, 1.0f).adopted)
            ++adopted;
    }
    sender.join();
    collector.join();
    engine.render(l.data(), r.data(), 32, 1.0f);
    // Sounds may be replaced before adoption, but the last one posted is the one playing.
    EXPECT_GT(adopted.load(), 0);
    ASSERT_NE(engine.currentSound(), nullptr);
    EXPECT_EQ(engine.currentSound()->pointCount, 100 + lastPosted.load() + 1);
}
