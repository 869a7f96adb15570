// Fake SDL 1.2 / SDL_image / SDL_mixer (and rand/srand/time) for game_tests.
// Behaviour follows the real libraries where the game could notice the
// difference (return values, error paths, dstrect clipping); everything else
// is recorded so tests can assert on it.
#include "sdl_double.h"

#include <SDL.h>
#include <SDL_image.h>
#include <SDL_mixer.h>

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>
#include <set>
#include <sstream>

namespace sdldouble {
namespace {

constexpr std::uint64_t kCallUs = 10;
constexpr long kMaxCallsWithoutFlip = 10000000;
constexpr int kFlipsPastValve = 10000;
constexpr int kDefaultMaxFlips = 200000;
constexpr std::time_t kDefaultTime = 1000000000;

enum class Kind { Surface, RWops, Chunk, Music };

struct Handle {
    Kind kind;
    std::string name;  // base name of the file it came from
    bool freed;
    bool stale;        // created before the last reset()
};

struct Channel {
    bool playing = false;
    const Mix_Chunk* chunk = nullptr;
    int volume = MIX_MAX_VOLUME;
};

struct Scheduled {
    bool byflip;
    int flip;
    Uint32 tick;
    std::function<void()> fn;
};

struct State {
    std::uint64_t clock_us = 0;
    Uint32 base = 0;
    int flips = 0;
    long sinceflip = 0;
    int maxflips = kDefaultMaxFlips;
    int valveflip = -1;

    Uint8 keys[SDLK_LAST] = {};
    std::deque<SDL_Event> events;
    std::function<void()> onpoll;
    std::vector<Scheduled> sched;

    std::set<std::string> missing;
    std::map<std::string, std::pair<int, int>> sizes;

    bool failinit = false, failvideo = false, failaudio = false;
    std::string initerr, videoerr, audioerr;

    bool screenset = false;
    Uint32 videoflags = 0;
    bool cursor = true;
    std::vector<std::vector<Draw>> frames = std::vector<std::vector<Draw>>(1);
    long nullblits = 0;

    bool audioopen = false;
    int reserved = 0;
    std::vector<Channel> chans;
    int musicvolume = MIX_MAX_VOLUME;
    const Mix_Music* music = nullptr;
    bool musicplaying = false;
    bool musicfading = false;

    std::deque<int> randq;
    std::uint64_t randstate = 1;
    std::time_t now = kDefaultTime;
    std::vector<unsigned> seeds;

    std::vector<Call> log;
    std::vector<std::string> problems;
};

State S;
// Never emptied, and handles are never deleted: a handle used after free or
// after reset() is then still recognisable (and no address is ever reused).
std::map<const void*, Handle> handles;
// Outside State and never erased (only zeroed), so each entry point can keep a
// reference to its own counter: counting must stay cheap in busy-wait loops.
std::map<std::string, long> counts;
char errbuf[1024] = "";

SDL_PixelFormat fmt16 = {nullptr, 16, 2, 3, 2, 3, 0, 11, 5, 0, 0,
                         0xF800, 0x07E0, 0x001F, 0, 0, 255};
SDL_Surface screensurf;

template <class... A>
std::string cat(const A&... a) {
    std::ostringstream o;
    (o << ... << a);
    return o.str();
}

Uint32 nowticks() { return static_cast<Uint32>(S.base + S.clock_us / 1000); }

std::string basename(const std::string& path) {
    auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void seterr(const std::string& e) { std::snprintf(errbuf, sizeof errbuf, "%s", e.c_str()); }

void problem(const std::string& what) {
    S.problems.push_back(what);
    ADD_FAILURE() << "sdl_double: " << what;
}

void zerocounts() {
    for (auto& c : counts) c.second = 0;
}

// Every library entry point starts here: time passes, the call is counted,
// and a loop that never presents a frame is stopped.
void enter(const char* fn, long& counter) {
    S.clock_us += kCallUs;
    ++counter;
    if (++S.sinceflip > kMaxCallsWithoutFlip) {
        std::fprintf(stderr,
                     "sdl_double: %ld library calls without SDL_Flip (last: %s, tick %u, "
                     "flip %d) - the game loop looks stuck; aborting\n",
                     kMaxCallsWithoutFlip, fn, nowticks(), S.flips);
        std::abort();
    }
}

#define ENTER(fn)                                \
    static long& calls_of_this_ = counts[fn];    \
    enter(fn, calls_of_this_)

void record(std::string text, long ret = 0) {
    S.log.push_back(Call{std::move(text), S.flips, nowticks(), ret});
}

template <class T>
T* make(Kind kind, const std::string& path) {
    T* p = new T();
    handles[p] = Handle{kind, basename(path), false, false};
    return p;
}

// Checks a handle the game passes back in; false (and a problem) if the real
// library would be working on freed or foreign memory.
bool usable(const void* p, Kind kind, const char* fn) {
    auto it = handles.find(p);
    if (it == handles.end() || it->second.kind != kind) {
        problem(cat(fn, ": unknown handle ", p));
        return false;
    }
    if (it->second.stale) {
        problem(cat(fn, ": handle ", it->second.name, " from before reset()"));
        return false;
    }
    if (it->second.freed) {
        problem(cat(fn, ": ", it->second.name, " used after it was freed"));
        return false;
    }
    return true;
}

// Frees a handle; false if it was already freed (or bad).
bool release(const void* p, Kind kind, const char* fn) {
    if (!usable(p, kind, fn)) return false;
    handles[p].freed = true;
    return true;
}

bool valid(int c) { return c >= 0 && c < static_cast<int>(S.chans.size()); }

void startchannel(int c, const Mix_Chunk* chunk) {
    S.chans[c].playing = true;
    S.chans[c].chunk = chunk;
}

int playchannel(int which, Mix_Chunk* chunk, const char* fn) {
    if (!chunk) {
        seterr("Tried to play a NULL chunk");
        return -1;
    }
    if (!usable(chunk, Kind::Chunk, fn)) return -1;
    if (which == -1) {
        int n = static_cast<int>(S.chans.size());
        for (which = S.reserved; which < n && S.chans[which].playing; ++which) {
        }
        if (which == n) {
            seterr("No free channels available");
            return -1;
        }
    }
    if (valid(which)) startchannel(which, chunk);
    return which;
}

void resizechannels(int n) {
    if (n < 0) n = 0;
    S.chans.resize(n);
    if (S.reserved > n) S.reserved = n;
}

int SDLCALL rwseek(SDL_RWops*, int, int) { return -1; }
int SDLCALL rwread(SDL_RWops*, void*, int, int) { return -1; }
int SDLCALL rwwrite(SDL_RWops*, const void*, int, int) { return -1; }
int SDLCALL rwclose(SDL_RWops* rw) {
    ENTER("SDL_RWclose");
    bool ok = release(rw, Kind::RWops, "SDL_RWclose");
    record(cat("SDL_RWclose(", nameof(rw), ")"), ok ? 0 : -1);
    return ok ? 0 : -1;
}

}  // namespace

// ---------------------------------------------------------------------------

void reset() {
    for (auto& h : handles) h.second.stale = true;
    S = State();
    zerocounts();
    screensurf = SDL_Surface();
    errbuf[0] = '\0';
}

Uint32 ticks() { return nowticks(); }
std::uint64_t micros() { return S.clock_us; }
void setticks(Uint32 ms) { S.base = ms - static_cast<Uint32>(S.clock_us / 1000); }
void spend(unsigned ms) { S.clock_us += static_cast<std::uint64_t>(ms) * 1000; }

void key(int sym, bool down) {
    if (sym >= 0 && sym < SDLK_LAST) S.keys[sym] = down ? 1 : 0;
}
bool keydown(int sym) { return sym >= 0 && sym < SDLK_LAST && S.keys[sym]; }

void pushevent(const SDL_Event& e) { S.events.push_back(e); }
void pushquit() {
    SDL_Event e{};
    e.type = SDL_QUIT;
    pushevent(e);
}
void pushkeydown(int sym) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.type = SDL_KEYDOWN;
    e.key.state = SDL_PRESSED;
    e.key.keysym.sym = static_cast<SDLKey>(sym);
    pushevent(e);
}
int pending() { return static_cast<int>(S.events.size()); }

void onpoll(std::function<void()> fn) { S.onpoll = std::move(fn); }
void atflip(int n, std::function<void()> fn) { S.sched.push_back(Scheduled{true, n, 0, std::move(fn)}); }
void attick(Uint32 ms, std::function<void()> fn) { S.sched.push_back(Scheduled{false, 0, ms, std::move(fn)}); }
int flips() { return S.flips; }
void maxflips(int n) { S.maxflips = n; }

void missing(const std::string& path) { S.missing.insert(path); }
void imagesize(const std::string& path, int w, int h) { S.sizes[path] = {w, h}; }
std::string nameof(const void* handle) {
    if (!handle) return "null";
    if (handle == &screensurf) return "screen";
    auto it = handles.find(handle);
    return it == handles.end() ? "?" : it->second.name;
}

void failinit(const char* err) { S.failinit = true; S.initerr = err ? err : ""; }
void failvideo(const char* err) { S.failvideo = true; S.videoerr = err ? err : ""; }
void failaudio(const char* err) { S.failaudio = true; S.audioerr = err ? err : ""; }

Uint32 videoflags() { return S.videoflags; }
SDL_Surface* screen() { return S.screenset ? &screensurf : nullptr; }
const std::vector<Draw>& drawn(int flip) {
    static const std::vector<Draw> none;
    if (flip < 0 || flip >= static_cast<int>(S.frames.size())) return none;
    return S.frames[flip];
}
std::vector<Draw> lastframe() { return S.flips > 0 ? S.frames[S.flips - 1] : std::vector<Draw>(); }
long nullblits() { return S.nullblits; }
bool cursorshown() { return S.cursor; }

bool audioopen() { return S.audioopen; }
int channels() { return static_cast<int>(S.chans.size()); }
int reserved() { return S.reserved; }
bool playing(int c) { return valid(c) && S.chans[c].playing; }
std::string onchannel(int c) { return playing(c) ? nameof(S.chans[c].chunk) : ""; }
void endchannel(int c) {
    if (valid(c)) S.chans[c].playing = false;
}
int volume(int c) { return valid(c) ? S.chans[c].volume : -1; }
int musicvolume() { return S.musicvolume; }
bool musicplaying() { return S.musicplaying; }
std::string music() { return S.musicplaying ? nameof(S.music) : ""; }
bool musicfading() { return S.musicplaying && S.musicfading; }
void endmusic() { S.musicplaying = false; S.musicfading = false; }

void pushrand(int v) { S.randq.push_back(v); }
void settime(std::time_t t) { S.now = t; }
std::vector<unsigned> seeds() { return S.seeds; }
long randcalls() { return count("rand"); }

std::vector<std::string> calls() {
    std::vector<std::string> out;
    for (auto& c : S.log) out.push_back(c.text);
    return out;
}
const std::vector<Call>& records() { return S.log; }
std::vector<std::string> callsmatching(const std::string& prefix) {
    std::vector<std::string> out;
    for (auto& c : S.log)
        if (c.text.compare(0, prefix.size(), prefix) == 0) out.push_back(c.text);
    return out;
}
std::vector<Call> recordsmatching(const std::string& prefix) {
    std::vector<Call> out;
    for (auto& c : S.log)
        if (c.text.compare(0, prefix.size(), prefix) == 0) out.push_back(c);
    return out;
}
void clearcalls() {
    S.log.clear();
    zerocounts();
}
long count(const std::string& fn) {
    auto it = counts.find(fn);
    return it == counts.end() ? 0 : it->second;
}
const std::vector<std::string>& problems() { return S.problems; }

}  // namespace sdldouble

// ---------------------------------------------------------------------------
// The library symbols, with the exact header signatures.

using namespace sdldouble;

extern "C" {

// --- SDL -------------------------------------------------------------------

DECLSPEC int SDLCALL SDL_Init(Uint32 flags) {
    ENTER("SDL_Init");
    int ret = 0;
    if (S.failinit) {
        seterr(S.initerr);
        ret = -1;
    }
    record(cat("SDL_Init(", flags, ")"), ret);
    return ret;
}

DECLSPEC void SDLCALL SDL_Quit(void) {
    ENTER("SDL_Quit");
    record("SDL_Quit");
}

DECLSPEC SDL_Surface* SDLCALL SDL_SetVideoMode(int width, int height, int bpp, Uint32 flags) {
    ENTER("SDL_SetVideoMode");
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%x", static_cast<unsigned>(flags));
    SDL_Surface* ret = nullptr;
    if (S.failvideo) {
        seterr(S.videoerr);
    } else {
        screensurf = SDL_Surface();
        screensurf.flags = flags;
        screensurf.format = &fmt16;
        screensurf.w = width;
        screensurf.h = height;
        screensurf.pitch = static_cast<Uint16>(width * 2);
        screensurf.clip_rect = SDL_Rect{0, 0, static_cast<Uint16>(width), static_cast<Uint16>(height)};
        screensurf.refcount = 1;
        S.screenset = true;
        S.videoflags = flags;
        ret = &screensurf;
    }
    record(cat("SDL_SetVideoMode(", width, ",", height, ",", bpp, ",", hex, ")"), ret ? 1 : 0);
    return ret;
}

DECLSPEC void SDLCALL SDL_WM_SetCaption(const char* title, const char* icon) {
    ENTER("SDL_WM_SetCaption");
    record(cat("SDL_WM_SetCaption(", title ? title : "", ",", icon ? icon : "", ")"));
}

DECLSPEC int SDLCALL SDL_ShowCursor(int toggle) {
    ENTER("SDL_ShowCursor");
    int prev = S.cursor ? 1 : 0;
    if (toggle >= 0) S.cursor = toggle != 0;
    record(cat("SDL_ShowCursor(", toggle, ")"), prev);
    return prev;
}

DECLSPEC int SDLCALL SDL_PollEvent(SDL_Event* event) {
    ENTER("SDL_PollEvent");
    for (std::size_t i = 0; i < S.sched.size();) {
        const Scheduled& s = S.sched[i];
        bool due = s.byflip ? S.flips >= s.flip
                            : static_cast<Sint32>(nowticks() - s.tick) >= 0;
        if (!due) {
            ++i;
            continue;
        }
        auto fn = std::move(S.sched[i].fn);
        S.sched.erase(S.sched.begin() + static_cast<long>(i));
        fn();
    }
    if (S.onpoll) {
        auto fn = S.onpoll;  // the handler may replace itself
        fn();
    }
    if (S.flips >= S.maxflips) {
        if (S.flips >= S.maxflips + kFlipsPastValve) {
            std::fprintf(stderr,
                         "sdl_double: %d flips past the maxflips limit of %d and the game "
                         "still runs despite SDL_QUIT and Escape; aborting\n",
                         kFlipsPastValve, S.maxflips);
            std::abort();
        }
        S.keys[SDLK_ESCAPE] = 1;
        if (S.valveflip != S.flips) {  // once per frame, so a drain loop still ends
            S.valveflip = S.flips;
            pushquit();
        }
    }
    if (S.events.empty()) return 0;
    if (event) {
        *event = S.events.front();
        S.events.pop_front();
    }
    return 1;
}

DECLSPEC Uint8* SDLCALL SDL_GetKeyState(int* numkeys) {
    ENTER("SDL_GetKeyState");
    if (numkeys) *numkeys = SDLK_LAST;
    return S.keys;
}

DECLSPEC Uint32 SDLCALL SDL_GetTicks(void) {
    ENTER("SDL_GetTicks");
    return nowticks();
}

DECLSPEC void SDLCALL SDL_Delay(Uint32 ms) {
    ENTER("SDL_Delay");
    S.clock_us += static_cast<std::uint64_t>(ms) * 1000;
    record(cat("SDL_Delay(", ms, ")"));
}

DECLSPEC int SDLCALL SDL_UpperBlit(SDL_Surface* src, SDL_Rect* srcrect, SDL_Surface* dst,
                                   SDL_Rect* dstrect) {
    ENTER("SDL_UpperBlit");
    if (!src || !dst) {
        if (!src) ++S.nullblits;
        seterr("SDL_UpperBlit: passed a NULL surface");
        return -1;
    }
    if (dst != &screensurf || !S.screenset) {
        problem(cat("SDL_UpperBlit: destination ", nameof(dst), " is not the screen"));
        return -1;
    }
    if (src != &screensurf && !usable(src, Kind::Surface, "SDL_UpperBlit")) return -1;

    Draw d{nameof(src), 0, 0, S.flips, srcrect == nullptr, SDL_Rect{0, 0, 0, 0}};
    if (srcrect) d.src = *srcrect;
    SDL_Rect full{0, 0, 0, 0};
    if (!dstrect) dstrect = &full;  // real SDL blits at 0,0 and reports nothing back
    d.x = dstrect->x;
    d.y = dstrect->y;
    S.frames[S.flips].push_back(d);

    // Same clipping as the real SDL_UpperBlit, including writing the visible
    // rectangle back into dstrect.
    int srcx, srcy, w, h;
    if (srcrect) {
        srcx = srcrect->x;
        w = srcrect->w;
        if (srcx < 0) {
            w += srcx;
            dstrect->x = static_cast<Sint16>(dstrect->x - srcx);
            srcx = 0;
        }
        int maxw = src->w - srcx;
        if (maxw < w) w = maxw;
        srcy = srcrect->y;
        h = srcrect->h;
        if (srcy < 0) {
            h += srcy;
            dstrect->y = static_cast<Sint16>(dstrect->y - srcy);
            srcy = 0;
        }
        int maxh = src->h - srcy;
        if (maxh < h) h = maxh;
    } else {
        srcx = srcy = 0;
        w = src->w;
        h = src->h;
    }
    const SDL_Rect& clip = dst->clip_rect;
    int dx = clip.x - dstrect->x;
    if (dx > 0) {
        w -= dx;
        dstrect->x = static_cast<Sint16>(dstrect->x + dx);
    }
    dx = dstrect->x + w - clip.x - clip.w;
    if (dx > 0) w -= dx;
    int dy = clip.y - dstrect->y;
    if (dy > 0) {
        h -= dy;
        dstrect->y = static_cast<Sint16>(dstrect->y + dy);
    }
    dy = dstrect->y + h - clip.y - clip.h;
    if (dy > 0) h -= dy;
    if (w > 0 && h > 0) {
        dstrect->w = static_cast<Uint16>(w);
        dstrect->h = static_cast<Uint16>(h);
    } else {
        dstrect->w = dstrect->h = 0;
    }
    return 0;
}

DECLSPEC int SDLCALL SDL_Flip(SDL_Surface* screen) {
    ENTER("SDL_Flip");
    if (screen != &screensurf || !S.screenset)
        problem(cat("SDL_Flip: ", nameof(screen), " is not the screen"));
    S.log.push_back(Call{"SDL_Flip", S.flips, nowticks(), 0});
    ++S.flips;
    S.sinceflip = 0;
    S.frames.emplace_back();
    return 0;
}

DECLSPEC void SDLCALL SDL_FreeSurface(SDL_Surface* surface) {
    ENTER("SDL_FreeSurface");
    std::string name = nameof(surface);
    if (surface && surface != &screensurf)  // the real one ignores the screen
        release(surface, Kind::Surface, "SDL_FreeSurface");
    record(cat("SDL_FreeSurface(", name, ")"));
}

DECLSPEC SDL_RWops* SDLCALL SDL_RWFromFile(const char* file, const char* mode) {
    ENTER("SDL_RWFromFile");
    std::string path = file ? file : "";
    SDL_RWops* rw = nullptr;
    if (!file || S.missing.count(path)) {
        seterr(cat("Couldn't open ", path));
    } else {
        rw = make<SDL_RWops>(Kind::RWops, path);
        rw->seek = rwseek;
        rw->read = rwread;
        rw->write = rwwrite;
        rw->close = rwclose;
    }
    record(cat("SDL_RWFromFile(", path, ",", mode ? mode : "", ")"), rw ? 1 : 0);
    return rw;
}

DECLSPEC char* SDLCALL SDL_GetError(void) {
    ENTER("SDL_GetError");
    record("SDL_GetError", 1);
    return errbuf;
}

DECLSPEC void SDLCALL SDL_SetError(const char* fmt, ...) {
    ENTER("SDL_SetError");
    va_list ap;
    va_start(ap, fmt);
    std::vsnprintf(errbuf, sizeof errbuf, fmt ? fmt : "", ap);
    va_end(ap);
    record(cat("SDL_SetError(", errbuf, ")"));
}

// --- SDL_image ---------------------------------------------------------------

DECLSPEC SDL_Surface* SDLCALL IMG_Load(const char* file) {
    ENTER("IMG_Load");
    std::string path = file ? file : "";
    SDL_Surface* s = nullptr;
    if (!file || S.missing.count(path)) {
        seterr(cat("Couldn't open ", path));
    } else {
        auto size = S.sizes.count(path) ? S.sizes[path] : std::make_pair(640, 480);
        s = make<SDL_Surface>(Kind::Surface, path);
        s->format = &fmt16;
        s->w = size.first;
        s->h = size.second;
        s->pitch = static_cast<Uint16>(size.first * 2);
        s->clip_rect = SDL_Rect{0, 0, static_cast<Uint16>(size.first), static_cast<Uint16>(size.second)};
        s->refcount = 1;
    }
    record(cat("IMG_Load(", path, ")"), s ? 1 : 0);
    return s;
}

// --- SDL_mixer -----------------------------------------------------------------

DECLSPEC int SDLCALL Mix_OpenAudio(int frequency, Uint16 format, int chans, int chunksize) {
    ENTER("Mix_OpenAudio");
    int ret = 0;
    if (S.failaudio) {
        seterr(S.audioerr);
        ret = -1;
    } else if (!S.audioopen) {
        S.audioopen = true;
        resizechannels(MIX_CHANNELS);
    }
    record(cat("Mix_OpenAudio(", frequency, ",", format, ",", chans, ",", chunksize, ")"), ret);
    return ret;
}

DECLSPEC void SDLCALL Mix_CloseAudio(void) {
    ENTER("Mix_CloseAudio");
    S.audioopen = false;
    resizechannels(0);
    S.musicplaying = false;
    S.musicfading = false;
    record("Mix_CloseAudio");
}

DECLSPEC int SDLCALL Mix_AllocateChannels(int numchans) {
    ENTER("Mix_AllocateChannels");
    if (numchans >= 0) resizechannels(numchans);
    int ret = channels();
    record(cat("Mix_AllocateChannels(", numchans, ")"), ret);
    return ret;
}

DECLSPEC int SDLCALL Mix_ReserveChannels(int num) {
    ENTER("Mix_ReserveChannels");
    if (num > channels()) num = channels();
    if (num < 0) num = 0;
    S.reserved = num;
    record(cat("Mix_ReserveChannels(", num, ")"), num);
    return num;
}

DECLSPEC int SDLCALL Mix_Volume(int channel, int vol) {
    ENTER("Mix_Volume");
    int prev = 0;
    if (channel == -1) {
        int n = channels();
        for (auto& c : S.chans) {
            prev += c.volume;
            if (vol >= 0) c.volume = vol > MIX_MAX_VOLUME ? MIX_MAX_VOLUME : vol;
        }
        if (n) prev /= n;
    } else if (valid(channel)) {
        prev = S.chans[channel].volume;
        if (vol >= 0) S.chans[channel].volume = vol > MIX_MAX_VOLUME ? MIX_MAX_VOLUME : vol;
    }
    record(cat("Mix_Volume(", channel, ",", vol, ")"), prev);
    return prev;
}

DECLSPEC int SDLCALL Mix_VolumeMusic(int vol) {
    ENTER("Mix_VolumeMusic");
    int prev = S.musicvolume;
    if (vol >= 0) S.musicvolume = vol > MIX_MAX_VOLUME ? MIX_MAX_VOLUME : vol;
    record(cat("Mix_VolumeMusic(", vol, ")"), prev);
    return prev;
}

DECLSPEC Mix_Chunk* SDLCALL Mix_LoadWAV_RW(SDL_RWops* src, int freesrc) {
    ENTER("Mix_LoadWAV_RW");
    std::string name = nameof(src);
    Mix_Chunk* chunk = nullptr;
    if (!src) {
        seterr("Mix_LoadWAV_RW with NULL src");
    } else if (usable(src, Kind::RWops, "Mix_LoadWAV_RW")) {
        if (!S.audioopen) {
            seterr("Audio device hasn't been opened");
        } else {
            chunk = make<Mix_Chunk>(Kind::Chunk, name);
            chunk->allocated = 1;
            chunk->volume = MIX_MAX_VOLUME;
        }
        if (freesrc) handles[src].freed = true;
    }
    record(cat("Mix_LoadWAV_RW(", name, ",", freesrc, ")"), chunk ? 1 : 0);
    return chunk;
}

DECLSPEC Mix_Music* SDLCALL Mix_LoadMUS(const char* file) {
    ENTER("Mix_LoadMUS");
    std::string path = file ? file : "";
    Mix_Music* m = nullptr;
    if (!file || S.missing.count(path)) {
        seterr(cat("Couldn't open ", path));
    } else {
        // Mix_Music is opaque; any distinct allocation will do as its handle.
        m = reinterpret_cast<Mix_Music*>(make<std::uint64_t>(Kind::Music, path));
    }
    record(cat("Mix_LoadMUS(", path, ")"), m ? 1 : 0);
    return m;
}

DECLSPEC int SDLCALL Mix_PlayChannelTimed(int channel, Mix_Chunk* chunk, int loops, int ticks) {
    ENTER("Mix_PlayChannelTimed");
    std::string name = nameof(chunk);
    int ret = playchannel(channel, chunk, "Mix_PlayChannelTimed");
    record(cat("Mix_PlayChannelTimed(", channel, ",", name, ",", loops, ",", ticks, ")"), ret);
    return ret;
}

DECLSPEC int SDLCALL Mix_FadeInChannelTimed(int channel, Mix_Chunk* chunk, int loops, int ms,
                                            int ticks) {
    ENTER("Mix_FadeInChannelTimed");
    std::string name = nameof(chunk);
    int ret = playchannel(channel, chunk, "Mix_FadeInChannelTimed");
    record(cat("Mix_FadeInChannelTimed(", channel, ",", name, ",", loops, ",", ms, ",", ticks, ")"),
           ret);
    return ret;
}

DECLSPEC int SDLCALL Mix_Playing(int channel) {
    ENTER("Mix_Playing");
    if (channel == -1) {
        int n = 0;
        for (auto& c : S.chans) n += c.playing ? 1 : 0;
        return n;
    }
    return playing(channel) ? 1 : 0;
}

DECLSPEC int SDLCALL Mix_HaltChannel(int channel) {
    ENTER("Mix_HaltChannel");
    if (channel == -1) {
        for (auto& c : S.chans) c.playing = false;
    } else if (valid(channel)) {
        S.chans[channel].playing = false;
    }
    record(cat("Mix_HaltChannel(", channel, ")"));
    return 0;
}

DECLSPEC int SDLCALL Mix_PlayMusic(Mix_Music* m, int loops) {
    ENTER("Mix_PlayMusic");
    int ret = -1;
    if (!m) {
        seterr("music parameter was NULL");
    } else if (usable(m, Kind::Music, "Mix_PlayMusic")) {
        S.music = m;
        S.musicplaying = true;
        S.musicfading = false;
        ret = 0;
    }
    record(cat("Mix_PlayMusic(", nameof(m), ",", loops, ")"), ret);
    return ret;
}

DECLSPEC int SDLCALL Mix_PlayingMusic(void) {
    ENTER("Mix_PlayingMusic");
    return S.musicplaying ? 1 : 0;
}

DECLSPEC int SDLCALL Mix_FadeOutMusic(int ms) {
    ENTER("Mix_FadeOutMusic");
    int ret = 0;
    if (S.musicplaying) {
        S.musicfading = true;  // keeps playing until the test ends it
        ret = 1;
    }
    record(cat("Mix_FadeOutMusic(", ms, ")"), ret);
    return ret;
}

DECLSPEC int SDLCALL Mix_HaltMusic(void) {
    ENTER("Mix_HaltMusic");
    S.musicplaying = false;
    S.musicfading = false;
    record("Mix_HaltMusic");
    return 0;
}

DECLSPEC void SDLCALL Mix_FreeChunk(Mix_Chunk* chunk) {
    ENTER("Mix_FreeChunk");
    std::string name = nameof(chunk);
    if (chunk && release(chunk, Kind::Chunk, "Mix_FreeChunk")) {
        for (auto& c : S.chans)  // the real one halts channels still playing it
            if (c.chunk == chunk) c.playing = false;
    }
    record(cat("Mix_FreeChunk(", name, ")"));
}

DECLSPEC void SDLCALL Mix_FreeMusic(Mix_Music* m) {
    ENTER("Mix_FreeMusic");
    std::string name = nameof(m);
    if (m && release(m, Kind::Music, "Mix_FreeMusic") && S.music == m) {
        S.musicplaying = false;
        S.musicfading = false;
    }
    record(cat("Mix_FreeMusic(", name, ")"));
}

// --- chance (the game's objects bind to these instead of libc's) -------------

int rand(void) __THROW {
    static long& calls_of_this_ = counts["rand"];
    ++calls_of_this_;
    if (!S.randq.empty()) {
        int v = S.randq.front();
        S.randq.pop_front();
        return v;
    }
    S.randstate = S.randstate * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<int>(S.randstate >> 33);  // 31 bits: 0..RAND_MAX
}

void srand(unsigned int seed) __THROW {
    static long& calls_of_this_ = counts["srand"];
    ++calls_of_this_;
    S.seeds.push_back(seed);
    S.randstate = seed;
    record(cat("srand(", seed, ")"));
}

time_t time(time_t* t) __THROW {
    static long& calls_of_this_ = counts["time"];
    ++calls_of_this_;
    if (t) *t = S.now;
    return S.now;
}

}  // extern "C"
