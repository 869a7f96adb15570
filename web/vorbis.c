/* Ogg Vorbis decoding inside the program, for browsers whose own decoder
 * refuses it (Apple's Safari before 18.4): web/mixer.js calls
 * stb_vorbis_decode_memory when decodeAudioData fails. From Debian's
 * libstb-dev; only the in-memory decoder is needed. */
#define STB_VORBIS_NO_STDIO
#define STB_VORBIS_NO_PUSHDATA_API
#include <stb_vorbis.h>
