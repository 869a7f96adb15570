/* make bench: the real game (the Release build) with the real SDL 1.2
 * libraries on SDL's dummy drivers, run from the repository root so that it
 * reads the shipped data/ and options.txt. It prints the start-up time, from
 * process start to "start game" on the transcript, and the peak resident
 * memory, then runs the game twice with benchhooks.c and the player
 * (tools/player/player.c) preloaded: once for the frame work on the player's fast
 * clock, once for the pacer on the real clock. */
#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#define STARTS 10

static double now(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

static int ascending(const void* a, const void* b)
{
    double x = *(const double*)a, y = *(const double*)b;
    return (x > y) - (x < y);
}

/* The main thread's time on a CPU so far, in ms: the start-up's own work,
 * which a busy machine does not stretch. */
static double cputime(pid_t pid)
{
    char path[64];
    double ns = -1e6;
    snprintf(path, sizeof path, "/proc/%d/schedstat", (int)pid);
    FILE* f = fopen(path, "r");
    if (f && fscanf(f, "%lf", &ns) != 1)
        ns = -1e6;
    if (f)
        fclose(f);
    return ns / 1e6;
}

/* Runs the game with the hooks in MODE, or alone (NULL), when it is ended by
 * SIGTERM once it has started. Returns the ms to "start game", and *cpu the
 * CPU time by then; *peak becomes the largest resident size so far, in KiB. */
static double run(const char* mode, double* cpu, long* peak)
{
    int out[2];
    if (pipe(out))
        exit(1);
    double t0 = now();
    pid_t pid = fork();
    if (pid == 0) {
        dup2(1, 2);  /* the hooks' report and any library messages */
        dup2(out[1], 1);
        close(out[0]);
        if (mode) {
            setenv("LD_PRELOAD", HOOKS " " PLAYER, 1);
            setenv("MARROWICK_BENCH", mode, 1);
            setenv("MARROWICK_PLAYER", "bench", 1);
            setenv("MARROWICK_FASTCLOCK", strcmp(mode, "work") ? "0" : "1", 1);
        }
        execl(GAME, GAME, (char*)NULL);
        _exit(127);
    }
    close(out[1]);
    char text[4096] = "";
    size_t len = 0;
    ssize_t n;
    double up = -1;
    while ((n = read(out[0], text + len, sizeof text - 1 - len)) > 0) {
        len += n;
        text[len] = 0;
        if (up < 0 && strstr(text, "start game")) {
            up = now() - t0;
            *cpu = cputime(pid);
            if (!mode)
                kill(pid, SIGTERM);
        }
        if (len == sizeof text - 1)
            len = 0;
    }
    close(out[0]);
    int status;
    struct rusage use;
    wait4(pid, &status, 0, &use);
    if (!WIFEXITED(status) || WEXITSTATUS(status) || up < 0) {
        fprintf(stderr, "bench: %s ended badly (status %d), output:\n%s\n", GAME, status, text);
        exit(1);
    }
    if (use.ru_maxrss > *peak)
        *peak = use.ru_maxrss;
    return up;
}

int main(void)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    FILE* f = fopen("/proc/loadavg", "r");
    double load = 0;
    if (!f || fscanf(f, "%lf", &load) != 1)
        load = -1;
    if (f)
        fclose(f);
    printf("Marrowick benchmark: %s, dummy video and audio, load average %.2f\n", GAME, load);
    fflush(stdout);

    long peak = 0;
    double up[STARTS], cpu[STARTS], ignored;
    for (int i = 0; i < STARTS; i++)
        up[i] = run(NULL, &cpu[i], &peak);
    qsort(up, STARTS, sizeof up[0], ascending);
    qsort(cpu, STARTS, sizeof cpu[0], ascending);
    printf("start-up to \"start game\" over %d starts: median %.1f ms (%.1f to %.1f), target < 100 ms;\n"
           "  CPU time of the main thread by then: median %.1f ms (%.1f to %.1f)\n",
           STARTS, up[STARTS / 2], up[0], up[STARTS - 1], cpu[STARTS / 2], cpu[0], cpu[STARTS - 1]);
    fflush(stdout);
    run("work", &ignored, &peak);
    run("pacer", &ignored, &peak);
    printf("peak resident memory: %.1f MiB (largest of all runs, one to level 10)   target < 40 MiB\n", peak / 1024.0);
    return 0;
}
