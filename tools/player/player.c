/* The one player that plays the real game from outside: preloaded into it
 * (LD_PRELOAD), it learns the pictures as the game loads them, sees in the
 * game's blits where the meteors and the figure are, and presses and
 * releases keys in the array the game reads them from. Used by
 * tools/media/screenshots.sh and tests/e2e/loudness.sh (strike), the
 * end-to-end tests fuzzmedia.sh and longplay.sh (script), and make bench,
 * whose tools/bench/benchhooks.c measures while this plays (bench).
 *
 * MARROWICK_PLAYER chooses how it plays:
 *   strike  every falling meteor drawn in the band: Z down at the next key
 *           read, up at the one after. Keys pressed through X work as usual.
 *   script  turns the title pages and plays MARROWICK_GAMES games (1) of
 *           MARROWICK_FRAMES frames (1000), pressing Z, Y and P as a
 *           generator seeded with MARROWICK_SEED (1) draws them, pausing
 *           once halfway; it ends each pause, each game and at last the
 *           program by P or Escape, a window close or SIGTERM, as drawn.
 *           Whatever the way, a game sees the end of its frames in its
 *           last frame, so it lasts exactly FRAMES + 1 flips.
 *   bench   turns the title pages and plays as player.h says, the same
 *           rule as the browser's benchmark. It leaves once the benchmark
 *           sets `done`.
 * MARROWICK_FASTCLOCK=1 (always with script): on the main thread each
 * SDL_GetTicks moves the clock on by 1 ms and SDL_Delay moves it without
 * sleeping, so the pacer never waits and a game's minute passes in seconds.
 * Other threads (the mixer's) read it unmoved and only yield where they
 * asked to sleep, so the music keeps pace with the game.
 *
 * On standard error: "player: chunk[N] failed" for each sound the mixer
 * refused, after each game "player: game G frames F rss R KiB" (F counts
 * the game's flips), and with the disk audio driver each music volume set
 * (see Mix_VolumeMusic). */
#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif
#include "player.h"

#include "hitband.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <dlfcn.h>
#include <pthread.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

/* Each hook calls the library's own function of its name: the next one
 * in the search order after this one (dlsym's RTLD_NEXT). */

struct player marrowick_player = {.level10 = -1};
static struct player* const p = &marrowick_player;

static enum { strike, script, bench } policy;
static int fastclock, wantgames = 1, wantframes = 1000;
static pthread_t mainthread;
static Uint64 clockms;
static int displayup, pictures, chunks, due, holding, reads, wrongs;
static unsigned seed = 1;

static int number(const char* name, int otherwise)
{
    const char* v = getenv(name);
    return v && *v ? atoi(v) : otherwise;
}

__attribute__((constructor)) static void start(void)
{
    const char* how = getenv("MARROWICK_PLAYER");
    policy = !how || !strcmp(how, "strike") ? strike : !strcmp(how, "script") ? script : bench;
    fastclock = policy == script || number("MARROWICK_FASTCLOCK", 0);
    wantgames = number("MARROWICK_GAMES", 1);
    wantframes = number("MARROWICK_FRAMES", 1000);
    seed = number("MARROWICK_SEED", 1);
    mainthread = pthread_self();
}

static int onmain(void) { return pthread_equal(pthread_self(), mainthread); }

/* One in n, from the seeded generator (xorshift). */
static int chance(int n)
{
    seed ^= seed << 13;
    seed ^= seed >> 17;
    seed ^= seed << 5;
    return seed % n == 0;
}

Uint32 SDL_GetTicks(void)
{
    static __typeof__(&SDL_GetTicks) real;
    if (!real)
        real = dlsym(RTLD_NEXT, "SDL_GetTicks");
    if (!fastclock)
        return real();
    if (!onmain())
        return (Uint32)__atomic_load_n(&clockms, __ATOMIC_RELAXED);
    return (Uint32)__atomic_add_fetch(&clockms, 1, __ATOMIC_RELAXED);
}

void SDL_Delay(Uint32 ms)
{
    static __typeof__(&SDL_Delay) real;
    if (!real)
        real = dlsym(RTLD_NEXT, "SDL_Delay");
    if (!fastclock)
        real(ms);
    else if (onmain())
        __atomic_add_fetch(&clockms, ms, __ATOMIC_RELAXED);
    else
        real(0);
}

SDL_Surface* IMG_Load(const char* file)
{
    static __typeof__(&IMG_Load) real;
    if (!real)
        real = dlsym(RTLD_NEXT, "IMG_Load");
    SDL_Surface* s = real(file);
    if (pictures < picturecount)  /* loaded once, in slot order */
        p->picture[pictures++] = s;
    return s;
}

Mix_Chunk* Mix_LoadWAV_RW(SDL_RWops* src, int freesrc)
{
    static __typeof__(&Mix_LoadWAV_RW) real;
    if (!real)
        real = dlsym(RTLD_NEXT, "Mix_LoadWAV_RW");
    Mix_Chunk* c = real(src, freesrc);
    if (!c)
        fprintf(stderr, "player: chunk[%d] failed\n", chunks);
    chunks++;
    return c;
}

SDL_Surface* SDL_SetVideoMode(int w, int h, int bpp, Uint32 flags)
{
    static __typeof__(&SDL_SetVideoMode) real;
    if (!real)
        real = dlsym(RTLD_NEXT, "SDL_SetVideoMode");
    displayup = 1;
    return real(w, h, bpp, flags);
}

/* A game's set-up starts the music just before its first frame, and only a
 * game plays music. */
int Mix_PlayMusic(Mix_Music* music, int loops)
{
    static __typeof__(&Mix_PlayMusic) real;
    if (!real)
        real = dlsym(RTLD_NEXT, "Mix_PlayMusic");
    if (!p->ingame) {
        p->ingame = 1;
        p->frames = 0;
        p->level10 = -1;
        reads = 0;
    }
    return real(music, loops);
}

/* With SDL's disk audio driver, each music volume the game sets is told
 * with how much sound has been written by then, which tests/e2e/loudness.sh
 * splits the game's sound by. */
int Mix_VolumeMusic(int volume)
{
    static __typeof__(&Mix_VolumeMusic) real;
    if (!real)
        real = dlsym(RTLD_NEXT, "Mix_VolumeMusic");
    const char* disk = getenv("SDL_DISKAUDIOFILE");
    struct stat written;
    if (volume >= 0 && disk && !stat(disk, &written))
        fprintf(stderr, "player: music volume %d at byte %lld\n", volume, (long long)written.st_size);
    return real(volume);
}

static long residentkib(void)
{
    long size = 0, resident = 0;
    FILE* f = fopen("/proc/self/statm", "r");
    if (f) {
        if (fscanf(f, "%ld %ld", &size, &resident) != 2)
            resident = 0;
        fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

/* Every game ends by halting the music. */
int Mix_HaltMusic(void)
{
    static __typeof__(&Mix_HaltMusic) real;
    if (!real)
        real = dlsym(RTLD_NEXT, "Mix_HaltMusic");
    int result = real();
    if (p->ingame) {
        p->ingame = 0;
        p->games++;
        fprintf(stderr, "player: game %d frames %d rss %ld KiB\n", p->games, p->frames, residentkib());
    }
    return result;
}

int SDL_UpperBlit(SDL_Surface* src, SDL_Rect* srcrect, SDL_Surface* dst, SDL_Rect* dstrect)
{
    static __typeof__(&SDL_UpperBlit) real;
    if (!real)
        real = dlsym(RTLD_NEXT, "SDL_UpperBlit");
    /* Read before the library clips the rectangle. */
    if (src && dstrect) {
        if (src == p->picture[picmeteor1] && dstrect->y >= hitwindowtop && dstrect->y <= hitwindowbottom)
            due = 1;
        if (src == p->picture[picchar1] || src == p->picture[picchar2]) {
            p->figurex = dstrect->x;
            if (p->ingame && p->figurex > benchlevel10x && p->level10 < 0)
                p->level10 = p->frames;
        }
    }
    return real(src, srcrect, dst, dstrect);
}

int SDL_Flip(SDL_Surface* screen)
{
    static __typeof__(&SDL_Flip) real;
    if (!real)
        real = dlsym(RTLD_NEXT, "SDL_Flip");
    p->frames += p->ingame;
    reads = 0;
    return real(screen);
}

/* Draws how to end something: by its key (true), or by a window close or
 * SIGTERM, sent at once, which reach the game as a quit at its next drain of
 * the events. */
static int bykey(void)
{
    if (chance(3))
        return 1;
    if (chance(2)) {
        static __typeof__(&SDL_PushEvent) real;  /* looked up, as no other call of the library is linked */
        if (!real)
            real = dlsym(RTLD_NEXT, "SDL_PushEvent");
        SDL_Event e = {.type = SDL_QUIT};
        real(&e);
    } else {
        kill(getpid(), SIGTERM);
    }
    return 0;
}

/* The script's keys for one key read. A quit is seen a frame later than
 * Escape, so it is sent a frame earlier. */
static void scripted(Uint8* keys)
{
    static int titlereads, leavegame, leaveprogram;  /* 1 by Escape, 2 by a quit, once drawn */
    int n = reads++, f = p->frames;
    keys[SDLK_z] = keys[SDLK_y] = keys[SDLK_p] = keys[SDLK_ESCAPE] = 0;
    if (!p->ingame) {
        if (p->games < wantgames)
            keys[SDLK_z] = titlereads++ % 2;  /* turns the pages, starts a game */
        else if (!leaveprogram)
            leaveprogram = bykey() ? 1 : 2;
        keys[SDLK_ESCAPE] = leaveprogram == 1;
        return;
    }
    keys[SDLK_z] = n == 0 && chance(20);
    keys[SDLK_y] = n == 0 && chance(40);
    /* Halfway a pause, held for 100 key reads, then ended as drawn. */
    if (f == wantframes / 2 && (n == 0 || (n == 100 && bykey())))
        keys[SDLK_p] = 1;
    if (f == 0)
        leavegame = 0;
    else if (f == wantframes - 1 && n == 0)
        leavegame = bykey() ? 1 : 2;
    keys[SDLK_ESCAPE] = leavegame == 1 && f >= wantframes;
}

/* Every meteor in the band; the bench as player.h says. */
static int strikenow(void)
{
    if (policy != bench || p->figurex <= benchwastex)
        return due;
    if (p->level10 >= 0)
        return 0;
    if (wrongs < benchwrongs) {
        wrongs += !due;
        return !due;
    }
    if (due)
        wrongs = 0;
    return due;
}

Uint8* SDL_GetKeyState(int* numkeys)
{
    static __typeof__(&SDL_GetKeyState) real;
    if (!real)
        real = dlsym(RTLD_NEXT, "SDL_GetKeyState");
    Uint8* keys = real(numkeys);
    if (!onmain() || !displayup)
        return keys;
    if (policy == script) {
        scripted(keys);
    } else if (policy == bench && !p->ingame) {
        keys[SDLK_z] = holding = !p->done && !holding;  /* every other read: one page each */
        keys[SDLK_ESCAPE] = p->done;
    } else if (holding) {
        keys[SDLK_z] = holding = 0;
    } else if (p->ingame && !p->done && strikenow()) {
        keys[SDLK_z] = holding = 1;
    } else if (policy == bench) {
        keys[SDLK_ESCAPE] = p->done;
    }
    due = 0;
    return keys;
}
