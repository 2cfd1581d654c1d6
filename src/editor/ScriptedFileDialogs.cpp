#include "editor/ScriptedFileDialogs.h"

namespace Steinberg {
namespace Vst {

namespace {

class ScriptedDialog : public ::VSTGUI::IFileDialog
{
public:
    explicit ScriptedDialog(std::shared_ptr<ScriptedFileDialogs> script) : script(std::move(script)) {}

    bool poll(::VSTGUI::FileDialogResult& result) override
    {
        if (!script->isReleased())
            return false;
        result.files.clear();
        if (!script->answer().empty())
            result.files.push_back(script->answer());
        return true;
    }
    void cancel() override { script->noteCancelled(); }

private:
    std::shared_ptr<ScriptedFileDialogs> script;
};

} // namespace

ScriptedFileDialogs::ScriptedFileDialogs(std::string path, bool holdOpen)
    : path(std::move(path)), holdOpen(holdOpen)
{
}

std::unique_ptr<::VSTGUI::IFileDialog> ScriptedFileDialogs::start(
    const ::VSTGUI::FileDialogRequest& request)
{
    ++startCount;
    last = request;
    return std::make_unique<ScriptedDialog>(shared_from_this());
}

} // namespace Vst
} // namespace Steinberg
