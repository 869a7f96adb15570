#include "sdl_double.h"

#include <SDL_image.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <set>
#include <sstream>

namespace sd {
namespace {

struct Rec { Sint16 x, y, image; };  // small: a whole game draws millions
struct Timed { int flip; Uint32 tick; std::function<void()> fn; };  // flip -1: by tick

struct State {
    Uint64 us = 0;
    Uint32 base = 0;
    int flips = 0, maxflips = 20000, quitflip = -1, quits = 0;
    long idle = 0;  // calls since the last flip
    Uint8 keys[SDLK_LAST] = {};
    std::vector<Timed> timed;
    std::set<std::string> missing, failing;
    std::vector<std::vector<Rec>> frames{1};  // the blits of each flip
    bool playing[8] = {}, music = false;
    int reserved = 0, handles = 0;
    std::deque<int> rands;
    int forever = -1;
    Uint32 seed = 1;
    std::vector<Call> log;
};
State S;
// The game only hands handles back, so a byte each will do; its offset names it.
char pool[256];
std::string names[256];
SDL_Surface screensurf;

Uint32 now() { return S.base + Uint32(S.us / 1000); }

void tick() {
    S.us += 10;
    if (++S.idle > 10000000) {
        std::fprintf(stderr, "sdl_double: ten million calls without SDL_Flip\n");
        std::abort();
    }
}

// Logs "fn(a,b)", or "fn" without arguments.
template <class... A> void log(const char* fn, const A&... a) {
    std::ostringstream o;
    int n = 0;
    o << fn;
    ((o << (n++ ? "," : "(") << a), ...);
    if (n) o << ")";
    S.log.push_back({o.str(), S.flips, now()});
}
template <class... A> void call(const char* fn, const A&... a) { tick(); log(fn, a...); }

template <class T> T* open(const char* path) {
    if (S.missing.count(path)) return nullptr;
    std::string p = path;
    names[S.handles] = p.substr(p.rfind('/') + 1);
    return reinterpret_cast<T*>(&pool[S.handles++]);
}
std::string name(const void* h) { return h ? names[static_cast<const char*>(h) - pool] : "null"; }

bool failed(const char* fn) { return S.failing.count(fn); }

int play(int c, const Mix_Chunk* chunk) {
    if (c == -1)
        for (c = S.reserved; c < 8 && S.playing[c];) ++c;
    if (!chunk || c < 0 || c >= 8) return -1;
    S.playing[c] = true;
    return c;
}

}  // namespace

void reset() { S = State(); }
Uint32 ticks() { return now(); }
void setticks(Uint32 ms) { S.base = ms - Uint32(S.us / 1000); }
void spend(unsigned ms) { S.us += Uint64(ms) * 1000; }
void key(int sym, bool down) { S.keys[sym] = down; }
void pushquit() { ++S.quits; }
void atflip(int flip, std::function<void()> fn) { S.timed.push_back({flip, 0, std::move(fn)}); }
void attick(Uint32 ms, std::function<void()> fn) { S.timed.push_back({-1, ms, std::move(fn)}); }
void keys(const std::vector<Key>& script) {
    for (Key k : script) atflip(k.flip, [k] { k.sym ? key(k.sym, k.down) : pushquit(); });
}
int flips() { return S.flips; }
void maxflips(int n) { S.maxflips = n; }
void missing(const std::string& path) { S.missing.insert(path); }
void fail(const std::string& fn) { S.failing.insert(fn); }
void endchannel(int c) { S.playing[c] = false; }
void endmusic() { S.music = false; }
void pushrand(int v, bool forever) {
    if (forever)
        S.forever = v;
    else
        S.rands.push_back(v);
}
void clearcalls() { S.log.clear(); }

std::vector<Draw> drawn(int flip, const std::string& prefix) {
    std::vector<Draw> out;
    if (flip < 0 || flip > S.flips) return out;
    for (Rec r : S.frames[flip])
        if (names[r.image].compare(0, prefix.size(), prefix) == 0) out.push_back({names[r.image], r.x, r.y});
    return out;
}

std::vector<Call> calls(const std::string& prefix) {
    std::vector<Call> out;
    for (const Call& c : S.log)
        if (c.text.compare(0, prefix.size(), prefix) == 0) out.push_back(c);
    return out;
}

}  // namespace sd

using namespace sd;

extern "C" {

int SDL_Init(Uint32 flags) { call("SDL_Init", flags); return failed("SDL_Init") ? -1 : 0; }
void SDL_Quit(void) { call("SDL_Quit"); }
char* SDL_GetError(void) { tick(); return const_cast<char*>("no luck"); }
SDL_Surface* SDL_SetVideoMode(int w, int h, int bpp, Uint32 flags) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%x", flags);
    call("SDL_SetVideoMode", w, h, bpp, hex);
    return failed("SDL_SetVideoMode") ? nullptr : &screensurf;
}
void SDL_WM_SetCaption(const char* title, const char* icon) { call("SDL_WM_SetCaption", title, icon); }
int SDL_ShowCursor(int toggle) { call("SDL_ShowCursor", toggle); return 1; }
Uint8* SDL_GetKeyState(int*) { tick(); return S.keys; }
Uint32 SDL_GetTicks(void) { tick(); return now(); }
void SDL_Delay(Uint32 ms) { S.us += Uint64(ms) * 1000; call("SDL_Delay", ms); }

int SDL_PollEvent(SDL_Event* event) {
    tick();
    for (size_t i = 0; i < S.timed.size();) {
        const Timed& t = S.timed[i];
        if (t.flip >= 0 ? S.flips < t.flip : Sint32(now() - t.tick) < 0) {
            ++i;
            continue;
        }
        auto fn = std::move(S.timed[i].fn);
        S.timed.erase(S.timed.begin() + i);
        fn();
    }
    if (S.flips >= S.maxflips) {
        if (S.flips > S.maxflips + 10000) {
            std::fprintf(stderr, "sdl_double: still running 10000 frames after Escape and close\n");
            std::abort();
        }
        S.keys[SDLK_ESCAPE] = 1;
        if (S.quitflip != S.flips) {  // one per frame, so draining ends
            S.quits++;
            S.quitflip = S.flips;
        }
    }
    if (!S.quits) return 0;
    S.quits--;
    event->type = SDL_QUIT;
    return 1;
}

int SDL_UpperBlit(SDL_Surface* src, SDL_Rect*, SDL_Surface*, SDL_Rect* at) {
    tick();
    if (!src) return -1;
    S.frames.back().push_back({at->x, at->y, Sint16(static_cast<char*>(static_cast<void*>(src)) - pool)});
    // The library writes the clipped rectangle back: the next blit must not trust it.
    at->x = std::max<Sint16>(at->x, 0);
    at->y = std::max<Sint16>(at->y, 0);
    return 0;
}

int SDL_Flip(SDL_Surface*) {
    call("SDL_Flip");
    S.flips++;
    S.idle = 0;
    S.frames.emplace_back();
    return 0;
}

void SDL_FreeSurface(SDL_Surface* s) { call("SDL_FreeSurface", name(s)); }
SDL_RWops* SDL_RWFromFile(const char* file, const char* mode) {
    call("SDL_RWFromFile", file, mode);
    return open<SDL_RWops>(file);
}
SDL_Surface* IMG_Load(const char* file) { call("IMG_Load", file); return open<SDL_Surface>(file); }

int Mix_OpenAudio(int rate, Uint16 format, int channels, int chunksize) {
    call("Mix_OpenAudio", rate, format, channels, chunksize);
    return failed("Mix_OpenAudio") ? -1 : 0;
}
void Mix_CloseAudio(void) { call("Mix_CloseAudio"); }
int Mix_AllocateChannels(int n) { call("Mix_AllocateChannels", n); return n; }
int Mix_ReserveChannels(int n) { call("Mix_ReserveChannels", n); return S.reserved = n; }
int Mix_Volume(int c, int v) { call("Mix_Volume", c, v); return MIX_MAX_VOLUME; }
int Mix_VolumeMusic(int v) { call("Mix_VolumeMusic", v); return MIX_MAX_VOLUME; }
Mix_Chunk* Mix_LoadWAV_RW(SDL_RWops* src, int freesrc) {
    call("Mix_LoadWAV_RW", name(src), freesrc);
    return src ? open<Mix_Chunk>(name(src).c_str()) : nullptr;
}
Mix_Music* Mix_LoadMUS(const char* file) { call("Mix_LoadMUS", file); return open<Mix_Music>(file); }
int Mix_PlayChannelTimed(int c, Mix_Chunk* chunk, int loops, int ms) {
    call("Mix_PlayChannelTimed", c, name(chunk), loops, ms);
    return play(c, chunk);
}
int Mix_FadeInChannelTimed(int c, Mix_Chunk* chunk, int loops, int fade, int ms) {
    call("Mix_FadeInChannelTimed", c, name(chunk), loops, fade, ms);
    return play(c, chunk);
}
int Mix_Playing(int c) { tick(); return S.playing[c]; }
int Mix_HaltChannel(int c) {
    call("Mix_HaltChannel", c);
    for (int n = 0; n < 8; ++n) S.playing[n] = S.playing[n] && c != -1 && c != n;
    return 0;
}
int Mix_PlayMusic(Mix_Music* m, int loops) {
    call("Mix_PlayMusic", name(m), loops);
    S.music = m != nullptr;
    return m ? 0 : -1;
}
int Mix_PlayingMusic(void) { tick(); return S.music; }
int Mix_FadeOutMusic(int ms) { call("Mix_FadeOutMusic", ms); return S.music; }  // plays on
int Mix_HaltMusic(void) { call("Mix_HaltMusic"); S.music = false; return 0; }
void Mix_FreeChunk(Mix_Chunk* chunk) { call("Mix_FreeChunk", name(chunk)); }
void Mix_FreeMusic(Mix_Music* m) { call("Mix_FreeMusic", name(m)); }

int rand(void) __THROW {
    if (S.rands.empty()) {
        if (S.forever >= 0) return S.forever;
        S.seed = S.seed * 1103515245u + 12345u;
        return S.seed >> 1;
    }
    int v = S.rands.front();
    S.rands.pop_front();
    return v;
}
void srand(unsigned seed) __THROW { log("srand", seed); S.seed = seed; }
time_t time(time_t* t) __THROW { if (t) *t = 1000000000; return 1000000000; }

}  // extern "C"
