/* Preloaded into the real game by tools/bench.c (make bench). It turns the
 * title pages with Z, plays a game and prints, on the real clocks:
 *
 *   MARROWICK_BENCH=work: each game frame's work, from its first event poll
 *     to the end of SDL_Flip (the pacer's wait left out), over the game's
 *     first 600 frames and over 600 frames at its heaviest, each frame
 *     followed by the floor: one full-screen background blit and one flip.
 *     The game's clock (SDL_GetTicks on the main thread) runs 1 ms per
 *     reading, so the pacer lets each frame go at once and level 10 comes in
 *     seconds.
 *   MARROWICK_BENCH=pacer: the intervals between the starts of 600 game
 *     frames, the game on the real clock.
 *
 * The player strikes every meteor until the figure passes x 520; then it
 * keeps the streak at its floor with wrong strikes, so that the hops shrink
 * to 3 pixels, and stops striking at level 10 (the figure just past x 550).
 * The figure then stays short of x 565: meteors keep coming and falling, the
 * hammer never crushes, and the rain pool is full.
 *
 * Under callgrind it also counts the instructions of the measured frames,
 * one dump for each set, in which floorsample is the floor's share: counts
 * that a busy machine does not disturb. After make bench, from the top folder:
 *
 *   SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy MARROWICK_BENCH=work \
 *   LD_PRELOAD=build/bench/tools/libbenchhooks.so \
 *   valgrind --tool=callgrind --collect-atstart=no build/bench/marrowick */
#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif
#include <SDL.h>
#include <SDL_image.h>
#include <SDL_mixer.h>
#include <dlfcn.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>
#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_TOGGLE_COLLECT
#define CALLGRIND_DUMP_STATS_AT(name)
#endif

/* The library's own function, next in the search order after this one. */
#define REAL(fn) static __typeof__(&fn) real; if (!real) real = (__typeof__(&fn))dlsym(RTLD_NEXT, #fn)
#define FRAMES 600

static SDL_Surface *bg, *char1, *char2, *meteor1, *meteor2, *rain;
static int fast;      /* work mode */
static Uint32 ticks;  /* the game's clock in work mode */
static int ingame, frame, inframe, finished;
static int due, holding, wrongs, level10 = -1, figurex;
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
    static __typeof__(&SDL_UpperBlit) blit;
    static __typeof__(&SDL_Flip) flip;
    if (!blit) {
        blit = (__typeof__(&SDL_UpperBlit))dlsym(RTLD_NEXT, "SDL_UpperBlit");
        flip = (__typeof__(&SDL_Flip))dlsym(RTLD_NEXT, "SDL_Flip");
    }
    SDL_Rect at = {0, 0, 0, 0};
    begin();
    blit(bg, NULL, screen, &at);
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
            "  per frame %.0f raindrops and %.1f meteors drawn\n", level10 + 150, level10 + 149 + FRAMES, level10,
            figurex, heavydrops / (double)FRAMES, heavymeteors / (double)FRAMES);
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
}

SDL_Surface* IMG_Load(const char* file)
{
    REAL(IMG_Load);
    SDL_Surface* s = real(file);
    const char* name = strrchr(file, '/') ? strrchr(file, '/') + 1 : file;
    SDL_Surface** slot = !strcmp(name, "bg.png") ? &bg : !strcmp(name, "char1.png") ? &char1
        : !strcmp(name, "char2.png") ? &char2 : !strcmp(name, "meteor1.png") ? &meteor1
        : !strcmp(name, "meteor2.png") ? &meteor2 : !strcmp(name, "rain.png") ? &rain : NULL;
    if (slot)
        *slot = s;
    return s;
}

Uint32 SDL_GetTicks(void)
{
    REAL(SDL_GetTicks);
    /* The mixer's thread keeps the real clock. */
    if (!fast || gettid() != getpid())
        return real();
    return ++ticks;
}

/* Set-up starts the music just before the game's first frame; the game's
 * end halts it. */
int Mix_PlayMusic(Mix_Music* music, int loops)
{
    REAL(Mix_PlayMusic);
    if (!ingame && !finished)
        ingame = 1, frame = 0;
    return real(music, loops);
}

int Mix_HaltMusic(void)
{
    REAL(Mix_HaltMusic);
    if (ingame && !finished)
        fprintf(stderr, "bench: the game ended before its measurements\n");
    ingame = 0;
    finished = 1;
    return real();
}

/* Level 10 sets the music to 10 * 10 + 38. */
int Mix_VolumeMusic(int volume)
{
    REAL(Mix_VolumeMusic);
    if (ingame && volume >= 138 && level10 < 0)
        level10 = frame;
    return real(volume);
}

/* The samples that the current game frame goes into, at *i; or none. The
 * heaviest frames come once the rain's ring has wrapped at level 10. */
static struct work* sample(int* i)
{
    int heavy = level10 < 0 ? -1 : frame - level10 - 150;
    if (!fast || finished)
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
    REAL(SDL_PollEvent);
    int i;
    if (ingame && !inframe) {
        inframe = 1;
        if (!fast && frame <= FRAMES)
            starts[frame] = now(CLOCK_MONOTONIC);
        if (sample(&i)) {
            CALLGRIND_TOGGLE_COLLECT;
            begin();
        }
    }
    return real(event);
}

int SDL_UpperBlit(SDL_Surface* src, SDL_Rect* srcrect, SDL_Surface* dst, SDL_Rect* dstrect)
{
    REAL(SDL_UpperBlit);
    /* Read before the library clips the rectangle. */
    if (src && src == meteor1 && dstrect && dstrect->y >= 385 && dstrect->y <= 405)
        due = 1;
    if (src && dstrect && (src == char1 || src == char2))
        figurex = dstrect->x;
    drops += src && src == rain;
    meteors += src && (src == meteor1 || src == meteor2);
    return real(src, srcrect, dst, dstrect);
}

int SDL_Flip(SDL_Surface* screen)
{
    REAL(SDL_Flip);
    int result = real(screen);
    int i = 0;
    struct work* w = ingame && inframe ? sample(&i) : NULL;
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
        finished = 1;
    }
    if (ingame && inframe && !fast && frame == FRAMES) {
        reportpacer();
        finished = 1;
    }
    frame += ingame && inframe;
    inframe = 0;
    drops = meteors = 0;
    return result;
}

Uint8* SDL_GetKeyState(int* numkeys)
{
    REAL(SDL_GetKeyState);
    Uint8* keys = real(numkeys);
    int press = 0;
    if (!ingame) {
        press = !finished && !holding;  /* every other frame: one page each */
    } else if (!holding && !finished && level10 < 0) {
        if (figurex <= 520)
            press = due;
        else if (wrongs < 12)
            press = !due, wrongs += !due;  /* each costs 5 of the streak */
        else if (due)
            press = 1, wrongs = 0;
    }
    keys[SDLK_z] = holding = press;
    keys[SDLK_ESCAPE] = finished;
    due = 0;
    return keys;
}
