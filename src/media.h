// Program-wide media: the picture and sound tables, the display surface and
// the difficulty. Filled once by load, released once by free.
#pragma once

#include <SDL.h>
#include <SDL_mixer.h>

#include "pictures.h"

// The sound slots of chunk, in load order: slot sndNAME holds
// data/sounds/NAME.ogg (the files are listed in media.cpp).
enum { sndhammer, sndwrongjump, sndmissed, sndgameover, sndrain, sndheart, soundcount };

const int surfacenum = picturecount;
const int chunknum = soundcount;

// Channels 0 and 1 are reserved, so a play on channel -1 never takes them.
const int rainchannel = 0;
const int heartchannel = 1;
const int anychannel = -1;

extern SDL_Surface* surface[surfacenum];
extern SDL_Surface* screen;
extern Mix_Chunk* chunk[chunknum];
extern Mix_Music* music;
// The difficulty of every game, 1, 2 or 3: defaultdiff unless options.txt
// names another, and fixed before the first game.
extern int diff;
const int defaultdiff = 2;

void load();
void free();

// Every effect plays once and is forgotten; continuous sounds are kept
// going by the game loop restarting them, not by the mixer's looping.
inline void playsound(int n, int channel)
{
    Mix_PlayChannelTimed(channel, chunk[n], 0, -1);
}
