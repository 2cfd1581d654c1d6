// Resolution of one preset into zone generator sets: defaults, instrument global and local
// zones replacing, preset global and local zones merged on top; and beside each set the zone's
// modulators (see Modulators.h for their rules).
#include "soundfont/GeneratorRanges.h"
#include "soundfont/SoundFontReader.h"

#include <algorithm>

namespace Steinberg {
namespace Vst {

namespace {

using GeneratorSet = std::array<int16_t, 61>;

constexpr uint16_t generatorCount = 61;
constexpr uint16_t instrumentGenerator = 41;
constexpr uint16_t keyRangeGenerator = 43;
constexpr uint16_t velocityRangeGenerator = 44;
constexpr uint16_t sampleIdGenerator = 53;

// A zone's generators [first, last) in its generator table; empty when the bag or its
// successor lies outside the bag table, or the range lies outside the generator table.
struct GeneratorRange {
    size_t first = 0;
    size_t last = 0;
    bool empty() const { return first >= last; }
};

GeneratorRange generatorsOfZone(const std::vector<Bag>& bags, size_t bag, size_t generatorTableSize)
{
    if (bag + 1 >= bags.size())
        return {};
    const size_t first = bags[bag].generatorIndex;
    const size_t last = bags[bag + 1].generatorIndex;
    if (last > generatorTableSize || first >= last)
        return {};  // outside the table, or running backwards: a zone without generators
    return {first, last};
}

// A zone's modulators [first, last) in its modulator table, empty as for generators.
ModulatorRanges::Range modulatorsOfZone(const std::vector<Bag>& bags, int64_t bag, size_t modulatorTableSize)
{
    if (bag < 0 || size_t(bag) + 1 >= bags.size())
        return {};
    const uint32_t first = bags[size_t(bag)].modulatorIndex;
    const uint32_t last = bags[size_t(bag) + 1].modulatorIndex;
    if (last > modulatorTableSize || first >= last)
        return {};
    return {first, last};
}

// The bags [first, last) of a preset or instrument whose header is at index i; the zones must
// leave room for the bag after them, which ends their generator range.
std::pair<size_t, size_t> zoneBags(size_t first, size_t last, size_t bagTableSize)
{
    if (bagTableSize == 0)
        return {0, 0};
    last = std::min(last, bagTableSize - 1);
    return {first, std::max(first, last)};
}

void replaceGenerators(GeneratorSet& set, const std::vector<GeneratorRecord>& table, GeneratorRange range)
{
    for (size_t g = range.first; g < range.last; ++g)
        if (table[g].op < generatorCount)
            set[table[g].op] = table[g].amount;
}

void mergeGenerator(GeneratorSet& set, const GeneratorRecord& generator)
{
    if (generator.op >= generatorCount)
        return;
    int16_t& value = set[generator.op];
    if (generator.op == keyRangeGenerator || generator.op == velocityRangeGenerator) {
        const auto current = static_cast<uint16_t>(value);
        const auto preset = static_cast<uint16_t>(generator.amount);
        const unsigned low = std::max(current & 0xFFu, preset & 0xFFu);
        const unsigned high = std::min<unsigned>(current >> 8, preset >> 8);
        value = static_cast<int16_t>(static_cast<uint16_t>(low | (high << 8)));
    } else {
        value = addGenerator(generator.op, value, generator.amount);   // no wrap-around
    }
}

} // namespace

void SoundFontReader::resolvePreset(int32_t p)
{
    const size_t n = presets.size();
    if (n < 2)
        return;
    p = std::clamp<int32_t>(p, 0, static_cast<int32_t>(n - 2));
    zoneGenerators.clear();
    zoneModulators.clear();

    const auto [firstBag, lastBag] =
        zoneBags(presets[p].bagIndex, presets[p + 1].bagIndex, presetBags.size());
    int32_t globalZone = -1;  // bag index of the global preset zone
    // The global zone for modulators: the same, or a zone with modulators and no generators.
    int32_t globalModulatorZone = -1;
    size_t stepsLeft = maxResolveStepsPerPreset;
    for (size_t bag = firstBag; bag < lastBag && stepsLeft > 0; ++bag) {
        --stepsLeft;
        const GeneratorRange range = generatorsOfZone(presetBags, bag, presetGenerators.size());
        if (range.empty()) {
            if (modulatorsOfZone(presetBags, int64_t(bag), presetModulators.size()).size() > 0)
                globalModulatorZone = static_cast<int32_t>(bag);
            continue;
        }
        const GeneratorRecord& last = presetGenerators[range.last - 1];
        if (last.op != instrumentGenerator) {
            globalZone = globalModulatorZone = static_cast<int32_t>(bag);
            continue;
        }
        resolveInstrumentZones(static_cast<uint16_t>(last.amount), globalZone, globalModulatorZone,
                               static_cast<int32_t>(bag), stepsLeft);
        if (zoneGenerators.size() >= maxZonesPerPreset)
            break;
    }
}

void SoundFontReader::resolveInstrumentZones(uint16_t instrument, int32_t globalPresetZone,
                                             int32_t globalPresetModulatorZone, int32_t presetZone, size_t& stepsLeft)
{
    if (static_cast<size_t>(instrument) + 1 >= instruments.size())
        return;  // an instrument past the table (or the terminal record): zone skipped
    const GeneratorRange presetRange = generatorsOfZone(presetBags, presetZone, presetGenerators.size());
    const GeneratorRange globalPresetRange =
        globalPresetZone < 0 ? GeneratorRange{} : generatorsOfZone(presetBags, globalPresetZone, presetGenerators.size());

    const auto [firstBag, lastBag] = zoneBags(instruments[instrument].bagIndex,
                                              instruments[instrument + 1].bagIndex, instrumentBags.size());
    // Which operators the preset zone sets itself: those of the global preset zone give way.
    std::array<bool, generatorCount> presetZoneSets{};
    for (size_t g = presetRange.first; g < presetRange.last; ++g)
        if (presetGenerators[g].op < generatorCount)
            presetZoneSets[presetGenerators[g].op] = true;
    ModulatorRanges presetModulatorRanges;
    presetModulatorRanges.local = modulatorsOfZone(presetBags, presetZone, presetModulators.size());
    presetModulatorRanges.global = modulatorsOfZone(presetBags, globalPresetModulatorZone, presetModulators.size());
    const size_t presetSteps = (presetRange.last - presetRange.first) + (globalPresetRange.last - globalPresetRange.first) +
                               presetModulatorRanges.local.size() + presetModulatorRanges.global.size();

    GeneratorRange globalInstrumentRange{};
    ModulatorRanges instrumentModulatorRanges;
    for (size_t bag = firstBag; bag < lastBag && zoneGenerators.size() < maxZonesPerPreset; ++bag) {
        const GeneratorRange range = generatorsOfZone(instrumentBags, bag, instrumentGenerators.size());
        instrumentModulatorRanges.local = modulatorsOfZone(instrumentBags, int64_t(bag), instrumentModulators.size());
        const size_t steps = 1 + (range.last - range.first) + (globalInstrumentRange.last - globalInstrumentRange.first) +
                             instrumentModulatorRanges.local.size() + instrumentModulatorRanges.global.size() + presetSteps;
        if (steps > stepsLeft) {
            stepsLeft = 0;
            return;
        }
        stepsLeft -= steps;
        if (range.empty()) {
            if (instrumentModulatorRanges.local.size() > 0)
                instrumentModulatorRanges.global = instrumentModulatorRanges.local;   // modulators only
            continue;
        }
        if (instrumentGenerators[range.last - 1].op != sampleIdGenerator) {
            globalInstrumentRange = range;
            instrumentModulatorRanges.global = instrumentModulatorRanges.local;
            continue;
        }
        GeneratorSet set = defaultGenerators();
        replaceGenerators(set, instrumentGenerators, globalInstrumentRange);
        replaceGenerators(set, instrumentGenerators, range);
        for (size_t g = globalPresetRange.first; g < globalPresetRange.last; ++g) {
            const GeneratorRecord& global = presetGenerators[g];
            if (global.amount != 0 && global.op < generatorCount && !presetZoneSets[global.op])
                mergeGenerator(set, global);
        }
        for (size_t g = presetRange.first; g < presetRange.last; ++g)
            mergeGenerator(set, presetGenerators[g]);
        zoneGenerators.push_back(set);
        zoneModulators.push_back(resolveModulators(instrumentModulators.data(), instrumentModulatorRanges,
                                                   presetModulators.data(), presetModulatorRanges));
    }
}

} // namespace Vst
} // namespace Steinberg
