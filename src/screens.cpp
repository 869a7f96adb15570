#include "screens.h"

#include "frame.h"
#include "game.h"
#include "media.h"
#include "sprite.h"

const Uint32 guardms = 200;  // Escape and the first page wait this long

int mainmenu()
{
    bool done = false;
    Uint32 lastaction = SDL_GetTicks();
    bool released = true;  // a key held at start-up may turn the first page
    Pacer pacer = newpacer;
    int site = 0;

    // Pages in the order they show: s1, s2, s3, menu.
    static const int pagepicture[4] = {pics1, pics2, pics3, picmenu};
    CSprite page[4];
    for (int i = 0; i < 4; i++) {
        page[i].setSurface(pagepicture[i]);
        page[i].setxy(0, 0);
    }

    while (!done) {
        if (drainevents())
            done = true;
        // The library's own array: after a game it shows the keys as the
        // game last saw them.
        Uint8* keys = SDL_GetKeyState(NULL);

        if (keys[SDLK_ESCAPE] && SDL_GetTicks() - lastaction > guardms)
            done = true;
        // Each advance closes the latch, so one press moves one page.
        if (site == 0 && strikekey(keys) && SDL_GetTicks() - lastaction > guardms
            && released) {
            site = 1;
            released = false;
        }
        if (site == 1 && strikekey(keys) && released) {
            site = 2;
            released = false;
        }
        if (site == 2 && strikekey(keys) && released) {
            site = 3;
            released = false;
        }
        if (site == 3 && strikekey(keys) && released) {
            game();
            lastaction = SDL_GetTicks();
            released = false;
            site = 3;
        }
        if (!strikekey(keys))
            released = true;

        page[site].blit();
        SDL_Flip(screen);
        pacerstep(pacer);
    }
    return 0;
}
