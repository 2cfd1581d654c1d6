#pragma once
// How the project builds the stb_vorbis decoder (Debian's libstb-dev header, found on the
// include path as <stb_vorbis.h>): decoding from memory only, no files, no integer output.
// Every file that includes the header includes it through this one, so all agree.
//
// Threads: n/a (configuration only). Real-time safe: n/a.
#define STB_VORBIS_NO_STDIO 1
#define STB_VORBIS_NO_PUSHDATA_API 1
#define STB_VORBIS_NO_INTEGER_CONVERSION 1
#define STB_VORBIS_MAX_CHANNELS 2
