/* Preloaded into the real game by tools/bench.c (make bench). It turns the
 * title pages with Z, plays a game and prints, on the real monotonic clock:
 *
 *   MARROWICK_BENCH=work: each game frame's work, from its first event poll
 *     to the end of SDL_Flip (the pacer's wait left out), over the game's
 *     first 600 frames and over 600 frames at the heaviest moment, against
 *     the floor of one full-screen background blit and one flip. The game's
 *     clock (SDL_GetTicks on the main thread) then runs 1 ms per reading, so
 *     the pacer lets each frame go at once and level 10 comes in seconds.
 *   MARROWICK_BENCH=pacer: the intervals between the starts of 600 game
 *     frames, the game on the real clock.
 *
 * The player strikes every meteor until the figure passes x 520; then it
 * keeps the streak at its floor with wrong strikes, so that the hops shrink
 * to 3 pixels, and stops striking at level 10 (the figure just past x 550).
 * The figure then stays short of x 565: meteors keep coming and falling, the
 * hammer never crushes, and the rain pool is full. */
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

/* The library's own function, next in the search order after this one. */
#define REAL(fn) static __typeof__(&fn) real; if (!real) real = (__typeof__(&fn))dlsym(RTLD_NEXT, #fn)
#define FRAMES 600

static SDL_Surface *bg, *char1, *char2, *meteor1, *meteor2, *rain;
static int fast;           /* work mode: the game's clock runs 1 ms per reading */
static Uint32 ticks;       /* that clock */
static int ingame, frame = -1, inframe, finished;
static int due, holding, wrongs, level10 = -1, figurex;
static int drops, meteors, heavydrops, heavymeteors;
static double starts[FRAMES + 1];

/* Work in ms on the wall clock, and the main thread's own CPU time, which
 * leaves out the time other processes of a busy machine take. */
struct work { double wall[FRAMES], cpu[FRAMES]; };
static struct work startwork, heavywork, floorwork;
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

static int ascending(const void* a, const void* b)
{
    double x = *(const double*)a, y = *(const double*)b;
    return (x > y) - (x < y);
}

/* One line: median and 95th percentile, wall and CPU, and both as
 * multiples of the floor's median. */
static void row(const char* name, struct work* w)
{
    qsort(w->wall, FRAMES, sizeof(double), ascending);
    qsort(w->cpu, FRAMES, sizeof(double), ascending);
    double fw = floorwork.wall[FRAMES / 2], fc = floorwork.cpu[FRAMES / 2];
    double m = w->wall[FRAMES / 2], p = w->wall[FRAMES * 95 / 100];
    double mc = w->cpu[FRAMES / 2], pc = w->cpu[FRAMES * 95 / 100];
    fprintf(stderr, "  %-22s %6.3f %6.3f %6.3f %6.3f   %5.2fx %5.2fx %5.2fx %5.2fx\n", name, m, p, mc, pc, m / fw, p / fw, mc / fc, pc / fc);
}

static void reportwork(void)
{
    fprintf(stderr, "frame work, ms           wall: median  p95  cpu: median  p95   x the floor's medians (same columns)\n");
    row("floor: bg blit + flip", &floorwork);
    row("game start, 600 frames", &startwork);
    row("heaviest, 600 frames", &heavywork);
    fprintf(stderr, "  target: heaviest at most 2x. Heaviest: frames %d-%d, level 10 from frame %d, figure at x %d;\n"
            "  per frame %.0f raindrops and %.1f meteors drawn\n", level10 + 150, level10 + 149 + FRAMES, level10,
            figurex, heavydrops / (double)FRAMES, heavymeteors / (double)FRAMES);
}

static void reportpacer(void)
{
    static const int pattern[3] = {16, 17, 17};
    double d[FRAMES], worst = 0;
    int within = 0;
    for (int i = 0; i < FRAMES; i++) {
        d[i] = starts[i + 1] - starts[i] - pattern[i % 3];
        within += d[i] > -1 && d[i] < 1;
        worst = fabs(d[i]) > fabs(worst) ? d[i] : worst;
    }
    fprintf(stderr, "pacer, real clock: %d frame intervals against 16/17/17 ms: %.1f%% within 1 ms, worst %+.2f ms, "
            "%d frames in %.1f ms (pattern: %d)\n", FRAMES, 100.0 * within / FRAMES, worst, FRAMES,
            starts[FRAMES] - starts[0], FRAMES / 3 * 50);
}

/* The floor, in the same process on the same screen: what any frame costs. */
static void measurefloor(SDL_Surface* screen)
{
    __typeof__(&SDL_UpperBlit) blit = (__typeof__(&SDL_UpperBlit))dlsym(RTLD_NEXT, "SDL_UpperBlit");
    __typeof__(&SDL_Flip) flip = (__typeof__(&SDL_Flip))dlsym(RTLD_NEXT, "SDL_Flip");
    for (int i = 0; i < FRAMES; i++) {
        SDL_Rect at = {0, 0, 0, 0};
        begin();
        blit(bg, NULL, screen, &at);
        flip(screen);
        end(&floorwork, i);
    }
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

int Mix_VolumeMusic(int volume)
{
    REAL(Mix_VolumeMusic);
    if (volume >= 138 && level10 < 0)
        level10 = frame;
    return real(volume);
}

int SDL_PollEvent(SDL_Event* event)
{
    REAL(SDL_PollEvent);
    if (ingame && !inframe) {
        inframe = 1;
        begin();
        if (!fast && frame <= FRAMES)
            starts[frame] = wall0;
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
    if (ingame && inframe && !finished) {
        int heavy = level10 < 0 ? -1 : frame - level10 - 150;  /* the ring has wrapped at 6 drops a frame */
        if (fast && frame < FRAMES)
            end(&startwork, frame);
        if (fast && heavy >= 0 && heavy < FRAMES) {
            end(&heavywork, heavy);
            heavydrops += drops;
            heavymeteors += meteors;
        }
        if (fast && heavy == FRAMES - 1) {
            measurefloor(screen);
            reportwork();
            finished = 1;
        }
        if (!fast && frame == FRAMES) {
            reportpacer();
            finished = 1;
        }
        frame++;
    }
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
