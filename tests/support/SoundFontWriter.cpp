#include "support/SoundFontWriter.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace zephra {
namespace test {

namespace {

void appendName(std::vector<uint8_t>& out, const std::string& name)
{
    for (size_t i = 0; i < 20; ++i)
        out.push_back(i < name.size() && i < 19 ? static_cast<uint8_t>(name[i]) : 0);
}

void appendGenerator(std::vector<uint8_t>& out, uint16_t op, int16_t amount)
{
    appendLe16(out, op);
    appendLe16(out, static_cast<uint16_t>(amount));
}

void appendModulator(std::vector<uint8_t>& out, const ModulatorSpec& m)
{
    appendLe16(out, m.source);
    appendLe16(out, m.destination);
    appendLe16(out, static_cast<uint16_t>(m.amount));
    appendLe16(out, m.amountSource);
    appendLe16(out, m.transform);
}

// Writes the bag, modulator and generator records of a list of zones owners (presets or
// instruments); linkOp is the generator that ends a local zone.
template <typename Owner>
void appendZones(const std::vector<Owner>& owners, uint16_t linkOp, std::vector<uint8_t>& bags,
                 std::vector<uint8_t>& mods, std::vector<uint8_t>& gens, std::vector<uint16_t>& firstBags)
{
    uint16_t bag = 0, gen = 0, mod = 0;
    for (const Owner& owner : owners) {
        firstBags.push_back(bag);
        for (const ZoneSpec& zone : owner.zones) {
            appendLe16(bags, gen);
            appendLe16(bags, mod);
            ++bag;
            for (const GeneratorSpec& g : zone.generators) {
                appendGenerator(gens, g.op, g.amount);
                ++gen;
            }
            if (zone.link >= 0) {
                appendGenerator(gens, linkOp, static_cast<int16_t>(zone.link));
                ++gen;
            }
            for (const ModulatorSpec& m : zone.modulators) {
                appendModulator(mods, m);
                ++mod;
            }
        }
    }
    firstBags.push_back(bag);
    appendLe16(bags, gen);  // terminal bag
    appendLe16(bags, mod);
    appendGenerator(gens, 0, 0);  // terminal generator
    appendModulator(mods, ModulatorSpec{});  // terminal modulator
}

} // namespace

GeneratorSpec rangeGenerator(uint16_t op, uint8_t low, uint8_t high)
{
    return GeneratorSpec{op, static_cast<int16_t>(static_cast<uint16_t>(low | (high << 8)))};
}

std::map<std::string, std::vector<uint8_t>> buildPresetData(const SoundFontSpec& spec)
{
    std::map<std::string, std::vector<uint8_t>> c;
    std::vector<uint16_t> presetBags, instrumentBags;
    appendZones(spec.presets, 41, c["pbag"], c["pmod"], c["pgen"], presetBags);
    appendZones(spec.instruments, 53, c["ibag"], c["imod"], c["igen"], instrumentBags);
    if (spec.terminalPresetBag)
        presetBags.back() = *spec.terminalPresetBag;
    if (spec.terminalInstrumentBag)
        instrumentBags.back() = *spec.terminalInstrumentBag;

    auto& phdr = c["phdr"];
    for (size_t i = 0; i <= spec.presets.size(); ++i) {
        const bool terminal = i == spec.presets.size();
        appendName(phdr, terminal ? "EOP" : spec.presets[i].name);
        appendLe16(phdr, terminal ? 0 : spec.presets[i].program);
        appendLe16(phdr, terminal ? 0 : spec.presets[i].bank);
        appendLe16(phdr, presetBags[i]);
        appendLe32(phdr, 0);
        appendLe32(phdr, 0);
        appendLe32(phdr, 0);
    }
    auto& inst = c["inst"];
    for (size_t i = 0; i <= spec.instruments.size(); ++i) {
        appendName(inst, i == spec.instruments.size() ? "EOI" : spec.instruments[i].name);
        appendLe16(inst, instrumentBags[i]);
    }
    auto& shdr = c["shdr"];
    uint32_t position = 0;
    for (const SampleSpec& s : spec.samples) {
        const uint32_t start = position;
        const uint32_t end = start + static_cast<uint32_t>(s.points.size());
        SampleSpec::Positions p{start, end, start + s.loopStart, start + s.loopEnd};
        if (s.rawPositions)
            p = *s.rawPositions;
        appendName(shdr, s.name);
        appendLe32(shdr, p.start);
        appendLe32(shdr, p.end);
        appendLe32(shdr, p.loopStart);
        appendLe32(shdr, p.loopEnd);
        appendLe32(shdr, s.sampleRate);
        shdr.push_back(s.rootKey);
        shdr.push_back(static_cast<uint8_t>(s.pitchCorrection));
        appendLe16(shdr, s.sampleLink);
        appendLe16(shdr, s.sampleType);
        position = end + 46;  // 46 zero points follow every sample
    }
    appendName(shdr, "EOS");
    shdr.resize(shdr.size() + 26, 0);
    return c;
}

std::vector<uint8_t> buildSoundFont(const SoundFontSpec& spec)
{
    std::map<std::string, std::vector<uint8_t>> data = buildPresetData(spec);
    auto& ifil = data["ifil"];
    appendLe16(ifil, spec.versionMajor);
    appendLe16(ifil, spec.versionMinor);
    if (spec.bankName) {
        auto& inam = data["INAM"];
        inam.assign(spec.bankName->begin(), spec.bankName->end());
        inam.push_back(0);
        if (inam.size() % 2 != 0)
            inam.push_back(0);  // the standard keeps text chunks even-sized
    }
    auto& smpl = data["smpl"];
    for (const SampleSpec& s : spec.samples) {
        for (int16_t point : s.points)
            appendLe16(smpl, static_cast<uint16_t>(point));
        smpl.resize(smpl.size() + 2 * 46, 0);
    }
    if (smpl.empty())
        smpl.resize(2 * 46, 0);

    const auto chunk = [&](const std::string& id) -> std::vector<RawChunk> {
        if (spec.omitChunks.count(id) || !data.count(id))
            return {};
        RawChunk c{id, data[id]};
        if (auto r = spec.replaceData.find(id); r != spec.replaceData.end())
            c.data = r->second;
        if (auto s = spec.statedSizes.find(id); s != spec.statedSizes.end())
            c.statedSize = s->second;
        c.pad = spec.padOddChunks;
        return {c};
    };
    const auto concat = [](std::vector<RawChunk> a, const std::vector<RawChunk>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };

    std::vector<RawChunk> info = concat(chunk("ifil"), chunk("INAM"));
    for (RawChunk extra : spec.extraInfoChunks) {
        extra.pad = extra.pad && spec.padOddChunks;
        info.push_back(extra);
    }
    std::vector<RawChunk> pdta;
    for (const char* id : {"phdr", "pbag", "pmod", "pgen", "inst", "ibag", "imod", "igen", "shdr"})
        pdta = concat(pdta, chunk(id));

    std::vector<RawChunk> top{listChunk("INFO", info), listChunk("sdta", chunk("smpl")), listChunk("pdta", pdta)};
    for (RawChunk& list : top)
        list.pad = spec.padOddChunks;
    top.insert(top.end(), spec.trailingChunks.begin(), spec.trailingChunks.end());
    return riffFile("sfbk", top);
}

std::vector<uint8_t> makeSineSoundFont(const SineFontOptions& options)
{
    const double pointsPerCycle = options.sampleRate / options.frequency;
    // Whole cycles whose length is (nearly) a whole number of points keep the loop seamless.
    int cycles = 1;
    while (cycles < 64 && std::fabs(pointsPerCycle * cycles - std::round(pointsPerCycle * cycles)) > 1e-6)
        ++cycles;
    const auto loopLength = static_cast<uint32_t>(std::lround(pointsPerCycle * cycles));
    const uint32_t lead = loopLength;   // one loop length before the loop starts
    const uint32_t total = lead + 4 * loopLength;

    SampleSpec sine;
    sine.name = "Sine";
    sine.sampleRate = options.sampleRate;
    sine.rootKey = options.rootKey;
    sine.pitchCorrection = options.pitchCorrection;
    for (uint32_t k = 0; k < total; ++k) {
        const double phase = 2.0 * M_PI * static_cast<double>(k) * options.frequency / options.sampleRate;
        sine.points.push_back(static_cast<int16_t>(std::lround(16384.0 * std::sin(phase))));
    }
    sine.loopStart = lead;
    sine.loopEnd = lead + 3 * loopLength;

    SoundFontSpec spec;
    spec.bankName = "Sine Test Bank";
    spec.samples.push_back(sine);
    InstrumentSpec instrument{"Sine", {}};
    ZoneSpec zone;
    zone.generators.push_back(GeneratorSpec{38, static_cast<int16_t>(options.volEnvReleaseTimecents)});
    zone.generators.push_back(GeneratorSpec{54, static_cast<int16_t>(options.looped ? 1 : 0)});
    zone.generators.insert(zone.generators.end(), options.instrumentGenerators.begin(),
                           options.instrumentGenerators.end());
    zone.link = 0;
    instrument.zones.push_back(zone);
    spec.instruments.push_back(instrument);
    for (int i = 0; i < options.presetCount; ++i) {
        PresetSpec preset;
        preset.name = "Sine " + std::to_string(i);
        preset.program = static_cast<uint16_t>(i);
        ZoneSpec presetZone;
        presetZone.generators = options.presetGenerators;
        presetZone.link = 0;
        preset.zones.push_back(presetZone);
        spec.presets.push_back(preset);
    }
    if (!options.tunedPresets.empty()) spec.presets.clear();
    for (const SineFontOptions::TunedPreset& tuned : options.tunedPresets) {
        PresetSpec preset;
        preset.name = "Sine " + std::to_string(tuned.bank) + ":" + std::to_string(tuned.program);
        preset.bank = tuned.bank;
        preset.program = tuned.program;
        ZoneSpec presetZone;
        presetZone.generators.push_back(GeneratorSpec{51, tuned.semitones});   // coarse tune
        presetZone.link = 0;
        preset.zones.push_back(presetZone);
        spec.presets.push_back(preset);
    }
    return buildSoundFont(spec);
}

std::vector<uint8_t> makePianoDrumsOrganFont()
{
    SoundFontSpec spec;
    SampleSpec sine;
    for (int k = 0; k < 500; ++k)
        sine.points.push_back(static_cast<int16_t>(std::lround(16384 * std::sin(2 * M_PI * k / 100.0))));
    sine.rootKey = 69;
    sine.loopStart = 100;
    sine.loopEnd = 400;
    spec.samples.push_back(sine);
    spec.instruments.push_back({"Sine", {{{{54, 1}, {38, -12000}}, {}, 0}}});
    spec.presets.push_back({"Piano", 0, 0, {{{}, {}, 0}}});
    spec.presets.push_back({"Drums", 0, 128, {{{{51, 12}}, {}, 0}}});
    spec.presets.push_back({"Organ", 5, 0, {{{}, {}, 0}}});
    return buildSoundFont(spec);
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    // The path is UTF-8 on every system (Windows would read plain bytes in its ANSI code page).
    std::ofstream out(std::filesystem::u8path(path), std::ios::binary | std::ios::trunc);
    if (!out)
        return false;
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

} // namespace test
} // namespace zephra
