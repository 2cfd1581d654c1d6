#pragma once
// Ctrl-C and termination requests for the command line: the first SIGINT, SIGTERM or SIGHUP
// only raises a flag that the render loop checks between blocks, so the renderer can clean up
// and leave every file as it was; a second one ends the process at once.
//
// Threads: install on the main thread before others start; the flag may be read from any
// thread. Real-time safe to read.

namespace zephra {
namespace render {

void installInterruptionHandlers();
// The signal that asked to stop, or 0.
int interruptionSignal();

}   // namespace render
}   // namespace zephra
