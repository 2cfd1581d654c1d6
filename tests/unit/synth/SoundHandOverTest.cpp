// Adoption of a received record list: timing, the single pending slot, what is reported and the
// lock-free hand-over between a message thread and the audio thread.
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

TEST(SoundHandOver, SecondListBeforeARenderIsDroppedAndTheFirstAdopted)
{
    SynthEngine engine;
    SFSynthList first{neutralSineRecord(1000)};
    SFSynthList second{neutralSineRecord(500), neutralSineRecord(500)};
    EXPECT_TRUE(engine.receiveSound(first));
    EXPECT_FALSE(engine.receiveSound(second));
    EXPECT_TRUE(second.empty());   // dropped records are freed
    std::vector<float> l(1), r(1);
    const SynthEngine::RenderReport report = engine.render(l.data(), r.data(), 1, 1.0f);
    EXPECT_TRUE(report.adopted);
    EXPECT_EQ(report.usedPoints, 1001);
    EXPECT_EQ(engine.playerCount(), 1u);
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

TEST(SoundHandOver, PlayersFollowTheSampleRateCurrentAtAdoption)
{
    SynthEngine engine;
    SFSynthList list{neutralSineRecord()};
    engine.receiveSound(list);
    engine.setSampleRate(88200.0);
    std::vector<float> l(1), r(1);
    engine.render(l.data(), r.data(), 0, 1.0f);
    ASSERT_NE(engine.currentSound(), nullptr);
    EXPECT_FLOAT_EQ(engine.currentSound()->players[0].referenceFrequency, 880.0f);
    engine.setSampleRate(44100.0);   // a later change does not remake them
    EXPECT_FLOAT_EQ(engine.currentSound()->players[0].referenceFrequency, 880.0f);
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

TEST(SoundMailbox, RetiredSoundIsHandedBackToThePostingSide)
{
    SoundMailbox box;
    SFSynthList a{neutralSineRecord(100)};
    std::unique_ptr<Sound> first = Sound::make(a, 44100.0);
    Sound* firstRaw = first.get();
    ASSERT_TRUE(box.post(first));
    EXPECT_FALSE(box.canPost());
    SFSynthList b{neutralSineRecord(100)};
    std::unique_ptr<Sound> second = Sound::make(b, 44100.0);
    EXPECT_FALSE(box.post(second));   // one pending at a time; the caller keeps it
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(box.peek(), firstRaw);
    box.finishTake(nullptr);
    EXPECT_TRUE(box.canPost());
    Sound* secondRaw = second.get();
    ASSERT_TRUE(box.post(second));
    box.finishTake(firstRaw);   // the audio side adopts the second sound and retires the first
    box.collectRetired();        // and the posting side frees it
    EXPECT_TRUE(box.canPost());
    std::unique_ptr<Sound> adopted(secondRaw);   // what the engine would free at its end
}

// Guards against the message thread and the audio thread touching one list at the same time:
// run under the sanitizers, any overlap or double free shows up here.
TEST(SoundMailbox, ConcurrentPostsAndAdoptionsHandOverEverySoundOnce)
{
    SynthEngine engine;
    std::atomic<bool> stop{false};
    std::atomic<int> taken{0};
    std::thread sender([&] {
        for (int i = 0; i < 150 && !stop; ++i) {
            SFSynthList list{neutralSineRecord(100 + i % 7)};
            if (engine.receiveSound(list))
                ++taken;
            std::this_thread::yield();
        }
        stop = true;
    });
    std::vector<float> l(32), r(32);
    int adopted = 0;
    while (!stop) {
        engine.noteOn(69, 1.0f);
        if (engine.render(l.data(), r.data(), 32, 1.0f).adopted)
            ++adopted;
    }
    sender.join();
    if (engine.render(l.data(), r.data(), 32, 1.0f).adopted)
        ++adopted;
    EXPECT_EQ(adopted, taken.load());
    EXPECT_GT(adopted, 0);
}
