/* A perfect player, preloaded into the real game (tools/screenshots.sh): it watches where the game
 * draws falling meteors and presses Z in the frame after one was drawn in the
 * strike band, then lets go. Keys pressed through X still work as usual. */
#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif
#include <SDL.h>
#include <dlfcn.h>
#include <string.h>

static SDL_Surface* meteor;  /* the falling-meteor picture */
static int due;              /* last frame drew a falling meteor in the band */
static int holding;          /* we hold Z down */

SDL_Surface* IMG_Load(const char* file)
{
    static SDL_Surface* (*real)(const char*);
    if (!real)
        real = (SDL_Surface * (*)(const char*)) dlsym(RTLD_NEXT, "IMG_Load");
    SDL_Surface* s = real(file);
    if (strstr(file, "meteor1.png"))
        meteor = s;
    return s;
}

int SDL_UpperBlit(SDL_Surface* src, SDL_Rect* srcrect, SDL_Surface* dst, SDL_Rect* dstrect)
{
    static int (*real)(SDL_Surface*, SDL_Rect*, SDL_Surface*, SDL_Rect*);
    if (!real)
        real = (int (*)(SDL_Surface*, SDL_Rect*, SDL_Surface*, SDL_Rect*)) dlsym(RTLD_NEXT, "SDL_UpperBlit");
    /* Read before the library clips the rectangle. */
    if (src && src == meteor && dstrect && dstrect->y >= 385 && dstrect->y <= 405)
        due = 1;
    return real(src, srcrect, dst, dstrect);
}

Uint8* SDL_GetKeyState(int* numkeys)
{
    static Uint8* (*real)(int*);
    if (!real)
        real = (Uint8 * (*)(int*)) dlsym(RTLD_NEXT, "SDL_GetKeyState");
    Uint8* keys = real(numkeys);
    if (due && !holding) {
        keys[SDLK_z] = 1;
        holding = 1;
    } else if (holding) {
        keys[SDLK_z] = 0;
        holding = 0;
    }
    due = 0;
    return keys;
}
