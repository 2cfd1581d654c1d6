// One plan per MIDI channel: presets from bank select and program change (drums from bank 128),
// RPN 0 as the bend range, the channel-mode controllers, and notes still held at the end.
#include "ChannelPlan.h"
#include "ChannelPreset.h"
#include "OutputFormat.h"
#include "RenderTestEvents.h"

#include "host/render/platform/OutputFile.h"

#include <sndfile.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>

#include <gtest/gtest.h>

using namespace zephra::render;
using zephra::test::event;
using zephra::test::pluginLikeMapping;

namespace {

PresetCatalog catalogOf(std::vector<std::pair<int, int>> bankPrograms) {
    std::vector<PresetEntry> entries;
    for (const auto& [bank, program] : bankPrograms) {
        PresetEntry entry;
        entry.index = static_cast<int32_t>(entries.size());
        entry.bank = static_cast<uint16_t>(bank);
        entry.program = static_cast<uint16_t>(program);
        entry.row = presetRowText(entry.bank, entry.program, "p");
        entries.push_back(entry);
    }
    PresetCatalog catalog;
    catalog.assign(entries);
    return catalog;
}

BendRangeParameter bendRange() {
    BendRangeParameter bend;
    bend.present = true;
    bend.id = 1000;
    bend.normalized = [](double semitones) { return semitones / 12.0; };
    return bend;
}

} // namespace

TEST(ChannelPreset, DrumsComeFromBank128AndMelodicBanksFallBackToBankZero) {
    const PresetCatalog catalog = catalogOf({{0, 0}, {0, 25}, {8, 25}, {128, 0}, {128, 16}, {129, 3}});
    EXPECT_EQ(choosePresetForChannel(catalog, 9, 0, 0, 16).preset, 4);   // bank select 0 changes nothing
    const ChannelPreset missingKit = choosePresetForChannel(catalog, 9, 0, 0, 40);
    EXPECT_EQ(missingKit.preset, 3);                                      // 128:000 stands in
    EXPECT_FALSE(missingKit.fallback.empty());
    EXPECT_EQ(choosePresetForChannel(catalogOf({{0, 0}, {128, 8}, {128, 5}}), 9, 0, 0, 40).preset, 2);
    EXPECT_EQ(choosePresetForChannel(catalogOf({{0, 0}}), 9, 0, 0, 0).preset, -1);
    EXPECT_EQ(choosePresetForChannel(catalog, 0, 8, 0, 25).preset, 2);   // GS variation bank
    EXPECT_EQ(choosePresetForChannel(catalog, 0, 1, 1, 3).preset, 5);    // 14-bit bank 129
    EXPECT_EQ(choosePresetForChannel(catalog, 0, 9, 0, 25).preset, 1);   // missing bank: bank 0
    EXPECT_TRUE(choosePresetForChannel(catalog, 0, 0, 0, 25).fallback.empty());
}

TEST(ChannelPlanning, EachChannelGetsItsEventsItsPresetsAndItsBendRange) {
    Score score;
    score.events = {
        event(0.0, ScoreEventKind::Controller, 0, 101, 0), event(0.0, ScoreEventKind::Controller, 0, 100, 0),
        event(0.0, ScoreEventKind::Controller, 0, 6, 12), event(0.0, ScoreEventKind::Program, 0, 25),
        event(0.0, ScoreEventKind::NoteOn, 0, 60, 100), event(0.0, ScoreEventKind::NoteOn, 9, 36, 100),
        event(0.1, ScoreEventKind::Controller, 9, 7, 0),
        event(0.2, ScoreEventKind::Controller, 1, 7, 50),   // a channel without notes: no instance
        event(0.5, ScoreEventKind::Program, 0, 0), event(0.5, ScoreEventKind::NoteOn, 0, 62, 100),
        event(0.6, ScoreEventKind::Controller, 0, 99, 0), event(0.6, ScoreEventKind::Controller, 0, 6, 40),  // NRPN
        event(0.7, ScoreEventKind::Controller, 0, 121, 0), event(0.8, ScoreEventKind::Controller, 0, 123, 0)};
    const ChannelPlanning planning =
        planChannels(score, 1000.0, pluginLikeMapping, bendRange(), catalogOf({{0, 0}, {0, 25}, {128, 0}}), -1);
    ASSERT_EQ(planning.tracks.size(), 2u);
    const TrackPlan& lead = planning.tracks[0];
    EXPECT_EQ(lead.channel, 0);
    EXPECT_EQ(lead.firstPreset, 1);
    ASSERT_EQ(lead.programs.size(), 1u);
    EXPECT_EQ(lead.programs[0].sample, 500);
    EXPECT_EQ(lead.programs[0].preset, 0);
    // Bend range 12, then the reset's mod wheel, expression, pedal and bend; the NRPN is no bend range.
    ASSERT_EQ(lead.plan.parameters.size(), 5u);
    EXPECT_EQ(lead.plan.parameters[0].id, 1000u);
    EXPECT_DOUBLE_EQ(lead.plan.parameters[0].normalized, 1.0);
    EXPECT_EQ(lead.plan.parameters[4].id, 129u);
    EXPECT_DOUBLE_EQ(lead.plan.parameters[4].normalized, 0.5);
    // "All notes off" ends both held notes.
    ASSERT_EQ(lead.plan.notes.size(), 4u);
    EXPECT_FALSE(lead.plan.notes[3].on);
    EXPECT_EQ(lead.plan.notes[3].sample, 800);

    const TrackPlan& drums = planning.tracks[1];
    EXPECT_EQ(drums.firstPreset, 2);
    ASSERT_EQ(drums.plan.parameters.size(), 1u);   // its own volume only
    EXPECT_EQ(planChannels(score, 1000.0, pluginLikeMapping, bendRange(), catalogOf({{0, 0}}), 9).tracks.size(), 0u);
}

TEST(ChannelPlanning, NotesStillHeldAtTheEndOfTheSongAreReleasedThere) {
    RenderPlan plan;
    plan.notes = {{0, true, 0, 60, 1.f}, {0, true, 0, 64, 1.f}, {100, false, 0, 60, 0.f}};
    plan.endSample = 101;
    endHeldNotes(plan, 500, pluginLikeMapping);
    ASSERT_EQ(plan.notes.size(), 4u);
    EXPECT_EQ(plan.notes[3].sample, 500);
    EXPECT_EQ(plan.notes[3].pitch, 64);
    EXPECT_FALSE(plan.notes[3].on);
    ASSERT_EQ(plan.parameters.size(), 1u);   // and the pedal goes up
    EXPECT_EQ(plan.parameters[0].id, 64u);
    EXPECT_EQ(plan.endSample, 501);
}

TEST(OutputFormat, ExtensionChoosesTheContainerAndLongWavsBecomeRf64) {
    Container container = Container::Wav;
    std::string error;
    ASSERT_TRUE(containerForPath("/a/b.FLAC", container, error)) << error;
    EXPECT_EQ(container, Container::Flac);
    EXPECT_FALSE(containerForPath("/a.b/song", container, error));
    EXPECT_FALSE(checkSampleFormat(Container::Flac, SampleFormat::Float32, error));
    EXPECT_EQ(libsndfileFormat(Container::Wav, SampleFormat::Float32, 44100), SF_FORMAT_WAVEX | SF_FORMAT_FLOAT);
    EXPECT_EQ(libsndfileFormat(Container::Wav, SampleFormat::Pcm24, 700000000), SF_FORMAT_WAV | SF_FORMAT_PCM_24);
    EXPECT_EQ(libsndfileFormat(Container::Wav, SampleFormat::Pcm24, 800000000), SF_FORMAT_RF64 | SF_FORMAT_PCM_24);
}

// A full disk (here: a file size limit) is reported with the system's reason alone, as the
// other errors are, not in libsndfile's "System error : ..." words.
TEST(OutputFile, AFailedWriteGivesTheSystemsReason) {
    char folder[] = "/tmp/zephra-output-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    rlimit before{};
    ::getrlimit(RLIMIT_FSIZE, &before);
    const rlimit small{4096, before.rlim_max};
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    std::string error;
    bool written = true;
    {
        OutputFile output;
        ASSERT_TRUE(output.prepare(std::string(folder) + "/out.wav", error)) << error;
        ASSERT_TRUE(output.begin(44100, SF_FORMAT_WAV | SF_FORMAT_PCM_16, error)) << error;
        ::setrlimit(RLIMIT_FSIZE, &small);
        const std::vector<float> frames(2 * 4096, 0.25f);
        for (int i = 0; i < 4 && written; ++i) written = output.write(frames.data(), 4096, error);
        written = written && output.commit(error);
        ::setrlimit(RLIMIT_FSIZE, &before);
    }
    std::signal(SIGXFSZ, oldHandler);
    std::system(("rm -rf '" + std::string(folder) + "'").c_str());
    EXPECT_FALSE(written);
    EXPECT_NE(error.find("failed: File too large"), std::string::npos) << error;
    EXPECT_EQ(error.find("System error"), std::string::npos) << error;
}

// Only the program change a note hears is planned: each planned one reloads the font on its
// instance, so a file switching programs on every tick must not plan them all.
TEST(ChannelPlanning, ProgramChangesWithNoNoteBetweenThemCollapseIntoTheLast) {
    Score score;
    score.events = {event(0.0, ScoreEventKind::NoteOn, 0, 60, 100)};
    for (int i = 1; i <= 3000; ++i)
        score.events.push_back(event(i * 0.001, ScoreEventKind::Program, 0, uint8_t(i % 2 ? 25 : 0)));
    score.events.push_back(event(3.5, ScoreEventKind::Program, 0, 25));   // back to what plays after 3000
    score.events.push_back(event(4.0, ScoreEventKind::NoteOn, 0, 62, 100));
    score.events.push_back(event(4.5, ScoreEventKind::Program, 0, 25));
    const ChannelPlanning planning =
        planChannels(score, 1000.0, pluginLikeMapping, bendRange(), catalogOf({{0, 0}, {0, 25}}), -1);
    ASSERT_EQ(planning.tracks.size(), 1u);
    ASSERT_EQ(planning.tracks[0].programs.size(), 1u);
    EXPECT_EQ(planning.tracks[0].programs[0].sample, 3500);
    EXPECT_EQ(planning.tracks[0].programs[0].preset, 1);
}

// Pan goes to the track's mixer channel, not to the plug-in; a bend range beyond the plug-in's
// is remarked on only for a channel that bends.
TEST(ChannelPlanning, PanIsTheTracksAndBendRangeRemarksNeedBends) {
    Score score;
    score.events = {event(0.0, ScoreEventKind::Controller, 0, 101, 0), event(0.0, ScoreEventKind::Controller, 0, 100, 0),
                    event(0.0, ScoreEventKind::Controller, 0, 6, 24), event(0.0, ScoreEventKind::Controller, 0, 10, 0),
                    event(0.0, ScoreEventKind::NoteOn, 0, 60, 100), event(0.5, ScoreEventKind::Controller, 0, 10, 127)};
    ChannelPlanning planning = planChannels(score, 1000.0, pluginLikeMapping, bendRange(), catalogOf({{0, 0}}), -1);
    ASSERT_EQ(planning.tracks.size(), 1u);
    ASSERT_EQ(planning.tracks[0].plan.pans.size(), 2u);
    EXPECT_EQ(planning.tracks[0].plan.pans[1].sample, 500);
    EXPECT_EQ(planning.tracks[0].plan.pans[1].value, 127);
    EXPECT_EQ(planning.tracks[0].plan.unmappedControllerCount, 0);
    EXPECT_TRUE(planning.remarks.empty());
    score.events.push_back(event(0.6, ScoreEventKind::PitchBend, 0, 0, 16383));
    planning = planChannels(score, 1000.0, pluginLikeMapping, bendRange(), catalogOf({{0, 0}}), -1);
    ASSERT_EQ(planning.remarks.size(), 1u);
    EXPECT_NE(planning.remarks[0].find("range of 24 semitones"), std::string::npos) << planning.remarks[0];
}
