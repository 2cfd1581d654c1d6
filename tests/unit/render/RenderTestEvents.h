// Score events and the plug-in's controller mapping for the renderer's planning tests.
// Test thread only.
#pragma once

#include "Score.h"

#include <cstdint>

namespace zephra::test {

render::ScoreEvent event(double seconds, render::ScoreEventKind kind, uint8_t channel, uint8_t number,
                         uint16_t value = 0);

// The plug-in's mapping as the controller publishes it: 1, 7, 11, 64 and pitch bend (129).
bool pluginLikeMapping(int16_t bus, int16_t controller, uint32_t& id);

} // namespace zephra::test
