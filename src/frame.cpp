#include "frame.h"

void pacerstep(Pacer& pacer)
{
    // Unsigned difference: stays right when the counter wraps after 49.7 days.
    Uint32 wait = pacer.framedelay[pacer.framedelayindex];
    while (SDL_GetTicks() - pacer.lastframetime < wait)
        idleuntil(pacer.lastframetime + wait);
    pacer.lastframetime = SDL_GetTicks();
    pacer.framedelayindex = (pacer.framedelayindex + 1) % 3;
}

bool drainevents()
{
    SDL_Event event;
    bool quit = false;
    while (SDL_PollEvent(&event))
        if (event.type == SDL_QUIT)
            quit = true;
    return quit;
}

bool strikekey(const Uint8* keys)
{
    return keys[SDLK_z] || keys[SDLK_y];
}
