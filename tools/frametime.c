/* Measures each frame's own work, from the keyboard read to the end of
 * SDL_Flip, which is what has to fit in the 16.7 ms of a frame; the pacer's
 * busy wait is left out. Preload it into the game and leave normally:
 *
 *   cc -shared -fPIC -O2 $(pkg-config --cflags sdl) tools/frametime.c -o /tmp/frametime.so -ldl
 *   cc -shared -fPIC -O2 $(pkg-config --cflags sdl) tools/autoplay.c -o /tmp/autoplay.so -ldl
 *   LD_PRELOAD="/tmp/frametime.so /tmp/autoplay.so" ./build/marrowick
 *
 * On exit it prints the median, 90th and 99th percentile and maximum. */
#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif
#include <SDL.h>
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

#define MAXFRAMES 100000
static double start;
static int frames;
static double work[MAXFRAMES];  /* microseconds */

static double now(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e6 + t.tv_nsec / 1e3;
}

static int ascending(const void* a, const void* b)
{
    double x = *(const double*)a, y = *(const double*)b;
    return (x > y) - (x < y);
}

static void report(void)
{
    if (!frames)
        return;
    qsort(work, frames, sizeof work[0], ascending);
    fprintf(stderr, "\n%d frames, work in us: median %.0f, p90 %.0f, p99 %.0f, max %.0f\n", frames,
            work[frames / 2], work[frames * 9 / 10], work[frames * 99 / 100], work[frames - 1]);
}

Uint8* SDL_GetKeyState(int* numkeys)
{
    static Uint8* (*real)(int*);
    if (!real) {
        real = (Uint8 * (*)(int*)) dlsym(RTLD_NEXT, "SDL_GetKeyState");
        atexit(report);
    }
    start = now();
    return real(numkeys);
}

/* The game-over frame flips twice; only the first closes a frame's work. */
int SDL_Flip(SDL_Surface* screen)
{
    static int (*real)(SDL_Surface*);
    if (!real)
        real = (int (*)(SDL_Surface*)) dlsym(RTLD_NEXT, "SDL_Flip");
    int result = real(screen);
    if (start > 0 && frames < MAXFRAMES)
        work[frames++] = now() - start;
    start = 0;
    return result;
}
