/* A scripted player for the real program on SDL's dummy drivers, preloaded
 * (LD_PRELOAD) by the end-to-end tests. It turns the title pages with Z,
 * plays MARROWICK_GAMES games (default 1) of MARROWICK_FRAMES frames each
 * (default 1000), striking now and then and pausing once, leaves each by
 * Escape and then the program by Escape on the menu page.
 *
 * The main thread runs on a virtual clock: each SDL_GetTicks there moves it
 * on by 1 ms and SDL_Delay moves it without sleeping, so a game's minute
 * passes in seconds. Other threads (the audio thread) read it unmoved and
 * only yield where they asked to sleep, so the mixer keeps pace and the
 * whole music is decoded within a game.
 *
 * On standard error it says which sounds the mixer refused and, after each
 * game, its frames and the resident size:
 *   scripted: chunk[3] failed
 *   scripted: game 1 frames 1001 rss 21432 KiB
 * (frames counts the flips of the game, the one that saw Escape included). */
#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif
#include <SDL.h>
#include <SDL_mixer.h>
#include <dlfcn.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#define REAL(ret, name, args) \
    static ret(*real) args;   \
    if (!real)                \
        real = (ret(*) args)dlsym(RTLD_NEXT, #name)

static pthread_t mainthread;
static Uint64 clockms;       /* the virtual clock; only the main thread moves it */
static int wantgames = 1, wantframes = 1000;
static int displayup;        /* the video mode is open: load() is behind us */
static int ingame, games, frames, reads, readsthisframe, chunks;

__attribute__((constructor)) static void start(void)
{
    const char* g = getenv("MARROWICK_GAMES");
    const char* f = getenv("MARROWICK_FRAMES");
    mainthread = pthread_self();
    if (g)
        wantgames = atoi(g);
    if (f)
        wantframes = atoi(f);
}

static int onmain(void) { return pthread_equal(pthread_self(), mainthread); }

Uint32 SDL_GetTicks(void)
{
    if (!onmain())
        return (Uint32)__atomic_load_n(&clockms, __ATOMIC_RELAXED);
    return (Uint32)__atomic_add_fetch(&clockms, 1, __ATOMIC_RELAXED);
}

void SDL_Delay(Uint32 ms)
{
    REAL(void, SDL_Delay, (Uint32));
    if (onmain())
        __atomic_add_fetch(&clockms, ms, __ATOMIC_RELAXED);
    else
        real(0);
}

SDL_Surface* SDL_SetVideoMode(int w, int h, int bpp, Uint32 flags)
{
    REAL(SDL_Surface*, SDL_SetVideoMode, (int, int, int, Uint32));
    displayup = 1;
    return real(w, h, bpp, flags);
}

Mix_Chunk* Mix_LoadWAV_RW(SDL_RWops* src, int freesrc)
{
    REAL(Mix_Chunk*, Mix_LoadWAV_RW, (SDL_RWops*, int));
    Mix_Chunk* c = real(src, freesrc);
    if (!c)
        fprintf(stderr, "scripted: chunk[%d] failed\n", chunks);
    chunks++;
    return c;
}

/* A game sets the music's volume first thing; load() did so before the
 * display was open. */
int Mix_VolumeMusic(int volume)
{
    REAL(int, Mix_VolumeMusic, (int));
    if (displayup && !ingame)
        ingame = 1, frames = 0, readsthisframe = 0;
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
    REAL(int, Mix_HaltMusic, (void));
    int result = real();
    if (ingame) {
        ingame = 0;
        games++;
        fprintf(stderr, "scripted: game %d frames %d rss %ld KiB\n", games, frames, residentkib());
    }
    return result;
}

int SDL_Flip(SDL_Surface* screen)
{
    REAL(int, SDL_Flip, (SDL_Surface*));
    if (ingame)
        frames++, readsthisframe = 0;
    return real(screen);
}

/* Title pages: Z down every other frame turns them (once the 200 ms guard is
 * over) and starts a game from the menu. In a game: Z or Y now and then, one
 * pause held for 100 key reads halfway, Escape once the frames are
 * played. After the last game: Escape, which the menu obeys after 200 ms. */
Uint8* SDL_GetKeyState(int* numkeys)
{
    REAL(Uint8*, SDL_GetKeyState, (int*));
    Uint8* keys = real(numkeys);
    if (!onmain() || !displayup)
        return keys;
    if (!ingame) {
        keys[SDLK_z] = games < wantgames && reads++ % 2;
        keys[SDLK_y] = keys[SDLK_p] = 0;
        keys[SDLK_ESCAPE] = games >= wantgames;
        return keys;
    }
    int n = readsthisframe++;
    keys[SDLK_z] = frames % 23 == 0;
    keys[SDLK_y] = frames % 37 == 11;
    keys[SDLK_p] = frames == wantframes / 2 && (n == 0 || n > 100);
    keys[SDLK_ESCAPE] = frames >= wantframes;
    return keys;
}
