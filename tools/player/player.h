/* What tools/player/player.c knows of the game it plays, for a tool
 * preloaded beside it (tools/bench/benchhooks.c) to read through
 * dlsym(RTLD_DEFAULT, "marrowick_player"). */
#pragma once

#include <SDL.h>

#include "pictures.h"

struct player {
    SDL_Surface* picture[picturecount];  /* by the game's slots (pictures.h) */
    int ingame;   /* from a game's set-up to its end */
    int games;    /* games ended so far */
    int frames;   /* flips of the current game */
    int level10;  /* the frame of the current game that reached level 10, or -1 */
    int figurex;  /* where the figure was last drawn */
    int done;     /* set by the tool beside: leave the game and the program */
};
