#pragma once
// The editor size the user chose last (a factor of the editor's own size, 0.5 to 2), kept per
// user in "editor.conf" in the plug-in's folder of the user's configuration folder as a line
// "size=<percent>", never in a project: state streams stay as they are.
// Threads: the host's UI thread. Not real-time safe (file I/O).
#include <string>

namespace Steinberg {
namespace Vst {

// The remembered factor; 1 when there is none or the file holds no valid size.
double loadEditorSize();
// Remembers the factor; false when the file cannot be written.
bool saveEditorSize(double factor);

// The factor a settings text names, or 0 when it names none in 0.5..2 ("size=125" gives 1.25).
double parseEditorSize(const std::string& text);
std::string formatEditorSize(double factor);

} // namespace Vst
} // namespace Steinberg
