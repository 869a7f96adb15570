// The one place where the browser build differs from the desktop program.
// A page is drawn and hears its keys only while the program is not running,
// so every wait there has to hand the browser its turn; on the desktop the
// waits spin, as the game's timing asks, and these do nothing.
#pragma once

#include <SDL.h>

#ifdef __EMSCRIPTEN__
extern "C" {
// SDL 1.2's key-state array: the browser's library has it, its headers lack it.
Uint8* SDL_GetKeyState(int* numkeys);
// Between two readings of the clock in the frame wait: back by `due` ticks,
// or at once when that has passed. In web/platform.js.
void idleuntil(Uint32 due);
// Between two rounds of the pause loop.
void idlebriefly(void);
}
#else
inline void idleuntil(Uint32) {}
inline void idlebriefly() {}
#endif
