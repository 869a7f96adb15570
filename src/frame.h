// What every frame loop shares, the title loop's and the game's: the frame
// pacer, the event drain and the action key.
#pragma once

#include <SDL.h>

#include "platform.h"

// Frames start at least 16, 17, 17 ms apart in turn: 50 ms per three frames,
// 60 per second on a 1 ms tick counter.
struct Pacer {
    Uint32 lastframetime;  // ticks when the previous frame's wait ended
    int framedelay[3];     // ms
    int framedelayindex;
};

const Pacer newpacer = {0, {16, 17, 17}, 0};

// Spins on the tick counter, counting from the end of the previous wait;
// a frame that overran is followed at once and the time is not made up.
void pacerstep(Pacer& pacer);

// Empties the event queue; true when it held a window-close request.
bool drainevents();

// Z or Y: the one action key, on the title pages and in a game.
bool strikekey(const Uint8* keys);
