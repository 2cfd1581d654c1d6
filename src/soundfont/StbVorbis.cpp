// The stb_vorbis decoder's implementation, compiled once into the SoundFont library. Its
// header is third-party code on a system include path, so its own warnings stay out of ours.
#include "soundfont/StbVorbisConfig.h"

#include <stb_vorbis.h>
