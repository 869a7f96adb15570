#include "shell.h"

#include <cstdio>
#include <cstdlib>

#include "media.h"
#include "screens.h"

int marrowick()
{
    load();

    // options.txt: "w" for a window, one separator, then the difficulty.
    // Every field is optional and keeps its default when missing.
    char windowmode = 'f';
    long difficulty = defaultdiff;  // read as long: an oversized number must not overflow an int
    FILE* fleioptions = fopen("options.txt", "r");
    if (fleioptions) {
        // A read that finds nothing leaves its default: the counts are not needed.
        [[maybe_unused]] int found = fscanf(fleioptions, "%c", &windowmode);
        fgetc(fleioptions);
        found = fscanf(fleioptions, "%li", &difficulty);
        fclose(fleioptions);
    }
    if (difficulty > 0 && difficulty <= 3)
        diff = difficulty;

    Uint32 flags = SDL_HWSURFACE | SDL_DOUBLEBUF;
    if (windowmode != 'w')
        flags |= SDL_FULLSCREEN;
    screen = SDL_SetVideoMode(640, 480, 16, flags);
    if (!screen) {
        printf("Can't set VideoMode: %s\n", SDL_GetError());
        exit(1);
    }
    SDL_WM_SetCaption("Marrowick", "");
    SDL_ShowCursor(0);

    mainmenu();
    free();
    return 0;
}
