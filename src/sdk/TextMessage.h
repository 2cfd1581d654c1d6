#pragma once
// The SDK's "TextMessage" (a "Text" string attribute) read safely. The SDK's component base
// reads it into a buffer that a host's getString may fill to the end without a terminating zero
// (the SDK's own attribute list does from 256 characters on), reads on past it, dereferences a
// message without attributes, and lets the exception of text that is no UTF-16 out into the host.
// Threads: whichever thread delivers the message. Not real-time safe (allocates the string).
#include "pluginterfaces/vst/ivstmessage.h"

#include <string>

namespace Steinberg {
namespace Vst {

// Whether `message` is a "TextMessage" at all.
bool isTextMessage(IMessage* message);
// Its text as UTF-8 (at most 256 units are read); false, and nothing taken, when the message
// has no attributes or no "Text", or the text is not UTF-16.
bool readTextMessage(IMessage* message, std::string& utf8);

} // namespace Vst
} // namespace Steinberg
