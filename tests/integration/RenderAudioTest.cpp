// What zephra-render plays: the same audio for any block size, the sustain pedal and pitch
// bend of a MIDI file reaching the plug-in's parameters, program changes choosing the preset,
// and the built-in demo sounding like music with the default SoundFont.
#include "support/MidiWriter.h"
#include "support/SoundFontWriter.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const std::string kRenderer = std::string(ZEPHRA_BINARY_DIR) + "/host/render/zephra-render";
const std::string kTimGM = "/usr/share/sounds/sf2/TimGM6mb.sf2";
constexpr double kRate = 44100.0;

std::vector<uint8_t> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool fileExists(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

uint32_t le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }
uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

struct Stereo {
    std::vector<float> left, right;
    uint32_t rate = 0;
};

// Reads a stereo WAV of 32-bit floats (what --format float writes).
Stereo readFloatWav(const std::string& path) {
    const std::vector<uint8_t> bytes = readBytes(path);
    Stereo wav;
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0) {
        ADD_FAILURE() << path << " is not a RIFF file";
        return wav;
    }
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const uint32_t size = le32(&bytes[at + 4]);
        const uint8_t* body = &bytes[at + 8];
        if (at + 8 + size > bytes.size()) break;
        if (std::memcmp(&bytes[at], "fmt ", 4) == 0) {
            EXPECT_EQ(le16(body + 2), 2) << "channels";
            EXPECT_EQ(le16(body + 14), 32) << "bits per sample";
            wav.rate = le32(body + 4);
        } else if (std::memcmp(&bytes[at], "data", 4) == 0) {
            const size_t frames = size / 8;
            wav.left.resize(frames);
            wav.right.resize(frames);
            for (size_t i = 0; i < frames; ++i) {
                std::memcpy(&wav.left[i], body + 8 * i, 4);
                std::memcpy(&wav.right[i], body + 8 * i + 4, 4);
            }
        }
        at += 8 + size + (size & 1);
    }
    return wav;
}

double rms(const std::vector<float>& x, double fromSeconds, double toSeconds) {
    const size_t from = static_cast<size_t>(fromSeconds * kRate);
    const size_t to = std::min(x.size(), static_cast<size_t>(toSeconds * kRate));
    double sum = 0.0;
    for (size_t i = from; i < to; ++i) sum += double(x[i]) * x[i];
    return to > from ? std::sqrt(sum / double(to - from)) : 0.0;
}

// Strength of one frequency in a stretch (Goertzel), normalised to the stretch length.
double toneLevel(const std::vector<float>& x, double fromSeconds, double toSeconds, double hertz) {
    const size_t from = static_cast<size_t>(fromSeconds * kRate);
    const size_t to = std::min(x.size(), static_cast<size_t>(toSeconds * kRate));
    const double w = 2.0 * M_PI * hertz / kRate;
    double re = 0.0, im = 0.0;
    for (size_t i = from; i < to; ++i) {
        // Hann window against leakage from the neighbouring notes.
        const double window = 0.5 - 0.5 * std::cos(2.0 * M_PI * double(i - from) / double(to - from));
        re += window * x[i] * std::cos(w * double(i));
        im += window * x[i] * std::sin(w * double(i));
    }
    return std::sqrt(re * re + im * im) / double(to - from);
}

// Average frequency over a stretch from its upward zero crossings (for a pure tone).
double zeroCrossingFrequency(const std::vector<float>& x, double fromSeconds, double toSeconds) {
    const size_t from = static_cast<size_t>(fromSeconds * kRate);
    const size_t to = std::min(x.size(), static_cast<size_t>(toSeconds * kRate));
    double first = -1.0, last = -1.0;
    int crossings = 0;
    for (size_t i = from + 1; i < to; ++i)
        if (x[i - 1] < 0.f && x[i] >= 0.f) {
            const double exact = double(i - 1) + double(-x[i - 1]) / double(x[i] - x[i - 1]);
            if (first < 0.0) first = exact;
            last = exact;
            ++crossings;
        }
    return crossings > 1 ? (crossings - 1) * kRate / (last - first) : 0.0;
}

class RenderAudio : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/zephra-render-audio-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        folder = pattern;
        ASSERT_TRUE(fileExists(kRenderer)) << "zephra-render is not built at " << kRenderer;
        sineFont = folder + "/sine.sf2";
        zephra::test::SineFontOptions options;
        options.presetCount = 2;
        options.volEnvReleaseTimecents = -2400;  // a quarter-second release
        ASSERT_TRUE(zephra::test::writeFile(sineFont, zephra::test::makeSineSoundFont(options)));
    }
    void TearDown() override {
        if (!folder.empty()) std::system(("rm -rf '" + folder + "'").c_str());
    }

    std::string writeMidi(const std::string& name, const std::vector<zephra::test::MidiTrack>& tracks) {
        const std::string path = folder + "/" + name;
        EXPECT_TRUE(zephra::test::writeFile(path, zephra::test::buildMidiFile(tracks)));
        return path;
    }

    // Runs the renderer; returns its exit status, with stderr kept in lastErrors.
    int render(const std::string& arguments) {
        const std::string err = folder + "/stderr.txt";
        const std::string command = "'" + kRenderer + "' -q " + arguments + " 2>'" + err + "' >/dev/null";
        const int status = std::system(command.c_str());
        const std::vector<uint8_t> text = readBytes(err);
        lastErrors.assign(text.begin(), text.end());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string folder;
    std::string sineFont;
    std::string lastErrors;
};

// A piece with notes on odd sample positions, controller moves, a pitch bend sweep and a second
// channel panning about and changing its preset.
std::vector<zephra::test::MidiTrack> busyPiece() {
    zephra::test::MidiTrack conductor, music;
    conductor.tempo(0, 500000).tempo(1000, 410000);
    for (uint32_t i = 0; i < 24; ++i) music.note(37 * i + 5, 97 + 13 * (i % 5), 0, static_cast<uint8_t>(57 + (i * 7) % 24), 90);
    music.controller(300, 0, 64, 127).controller(700, 0, 64, 0).controller(420, 0, 1, 90).controller(650, 0, 7, 80)
        .controller(500, 0, 11, 100);
    for (uint32_t step = 0; step < 40; ++step)
        music.pitchBend(200 + 11 * step, 0, static_cast<uint16_t>(8192 + 200 * step));
    for (uint32_t i = 0; i < 12; ++i)
        music.note(61 * i + 3, 50, 1, static_cast<uint8_t>(48 + i), 100).controller(61 * i + 30, 1, 10, uint8_t(i * 11));
    music.program(400, 1, 1);
    return {conductor, music};
}

} // namespace

// Guards against block boundaries shifting notes, parameter changes, pan moves or the end of the
// tail, and against the threads changing the mix: any block size and any number of jobs give
// byte-identical files.
TEST_F(RenderAudio, BlockSizesAndJobsGiveIdenticalFilesOfTheSameLength) {
    const std::string midi = writeMidi("busy.mid", busyPiece());
    const std::string runs[] = {"--block 512 --jobs 1", "--block 1 --jobs 2", "--block 8192 --jobs 2"};
    for (size_t i = 0; i < 3; ++i)
        ASSERT_EQ(render("--sf2 " + sineFont + " --midi " + midi + " --format float " + runs[i] + " -o " + folder + "/" +
                         std::to_string(i) + ".wav"), 0) << lastErrors;
    const std::vector<uint8_t> reference = readBytes(folder + "/0.wav");
    ASSERT_GT(reference.size(), 44u + 8u * 44100u);
    EXPECT_EQ(readBytes(folder + "/1.wav"), reference) << runs[1];
    EXPECT_EQ(readBytes(folder + "/2.wav"), reference) << runs[2];
}

// Guards against the song ending at its last note: it lasts to its End-of-Track, and a note
// held there without a note-off sounds to that point.
TEST_F(RenderAudio, TheSongLastsToItsEndOfTrackAndHeldNotesSoundToIt) {
    zephra::test::MidiTrack rests, held;
    rests.note(0, 480, 0, 69, 100).raw(10080, {0xFF, 0x2F, 0x00});   // ends 10 s after the note-off
    held.noteOn(0, 0, 69, 100).raw(1920, {0xFF, 0x2F, 0x00});            // two seconds, never let go
    const std::string restsWav = folder + "/rests.wav", heldWav = folder + "/held.wav";
    ASSERT_EQ(render("--sf2 " + sineFont + " --midi " + writeMidi("rests.mid", {rests}) + " --format float -o " +
                     restsWav), 0) << lastErrors;
    ASSERT_EQ(render("--sf2 " + sineFont + " --midi " + writeMidi("held.mid", {held}) + " --format float -o " +
                     heldWav), 0) << lastErrors;
    EXPECT_NEAR(double(readFloatWav(restsWav).left.size()) / kRate, 10.5, 0.001);
    const Stereo x = readFloatWav(heldWav);
    EXPECT_GT(rms(x.left, 1.8, 1.99), 0.5 * rms(x.left, 0.1, 0.3));
    EXPECT_GT(double(x.left.size()) / kRate, 2.0);
    EXPECT_LT(double(x.left.size()) / kRate, 2.5);   // the quarter-second release, then the end
}


TEST_F(RenderAudio, SustainPedalInTheFileKeepsReleasedNotesRinging) {
    zephra::test::MidiTrack dry, pedalled;
    dry.note(0, 240, 0, 69, 100);                                     // a quarter second
    pedalled.controller(0, 0, 64, 127).note(0, 240, 0, 69, 100).controller(1680, 0, 64, 0);  // pedal up at 1.75 s
    const std::string dryWav = folder + "/dry.wav", pedalWav = folder + "/pedal.wav";
    ASSERT_EQ(render("--sf2 " + sineFont + " --midi " + writeMidi("dry.mid", {dry}) +
                     " --format float --tail 2 -o " + dryWav), 0) << lastErrors;
    ASSERT_EQ(render("--sf2 " + sineFont + " --midi " + writeMidi("pedal.mid", {pedalled}) +
                     " --format float --tail 0.5 -o " + pedalWav), 0) << lastErrors;
    const Stereo a = readFloatWav(dryWav), b = readFloatWav(pedalWav);
    // Both sound while the key is down; a second later only the pedalled note rings on.
    EXPECT_GT(rms(a.left, 0.05, 0.2), 0.01);
    EXPECT_GT(rms(b.left, 0.05, 0.2), 0.01);
    EXPECT_LT(rms(a.left, 1.2, 1.5), 1e-4);
    EXPECT_GT(rms(b.left, 1.2, 1.5), 0.5 * rms(b.left, 0.05, 0.2));
    // After the pedal goes up the note dies away.
    EXPECT_LT(rms(b.left, 2.2, 2.25), 0.05 * rms(b.left, 1.2, 1.5));
}

TEST_F(RenderAudio, PitchBendInTheFileMovesThePitch) {
    zephra::test::MidiTrack track;
    track.note(0, 1920, 0, 69, 100).pitchBend(960, 0, 16383);   // full bend up after one second
    const std::string wav = folder + "/bend.wav";
    ASSERT_EQ(render("--sf2 " + sineFont + " --midi " + writeMidi("bend.mid", {track}) +
                     " --format float --tail 0.2 -o " + wav), 0) << lastErrors;
    const Stereo x = readFloatWav(wav);
    // The sine plays 441 Hz at key 69; the default bend range of 2 semitones lifts it to 495 Hz.
    EXPECT_NEAR(zeroCrossingFrequency(x.left, 0.3, 0.9), 441.0, 1.0);
    EXPECT_NEAR(zeroCrossingFrequency(x.left, 1.2, 1.9), 441.0 * std::pow(2.0, 2.0 / 12.0), 1.5);
}

TEST_F(RenderAudio, OtherSampleRatesKeepThePitchAndTheLength) {
    zephra::test::MidiTrack track;
    track.note(0, 960, 0, 69, 100);
    const std::string wav = folder + "/rate.wav";
    ASSERT_EQ(render("--sf2 " + sineFont + " --midi " + writeMidi("rate.mid", {track}) +
                     " --rate 48000 --format float --tail 0 -o " + wav), 0) << lastErrors;
    const Stereo x = readFloatWav(wav);
    EXPECT_EQ(x.rate, 48000u);
    EXPECT_NEAR(double(x.left.size()), 48000.0, 2.0);
    // The helpers count in 44.1 kHz samples: scale the measured frequency back.
    EXPECT_NEAR(zeroCrossingFrequency(x.left, 0.2, 0.8) * 48000.0 / kRate, 441.0, 1.0);
}

TEST_F(RenderAudio, LevelOptionScalesTheOutputLinearly) {
    zephra::test::MidiTrack track;
    track.note(0, 480, 0, 69, 100);
    const std::string midi = writeMidi("level.mid", {track});
    const std::string plain = folder + "/plain.wav", half = folder + "/half.wav";
    ASSERT_EQ(render("--sf2 " + sineFont + " --midi " + midi + " --format float --no-normalise -o " + plain), 0)
        << lastErrors;
    ASSERT_EQ(render("--sf2 " + sineFont + " --midi " + midi + " --format float --level 6 -o " + half), 0)
        << lastErrors;
    EXPECT_NEAR(rms(readFloatWav(half).left, 0.1, 0.4) / rms(readFloatWav(plain).left, 0.1, 0.4), 0.5, 0.01);
}

// --response sf2: a note at velocity 64 sounds 11.9 dB under one at 127 (Classic: 6 dB), and
// Volume 40 takes 20 dB off (Classic: 10 dB).
TEST_F(RenderAudio, ResponseOptionPlaysVelocityAndVolumeAsTheSoundFontStandardDoes) {
    zephra::test::MidiTrack track;
    track.note(0, 480, 0, 69, 127).note(960, 480, 0, 69, 64).controller(1900, 0, 7, 40).note(1920, 480, 0, 69, 127);
    const std::string midi = writeMidi("response.mid", {track});
    for (const std::string response : {"classic", "sf2"}) {
        const std::string wav = folder + "/" + response + ".wav";
        ASSERT_EQ(render("--sf2 " + sineFont + " --midi " + midi + " --format float --no-normalise --response " +
                         response + " -o " + wav), 0) << lastErrors;
        const Stereo x = readFloatWav(wav);
        const double loud = rms(x.left, 0.1, 0.4), soft = rms(x.left, 1.1, 1.4), quiet = rms(x.left, 2.1, 2.4);
        const bool sf2 = response == "sf2";
        EXPECT_NEAR(20.0 * std::log10(soft / loud), sf2 ? -11.9 : -6.0, 0.1) << response;
        EXPECT_NEAR(20.0 * std::log10(quiet / loud), sf2 ? -20.07 : -10.03, 0.1) << response;
    }
}

TEST_F(RenderAudio, SingleInstanceTakesTheProgramChangeBeforeTheFirstNote) {
    zephra::test::MidiTrack track;
    track.program(0, 0, 1).note(0, 480, 0, 69, 100).program(960, 0, 0);
    const std::string wav = folder + "/program.wav";
    ASSERT_EQ(render("--single --sf2 " + sineFont + " --midi " + writeMidi("program.mid", {track}) +
                     " --format float -o " + wav), 0) << lastErrors;
    EXPECT_EQ(lastErrors.find("error"), std::string::npos) << lastErrors;
    EXPECT_NE(lastErrors.find("program change(s) ignored"), std::string::npos) << lastErrors;
    EXPECT_NE(lastErrors.find("program 0 on channel 1 at 1.000 s"), std::string::npos) << lastErrors;
}

TEST_F(RenderAudio, SixteenAndTwentyFourBitFilesHoldTheSameLength) {
    zephra::test::MidiTrack track;
    track.note(0, 480, 0, 69, 100);
    const std::string midi = writeMidi("short.mid", {track});
    for (const char* format : {"16", "24"}) {
        const std::string wav = folder + "/out" + format + ".wav";
        ASSERT_EQ(render("--sf2 " + sineFont + " --midi " + midi + " --tail 1 --format " + format + " -o " + wav), 0)
            << lastErrors;
        const std::vector<uint8_t> bytes = readBytes(wav);
        ASSERT_GT(bytes.size(), 44u);
        const size_t frameBytes = std::string(format) == "16" ? 4 : 6;
        // About 1.5 s of stereo audio after the header.
        EXPECT_NEAR(double(bytes.size() - 44) / frameBytes / kRate, 1.5, 0.01);
    }
}

// The README's first command ends with this render: it must be music, not noise or silence.
TEST_F(RenderAudio, DemoWithTheDefaultSoundFontIsAudiblyMusic) {
    if (!fileExists(kTimGM)) GTEST_SKIP() << kTimGM << " is not installed (package timgm6mb-soundfont)";
    const std::string wav = folder + "/demo.wav";
    ASSERT_EQ(render("--format float -o " + wav), 0) << lastErrors;
    const Stereo x = readFloatWav(wav);
    ASSERT_EQ(x.rate, 44100u);
    const double seconds = double(x.left.size()) / kRate;
    EXPECT_GE(seconds, 20.0);
    EXPECT_LE(seconds, 32.0);

    float peak = 0.f;
    for (size_t i = 0; i < x.left.size(); ++i) peak = std::max({peak, std::fabs(x.left[i]), std::fabs(x.right[i])});
    const double peakDb = 20.0 * std::log10(double(peak));
    EXPECT_GE(peakDb, -20.0);
    EXPECT_LE(peakDb, -0.1);

    // Sound all through the piece, not only in places.
    for (double t = 0.0; t + 1.0 < 24.0; t += 1.0) EXPECT_GT(rms(x.left, t, t + 1.0), 1e-3) << "at " << t << " s";

    // The opening melody alone: E5, G5, then A5, each clearly stronger than the others' pitches.
    struct Expect {
        double from, to, hertz, rivalHertz;
    };
    const Expect opening[] = {
        {0.1, 0.55, 659.26, 783.99},   // E5 (beat 0 at 100 beats per minute)
        {0.7, 1.15, 783.99, 659.26},   // G5
        {1.3, 2.3, 880.0, 783.99},     // A5
    };
    for (const Expect& e : opening) {
        const double tone = toneLevel(x.left, e.from, e.to, e.hertz);
        EXPECT_GT(tone, 4.0 * toneLevel(x.left, e.from, e.to, e.rivalHertz)) << e.hertz << " Hz";
        EXPECT_GT(tone, 4.0 * toneLevel(x.left, e.from, e.to, e.hertz * std::pow(2.0, 1.0 / 12.0)));
    }
    // The held C5 of bar 7, bent up a whole tone: D5 sounds where C5 was struck.
    EXPECT_GT(toneLevel(x.left, 15.65, 16.0, 587.33), 4.0 * toneLevel(x.left, 15.65, 16.0, 523.25));
    EXPECT_GT(toneLevel(x.left, 14.55, 15.2, 523.25), 4.0 * toneLevel(x.left, 14.55, 15.2, 587.33));
}

namespace {

const double kFifth = 441.0 * std::pow(2.0, 7.0 / 12.0);   // program 1 of the tuned font
const double kOctave = 882.0;                                // its drum kit, 128:000

// Program 0 plays the sine at 441 Hz, program 1 a fifth higher, the drum kit an octave higher.
std::vector<uint8_t> tunedFont() {
    zephra::test::SineFontOptions options;
    options.tunedPresets = {{0, 0, 0}, {0, 1, 7}, {128, 0, 12}};
    return zephra::test::makeSineSoundFont(options);
}

} // namespace

// Guards against every channel sounding through one preset: drums became pitched notes, and a
// bank select 0 on channel 10 turned the kit into a melodic preset.
TEST_F(RenderAudio, EachChannelPlaysItsOwnProgramAndChannelTenTheDrumKit) {
    ASSERT_TRUE(zephra::test::writeFile(sineFont, tunedFont()));
    zephra::test::MidiTrack melody, drums;
    melody.program(0, 0, 1).note(0, 960, 0, 69, 100);
    drums.controller(0, 9, 0, 0).program(0, 9, 0).note(0, 960, 9, 69, 100);
    const std::string midi = writeMidi("two.mid", {melody, drums});
    for (const char* channel : {"", "--channel 1", "--channel 10"}) {
        const std::string wav = folder + "/two.wav";
        ASSERT_EQ(render("--sf2 " + sineFont + " --midi " + midi + " --format float " + channel + " -o " + wav), 0)
            << lastErrors;
        const Stereo x = readFloatWav(wav);
        const double fifth = toneLevel(x.left, 0.2, 0.8, kFifth), octave = toneLevel(x.left, 0.2, 0.8, kOctave);
        const double unison = toneLevel(x.left, 0.2, 0.8, 441.0);
        const std::string which = *channel ? channel : "both channels";
        EXPECT_LT(unison, 0.01 * std::max(fifth, octave)) << which;
        if (std::string(channel) != "--channel 10") EXPECT_GT(fifth, 0.05) << which;
        else EXPECT_LT(fifth, 0.01 * octave) << which;
        if (std::string(channel) != "--channel 1") EXPECT_GT(octave, 0.05) << which;
        else EXPECT_LT(octave, 0.01 * fifth) << which;
    }
}

// Guards against a controller of one channel reaching every channel: a volume fade to 0 on one
// channel silenced the whole render.
TEST_F(RenderAudio, VolumeFadeOnOneChannelLeavesTheOthersSounding) {
    ASSERT_TRUE(zephra::test::writeFile(sineFont, tunedFont()));
    zephra::test::MidiTrack track;
    track.note(0, 1920, 0, 69, 100).program(0, 1, 1).note(0, 1920, 1, 69, 100);
    for (uint32_t step = 0; step <= 8; ++step)
        track.controller(480 + 60 * step, 1, 7, static_cast<uint8_t>(127 - 15 * step - (step == 8 ? 7 : 0)));
    const std::string wav = folder + "/fade.wav";
    ASSERT_EQ(render("--sf2 " + sineFont + " --midi " + writeMidi("fade.mid", {track}) + " --format float -o " + wav), 0)
        << lastErrors;
    const Stereo x = readFloatWav(wav);
    EXPECT_NEAR(toneLevel(x.left, 1.2, 1.9, 441.0) / toneLevel(x.left, 0.1, 0.45, 441.0), 1.0, 0.05);
    EXPECT_GT(toneLevel(x.left, 0.1, 0.45, kFifth), 0.05);
    EXPECT_LT(toneLevel(x.left, 1.2, 1.9, kFifth), 1e-4);
}

// Events beyond the host's 1024 per block must still arrive: with 1100 note-offs on one tick,
// every voice ends and the tail stops well before its 30-second cap.
TEST_F(RenderAudio, ElevenHundredNoteOffsOnOneTickAllEndTheirNotes) {
    zephra::test::MidiTrack track;
    // Every note ends at tick 1200, in the order they began; the 64 that still sound at the
    // end have keys of their own, whose note-offs come last.
    for (uint32_t i = 0; i < 1100; ++i)
        track.note(i, 1200 - i, 0, static_cast<uint8_t>(i < 1036 ? 30 + i % 30 : 64 + (i - 1036)), 100);
    const std::string wav = folder + "/crowd.wav";
    ASSERT_EQ(render("--sf2 " + sineFont + " --midi " + writeMidi("crowd.mid", {track}) + " --format float -o " + wav), 0)
        << lastErrors;
    EXPECT_LT(readFloatWav(wav).left.size(), 44100u * 5);   // 1.25 s of notes and their release
}

TEST_F(RenderAudio, RpnZeroOfTwelveMakesAFullBendAnOctave) {
    zephra::test::MidiTrack track;
    track.controller(0, 0, 101, 0).controller(0, 0, 100, 0).controller(0, 0, 6, 12).controller(0, 0, 38, 0);
    track.note(0, 1920, 0, 69, 100).pitchBend(960, 0, 16383);
    const std::string wav = folder + "/rpn.wav";
    ASSERT_EQ(render("--sf2 " + sineFont + " --midi " + writeMidi("rpn.mid", {track}) + " --format float -o " + wav), 0)
        << lastErrors;
    const Stereo x = readFloatWav(wav);
    EXPECT_NEAR(zeroCrossingFrequency(x.left, 0.3, 0.9), 441.0, 1.0);
    EXPECT_NEAR(zeroCrossingFrequency(x.left, 1.2, 1.9), 882.0, 2.0);
}

// A preset change in mid-song plays the note struck on the same tick with the new preset, from
// its first sample, and leaves the other channel undisturbed.
TEST_F(RenderAudio, ProgramChangeInMidSongLandsOnItsTick) {
    ASSERT_TRUE(zephra::test::writeFile(sineFont, tunedFont()));
    zephra::test::MidiTrack track;
    track.note(0, 960, 0, 69, 100).program(960, 0, 1).note(960, 960, 0, 69, 100);
    track.controller(0, 1, 7, 20).note(0, 1920, 1, 57, 100);   // a quiet A3 all through on channel 2
    const std::string wav = folder + "/change.wav";
    ASSERT_EQ(render("--sf2 " + sineFont + " --midi " + writeMidi("change.mid", {track}) + " --format float -o " + wav),
              0)
        << lastErrors;
    const Stereo x = readFloatWav(wav);
    EXPECT_GT(toneLevel(x.left, 0.5, 0.99, 441.0), 10.0 * toneLevel(x.left, 0.5, 0.99, kFifth));
    // The new tone fills the first 10 ms after the tick (one second) already.
    EXPECT_GT(toneLevel(x.left, 1.0, 1.01, kFifth), 0.3 * toneLevel(x.left, 1.2, 1.8, kFifth));
    EXPECT_LT(toneLevel(x.left, 1.0, 1.01, 441.0), 0.1 * toneLevel(x.left, 1.0, 1.01, kFifth));
    EXPECT_NEAR(toneLevel(x.left, 1.2, 1.8, 220.5) / toneLevel(x.left, 0.2, 0.8, 220.5), 1.0, 0.05);
}

// Guards against a preset change waiting for the plug-in's report: 100 changes cost what their
// loads cost (the fault made each wait a tenth of a second). The quickest of three runs each.
TEST_F(RenderAudio, AHundredProgramChangesCostLessThanASecond) {
    ASSERT_TRUE(zephra::test::writeFile(sineFont, tunedFont()));
    zephra::test::MidiTrack plain, changing;
    for (uint32_t i = 0; i <= 100; ++i) {
        plain.note(48 * i, 40, 0, 69, 100);
        changing.program(48 * i, 0, uint8_t(i % 2)).note(48 * i, 40, 0, 69, 100);
    }
    auto quickest = [&](const std::string& name, const zephra::test::MidiTrack& track) {
        const std::string midi = writeMidi(name + ".mid", {track});
        double best = 1e9;
        for (int run = 0; run < 3; ++run) {
            const auto start = std::chrono::steady_clock::now();
            EXPECT_EQ(render("--jobs 1 --sf2 " + sineFont + " --midi " + midi + " -o " + folder + "/" + name + ".wav"), 0)
                << lastErrors;
            best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        }
        return best;
    };
    const double without = quickest("plain", plain), with = quickest("changing", changing);
    EXPECT_LT(with - without, 1.0) << without << " s without the changes, " << with << " s with them";
}

TEST_F(RenderAudio, NormalisedMixPeaksAtMinusOneDbfsWhateverTheLevel) {
    zephra::test::MidiTrack track;
    for (uint8_t key : {57, 60, 64, 69, 72, 76}) track.note(0, 960, 0, key, 127);   // far above full scale
    const std::string midi = writeMidi("loud.mid", {track});
    for (const char* format : {"float", "24"}) {
        const std::string wav = folder + "/loud.wav";
        ASSERT_EQ(render("--sf2 " + sineFont + " --midi " + midi + " --format " + format + " -o " + wav), 0)
            << lastErrors;
        EXPECT_EQ(lastErrors.find("above full scale"), std::string::npos) << lastErrors;
        const std::string converted = folder + "/loud-float.wav";
        ASSERT_EQ(std::system(("sox -q '" + wav + "' -e floating-point -b 32 '" + converted + "'").c_str()), 0);
        const Stereo x = readFloatWav(converted);
        float peak = 0.f;
        for (size_t i = 0; i < x.left.size(); ++i) peak = std::max({peak, std::fabs(x.left[i]), std::fabs(x.right[i])});
        EXPECT_NEAR(20.0 * std::log10(double(peak)), -1.0, 0.1) << format;
    }
}

// Guards against a real song going silent while other channels play: in linns_basket.mid two
// channels fade their volume to 0, which silenced the whole render for 13 s.
TEST_F(RenderAudio, RealGeneralMidiSongSoundsAllThroughAndPeaksAtMinusOneDbfs) {
    const std::string song = "/usr/share/games/openttd/baseset/openmsx/linns_basket.mid";
    if (!fileExists(song) || !fileExists(kTimGM))
        GTEST_SKIP() << "needs the packages openttd-openmsx and timgm6mb-soundfont";
    const std::string wav = folder + "/song.wav";
    ASSERT_EQ(render("--midi " + song + " --format float -o " + wav), 0) << lastErrors;
    const Stereo x = readFloatWav(wav);
    const double seconds = double(x.left.size()) / kRate;
    ASSERT_GT(seconds, 200.0);
    for (double t = 0.0; t + 2.0 < seconds - 3.0; t += 2.0)
        EXPECT_GT(rms(x.left, t, t + 2.0) + rms(x.right, t, t + 2.0), 1e-3) << "silent from " << t << " s";
    float peak = 0.f;
    for (size_t i = 0; i < x.left.size(); ++i) peak = std::max({peak, std::fabs(x.left[i]), std::fabs(x.right[i])});
    EXPECT_NEAR(20.0 * std::log10(double(peak)), -1.0, 0.1);
}

// Guards against every channel sitting in the middle: controller 10 pans the channel's track,
// and a pan moving during the song glides with no step larger than its ramp allows.
TEST_F(RenderAudio, PanPutsChannelsLeftAndRightAndGlidesWhenItMoves) {
    ASSERT_TRUE(zephra::test::writeFile(sineFont, tunedFont()));
    zephra::test::MidiTrack sides;
    sides.controller(0, 0, 10, 0).note(0, 960, 0, 69, 100).program(0, 1, 1).controller(0, 1, 10, 127)
        .note(0, 960, 1, 69, 100);
    const std::string sidesWav = folder + "/sides.wav";
    ASSERT_EQ(render("--sf2 " + sineFont + " --midi " + writeMidi("sides.mid", {sides}) + " --format float -o " +
                     sidesWav), 0) << lastErrors;
    const Stereo x = readFloatWav(sidesWav);
    EXPECT_GT(toneLevel(x.left, 0.1, 0.9, 441.0), 100.0 * toneLevel(x.right, 0.1, 0.9, 441.0));    // 40 dB
    EXPECT_GT(toneLevel(x.right, 0.1, 0.9, kFifth), 100.0 * toneLevel(x.left, 0.1, 0.9, kFifth));

    zephra::test::MidiTrack still, sweep;
    still.note(0, 1920, 0, 69, 100);
    sweep.note(0, 1920, 0, 69, 100);
    for (uint32_t step = 0; step <= 32; ++step) sweep.controller(480 + 24 * step, 0, 10, uint8_t(std::max(0, 127 - int(step) * 4)));
    const std::string stillWav = folder + "/still.wav", sweepWav = folder + "/sweep.wav";
    for (const auto& [wav, track] : {std::pair{stillWav, still}, std::pair{sweepWav, sweep}})
        ASSERT_EQ(render("--sf2 " + sineFont + " --midi " + writeMidi("pan.mid", {track}) +
                         " --no-normalise --format float -o " + wav), 0) << lastErrors;
    const Stereo centre = readFloatWav(stillWav), moving = readFloatWav(sweepWav);
    ASSERT_EQ(centre.left.size(), moving.left.size());
    // The left gain, where the unpanned sample is large enough to divide by, moves at most
    // sqrt(2) over a 5 ms ramp per sample.
    const double maxStep = std::sqrt(2.0) / std::round(0.005 * kRate) * 1.001;
    double gainBefore = 1.0, largest = 0.0;
    size_t at = 0;
    for (size_t i = 0; i < 2 * size_t(kRate); ++i) {
        if (std::fabs(centre.left[i]) < 0.05f) continue;
        const double gain = double(moving.left[i]) / double(centre.left[i]);
        largest = std::max(largest, std::fabs(gain - gainBefore) / double(i - at));
        gainBefore = gain;
        at = i;
    }
    EXPECT_LE(largest, maxStep);
    EXPECT_NEAR(gainBefore, std::sqrt(2.0), 0.01);   // it got to the left in the end
}
