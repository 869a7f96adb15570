// Stand-in for SDL 1.2, SDL_image, SDL_mixer and rand/srand/time, linked into
// game_tests: a virtual clock, scripted input and chance, and a record of what
// the game asked for.
#pragma once

#include <SDL.h>

#include <functional>
#include <string>
#include <vector>

namespace sd {

struct Call {
    std::string text;  // "Mix_Volume(0,38)"
    int flip;          // SDL_Flip calls before it: the frame it belongs to
    Uint32 tick;
};
struct Draw {
    std::string image;  // "bg.png"
    int x, y;
};

// Clock at 0, no keys, nothing scheduled or logged, every file there.
void reset();

// Every library call takes 10 us; only SDL_Delay and spend take longer.
Uint32 ticks();
void setticks(Uint32 ms);
void spend(unsigned ms);

void key(int sym, bool down);
void pushquit();
// A script of keys down or up, each at the start of its flip; sym 0 is a
// window close instead.
struct Key { int flip, sym; bool down; };
void keys(const std::vector<Key>& script);

// Run at the start of SDL_PollEvent: the due atflip and attick handlers, once
// each.
void atflip(int flip, std::function<void()> fn);
void attick(Uint32 ms, std::function<void()> fn);
int flips();
// From flip n on (20000 unless set), Escape is held and a window close comes
// every frame. A game still running 10000 flips later, or a loop that never
// flips, aborts.
void maxflips(int n);

void missing(const std::string& path);
void fail(const std::string& fn);  // SDL_Init, Mix_OpenAudio or SDL_SetVideoMode fails: "no luck"

// The blits of frame `flip`, in order; only those of images whose names
// start with `prefix` if given ("char": either figure).
std::vector<Draw> drawn(int flip, const std::string& prefix = "");
// Eight channels; channel -1 takes the first free one past the reserved ones.
// A sound or the music plays until it is halted or a test ends it.
void endchannel(int c);
void endmusic();
// rand() returns the queued values, then the forever one, else a fixed sequence
// from srand; time() is always 1000000000.
void pushrand(int v, bool forever = false);
std::vector<Call> calls(const std::string& prefix = "");
void clearcalls();

}  // namespace sd
