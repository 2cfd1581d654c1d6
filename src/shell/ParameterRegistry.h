#pragma once
// Building the plug-in description: the registry insertion helpers, class IDs from their
// registry text, and fillDescription with this plug-in's values.
//
// Threads: called only from the module entry (UI thread) or from tests on their own
// description objects. Not real-time safe (allocates).
#include "shell/PluginDescription.h"

#include <string>

namespace Steinberg {
namespace Vst {

// Fills the description with this plug-in's names, version, buses, class IDs and the seven
// instrument parameters. Always returns true.
bool fillDescription(PluginDescription& description);
bool fillDescription();   // the module's own description
// The module's own description, filled on the first call only: a host entering the module
// again must not rewrite it while other instances read it. Any thread.
bool fillDescriptionOnce();

// "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}" -> FUID: drops every "-", "{" and "}" and parses the
// remaining 32 hex digits (an unparsable text gives an invalid, all-zero FUID).
FUID classIdFromText(const std::string& text);

// Inserts or overwrites the entry for id after normalising min/max/default for the kind.
void addParameter(PluginDescription& description, int32 id, const std::string& name,
                  const std::string& units, double minPlain, double maxPlain, double defaultPlain,
                  int32 kind, int32 midiController, const std::string& listText);
// Range kind, units "", max 1.0, no list.
void addRangeParameter(PluginDescription& description, int32 id, const std::string& name,
                       double minPlain, double defaultPlain, int32 midiController);
// List kind: min 0, max = number of items, default 0.
void addListParameter(PluginDescription& description, int32 id, const std::string& name,
                      const std::string& listText, int32 midiController);

} // namespace Vst
} // namespace Steinberg
