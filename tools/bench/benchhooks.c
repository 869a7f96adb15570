/* Preloaded into the real game by bench.c (make bench), beside
 * tools/player/player.c, which plays (MARROWICK_PLAYER=bench): it turns the title
 * pages and strikes until the figure rests just past level 10, short of the
 * hammer, with meteors still coming and the rain pool full. This measures,
 * on the real clocks, and prints:
 *
 *   MARROWICK_BENCH=work: each game frame's work, from its first event poll
 *     to the end of SDL_Flip (the pacer's wait left out), over the game's
 *     first 600 frames and over 600 frames at its heaviest, each frame
 *     followed by the floor: one full-screen background blit and one flip.
 *     The player's fast clock lets the pacer pass each frame at once, so
 *     level 10 comes in seconds.
 *   MARROWICK_BENCH=pacer: the intervals between the starts of 600 game
 *     frames, the game on the real clock.
 *
 * Under callgrind it also counts the instructions of the measured frames,
 * one dump for each set, in which floorsample is the floor's share: counts
 * that a busy machine does not disturb. After make bench, from the top folder:
 *
 *   SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy MARROWICK_BENCH=work \
 *   MARROWICK_PLAYER=bench MARROWICK_FASTCLOCK=1 \
 *   LD_PRELOAD="build/tools/bench/libbenchhooks.so build/tools/player/player.so" \
 *   valgrind --tool=callgrind --collect-atstart=no build/marrowick */
#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif
#include <SDL.h>
#include <SDL_mixer.h>
#include <dlfcn.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include "player.h"
#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_TOGGLE_COLLECT
#define CALLGRIND_DUMP_STATS_AT(name)
#endif

/* Each hook calls the next function of its name in the search order
 * (dlsym's RTLD_NEXT): the player's. */
#define FRAMES 600

static struct player* pl;  /* the player's view of the game */
static int fast, inframe, measured;
static int drops, meteors, heavydrops, heavymeteors;
static double starts[FRAMES + 1];

/* Work in ms on the wall clock, and the main thread's own CPU time, which
 * leaves out the time that other processes of a busy machine take. */
struct work { double wall[FRAMES], cpu[FRAMES]; };
static struct work startwork, startfloor, heavywork, heavyfloor;
static double wall0, cpu0;

static double now(clockid_t clock)
{
    struct timespec t;
    clock_gettime(clock, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

static void begin(void)
{
    wall0 = now(CLOCK_MONOTONIC);
    cpu0 = now(CLOCK_THREAD_CPUTIME_ID);
}

static void end(struct work* w, int i)
{
    w->wall[i] = now(CLOCK_MONOTONIC) - wall0;
    w->cpu[i] = now(CLOCK_THREAD_CPUTIME_ID) - cpu0;
}

/* The floor, right after a frame on the same screen, so that both meet the
 * same machine; the next frame draws over it. */
__attribute__((noinline)) static void floorsample(SDL_Surface* screen, struct work* w, int i)
{
    /* The library itself, so that the player does not count this flip. */
    static __typeof__(&SDL_UpperBlit) blit;
    static __typeof__(&SDL_Flip) flip;
    if (!blit) {
        void* sdl = dlopen("libSDL-1.2.so.0", RTLD_LAZY | RTLD_NOLOAD);
        blit = (__typeof__(&SDL_UpperBlit))dlsym(sdl, "SDL_UpperBlit");
        flip = (__typeof__(&SDL_Flip))dlsym(sdl, "SDL_Flip");
    }
    SDL_Rect at = {0, 0, 0, 0};
    begin();
    blit(pl->picture[picbg], NULL, screen, &at);
    flip(screen);
    end(w, i);
}

static int ascending(const void* a, const void* b)
{
    double x = *(const double*)a, y = *(const double*)b;
    return (x > y) - (x < y);
}

static double median(double* v) { qsort(v, FRAMES, sizeof v[0], ascending); return v[FRAMES / 2]; }
static double p95(double* v) { return v[FRAMES * 95 / 100]; }  /* once sorted */

static void row(const char* name, struct work* w, struct work* floor)
{
    double m = median(w->wall), mc = median(w->cpu);
    fprintf(stderr, "  %-24s %6.3f %6.3f %6.3f %6.3f", name, m, p95(w->wall), mc, p95(w->cpu));
    if (floor) {
        double fm = median(floor->wall), fmc = median(floor->cpu);
        fprintf(stderr, "   %5.2fx %5.2fx %5.2fx", m / fm, mc / fmc, p95(w->cpu) / p95(floor->cpu));
    }
    fprintf(stderr, "\n");
}

static void reportwork(void)
{
    fprintf(stderr, "frame work, ms          wall: median    p95  cpu: median    p95   x floor: median wall, cpu, cpu p95\n");
    row("game start, 600 frames", &startwork, &startfloor);
    row("heaviest, 600 frames", &heavywork, &heavyfloor);
    row("floor: bg blit + flip", &startfloor, NULL);
    row("floor, at the heaviest", &heavyfloor, NULL);
    fprintf(stderr, "  target: heaviest at most 2x. Heaviest: frames %d-%d, level 10 from frame %d, figure at x %d;\n"
            "  per frame %.0f raindrops and %.1f meteors drawn\n", pl->level10 + 150, pl->level10 + 149 + FRAMES,
            pl->level10, pl->figurex, heavydrops / (double)FRAMES, heavymeteors / (double)FRAMES);
}

static void reportpacer(void)
{
    static const int pattern[3] = {16, 17, 17};
    double worst = 0;
    int within = 0;
    for (int i = 0; i < FRAMES; i++) {
        double d = starts[i + 1] - starts[i] - pattern[i % 3];
        within += fabs(d) < 1;
        worst = fabs(d) > fabs(worst) ? d : worst;
    }
    fprintf(stderr, "pacer, real clock: %d frame intervals against 16/17/17 ms: %.1f%% within 1 ms, worst %+.2f ms;\n"
            "  %d frames in %.1f ms (the pattern: %d)\n", FRAMES, 100.0 * within / FRAMES, worst, FRAMES,
            starts[FRAMES] - starts[0], FRAMES / 3 * 50);
}

__attribute__((constructor)) static void mode(void)
{
    fast = getenv("MARROWICK_BENCH") && !strcmp(getenv("MARROWICK_BENCH"), "work");
    pl = dlsym(RTLD_DEFAULT, "marrowick_player");
    if (!pl) {
        fprintf(stderr, "bench: no player preloaded (tools/player/player.c)\n");
        exit(1);
    }
}

int Mix_HaltMusic(void)
{
    static __typeof__(&Mix_HaltMusic) next;
    if (!next)
        next = dlsym(RTLD_NEXT, "Mix_HaltMusic");
    if (pl->ingame && !measured)
        fprintf(stderr, "bench: the game ended before its measurements\n");
    return next();
}

/* The samples that game frame FRAME goes into, at *i; or none. The heaviest
 * frames come once the rain's ring has wrapped at level 10. */
static struct work* sample(int frame, int* i)
{
    int heavy = pl->level10 < 0 ? -1 : frame - pl->level10 - 150;
    if (!fast || measured)
        return NULL;
    if (frame < FRAMES)
        return *i = frame, &startwork;
    if (heavy >= 0 && heavy < FRAMES)
        return *i = heavy, &heavywork;
    return NULL;
}

/* A game frame starts with its first event poll after the last flip. */
int SDL_PollEvent(SDL_Event* event)
{
    static __typeof__(&SDL_PollEvent) next;
    if (!next)
        next = dlsym(RTLD_NEXT, "SDL_PollEvent");
    int i;
    if (pl->ingame && !inframe) {
        inframe = 1;
        if (!fast && pl->frames <= FRAMES)
            starts[pl->frames] = now(CLOCK_MONOTONIC);
        if (sample(pl->frames, &i)) {
            CALLGRIND_TOGGLE_COLLECT;
            begin();
        }
    }
    return next(event);
}

int SDL_UpperBlit(SDL_Surface* src, SDL_Rect* srcrect, SDL_Surface* dst, SDL_Rect* dstrect)
{
    static __typeof__(&SDL_UpperBlit) next;
    if (!next)
        next = dlsym(RTLD_NEXT, "SDL_UpperBlit");
    drops += src && src == pl->picture[picrain];
    meteors += src && (src == pl->picture[picmeteor1] || src == pl->picture[picmeteor2]);
    return next(src, srcrect, dst, dstrect);
}

/* The player counts the flip: the frame just drawn is frames - 1 after it. */
int SDL_Flip(SDL_Surface* screen)
{
    static __typeof__(&SDL_Flip) next;
    if (!next)
        next = dlsym(RTLD_NEXT, "SDL_Flip");
    int result = next(screen);
    int i = 0;
    struct work* w = pl->ingame && inframe ? sample(pl->frames - 1, &i) : NULL;
    if (w) {
        end(w, i);
        floorsample(screen, w == &startwork ? &startfloor : &heavyfloor, i);
        CALLGRIND_TOGGLE_COLLECT;
    }
    if (w == &startwork && i == FRAMES - 1)
        CALLGRIND_DUMP_STATS_AT("game start");
    if (w == &heavywork) {
        heavydrops += drops;
        heavymeteors += meteors;
    }
    if (w == &heavywork && i == FRAMES - 1) {
        CALLGRIND_DUMP_STATS_AT("heaviest");
        reportwork();
        measured = 1;
    }
    if (pl->ingame && inframe && !fast && pl->frames == FRAMES + 1) {
        reportpacer();
        measured = 1;
    }
    pl->done = measured;
    inframe = 0;
    drops = meteors = 0;
    return result;
}
