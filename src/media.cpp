#include "media.h"

#include <SDL_image.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

SDL_Surface* surface[surfacenum];
SDL_Surface* screen;
Mix_Chunk* chunk[chunknum];
Mix_Music* music;
int diff = defaultdiff;

// In slot order (pictures.h, media.h).
static const char* const imagefile[surfacenum] = {
    "data/graphics/s1.png",      "data/graphics/s2.png",      "data/graphics/menu.png",
    "data/graphics/bg.png",      "data/graphics/char1.png",   "data/graphics/char2.png",
    "data/graphics/meteor1.png", "data/graphics/meteor2.png", "data/graphics/hammer1.png",
    "data/graphics/hammer2.png", "data/graphics/gameover.png", "data/graphics/rain.png",
    "data/graphics/s3.png",
};
static const char* const soundfile[chunknum] = {
    "data/sounds/hammer.ogg", "data/sounds/wrongjump.ogg", "data/sounds/missed.ogg",
    "data/sounds/gameover.ogg", "data/sounds/rain.ogg", "data/sounds/heart.ogg",
};

// Flushed piece by piece so the dots show while the loading goes on.
static void say(const char* piece)
{
    printf("%s", piece);
    fflush(stdout);
}

void load()
{
    say("Marrowick " MARROWICK_VERSION " - meteors, rain and the hammer\ninit SDL");
    if (SDL_Init(SDL_INIT_VIDEO) == -1) {
        printf("SDL_Init: %s\n", SDL_GetError());
        exit(1);
    }
    say(".");
    if (Mix_OpenAudio(22050, AUDIO_S16LSB, 1, 2048) == -1) {
        printf("OpenAudio: %s\n", SDL_GetError());
        exit(1);
    }
    say(".");
    Mix_AllocateChannels(8);
    Mix_ReserveChannels(2);
    Mix_Volume(-1, MIX_MAX_VOLUME);
    Mix_Volume(rainchannel, MIX_MAX_VOLUME);
    Mix_Volume(heartchannel, MIX_MAX_VOLUME);
    Mix_VolumeMusic(MIX_MAX_VOLUME);
    srand(time(NULL));
    say(".done");

    say("\nloading graphics");
    for (int i = 0; i < surfacenum; i++) {
        surface[i] = IMG_Load(imagefile[i]);
        if (i == 2 || i == 3)
            say(".");
    }
    say(".done");

    say("\nloading sounds");
    for (int i = 0; i < chunknum; i++) {
        // The mixer tells Ogg Vorbis by its content and closes the stream.
        chunk[i] = Mix_LoadWAV_RW(SDL_RWFromFile(soundfile[i], "rb"), 1);
        if (i == 3 || i == 5)
            say(".");
    }
    music = Mix_LoadMUS("data/sounds/bg.ogg");
    say(".done");
    for (int i = 0; i < chunknum; i++)
        if (!chunk[i])
            printf("error with chunk[%i]", i);
    say("\nstart game\n");
}

void free()
{
    say("\nfree data...");
    Mix_FreeMusic(music);
    for (int i = 0; i < surfacenum; i++)
        SDL_FreeSurface(surface[i]);
    for (int i = 0; i < chunknum; i++)
        Mix_FreeChunk(chunk[i]);
    Mix_CloseAudio();
    SDL_Quit();
}
