#include "RenderTestEvents.h"

namespace zephra::test {

render::ScoreEvent event(double seconds, render::ScoreEventKind kind, uint8_t channel, uint8_t number,
                         uint16_t value) {
    render::ScoreEvent e;
    e.seconds = seconds;
    e.kind = kind;
    e.channel = channel;
    e.number = number;
    e.value = value;
    return e;
}

bool pluginLikeMapping(int16_t, int16_t controller, uint32_t& id) {
    if (controller == 1 || controller == 7 || controller == 11 || controller == 64 || controller == 129) {
        id = static_cast<uint32_t>(controller);
        return true;
    }
    return false;
}

} // namespace zephra::test
