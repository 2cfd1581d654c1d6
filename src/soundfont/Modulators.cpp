#include "soundfont/Modulators.h"

#include <algorithm>
#include <cmath>

namespace Steinberg {
namespace Vst {
namespace {

namespace S = ModulatorSource;

constexpr uint16_t kEndOperator = 60;
constexpr uint16_t kLinkedDestination = 0x8000;
constexpr uint16_t kLinear = 0;
constexpr uint16_t kAbsolute = 2;

// Controllers a source may name: not bank select, data entry, the LSBs of 0-31, the
// (N)RPN numbers or the channel mode messages.
bool isDefinedController(uint16_t number) noexcept
{
    return !(number == 0 || number == 6 || (number >= 32 && number <= 63) || (number >= 98 && number <= 101) ||
             number >= 120);
}

bool isDefinedSource(uint16_t source) noexcept
{
    if ((source >> S::kCurveShift) > 3)
        return false;   // curve types beyond switch are not defined
    const uint16_t index = source & S::kIndexMask;
    if (source & S::kControllerFlag)
        return isDefinedController(index);
    switch (index) {
    case S::kNoController:
    case S::kVelocity:
    case S::kKey:
    case 10:   // polyphonic pressure
    case 13:   // channel pressure
    case S::kPitchWheel:
    case S::kPitchWheelSensitivity:
    case S::kLink:
        return true;
    default:
        return false;
    }
}

// Sources the plug-in receives (a note's velocity and key, its four MIDI-mapped controllers,
// the pitch wheel and the bend range).
bool isReceived(uint16_t source) noexcept
{
    const uint16_t index = source & S::kIndexMask;
    if (source & S::kControllerFlag)
        return index == 1 || index == 7 || index == 11 || index == 64;
    return index == S::kVelocity || index == S::kKey || index == S::kPitchWheel ||
           index == S::kPitchWheelSensitivity;
}

// Whether a source names the general (not MIDI controller) source `index`.
bool isGeneral(uint16_t source, uint16_t index) noexcept
{
    return !(source & S::kControllerFlag) && (source & S::kIndexMask) == index;
}

Modulator fromRecord(const ModulatorRecord& r) noexcept
{
    return Modulator{r.source, r.destination, r.amountSource, r.transform, float(r.amount)};
}

// Appends a zone's playable modulators, the first of identical ones only, leaving out those
// `shadowing` (the local zone of a global one) has a twin of.
void appendZone(ModulatorList& list, const ModulatorRecord* table, ModulatorRanges::Range zone,
                const ModulatorList* shadowing) noexcept
{
    const uint32_t start = list.count;
    for (uint32_t i = zone.first; i < zone.last; ++i) {
        if (!isPlayable(table[i]))
            continue;
        const Modulator m = fromRecord(table[i]);
        const auto same = [&m](const Modulator& other) { return identical(m, other); };
        if (std::any_of(list.entries + start, list.entries + list.count, same))
            continue;
        if (shadowing && std::any_of(shadowing->begin(), shadowing->end(), same))
            continue;   // the local zone has its own
        if (list.count == ModulatorList::kCapacity)
            return;
        list.entries[list.count++] = m;
    }
}

// A level's modulators: the local zone's, then those of the global zone it has no twin of.
ModulatorList levelModulators(const ModulatorRecord* table, ModulatorRanges ranges) noexcept
{
    ModulatorList level;
    if (!table)
        return level;
    ModulatorList local;
    appendZone(local, table, ranges.local, nullptr);
    level = local;
    appendZone(level, table, ranges.global, &local);
    return level;
}

Modulator* findIdentical(ModulatorList& list, const Modulator& m) noexcept
{
    for (uint32_t i = 0; i < list.count; ++i)
        if (identical(list.entries[i], m))
            return &list.entries[i];
    return nullptr;
}

void append(ModulatorList& list, const Modulator& m) noexcept
{
    if (list.count < ModulatorList::kCapacity)
        list.entries[list.count++] = m;
}

// 0 at x = 0 up to 1 where (1 - x)^2 is 96 dB down.
float concave(float x) noexcept
{
    const float rest = 1.0f - x;
    if (!(rest > 0.00398107f))   // 10^-2.4: the curve has reached 1
        return 1.0f;
    return std::min(1.0f, -(40.0f / 96.0f) * std::log10(rest));
}

float unipolar(uint16_t curve, float y) noexcept
{
    switch (curve) {
    case 1:
        return concave(y);
    case 2:
        return 1.0f - concave(1.0f - y);
    case 3:
        return y >= 0.5f ? 1.0f : 0.0f;
    default:
        return y;
    }
}

} // namespace

bool isPlayable(const ModulatorRecord& r) noexcept
{
    if ((r.destination & kLinkedDestination) || r.destination >= kEndOperator)
        return false;
    if (r.transform != kLinear && r.transform != kAbsolute)
        return false;
    if (!isDefinedSource(r.source) || !isDefinedSource(r.amountSource))
        return false;
    if (isGeneral(r.source, S::kLink) || isGeneral(r.amountSource, S::kLink))
        return false;
    return isReceived(r.source) && (isGeneral(r.amountSource, S::kNoController) || isReceived(r.amountSource));
}

bool identical(const Modulator& a, const Modulator& b) noexcept
{
    return a.source == b.source && a.destination == b.destination && a.amountSource == b.amountSource;
}

ModulatorList resolveModulators(const ModulatorRecord* instrumentTable, ModulatorRanges instrument,
                                const ModulatorRecord* presetTable, ModulatorRanges preset) noexcept
{
    ModulatorList list = defaultModulators();
    for (const Modulator& m : levelModulators(instrumentTable, instrument)) {
        if (Modulator* same = findIdentical(list, m))
            *same = m;
        else
            append(list, m);
    }
    for (const Modulator& m : levelModulators(presetTable, preset)) {
        if (Modulator* same = findIdentical(list, m))
            same->amount += m.amount;
        else
            append(list, m);
    }
    return list;
}

float sourceOutput(uint16_t source, float x) noexcept
{
    if (!(x >= 0.0f))
        x = 0.0f;   // also a value that is not a number
    if (x > 1.0f)
        x = 1.0f;
    const float y = (source & S::kNegative) ? 1.0f - x : x;
    const uint16_t curve = uint16_t(source >> S::kCurveShift) & 3;
    if (!(source & S::kBipolar))
        return unipolar(curve, y);
    if (curve == 0)
        return 2.0f * y - 1.0f;
    if (curve == 3)
        return y >= 0.5f ? 1.0f : -1.0f;
    return y >= 0.5f ? unipolar(curve, 2.0f * y - 1.0f) : -unipolar(curve, 1.0f - 2.0f * y);
}

} // namespace Vst
} // namespace Steinberg
