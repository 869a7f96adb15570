// Test double for SDL 1.2, SDL_image 1.2 and SDL_mixer 1.2 (plus rand/srand/time).
// game_tests links this instead of the real libraries, so a test can run the
// whole game on a virtual clock, script input and chance, and read back what
// the game asked of the platform.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

namespace sdldouble {

// One logged library call. flip = number of SDL_Flip calls before it (so the
// frame it belongs to), tick = SDL_GetTicks value when it returned, ret = what
// an int-returning call returned (the chosen channel for Mix_PlayChannelTimed),
// 1/0 for pointer-returning calls (non-null/null), 0 otherwise.
struct Call {
    std::string text;
    int flip;
    Uint32 tick;
    long ret;
};

// One SDL_UpperBlit onto the screen. x, y are dstrect's values as passed in
// (0,0 for a null dstrect); src is the source rectangle (whole image if
// srcwhole).
struct Draw {
    std::string image;
    Sint16 x, y;
    int flip;
    bool srcwhole;
    SDL_Rect src;
};

// Back to the initial state: clock 0, ticks 0, empty queues/logs/schedules,
// no keys down, all media present, init/video/audio succeed, maxflips
// 200000. Handles from before stay readable but count as stale.
void reset();

// --- clock -------------------------------------------------------------
// Every SDL/IMG/Mix call takes 10 us of virtual time and nothing else passes
// time except SDL_Delay(ms) and spend(ms): a pacer that spins on SDL_GetTicks
// until d ms have passed and then reads it once more starts frames exactly d
// ms apart when the frame's own work is under d ms. rand/srand/time take no
// time.
Uint32 ticks();                 // what SDL_GetTicks would return now
std::uint64_t micros();         // raw virtual clock
void setticks(Uint32 ms);       // make SDL_GetTicks read ms now (wraps freely)
void spend(unsigned ms);        // simulate work in the current frame

// --- input ---------------------------------------------------------------
void key(int sym, bool down);   // state seen through SDL_GetKeyState
bool keydown(int sym);
void pushquit();                // queue an SDL_QUIT event
void pushkeydown(int sym);      // queue an SDL_KEYDOWN event (key state untouched)
void pushevent(const SDL_Event& e);
int pending();                  // events still queued

// --- scripting --------------------------------------------------------------
// Handlers run at the start of SDL_PollEvent, before it pops: first due
// atflip/attick handlers (in the order registered, each once), then onpoll.
void onpoll(std::function<void()> fn);                // every poll; replaces the previous one
void atflip(int n, std::function<void()> fn);         // first poll once flips() >= n
void attick(Uint32 ms, std::function<void()> fn);     // first poll with ticks() at/after ms (wrap-aware)
int flips();                                          // SDL_Flip calls so far
// After n flips every poll holds Escape down and one SDL_QUIT is queued per
// frame; 10000 flips later, or after 10 million library calls without a
// flip, the process aborts with a message (a hung game must not hang a test).
void maxflips(int n);

// --- media -----------------------------------------------------------------
void missing(const std::string& path);                // IMG_Load/SDL_RWFromFile/Mix_LoadMUS fail for it
void imagesize(const std::string& path, int w, int h);// default 640x480
std::string nameof(const void* handle);               // "s1.png", "bg.ogg", "screen", "null", "?"

// --- failures --------------------------------------------------------------
void failinit(const char* err);   // SDL_Init returns -1
void failvideo(const char* err);  // SDL_SetVideoMode returns NULL
void failaudio(const char* err);  // Mix_OpenAudio returns -1

// --- video -------------------------------------------------------------------
Uint32 videoflags();                          // flags of the last SDL_SetVideoMode
SDL_Surface* screen();                        // the fake screen, or null before a mode is set
const std::vector<Draw>& drawn(int flip);     // draws of frame `flip` (0 = before the first flip)
std::vector<Draw> lastframe();                // draws of the last presented frame
long nullblits();                             // blits with a NULL source (drawn nothing)
bool cursorshown();

// --- mixer ---------------------------------------------------------------------
bool audioopen();
int channels();                 // allocated channels
int reserved();
bool playing(int c);
std::string onchannel(int c);   // chunk name playing on c, "" if silent
void endchannel(int c);         // the sound on c finishes
int volume(int c);
int musicvolume();
bool musicplaying();
std::string music();            // name of playing music, "" if none
bool musicfading();             // Mix_FadeOutMusic called since music started
void endmusic();                // the music finishes

// --- chance ------------------------------------------------------------------
void pushrand(int v);           // next rand() returns v (queue, FIFO)
void settime(std::time_t t);    // what time() returns (default 1000000000)
std::vector<unsigned> seeds();  // srand arguments so far
long randcalls();

// --- records -----------------------------------------------------------------
std::vector<std::string> calls();                             // call texts in order
const std::vector<Call>& records();                           // full records
std::vector<std::string> callsmatching(const std::string& prefix);
std::vector<Call> recordsmatching(const std::string& prefix);
void clearcalls();                                            // clears log and counts
// Calls per function name, including the unlogged SDL_GetTicks, SDL_PollEvent,
// SDL_GetKeyState, SDL_UpperBlit, Mix_Playing, Mix_PlayingMusic, rand, time.
long count(const std::string& fn);
// Misuse the real libraries would punish (freed or stale handles, blits not
// onto the screen, double frees). Each one is also reported as a test failure.
const std::vector<std::string>& problems();

}  // namespace sdldouble
