// The stb_vorbis decoder's implementation, compiled once into the SoundFont library. Its
// header is third-party code on a system include path, so its own warnings stay out of ours.
#include "soundfont/StbVorbisConfig.h"
#include "soundfont/VorbisDecoder.h"

// The library fills its one shared table (the page checksum's) every time a stream is opened,
// so decoders on several threads would write it at once. Its setup is renamed here, and the
// call each open makes goes to prepareCrcTable, which runs it once, under the guard of a
// function-local static: crc32_init(void) becomes crc32_init_void(), crc32_init() becomes
// crc32_init_().
#define crc32_init(...) crc32_init_##__VA_ARGS__()
static void crc32_init_();

#include <stb_vorbis.h>

#undef crc32_init

static void crc32_init_()
{
    static const bool ready = (crc32_init_void(), true);
    (void)ready;
}

void Steinberg::Vst::prepareVorbisDecoding() noexcept
{
    crc32_init_();
}
