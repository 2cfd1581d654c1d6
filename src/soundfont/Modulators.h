#pragma once
// SoundFont 2.04 modulators as the records carry them: the standard's default modulators, the
// file's instrument and preset modulators merged over them by the standard's rules, and the
// mapping of a source's value through its curve, polarity and direction.
//
// Only modulators whose sources the plug-in receives are kept: note-on velocity and key, the
// pitch wheel and its sensitivity (the bend range), and controllers 1, 7, 11 and 64. Linked
// modulators (a source or destination that names another modulator), sources or transforms
// the standard does not define, and modulators without a primary source are left out.
//
// Threads: any; value types and pure functions. Real-time safe (no allocation, no locks).
#include "soundfont/SoundFontTables.h"

#include <cstdint>

namespace Steinberg {
namespace Vst {

// One modulator: amount x source x amount source, added to a destination generator in the
// generator's own units (centibels, cents, timecents, 0.1 %).
struct Modulator {
    uint16_t source = 0;         // sfModSrcOper: index, CC flag, direction, polarity, curve
    uint16_t destination = 0;    // generator number, or kInitialPitch
    uint16_t amountSource = 0;   // sfModAmtSrcOper; 0: none (counts as 1)
    uint16_t transform = 0;      // 0 linear, 2 absolute value
    float amount = 0.0f;         // identical preset modulators add up, so not only 16 bits
};

// The modulators of one resolved zone. A zone asking for more keeps the first kCapacity (no
// real font comes near it; the six defaults leave room for 26 more).
struct ModulatorList {
    static constexpr uint32_t kCapacity = 32;
    uint32_t count = 0;
    Modulator entries[kCapacity];

    const Modulator* begin() const noexcept { return entries; }
    const Modulator* end() const noexcept { return entries + count; }
};

namespace ModulatorSource {
constexpr uint16_t kIndexMask = 0x007F;
constexpr uint16_t kControllerFlag = 0x0080;   // the index is a MIDI controller number
constexpr uint16_t kNegative = 0x0100;         // direction: from the maximum to the minimum
constexpr uint16_t kBipolar = 0x0200;          // polarity: -1 .. 1 instead of 0 .. 1
constexpr int kCurveShift = 10;                // 0 linear, 1 concave, 2 convex, 3 switch
// Indices without the controller flag.
constexpr uint16_t kNoController = 0;
constexpr uint16_t kVelocity = 2;
constexpr uint16_t kKey = 3;
constexpr uint16_t kPitchWheel = 14;
constexpr uint16_t kPitchWheelSensitivity = 16;
constexpr uint16_t kLink = 127;
} // namespace ModulatorSource

// The pitch of the note in cents, unlimited: the destination of the pitch wheel, which the
// standard names but which is no generator a file can set.
constexpr uint16_t kInitialPitch = 0x0100;

// The standard's default modulators with a source the plug-in receives: velocity to initial
// attenuation (concave, 960 cB) and to filter cutoff (-2400 cents), Volume and Expression to
// initial attenuation (concave, 960 cB), Mod Wheel to vibrato LFO pitch depth (50 cents), the
// pitch wheel to pitch scaled by its sensitivity (12700 cents). Defined here, so every record
// can start from them without linking this library.
constexpr ModulatorList defaultModulators() noexcept
{
    namespace S = ModulatorSource;
    constexpr uint16_t concave = 1 << S::kCurveShift;
    constexpr uint16_t attenuation = 48, filterCutoff = 8, vibratoToPitch = 6;
    ModulatorList list;
    list.entries[0] = {uint16_t(concave | S::kNegative | S::kVelocity), attenuation, 0, 0, 960.0f};
    list.entries[1] = {uint16_t(S::kNegative | S::kVelocity), filterCutoff, 0, 0, -2400.0f};
    list.entries[2] = {uint16_t(S::kControllerFlag | 1), vibratoToPitch, 0, 0, 50.0f};
    list.entries[3] = {uint16_t(concave | S::kNegative | S::kControllerFlag | 7), attenuation, 0, 0, 960.0f};
    list.entries[4] = {uint16_t(concave | S::kNegative | S::kControllerFlag | 11), attenuation, 0, 0, 960.0f};
    list.entries[5] = {uint16_t(S::kBipolar | S::kPitchWheel), kInitialPitch, S::kPitchWheelSensitivity, 0, 12700.0f};
    list.count = 6;
    return list;
}

// Whether a file's modulator can take part: a defined, received primary source, a defined
// amount source that is none or received, a generator destination below 60, a defined
// transform, and no link on either side.
bool isPlayable(const ModulatorRecord& record) noexcept;

// Same source, destination and amount source: the one supersedes (instrument level) or adds
// to (preset level) the other.
bool identical(const Modulator& a, const Modulator& b) noexcept;

// Resolves one zone's modulators. Each range is [first, last) in its table, empty when absent.
// Within a zone the first of identical modulators counts; a local zone's modulator supersedes
// an identical one of its global zone. Instrument modulators supersede identical defaults;
// preset modulators add their amounts to identical ones and are appended otherwise.
struct ModulatorRanges {
    struct Range {
        uint32_t first = 0;
        uint32_t last = 0;
        uint32_t size() const noexcept { return last > first ? last - first : 0; }
    };
    Range global;   // the level's global zone
    Range local;    // the zone itself
};
ModulatorList resolveModulators(const ModulatorRecord* instrumentTable, ModulatorRanges instrument,
                                const ModulatorRecord* presetTable, ModulatorRanges preset) noexcept;

// A source's output for the controller value x (0 .. 1, the maximum MIDI value giving 1): its
// direction, curve and polarity applied. Concave: -20/96 x log10((1 - x)^2), reaching 1 at
// 96 dB; convex its mirror image; switch: 1 from 0.5 on. A bipolar curve runs from -1 to 1,
// its two halves symmetric about the middle.
float sourceOutput(uint16_t source, float x) noexcept;

} // namespace Vst
} // namespace Steinberg
