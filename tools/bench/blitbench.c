// blitbench: how long does one SDL_UpperBlit of each picture take, as the
// game draws it (the IMG_Load result, never converted) onto a 640x480x16 screen?
//
// Build and run:
//   make bench, or after a build: SDL_VIDEODRIVER=dummy build/tools/bench/blitbench data/graphics/*.png

#include <stdio.h>
#include <string.h>
#include <SDL.h>
#include <SDL_image.h>

static int is_fullscreen(SDL_Surface *s)
{
    return s->w >= 640 && s->h >= 480;
}

int main(int argc, char **argv)
{
    SDL_Surface *screen;
    int i;

    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        fprintf(stderr, "SDL_Init: %s\n", SDL_GetError());
        return 1;
    }
    screen = SDL_SetVideoMode(640, 480, 16, SDL_HWSURFACE | SDL_DOUBLEBUF);
    if (!screen) {
        fprintf(stderr, "SDL_SetVideoMode: %s\n", SDL_GetError());
        return 1;
    }
    printf("screen: %dx%d %d bpp %s\n", screen->w, screen->h,
           screen->format->BitsPerPixel,
           (screen->flags & SDL_HWSURFACE) ? "hw" : "sw");
    printf("%-28s %9s %4s %5s %5s %10s\n", "file", "size", "bpp", "alpha", "ckey", "us/blit");

    for (i = 1; i < argc; i++) {
        SDL_Surface *img = IMG_Load(argv[i]);
        SDL_Rect dst;
        Uint32 t0, t1;
        int n, k;
        char size[16];
        const char *name;

        if (!img) {
            printf("%-28s load failed: %s\n", argv[i], IMG_GetError());
            continue;
        }
        /* Full-screen pages sit at the origin; sprites somewhere mid-screen
         * so nothing gets clipped, like most of the game's draws. */
        if (is_fullscreen(img)) {
            dst.x = 0; dst.y = 0;
        } else {
            dst.x = 300; dst.y = 200;
        }
        /* warm caches and any lazy RLE encoding before timing */
        for (k = 0; k < 10; k++) {
            SDL_Rect d = dst;
            SDL_UpperBlit(img, NULL, screen, &d);
        }
        /* SDL_GetTicks only counts milliseconds: keep blitting in batches
         * until a quarter second has passed so small sprites still time well */
        n = 0;
        t0 = SDL_GetTicks();
        do {
            for (k = 0; k < 100; k++) {
                SDL_Rect d = dst;  /* UpperBlit clips d in place */
                SDL_UpperBlit(img, NULL, screen, &d);
            }
            n += 100;
            t1 = SDL_GetTicks();
        } while (t1 - t0 < 250);
        name = strrchr(argv[i], '/');
        name = name ? name + 1 : argv[i];
        snprintf(size, sizeof size, "%dx%d", img->w, img->h);
        printf("%-28s %9s %4d %5s %5s %10.2f\n", name, size,
               img->format->BitsPerPixel,
               (img->flags & SDL_SRCALPHA) ? "yes" : "no",
               (img->flags & SDL_SRCCOLORKEY) ? "yes" : "no",
               (t1 - t0) * 1000.0 / n);
        SDL_FreeSurface(img);
    }
    SDL_Quit();
    return 0;
}
