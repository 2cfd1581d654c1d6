#include "MidiFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace zephra {
namespace render {

namespace {

// A bounds-checked cursor over one byte range; every read reports whether it fit.
class ByteCursor {
public:
    ByteCursor(const uint8_t* data, size_t size) : data(data), size(size) {}
    size_t position() const { return offset; }
    size_t remaining() const { return size - offset; }
    bool atEnd() const { return offset >= size; }

    bool byte(uint8_t& value)
    {
        if (offset >= size)
            return false;
        value = data[offset++];
        return true;
    }
    bool peek(uint8_t& value) const
    {
        if (offset >= size)
            return false;
        value = data[offset];
        return true;
    }
    bool bigEndian(int bytes, uint32_t& value)
    {
        if (remaining() < static_cast<size_t>(bytes))
            return false;
        value = 0;
        for (int i = 0; i < bytes; ++i)
            value = (value << 8) | data[offset++];
        return true;
    }
    // MIDI variable-length quantity: at most four bytes, seven bits each.
    bool variableLength(uint32_t& value)
    {
        value = 0;
        for (int i = 0; i < 4; ++i) {
            uint8_t b;
            if (!byte(b))
                return false;
            value = (value << 7) | (b & 0x7Fu);
            if ((b & 0x80u) == 0)
                return true;
        }
        return false;
    }
    bool skip(size_t count)
    {
        if (remaining() < count)
            return false;
        offset += count;
        return true;
    }
    const uint8_t* here() const { return data + offset; }

private:
    const uint8_t* data;
    size_t size;
    size_t offset = 0;
};

std::string at(size_t fileOffset)
{
    return " at byte " + std::to_string(fileOffset);
}

// Data bytes of a channel message, by its high nibble.
int dataBytesOf(uint8_t status)
{
    const uint8_t type = status & 0xF0u;
    return (type == 0xC0u || type == 0xD0u) ? 1 : 2;
}

struct SkippedMessages {
    int64_t count = 0;
    size_t firstAt = 0;
    int64_t runningAfterSysex = 0;   // running status taken up again after system exclusive
    size_t runningAfterSysexAt = 0;
};

bool parseTrackEvents(const uint8_t* data, size_t size, size_t fileOffset, int32_t trackIndex, MidiSequence& seq,
                      SkippedMessages& skipped, std::string& error)
{
    ByteCursor in(data, size);
    int64_t tick = 0;
    uint8_t runningStatus = 0;
    bool sysexBeforeRunningStatus = false;   // system exclusive came after the running status was set
    const std::string where = "track " + std::to_string(trackIndex + 1);

    while (!in.atEnd()) {
        const size_t eventStart = fileOffset + in.position();
        uint32_t delta;
        if (!in.variableLength(delta)) {
            error = where + ": bad or cut-off delta time" + at(eventStart);
            return false;
        }
        tick += delta;
        seq.lastTick = std::max(seq.lastTick, tick);

        uint8_t status;
        if (!in.peek(status)) {
            error = where + ": event missing after its delta time" + at(eventStart);
            return false;
        }
        const bool explicitStatus = (status & 0x80u) != 0;
        if (explicitStatus) {
            in.byte(status);
        } else {
            if (runningStatus == 0) {
                error = where + ": data byte without a status byte" + at(eventStart);
                return false;
            }
            status = runningStatus;
            if (sysexBeforeRunningStatus && skipped.runningAfterSysex++ == 0)
                skipped.runningAfterSysexAt = eventStart;
        }

        if (status == 0xFFu) {   // meta event
            uint8_t type;
            uint32_t length;
            if (!in.byte(type) || !in.variableLength(length) || in.remaining() < length) {
                error = where + ": meta event runs past the end of its track" + at(eventStart);
                return false;
            }
            const uint8_t* body = in.here();
            in.skip(length);
            if (type == 0x2Fu)
                return true;   // end of track: anything after it is ignored
            if (type == 0x51u) {
                if (length != 3) {
                    error =
                        where + ": tempo event of " + std::to_string(length) + " bytes instead of 3" + at(eventStart);
                    return false;
                }
                const uint32_t micros = (uint32_t(body[0]) << 16) | (uint32_t(body[1]) << 8) | body[2];
                if (micros == 0) {
                    seq.warnings.push_back(where + ": a tempo of 0 microseconds per quarter note was ignored");
                } else {
                    seq.tempos.push_back({tick, micros});
                }
            }
            continue;   // meta events cancel nothing: running status stays as it was
        }
        if (status == 0xF0u || status == 0xF7u) {   // system exclusive: skipped whole
            uint32_t length;
            if (!in.variableLength(length) || !in.skip(length)) {
                error = where + ": system-exclusive event runs past the end of its track" + at(eventStart);
                return false;
            }
            // The standard cancels running status here, but files that rely on it across a
            // system-exclusive event are common and other readers accept them: keep it, warn.
            sysexBeforeRunningStatus = true;
            continue;
        }
        if (status >= 0xF0u) {
            error = where + ": status byte 0x" +
                    [&] {
                        char text[3];
                        std::snprintf(text, sizeof text, "%02X", status);
                        return std::string(text);
                    }() +
                    " is not allowed in a MIDI file" + at(eventStart);
            return false;
        }

        if (explicitStatus)
            sysexBeforeRunningStatus = false;
        runningStatus = status;
        MidiEvent event;
        event.tick = tick;
        event.status = status;
        event.track = trackIndex;
        const int dataBytes = dataBytesOf(status);
        uint8_t values[2] = {0, 0};
        bool badDataByte = false;
        for (int i = 0; i < dataBytes; ++i) {
            if (!in.byte(values[i])) {
                error = where + ": channel message cut off" + at(eventStart);
                return false;
            }
            badDataByte = badDataByte || (values[i] & 0x80u) != 0;
        }
        if (badDataByte) {
            // Players skip such a message and read on; its length keeps the track in step.
            if (skipped.count++ == 0)
                skipped.firstAt = eventStart;
            continue;
        }
        event.data1 = values[0];
        event.data2 = values[1];
        seq.events.push_back(event);
    }
    // A track without its end-of-track event is common enough to accept as it stands.
    return true;
}

// Parses one track and adds one warning for the messages it had to skip, so the warnings
// grow with the track count only.
bool parseTrack(const uint8_t* data, size_t size, size_t fileOffset, int32_t trackIndex, MidiSequence& seq,
                std::string& error)
{
    SkippedMessages skipped;
    const bool parsed = parseTrackEvents(data, size, fileOffset, trackIndex, seq, skipped, error);
    if (parsed && skipped.count > 0)
        seq.warnings.push_back("track " + std::to_string(trackIndex + 1) + ": " + std::to_string(skipped.count) +
                               " channel message(s) with a data byte above 127 skipped (the first" +
                               at(skipped.firstAt) + ")");
    if (parsed && skipped.runningAfterSysex > 0)
        seq.warnings.push_back("track " + std::to_string(trackIndex + 1) + ": " +
                               std::to_string(skipped.runningAfterSysex) +
                               " message(s) use running status across a system-exclusive event; read as " +
                               "continuing the message before it (the first" + at(skipped.runningAfterSysexAt) + ")");
    return parsed;
}

}   // namespace

bool parseMidiFile(const uint8_t* data, size_t size, MidiSequence& out, std::string& error)
{
    out = MidiSequence{};
    MidiSequence seq;
    if (data == nullptr || size < 14) {
        error = "not a MIDI file: too short for a header";
        return false;
    }
    ByteCursor in(data, size);
    uint32_t tag, headerLength, format, trackCount, division;
    in.bigEndian(4, tag);
    in.bigEndian(4, headerLength);
    if (tag != 0x4D546864u) {   // "MThd"
        error = "not a MIDI file: it does not begin with \"MThd\"";
        return false;
    }
    if (headerLength < 6 || headerLength > in.remaining()) {
        error = "broken MIDI file: header length " + std::to_string(headerLength) + " is invalid";
        return false;
    }
    in.bigEndian(2, format);
    in.bigEndian(2, trackCount);
    in.bigEndian(2, division);
    in.skip(headerLength - 6);
    if (format > 1) {
        error = "MIDI file type " + std::to_string(format) + " is not supported (only types 0 and 1)";
        return false;
    }
    if (trackCount == 0) {
        error = "broken MIDI file: the header announces no tracks";
        return false;
    }
    if (format == 0 && trackCount != 1) {
        error = "broken MIDI file: type 0 with " + std::to_string(trackCount) + " tracks";
        return false;
    }
    seq.format = static_cast<uint16_t>(format);
    seq.trackCount = static_cast<uint16_t>(trackCount);
    if (division & 0x8000u) {
        const int framesPerSecond = -static_cast<int8_t>(division >> 8);
        const int ticksPerFrame = division & 0xFF;
        if ((framesPerSecond != 24 && framesPerSecond != 25 && framesPerSecond != 29 && framesPerSecond != 30) ||
            ticksPerFrame == 0) {
            error = "broken MIDI file: invalid SMPTE time division";
            return false;
        }
        seq.smpte = true;
        seq.smpteFramesPerSecond = static_cast<uint8_t>(framesPerSecond);
        seq.smpteTicksPerFrame = static_cast<uint8_t>(ticksPerFrame);
    } else {
        if (division == 0) {
            error = "broken MIDI file: zero ticks per quarter note";
            return false;
        }
        seq.ticksPerQuarter = static_cast<uint16_t>(division);
    }

    int32_t tracksRead = 0;
    while (tracksRead < static_cast<int32_t>(trackCount)) {
        const size_t chunkStart = in.position();
        uint32_t chunkTag, chunkLength;
        if (!in.bigEndian(4, chunkTag) || !in.bigEndian(4, chunkLength)) {
            error = "broken MIDI file: it ends after " + std::to_string(tracksRead) + " of " +
                    std::to_string(trackCount) + " tracks";
            return false;
        }
        if (chunkLength > in.remaining()) {
            error = "broken MIDI file: chunk" + at(chunkStart) + " claims " + std::to_string(chunkLength) +
                    " bytes but only " + std::to_string(in.remaining()) + " follow";
            return false;
        }
        const uint8_t* body = in.here();
        const size_t bodyOffset = in.position();
        in.skip(chunkLength);
        if (chunkTag != 0x4D54726Bu)
            continue;   // not "MTrk": unknown chunks are skipped
        if (!parseTrack(body, chunkLength, bodyOffset, tracksRead, seq, error))
            return false;
        ++tracksRead;
    }

    // Merge: tick order, then track, then order within the track (a stable sort keeps it).
    std::stable_sort(seq.events.begin(), seq.events.end(), [](const MidiEvent& a, const MidiEvent& b) {
        if (a.tick != b.tick)
            return a.tick < b.tick;
        return a.track < b.track;
    });
    std::stable_sort(seq.tempos.begin(), seq.tempos.end(),
                     [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
    out = std::move(seq);
    return true;
}

bool readMidiFile(const std::string& path, MidiSequence& out, std::string& error)
{
    out = MidiSequence{};
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file) {
        error = "cannot open MIDI file \"" + path + "\": " + std::strerror(errno);
        return false;
    }
    std::vector<uint8_t> bytes;
    uint8_t buffer[65536];
    size_t got;
    errno = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
        if (bytes.size() + got > kMaxMidiFileBytes) {
            error = "MIDI file \"" + path + "\" is larger than " + std::to_string(kMaxMidiFileBytes / (1024 * 1024)) +
                    " MB";
            return false;
        }
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    if (std::ferror(file.get())) {
        error = "cannot read MIDI file \"" + path + "\": " + std::strerror(errno != 0 ? errno : EIO);
        return false;
    }
    if (!parseMidiFile(bytes.data(), bytes.size(), out, error)) {
        error = "\"" + path + "\": " + error;
        return false;
    }
    return true;
}

}   // namespace render
}   // namespace zephra
