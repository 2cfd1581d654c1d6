#include "editor/EditorSizeSetting.h"

#include "platform/Text.h"
#include "platform/UserSettings.h"
#include "shell/PluginDescription.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace Steinberg {
namespace Vst {

namespace {
constexpr double kSmallest = 0.5;
constexpr double kLargest = 2.0;
constexpr size_t kLargestFile = 4096;   // a settings file is a few lines; more is not ours

std::u16string settingsPath()
{
    const PluginDescription& description = pluginDescription();
    try {
        return userSettingsPath(fromUtf8(description.vendor), fromUtf8(description.name), u"editor.conf");
    } catch (const std::range_error&) {
        return {};
    }
}
} // namespace

// Numbers are read and written without the C library's locale: a host may have set a decimal
// comma, and the file must read the same in every process.
double parseEditorSize(const std::string& text)
{
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.compare(0, 5, "size=") != 0)
            continue;
        double percent = 0, scale = 0;   // scale: the place of the next fraction digit
        size_t digits = 0;
        for (size_t i = 5; i < line.size(); ++i) {
            const char c = line[i];
            if (c == '.' && scale == 0 && digits > 0) {
                scale = 0.1;
            } else if (c >= '0' && c <= '9' && digits < 9) {
                percent = scale == 0 ? percent * 10 + (c - '0') : percent + (c - '0') * scale;
                scale *= 0.1;
                ++digits;
            } else {
                return 0;
            }
        }
        const double factor = percent / 100.0;
        return digits > 0 && factor >= kSmallest && factor <= kLargest ? factor : 0;
    }
    return 0;
}

std::string formatEditorSize(double factor)
{
    const long hundredths = std::lround(factor * 10000.0);   // of a percent
    char line[64];
    std::snprintf(line, sizeof line, "size=%ld.%02ld\n", hundredths / 100, hundredths % 100);
    return line;
}

double loadEditorSize()
{
    std::string text;
    const std::u16string path = settingsPath();
    if (path.empty() || !readSmallFile(path, text, kLargestFile))
        return 1.0;
    const double factor = parseEditorSize(text);
    return factor > 0 ? factor : 1.0;
}

bool saveEditorSize(double factor)
{
    if (!(factor >= kSmallest && factor <= kLargest))
        return false;
    const std::u16string path = settingsPath();
    return !path.empty() && replaceFile(path, formatEditorSize(factor));
}

} // namespace Vst
} // namespace Steinberg
