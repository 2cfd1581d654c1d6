#include "sdk/TextMessage.h"

#include "platform/Text.h"

#include <cstring>
#include <exception>

namespace Steinberg {
namespace Vst {

bool isTextMessage(IMessage* message)
{
    const char* id = message ? message->getMessageID() : nullptr;
    return id != nullptr && std::strcmp(id, "TextMessage") == 0;
}

bool readTextMessage(IMessage* message, std::string& utf8)
{
    // The last unit is never handed out, so it stays zero whatever the host writes.
    TChar text[257] = {};
    IAttributeList* attributes = message ? message->getAttributes() : nullptr;
    if (!attributes || attributes->getString("Text", text, sizeof(text) - sizeof(TChar)) != kResultOk)
        return false;
    try {
        utf8 = toUtf8(reinterpret_cast<const char16_t*>(text));
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

} // namespace Vst
} // namespace Steinberg
