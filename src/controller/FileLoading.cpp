// Loading a SoundFont or WAV file and handing it to the processor in one connection message
// ("SF2DATA" or "WAVDATA"). While an editor is open, files are read on the load worker's
// thread and sent from the editor's timer; without one there is no run loop to come back on,
// so the file is read and sent within the call (a host restoring a project expects the sound
// in place when setState returns). Messages are sent on the UI thread only.
#include "controller/MyVSTController.h"
#include "platform/PathExtension.h"
#include "shell/ParameterIds.h"
#include "soundfont/InFlightSynthLists.h"
#include "soundfont/SoundFontReader.h"
#include "soundfont/WavReader.h"

#include "pluginterfaces/base/smartpointer.h"

#include <cstring>
#include <exception>
#include <limits>
#include <map>
#include <memory>

namespace Steinberg {
namespace Vst {

namespace {
// What a path loads as, by its extension (other spellings, such as ".Sf2", are ignored).
enum class FileKind { other, wave, soundFont };
FileKind kindOf(const std::u16string& path)
{
    const std::u16string extension = pathExtension(path);
    if (extension == u".wav")
        return FileKind::wave;
    if (extension == u".sf2" || extension == u".SF2" || extension == u".sf3" || extension == u".SF3")
        return FileKind::soundFont;
    return FileKind::other;
}

void encodeInt32(int32_t value, uint8_t* bytes)
{
    const auto bits = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(bits >> (8 * i));
}

int32_t decodeInt32(const uint8_t* bytes)
{
    uint32_t bits = 0;
    for (int i = 3; i >= 0; --i) bits = (bits << 8) | bytes[i];
    return static_cast<int32_t>(bits);
}
} // namespace

void MyVSTController::loadFile(const std::u16string& path, const int32_t* presetIndex)
{
    std::u16string& remembered = filePaths[kSoundFontFileId];   // a missing entry counts as empty
    const bool pathChanged = remembered != path;
    bool presetChanged = true;
    if (presetIndex) {
        const auto options = fileOptions.find(kSoundFontFileId);
        if (options != fileOptions.end() && options->second.size() == 4)
            presetChanged = decodeInt32(options->second.data()) != *presetIndex;
    }
    if (!pathChanged && !presetChanged) return;

    remembered = path;
    uint8_t presetBytes[4] = {0, 0, 0, 0};
    if (presetIndex) {
        encodeInt32(*presetIndex, presetBytes);
        fileOptions[kSoundFontFileId].assign(presetBytes, presetBytes + 4);
    }
    loadByExtension(kSoundFontFileId, path, presetIndex ? presetBytes : nullptr, 4);
}

tresult PLUGIN_API MyVSTController::connect(IConnectionPoint* other)
{
    const tresult result = EditController::connect(other);
    if (result == kResultOk)
        reloadRememberedFiles();
    return result;
}

void MyVSTController::reloadRememberedFiles()
{
    // Copies, taken in id order so the last of each kind wins: a host may call back into the
    // controller while a message is sent.
    std::map<FileKind, std::pair<int32_t, std::u16string>> lastOfKind;
    for (const auto& [fileId, path] : filePaths)
        if (const FileKind kind = kindOf(path); kind != FileKind::other)
            lastOfKind[kind] = {fileId, path};
    for (const auto& [kind, entry] : lastOfKind) {
        const auto options = fileOptions.find(entry.first);
        const bool haveOptions = options != fileOptions.end() && !options->second.empty();
        loadByExtension(entry.first, entry.second, haveOptions ? options->second.data() : nullptr,
                        haveOptions ? static_cast<int32_t>(options->second.size()) : 0);
    }
}

void MyVSTController::loadByExtension(int32_t fileId, const std::u16string& path,
                                      const uint8_t* optionData, int32_t optionSize)
{
    const FileKind kind = kindOf(path);
    if (kind == FileKind::other) return;
    LoadWorker::Request request;
    request.kind = kind == FileKind::wave ? LoadWorker::Kind::wave : LoadWorker::Kind::soundFont;
    request.fileId = fileId;
    request.path = path;
    request.presetIndex = (optionData && optionSize == 4) ? decodeInt32(optionData) : 0;
    if (editor.load(std::memory_order_acquire)) {
        loads.submit(std::move(request));
        return;
    }
    LoadWorker::Result result;
    result.request = std::move(request);
    readRequestedFile(result);
    sendLoaded(result);
}

void MyVSTController::readRequestedFile(LoadWorker::Result& result)
{
    const LoadWorker::Request& request = result.request;
    try {
        if (request.kind == LoadWorker::Kind::wave) {
            result.waveRead = readWav(request.path, result.left, result.right, result.frames,
                                      result.sampleRate);
        } else {
            SoundFontReader reader(request.path);
            reader.resolvePreset(request.presetIndex);
            reader.buildSynthRecords();
            result.records = std::move(reader.synths);
        }
    } catch (const std::exception&) {
        // An unreadable WAV file sends nothing; a SoundFont that cannot be read gives an
        // empty list, which is still sent: the processor then has nothing to play.
        result.waveRead = false;
        result.records.clear();
    }
}

void MyVSTController::sendLoaded(LoadWorker::Result& result)
{
    if (result.request.kind == LoadWorker::Kind::wave) {
        if (result.waveRead)
            sendWaveData(result.request.fileId, result.left.get(), result.right.get(), result.frames,
                         result.sampleRate);
    } else {
        sendSynthRecords(result.request.fileId, result.records);
    }
}

void MyVSTController::deliverLoadedFiles()
{
    for (LoadWorker::Result& result : loads.collect())
        sendLoaded(result);
}

void MyVSTController::sendWave(int32_t fileId, const std::u16string& path)
{
    LoadWorker::Result result;
    result.request.kind = LoadWorker::Kind::wave;
    result.request.fileId = fileId;
    result.request.path = path;
    readRequestedFile(result);
    sendLoaded(result);
}

void MyVSTController::sendWaveData(int32_t fileId, const float* left, const float* right,
                                   int32_t frames, int32_t sampleRate)
{
    if (frames < 0 || static_cast<uint64_t>(frames) * 4 > std::numeric_limits<uint32>::max())
        return;

    IPtr<IMessage> message = owned(allocateMessage());
    if (!message) return;   // a host without messages: nothing can be sent
    IAttributeList* attributes = message->getAttributes();
    if (!attributes) return;
    message->setMessageID("WAVDATA");
    uint8_t idBytes[4];
    uint8_t rateBytes[4];
    encodeInt32(fileId, idBytes);
    encodeInt32(sampleRate, rateBytes);
    const auto byteCount = static_cast<uint32>(frames) * 4;
    attributes->setBinary("wavID", idBytes, 4);
    attributes->setBinary("wavL", left, byteCount);
    attributes->setBinary("wavR", right, byteCount);
    attributes->setBinary("samplerate", rateBytes, 4);
    sendMessage(message);
}

void MyVSTController::sendSoundFont(int32_t fileId, const std::u16string& path,
                                    int32_t presetIndex)
{
    LoadWorker::Result result;
    result.request.kind = LoadWorker::Kind::soundFont;
    result.request.fileId = fileId;
    result.request.path = path;
    result.request.presetIndex = presetIndex;
    readRequestedFile(result);
    sendLoaded(result);
}

void MyVSTController::sendSynthRecords(int32_t fileId, const SFSynthList& records)
{
    IPtr<IMessage> message = owned(allocateMessage());
    if (!message) return;
    IAttributeList* attributes = message->getAttributes();
    if (!attributes) return;
    message->setMessageID("SF2DATA");
    uint8_t idBytes[4];
    encodeInt32(fileId, idBytes);
    attributes->setBinary("fileID", idBytes, 4);

    // The message carries the vector's address triple (first, end, end of storage), not the
    // records; the receiver copies them while the send call runs.
    const SFSynth* first = records.data();
    const SFSynth* last = first + records.size();
    const SFSynth* storageEnd = first + records.capacity();
    const SFSynth* triple[3] = {first, last, storageEnd};
    static_assert(sizeof triple == 24, "the address triple is 24 bytes");
    attributes->setBinary("SFSynthList", triple, sizeof triple);

    // Registered only for this send: a host that delivers later finds the range gone.
    InFlightSynthLists::Scope inFlight(first, last);
    sendMessage(message);
}

} // namespace Vst
} // namespace Steinberg
