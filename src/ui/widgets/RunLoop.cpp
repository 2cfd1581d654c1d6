#include "ui/widgets/RunLoop.h"

namespace VSTGUI::X11 {

namespace {
struct Current
{
    IRunLoop* loop = nullptr;
    int users = 0;
};
// The only shared state of the widget layer: which loop the open editors run on.
Current& current()
{
    static Current state;
    return state;
}
}  // namespace

void RunLoop::init(IRunLoop* loop)
{
    if (!loop)
        return;
    if (current().users++ == 0)
        current().loop = loop;
}

void RunLoop::exit()
{
    if (current().users == 0)
        return;
    if (--current().users == 0)
        current().loop = nullptr;
}

IRunLoop* RunLoop::get()
{
    return current().loop;
}

}  // namespace VSTGUI::X11
