// zephra-render from the command line: every refusal gives its message and exit status and
// leaves no WAV behind; --list-presets prints the editor's sorted rows.
#include "support/MidiWriter.h"
#include "support/SoundFontWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>
#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

const std::string kRenderer = std::string(ZEPHRA_BINARY_DIR) + "/host/render/zephra-render";
const std::string kTimGM = "/usr/share/sounds/sf2/TimGM6mb.sf2";

struct RunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool fileExists(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

// The names in a folder, leaving out "." and ".." and the captured output of run().
std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != ".." && name != "stdout.txt" && name != "stderr.txt") names.push_back(name);
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

class RenderCli : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/zephra-render-cli-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        folder = pattern;
        ASSERT_TRUE(fileExists(kRenderer)) << "zephra-render is not built at " << kRenderer;
        sineFont = folder + "/sine.sf2";
        zephra::test::SineFontOptions options;
        options.presetCount = 3;
        ASSERT_TRUE(zephra::test::writeFile(sineFont, zephra::test::makeSineSoundFont(options)));
        midi = folder + "/piece.mid";
        zephra::test::MidiTrack track;
        track.note(0, 480, 0, 69, 100);
        ASSERT_TRUE(zephra::test::writeFile(midi, zephra::test::buildMidiFile({track})));
    }
    void TearDown() override {
        if (!folder.empty()) std::system(("rm -rf '" + folder + "'").c_str());
    }

    RunResult run(const std::string& arguments) {
        const std::string out = folder + "/stdout.txt";
        const std::string err = folder + "/stderr.txt";
        const std::string command = "'" + kRenderer + "' " + arguments + " >'" + out + "' 2>'" + err + "'";
        const int status = std::system(command.c_str());
        RunResult result;
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.out = slurp(out);
        result.err = slurp(err);
        return result;
    }

    std::string folder;
    std::string sineFont;
    std::string midi;
};

} // namespace

TEST_F(RenderCli, MissingSoundFontIsRefusedWithStatus3) {
    const std::string wav = folder + "/out.wav";
    const RunResult r = run("--sf2 " + folder + "/absent.sf2 --midi " + midi + " -o " + wav);
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(r.err.find("not found"), std::string::npos) << r.err;
    EXPECT_FALSE(fileExists(wav));
}

TEST_F(RenderCli, UnreadableSoundFontIsRefusedWithStatus3) {
    const RunResult r = run("--sf2 " + folder + " --midi " + midi + " -o " + folder + "/out.wav");
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(r.err.find("cannot be read"), std::string::npos) << r.err;
}

TEST_F(RenderCli, FileThatIsNotASoundFontIsRefusedWithStatus3) {
    const std::string wav = folder + "/out.wav";
    const RunResult r = run("--sf2 " + midi + " --midi " + midi + " -o " + wav);
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(r.err.find("is not a SoundFont 2 or 3 file"), std::string::npos) << r.err;
    EXPECT_FALSE(fileExists(wav));
}

TEST_F(RenderCli, PresetThatDoesNotExistIsRefusedWithStatus3) {
    const RunResult r = run("--sf2 " + sineFont + " --preset 3 --midi " + midi + " -o " + folder + "/out.wav");
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(r.err.find("preset 3 does not exist"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("presets 0 to 2"), std::string::npos) << r.err;
}

// Guards against a silent WAV from a preset that resolves to nothing playable.
TEST_F(RenderCli, PresetWithoutSamplesIsRefusedWithStatus3) {
    zephra::test::SoundFontSpec spec;
    zephra::test::PresetSpec empty;
    empty.name = "Empty";
    spec.presets.push_back(empty);
    const std::string font = folder + "/empty.sf2";
    ASSERT_TRUE(zephra::test::writeFile(font, zephra::test::buildSoundFont(spec)));
    const std::string wav = folder + "/out.wav";
    const RunResult r = run("--sf2 " + font + " --midi " + midi + " -o " + wav);
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(r.err.find("nothing to play"), std::string::npos) << r.err;
    EXPECT_FALSE(fileExists(wav));
}

TEST_F(RenderCli, SoundFontWithoutTheSf2ExtensionIsRefusedWithStatus3) {
    const std::string renamed = folder + "/sine.sound";
    ASSERT_EQ(std::rename(sineFont.c_str(), renamed.c_str()), 0);
    const RunResult r = run("--sf2 " + renamed + " --midi " + midi + " -o " + folder + "/out.wav");
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(r.err.find("ending in .sf2"), std::string::npos) << r.err;
}

TEST_F(RenderCli, BankAndProgramThatDoNotExistAreRefusedWithStatus3) {
    const RunResult r = run("--sf2 " + sineFont + " --bank 128 --program 0 --midi " + midi + " -o " + folder + "/out.wav");
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(r.err.find("no preset with bank 128 and program 0"), std::string::npos) << r.err;
}

TEST_F(RenderCli, BrokenMidiFileIsRefusedWithStatus4) {
    std::vector<uint8_t> bytes = zephra::test::makeGeneralMidiPiece(2.0);
    bytes.resize(bytes.size() / 2);
    const std::string broken = folder + "/broken.mid";
    ASSERT_TRUE(zephra::test::writeFile(broken, bytes));
    const std::string wav = folder + "/out.wav";
    const RunResult r = run("--sf2 " + sineFont + " --midi " + broken + " -o " + wav);
    EXPECT_EQ(r.exitCode, 4);
    EXPECT_NE(r.err.find("broken MIDI file"), std::string::npos) << r.err;
    EXPECT_FALSE(fileExists(wav));
}

TEST_F(RenderCli, MissingMidiFileIsRefusedWithStatus4) {
    const RunResult r = run("--sf2 " + sineFont + " --midi " + folder + "/absent.mid -o " + folder + "/out.wav");
    EXPECT_EQ(r.exitCode, 4);
    EXPECT_NE(r.err.find("cannot open MIDI file"), std::string::npos) << r.err;
}

TEST_F(RenderCli, MidiFileWithoutNotesIsRefusedWithStatus4) {
    zephra::test::MidiTrack track;
    track.controller(0, 0, 7, 100);
    const std::string empty = folder + "/empty.mid";
    ASSERT_TRUE(zephra::test::writeFile(empty, zephra::test::buildMidiFile({track})));
    const std::string wav = folder + "/out.wav";
    const RunResult r = run("--sf2 " + sineFont + " --midi " + empty + " -o " + wav);
    EXPECT_EQ(r.exitCode, 4);
    EXPECT_NE(r.err.find("has no notes"), std::string::npos) << r.err;
    EXPECT_FALSE(fileExists(wav));
}

// Guards against a hang: a delta time of hours would otherwise render (and write) for ever.
TEST_F(RenderCli, PieceLongerThanFourHoursIsRefusedWithStatus4) {
    zephra::test::MidiTrack track;
    track.tempo(0, 16000000).note(0, 480, 0, 69, 100).note(0x0FFFFFF, 480, 0, 69, 100);
    const std::string endless = folder + "/endless.mid";
    ASSERT_TRUE(zephra::test::writeFile(endless, zephra::test::buildMidiFile({track})));
    const std::string wav = folder + "/out.wav";
    const RunResult r = run("--sf2 " + sineFont + " --midi " + endless + " -o " + wav);
    EXPECT_EQ(r.exitCode, 4);
    EXPECT_NE(r.err.find("longer than 4 hours"), std::string::npos) << r.err;
    EXPECT_FALSE(fileExists(wav));
}

TEST_F(RenderCli, RenderPrintsASummaryAndNoProgressBarIntoAPipe) {
    zephra::test::MidiTrack track;
    track.note(0, 2400, 0, 69, 100);  // 2.5 s: long enough for a bar on a terminal
    const std::string piece = folder + "/long.mid";
    ASSERT_TRUE(zephra::test::writeFile(piece, zephra::test::buildMidiFile({track})));
    const RunResult r = run("--sf2 " + sineFont + " --midi " + piece + " --tail 2 -o " + folder + "/out.wav");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err.find('\r'), std::string::npos);
    EXPECT_NE(r.out.find("rendered 4.50 s"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("real time"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("dBFS"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("at most 1 voices"), std::string::npos) << r.out;
}

// Guards against data loss: opening the output would empty an input of the same name.
TEST_F(RenderCli, OutputThatIsAnInputFileIsRefusedAndTheInputKept) {
    const RunResult r = run("--sf2 " + sineFont + " --midi " + midi + " -o " + midi);
    EXPECT_EQ(r.exitCode, 5);
    EXPECT_NE(r.err.find("is an input file"), std::string::npos) << r.err;
    const RunResult again = run("--sf2 " + sineFont + " --midi " + midi + " -o " + folder + "/out.wav");
    EXPECT_EQ(again.exitCode, 0) << again.err;  // the MIDI file is still whole
    const RunResult sf = run("--sf2 " + sineFont + " --midi " + midi + " -o " + sineFont);
    EXPECT_EQ(sf.exitCode, 5);
    EXPECT_NE(slurp(sineFont).size(), 0u);
}

TEST_F(RenderCli, UnwritableOutputPathIsRefusedWithStatus5) {
    const RunResult r = run("--sf2 " + sineFont + " --midi " + midi + " -o " + folder + "/no/such/folder/out.wav");
    EXPECT_EQ(r.exitCode, 5);
    EXPECT_NE(r.err.find("cannot write"), std::string::npos) << r.err;
}

TEST_F(RenderCli, MissingBundleIsRefusedWithStatus6) {
    const std::string wav = folder + "/out.wav";
    const RunResult r = run("--plugin " + folder + "/none.vst3 --sf2 " + sineFont + " --midi " + midi + " -o " + wav);
    EXPECT_EQ(r.exitCode, 6);
    EXPECT_NE(r.err.find("not found"), std::string::npos) << r.err;
    EXPECT_FALSE(fileExists(wav));
}

TEST_F(RenderCli, BadOptionIsRefusedWithStatus2) {
    const RunResult r = run("--block 0");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("--block"), std::string::npos) << r.err;
}

// Guards against a silent WAV passing for a result: a piece played at volume 0 makes no sound.
TEST_F(RenderCli, SilentRenderIsReportedWithStatus7AndLeavesNoFile) {
    zephra::test::MidiTrack track;
    track.note(0, 480, 0, 69, 100).controller(0, 0, 7, 0);  // volume 0 from the first sample
    const std::string muted = folder + "/muted.mid";
    ASSERT_TRUE(zephra::test::writeFile(muted, zephra::test::buildMidiFile({track})));
    const std::string wav = folder + "/out.wav";
    const RunResult r = run("--sf2 " + sineFont + " --midi " + muted + " -o " + wav);
    EXPECT_EQ(r.exitCode, 7);
    EXPECT_NE(r.err.find("silent"), std::string::npos) << r.err;
    EXPECT_FALSE(fileExists(wav));
}

TEST_F(RenderCli, ListPresetsPrintsTheEditorsSortedRowsWithTheirIndex) {
    const RunResult r = run("--sf2 " + sineFont + " --list-presets");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "    0  000:000 - Sine 0\n    1  000:001 - Sine 1\n    2  000:002 - Sine 2\n");
}

TEST_F(RenderCli, ListPresetsOfTheDebianSoundFontStartsWithThePianos) {
    if (!fileExists(kTimGM)) GTEST_SKIP() << kTimGM << " is not installed (package timgm6mb-soundfont)";
    const RunResult r = run("--list-presets");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("000:000 - "), std::string::npos);
    EXPECT_LT(r.out.find("000:000 - "), r.out.find("000:001 - "));
    EXPECT_LT(r.out.find("000:127 - "), r.out.find("128:000 - "));
}

TEST_F(RenderCli, HelpListsEveryOption) {
    const RunResult r = run("--help");
    EXPECT_EQ(r.exitCode, 0);
    for (const char* option : {"--sf2", "--preset", "--bank", "--program", "--list-presets", "--midi", "--output",
                               "--format", "--rate", "--block", "--tail", "--level", "--plugin", "--channel",
                               "--single", "--no-normalise", "--jobs"})
        EXPECT_NE(r.out.find(option), std::string::npos) << option;
}

// Guards against data loss: a failed render deleted an existing output, and an output path
// inside the bundle truncated the plug-in's own binary.
TEST_F(RenderCli, FailedOrRefusedRenderLeavesTheExistingOutputAsItWas) {
    const std::string wav = folder + "/out.wav";
    ASSERT_TRUE(zephra::test::writeFile(wav, {'k', 'e', 'e', 'p'}));
    zephra::test::MidiTrack track;
    track.note(0, 480, 0, 69, 100).controller(0, 0, 7, 0);
    const std::string muted = folder + "/muted.mid";
    ASSERT_TRUE(zephra::test::writeFile(muted, zephra::test::buildMidiFile({track})));
    const std::vector<std::string> before = namesIn(folder);
    EXPECT_EQ(run("--sf2 " + sineFont + " --midi " + muted + " -o " + wav).exitCode, 7);
    EXPECT_EQ(run("--plugin " + folder + "/none.vst3 --sf2 " + sineFont + " --midi " + midi + " -o " + wav).exitCode, 6);
    EXPECT_EQ(run("--sf2 " + sineFont + " --midi " + midi + " -o " + folder + "/out.xyz").exitCode, 2);
    EXPECT_EQ(slurp(wav), "keep");
    EXPECT_EQ(namesIn(folder), before);   // no temporary file left behind

    const std::string library = std::string(ZEPHRA_BUNDLE_PATH) + "/Contents/x86_64-linux/Zephra SF2 Player.so";
    const std::string size = std::to_string(slurp(library).size());
    const RunResult r = run("--sf2 " + sineFont + " --midi " + midi + " -o '" + library + "'");
    EXPECT_EQ(r.exitCode, 5);
    EXPECT_NE(r.err.find("inside the plug-in bundle"), std::string::npos) << r.err;
    EXPECT_EQ(std::to_string(slurp(library).size()), size);

    // A link is followed: to the plug-in's binary it is refused, elsewhere its file is written
    // and the link stays a link.
    const std::string link = folder + "/link.wav";
    ASSERT_EQ(::symlink(library.c_str(), link.c_str()), 0);
    EXPECT_EQ(run("--sf2 " + sineFont + " --midi " + midi + " -o " + link).exitCode, 5);
    EXPECT_EQ(std::to_string(slurp(library).size()), size);
    ::unlink(link.c_str());
    ASSERT_EQ(::symlink("out.wav", link.c_str()), 0);
    EXPECT_EQ(run("--sf2 " + sineFont + " --midi " + midi + " -o " + link).exitCode, 0);
    struct stat info;
    ASSERT_EQ(::lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(slurp(wav).substr(0, 4), "RIFF");
}

// Guards against Ctrl-C leaving a WAV whose header says 0 bytes.
TEST_F(RenderCli, InterruptedRenderLeavesNoPartialFile) {
    zephra::test::MidiTrack track;
    for (uint32_t i = 0; i < 2000; ++i) track.note(480 * i, 470, 0, static_cast<uint8_t>(50 + i % 30), 100);
    const std::string piece = folder + "/long.mid", wav = folder + "/out.wav";
    ASSERT_TRUE(zephra::test::writeFile(piece, zephra::test::buildMidiFile({track})));
    ASSERT_TRUE(zephra::test::writeFile(wav, {'k', 'e', 'e', 'p'}));
    const std::vector<std::string> before = namesIn(folder);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Blocks of one sample make the 1000-second piece last long enough to be interrupted.
        ::execl(kRenderer.c_str(), kRenderer.c_str(), "-q", "--block", "1", "--sf2", sineFont.c_str(), "--midi",
                piece.c_str(), "-o", wav.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // Interrupt once the render is under way: its temporary output file exists by then.
    for (int i = 0; i < 500 && namesIn(folder).size() == before.size(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ::kill(child, SIGINT);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);
    EXPECT_EQ(slurp(wav), "keep");
    EXPECT_EQ(namesIn(folder), before);
}

TEST_F(RenderCli, OutputFormatFollowsTheExtensionAndFloatWavHasTheExtensibleHeader) {
    EXPECT_EQ(run("--sf2 " + sineFont + " --midi " + midi + " -o " + folder + "/out.flac").exitCode, 0);
    EXPECT_EQ(slurp(folder + "/out.flac").substr(0, 4), "fLaC");
    EXPECT_EQ(run("--sf2 " + sineFont + " --midi " + midi + " --format float -o " + folder + "/out.wav").exitCode, 0);
    const std::string wav = slurp(folder + "/out.wav");
    ASSERT_GT(wav.size(), 44u);
    EXPECT_EQ(wav.substr(12, 8), std::string("fmt \x28\0\0\0", 8));   // a 40-byte fmt chunk ...
    EXPECT_EQ(wav.substr(20, 2), std::string("\xFE\xFF", 2));        // ... of WAVE_FORMAT_EXTENSIBLE
    const RunResult piped = run("--sf2 " + sineFont + " --midi " + midi + " -o -");
    EXPECT_EQ(piped.exitCode, 0) << piped.err;
    EXPECT_EQ(piped.out.substr(0, 4), "RIFF");
    EXPECT_NE(piped.err.find("rendered"), std::string::npos);   // the summary goes to stderr then
    const RunResult bad = run("--sf2 " + sineFont + " --midi " + midi + " --format float -o " + folder + "/x.flac");
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_NE(bad.err.find("FLAC holds 16 or 24-bit"), std::string::npos) << bad.err;
}
