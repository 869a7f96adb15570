/* What tools/player/player.c knows of the game it plays, for a tool
 * preloaded beside it (tools/bench/benchhooks.c) to read through
 * dlsym(RTLD_DEFAULT, "marrowick_player"). */
#pragma once

#include <SDL.h>

#include "pictures.h"

/* The pictures, in the game's own load order: meteor1 for meteor1.png. */
enum {
#define SLOT(name) name,
    PICTURES(SLOT)
#undef SLOT
    pictures
};

struct player {
    SDL_Surface* picture[pictures];
    int ingame;   /* from a game's set-up to its end */
    int games;    /* games ended so far */
    int frames;   /* flips of the current game */
    int level10;  /* the frame of the current game that reached level 10, or -1 */
    int figurex;  /* where the figure was last drawn */
    int done;     /* set by the tool beside: leave the game and the program */
};
