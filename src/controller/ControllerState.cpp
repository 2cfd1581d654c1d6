#include "controller/ControllerState.h"
#include "controller/StateStream.h"
#include "shell/ParameterIds.h"

#include "public.sdk/source/common/memorystream.h"

#include <algorithm>
#include <cmath>

namespace Steinberg {
namespace Vst {

void writeControllerState(IBStream* stream, const std::string& header, const FilePathMap& paths,
                          const FileOptionMap& options, const StringListMap& lists)
{
    StateWriter writer(stream);
    writer.writeHeader(header);

    writer.writeInt32(static_cast<int32_t>(paths.size()));
    for (const auto& [id, path] : paths) {
        writer.writeInt32(id);
        writer.writeInt32(static_cast<int32_t>(path.size() + 1));
        std::vector<uint8_t> bytes;
        bytes.reserve((path.size() + 1) * 2);
        for (char16_t unit : path) {
            bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
            bytes.push_back(static_cast<uint8_t>(unit >> 8));
        }
        bytes.push_back(0);
        bytes.push_back(0);
        writer.writeBytes(bytes.data(), bytes.size());
    }

    writer.writeInt32(static_cast<int32_t>(options.size()));
    for (const auto& [id, blob] : options) {
        writer.writeInt32(id);
        writer.writeInt32(static_cast<int32_t>(blob.size()));
        writer.writeBytes(blob.data(), blob.size());
    }

    writer.writeInt32(static_cast<int32_t>(lists.size()));
    for (const auto& [key, items] : lists) {
        writer.writeInt32(key);
        writer.writeInt32(static_cast<int32_t>(items.size()));
        for (const std::string& item : items) {
            writer.writeInt32(static_cast<int32_t>(item.size()));
            writer.writeBytes(item.data(), item.size());
        }
    }
}

std::vector<uint8_t> soundFontControllerState(const std::u16string& path,
                                              std::optional<int32_t> presetIndex)
{
    FileOptionMap options;
    if (presetIndex) {
        std::vector<uint8_t>& blob = options[kSoundFontFileId];
        for (int i = 0; i < 4; ++i)
            blob.push_back(static_cast<uint8_t>(static_cast<uint32_t>(*presetIndex) >> (8 * i)));
    }
    MemoryStream stream;
    writeControllerState(&stream, kStateHeader, {{kSoundFontFileId, path}}, options, {});
    const auto* data = reinterpret_cast<const uint8_t*>(stream.getData());
    return std::vector<uint8_t>(data, data + stream.getSize());
}

namespace {

bool readCount(StateReader& reader, int32_t& count)
{
    return reader.readInt32(count) && count >= 0;
}

bool readPaths(StateReader& reader, FilePathMap& paths)
{
    int32_t count = 0;
    if (!readCount(reader, count)) return false;
    for (int32_t i = 0; i < count; ++i) {
        int32_t id = 0;
        int32_t units = 0;
        std::vector<uint8_t> bytes;
        if (!reader.readInt32(id) || !reader.readInt32(units) || units < 0 ||
            !reader.readBytes(int64_t{units} * 2, bytes))
            return false;
        std::u16string path;
        for (size_t at = 0; at + 1 < bytes.size(); at += 2) {
            const char16_t unit = static_cast<char16_t>(bytes[at] | (bytes[at + 1] << 8));
            if (unit == 0) break;
            path.push_back(unit);
        }
        paths[id] = std::move(path);
    }
    return true;
}

bool readOptions(StateReader& reader, FileOptionMap& options)
{
    int32_t count = 0;
    if (!readCount(reader, count)) return false;
    for (int32_t i = 0; i < count; ++i) {
        int32_t id = 0;
        int32_t size = 0;
        std::vector<uint8_t> blob;
        if (!reader.readInt32(id) || !reader.readInt32(size) || !reader.readBytes(size, blob))
            return false;
        options[id] = std::move(blob);
    }
    return true;
}

bool readLists(StateReader& reader, StringListMap& lists)
{
    int32_t count = 0;
    if (!readCount(reader, count)) return false;
    for (int32_t i = 0; i < count; ++i) {
        int32_t key = 0;
        int32_t items = 0;
        if (!reader.readInt32(key) || !readCount(reader, items)) return false;
        std::vector<std::string>& list = lists[key];
        list.clear();
        for (int32_t j = 0; j < items; ++j) {
            int32_t length = 0;
            std::vector<uint8_t> bytes;
            if (!reader.readInt32(length) || !reader.readBytes(length, bytes)) return false;
            const auto zero = std::find(bytes.begin(), bytes.end(), uint8_t{0});
            list.emplace_back(bytes.begin(), zero);
        }
    }
    return true;
}

} // namespace

bool readControllerState(IBStream* stream, const std::string& header, ControllerStateData& out)
{
    StateReader reader(stream);
    ControllerStateData read;
    if (!reader.readHeader(header) || !readPaths(reader, read.filePaths) ||
        !readOptions(reader, read.fileOptions) || !readLists(reader, read.stringLists))
        return false;
    out = std::move(read);
    return true;
}

bool readProcessorStatePrefix(IBStream* stream, const std::string& header,
                              ProcessorStatePrefix& out)
{
    StateReader reader(stream);
    ProcessorStatePrefix read;
    uint8_t bypass = 0;
    int32_t count = 0;
    if (!reader.readHeader(header) || !reader.readByte(bypass) || !readCount(reader, count))
        return false;
    read.bypass = bypass != 0;
    for (int32_t i = 0; i < count; ++i) {
        int32_t id = 0;
        double value = 0.0;
        if (!reader.readInt32(id) || !reader.readDouble(value) || !std::isfinite(value))
            return false;
        read.values.emplace_back(id, value);
    }
    out = std::move(read);
    return true;
}

} // namespace Vst
} // namespace Steinberg
