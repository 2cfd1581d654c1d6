// Writes the seed corpora of the fuzz targets: SoundFonts and WAV files from the test writers,
// covering global and local zones, layers, splits, odd INFO chunks and every WAV format.
// Usage: make_seeds <soundfont corpus dir> <wav corpus dir>
#include "support/SoundFontWriter.h"

#include <cstdio>
#include <string>

using namespace zephra::test;

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

void write(const std::string& dir, const std::string& name, const std::vector<uint8_t>& bytes)
{
    if (!writeFile(dir + "/" + name, bytes))
        std::fprintf(stderr, "cannot write %s/%s\n", dir.c_str(), name.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <soundfont corpus dir> <wav corpus dir>\n", argv[0]);
        return 2;
    }
    const std::string sf = argv[1], wav = argv[2];
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
    return 0;
}
