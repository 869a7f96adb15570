/* What tools/player/player.c knows of the game it plays, for a tool
 * preloaded beside it (tools/bench/benchhooks.c) to read through
 * dlsym(RTLD_DEFAULT, "marrowick_player"). */
#pragma once

#include <SDL.h>

#include "pictures.h"

/* The benchmark's way of playing, one rule for the desktop's player
 * (MARROWICK_PLAYER=bench) and the browser's (tools/bench/benchhooks.js.in,
 * which CMake fills in from these lines): strike every meteor until the
 * figure is past x benchwastex, then waste benchwrongs strikes before each
 * hit, which keeps the streak and so the hops short, and strike no more once
 * the figure is drawn past x benchlevel10x, where the game's level 10
 * begins (levelstep * 9 + firstlevelx, game.cpp). The figure then rests
 * short of the hammer while meteors keep coming and the rain is at its
 * thickest. */
static const int benchwastex = 520;    /* pixels */
static const int benchwrongs = 12;     /* wrong strikes before each hit */
static const int benchlevel10x = 550;  /* pixels */

struct player {
    SDL_Surface* picture[picturecount];  /* by the game's slots (pictures.h) */
    int ingame;   /* from a game's set-up to its end */
    int games;    /* games ended so far */
    int frames;   /* flips of the current game */
    int level10;  /* the frame of the current game that drew the figure past benchlevel10x, or -1 */
    int figurex;  /* where the figure was last drawn */
    int done;     /* set by the tool beside: leave the game and the program */
};
