#pragma once
// How the module's entry points are marked for export. On Linux a default-visibility symbol
// (everything else is hidden and a version script lists the exports); on Windows the module's
// .def file names the exports, so the mark is empty there.
// Threads: not applicable (a declaration helper).
#ifdef _WIN32
#define ZEPHRA_EXPORT extern "C"
#else
#define ZEPHRA_EXPORT extern "C" __attribute__((visibility("default")))
#endif
