// Writes the seed corpora of the fuzz targets: SoundFonts and WAV files from the test writers,
// covering global and local zones, layers, splits, odd INFO chunks and every WAV format; and,
// when sf3convert is installed, those fonts compressed (.sf3) and their Ogg Vorbis streams; the
// plug-in's states as it writes them (the controller's naming a font and a WAV file written
// beside its folder) and the messages the controller sends.
// Usage: make_seeds <soundfont dir> <wav dir> <vorbis dir> <component state dir>
//        <controller state dir> <processor messages dir>
#include "controller/ControllerState.h"
#include "platform/Text.h"
#include "soundfont/RiffFile.h"
#include "soundfont/SoundFontTables.h"
#include "support/Sf3Convert.h"
#include "support/SoundFontWriter.h"
#include "support/StateBytes.h"

#include <cstdio>
#include <cstring>
#include <string>

using namespace zephra::test;
using Steinberg::Vst::RiffFile;

namespace {

SoundFontSpec layeredFont()
{
    SoundFontSpec spec;
    SampleSpec a;
    a.name = "A";
    for (int k = 0; k < 64; ++k)
        a.points.push_back(static_cast<int16_t>((k % 16) * 2000 - 16000));
    a.loopStart = 8;
    a.loopEnd = 56;
    SampleSpec b = a;
    b.name = "B";
    b.rootKey = 72;
    spec.samples = {a, b};
    InstrumentSpec inst{"Layers", {}};
    inst.zones.push_back(ZoneSpec{{{48, 30}, {34, -2400}}, {}, -1});  // global instrument zone
    inst.zones.push_back(ZoneSpec{{rangeGenerator(43, 0, 64), {54, 1}}, {ModulatorSpec{2, 48, 960, 0, 0}}, 0});
    inst.zones.push_back(ZoneSpec{{rangeGenerator(43, 65, 127), {58, 70}}, {}, 1});
    spec.instruments.push_back(inst);
    PresetSpec preset{"Split", 5, 0, {}};
    preset.zones.push_back(ZoneSpec{{{51, 2}, {17, -200}}, {}, -1});  // global preset zone
    preset.zones.push_back(ZoneSpec{{rangeGenerator(43, 60, 72)}, {}, 0});
    preset.zones.push_back(ZoneSpec{{rangeGenerator(44, 0, 100), {8, -1200}}, {}, 0});
    spec.presets.push_back(preset);
    spec.presets.push_back(PresetSpec{"Drums", 0, 128, {ZoneSpec{{}, {}, 0}}});
    spec.extraInfoChunks.push_back(RawChunk{"ICMT", {'o', 'd', 'd'}, -1, false});
    return spec;
}

// The data of one chunk of a RIFF file, as the SoundFont reader's walk finds it.
std::vector<uint8_t> chunkData(RiffFile& riff, const char (&id)[5])
{
    std::vector<uint8_t> data(riff.availableSize(RiffFile::id(id)));
    uint32_t got = 0;
    if (!data.empty())
        riff.readChunk(RiffFile::id(id), data.data(), static_cast<uint32_t>(data.size()), 0, &got);
    data.resize(got);
    return data;
}

void write(const std::string& dir, const std::string& name, const std::vector<uint8_t>& bytes)
{
    if (!writeFile(dir + "/" + name, bytes))
        std::fprintf(stderr, "cannot write %s/%s\n", dir.c_str(), name.c_str());
}

// One message as processor_messages_fuzz reads it: the ID's number, then per attribute its
// kind (1: text, 2: bytes, 3: the registered list), key and value.
std::vector<uint8_t> message(uint8_t id, const std::vector<std::pair<std::string, std::vector<uint8_t>>>& attributes)
{
    std::vector<uint8_t> bytes{id, uint8_t(attributes.size())};
    for (const auto& [key, value] : attributes) {
        bytes.insert(bytes.end(), {uint8_t(key == "SFSynthList" ? 3 : key == "Text" ? 1 : 2), uint8_t(key.size())});
        bytes.insert(bytes.end(), key.begin(), key.end());
        bytes.insert(bytes.end(), {uint8_t(value.size()), uint8_t(value.size() >> 8)});
        bytes.insert(bytes.end(), value.begin(), value.end());
    }
    return bytes;
}

void writePluginSeeds(const std::string& component, const std::string& controller, const std::string& messages)
{
    write(component, "default", processorStateBytes(Steinberg::Vst::kStateHeader, 0, defaultStateEntries()));
    write(component, "bypassed", processorStateBytes(Steinberg::Vst::kStateHeader, 1, {{1000, 12.0}, {5000, 0.5}, {7, 0.25}}));
    SineFontOptions three;
    three.presetCount = 3;
    writeFile(controller + ".sf2", makeSineSoundFont(three));
    writeFile(controller + ".wav", makeWav(1, 16, 44100, {0, 9000, -9000}));
    write(controller, "font", controllerStateNaming(controller + ".sf2", 2));
    write(controller, "wave", controllerStateNaming(controller + ".wav", nullptr));
    const std::vector<uint8_t> four{1, 0, 0, 0}, rate{0x44, 0xAC, 0, 0}, samples(16, 0x3E);
    std::vector<uint8_t> loadAndAsk = message(0, {{"fileID", four}, {"SFSynthList", {0, 0}}});
    const std::vector<uint8_t> ask = message(2, {});   // "GETVOICENUM"
    loadAndAsk.insert(loadAndAsk.end(), ask.begin(), ask.end());
    write(messages, "sf2data-getvoicenum", loadAndAsk);
    write(messages, "wavdata", message(1, {{"wavID", four}, {"wavL", samples}, {"wavR", samples}, {"samplerate", rate}}));
    write(messages, "text", message(3, {{"Text", {'h', 0}}}));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 7) {
        std::fprintf(stderr, "usage: %s <soundfont dir> <wav dir> <vorbis dir> <component state dir> "
                             "<controller state dir> <processor messages dir>\n", argv[0]);
        return 2;
    }
    writePluginSeeds(argv[4], argv[5], argv[6]);
    const std::string sf = argv[1], wav = argv[2], vorbis = argv[3];
    SineFontOptions three;
    three.presetCount = 3;
    write(sf, "sine.sf2", makeSineSoundFont());
    write(sf, "sine3.sf2", makeSineSoundFont(three));
    SineFontOptions oneShot;
    oneShot.looped = false;
    write(sf, "oneshot.sf2", makeSineSoundFont(oneShot));
    write(sf, "layered.sf2", buildSoundFont(layeredFont()));
    SoundFontSpec unpadded = layeredFont();
    unpadded.padOddChunks = false;
    write(sf, "unpadded.sf2", buildSoundFont(unpadded));

    std::vector<int32_t> mono, stereo;
    for (int i = 0; i < 32; ++i) {
        mono.push_back(i * 1000 - 16000);
        stereo.push_back(i * 1000 - 16000);
        stereo.push_back(16000 - i * 1000);
    }
    write(wav, "mono16.wav", makeWav(1, 16, 44100, mono));
    write(wav, "stereo16.wav", makeWav(2, 16, 44100, stereo));
    std::vector<int32_t> wide;
    for (int32_t v : stereo)
        wide.push_back(v * 256 + 0x5A);
    write(wav, "stereo24.wav", makeWav(2, 24, 44100, wide));
    write(wav, "mono48k.wav", makeWav(1, 16, 48000, mono));

    if (!haveSf3convert()) {
        std::fprintf(stderr, "sf3convert not installed: no compressed seeds (apt-get install sf3convert)\n");
        return 0;
    }
    const std::string work = vorbis + "/convert";
    SineFontOptions short1;
    short1.frequency = 882.0;
    for (const auto& [name, font] : {std::make_pair(std::string("tones"), buildSoundFont(tonesFont())),
                                      std::make_pair(std::string("sine"), makeSineSoundFont(short1))}) {
        const std::vector<uint8_t> sf3 = convertToSf3(font, work);
        // The streams are cut out of the converted file as the reader finds them: its "smpl"
        // at the offsets its sample headers give.
        const std::string converted = work + "-" + name + ".sf3";
        std::vector<uint8_t> shdr, smpl;
        if (!sf3.empty() && writeFile(converted, sf3)) {
            RiffFile riff(Steinberg::Vst::fromUtf8(converted));
            shdr = chunkData(riff, "shdr");
            smpl = chunkData(riff, "smpl");
        }
        std::remove(converted.c_str());
        if (shdr.empty() || smpl.empty()) {
            std::fprintf(stderr, "sf3convert failed on %s\n", name.c_str());
            continue;
        }
        if (sf3.size() <= 16384)   // the fuzzing runs' input length limit
            write(sf, name + ".sf3", sf3);
        const auto le32 = [&](size_t at) {
            return shdr[at] | (shdr[at + 1] << 8) | (shdr[at + 2] << 16) | (static_cast<uint32_t>(shdr[at + 3]) << 24);
        };
        // Every header but the terminal one; start and end follow the 20-byte name.
        const size_t headerBytes = Steinberg::Vst::SoundFontRecordBytes::sampleHeader;
        for (size_t i = 0; (i + 2) * headerBytes <= shdr.size(); ++i) {
            const uint32_t start = le32(headerBytes * i + 20), end = le32(headerBytes * i + 24);
            if (start < end && end <= smpl.size())
                write(vorbis, name + "-" + std::to_string(i) + ".ogg",
                      std::vector<uint8_t>(smpl.begin() + static_cast<long>(start), smpl.begin() + static_cast<long>(end)));
        }
    }
    return 0;
}
