#include "Score.h"

#include "TempoMap.h"

namespace zephra {
namespace render {

Score scoreFromMidi(const MidiSequence& sequence)
{
    const TempoMap tempo(sequence);
    Score score;
    score.events.reserve(sequence.events.size());
    for (const MidiEvent& message : sequence.events) {
        ScoreEvent event;
        event.seconds = tempo.secondsAt(message.tick);
        event.channel = message.status & 0x0Fu;
        event.number = message.data1;
        event.value = message.data2;
        switch (message.status & 0xF0u) {
        case 0x80:
            event.kind = ScoreEventKind::NoteOff;
            break;
        case 0x90:
            event.kind = message.data2 == 0 ? ScoreEventKind::NoteOff : ScoreEventKind::NoteOn;
            break;
        case 0xB0:
            event.kind = ScoreEventKind::Controller;
            break;
        case 0xC0:
            event.kind = ScoreEventKind::Program;
            break;
        case 0xD0:
            event.kind = ScoreEventKind::ChannelPressure;
            event.value = message.data1;
            break;
        case 0xE0:
            event.kind = ScoreEventKind::PitchBend;
            event.number = 0;
            event.value = static_cast<uint16_t>(message.data1 | (message.data2 << 7));
            break;
        default:
            continue;   // 0xA0 polyphonic key pressure
        }
        score.events.push_back(event);
    }
    score.endSeconds = tempo.secondsAt(sequence.lastTick);
    return score;
}

}   // namespace render
}   // namespace zephra
