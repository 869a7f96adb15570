// One timeline of the mixer calls the game makes, and a few around them,
// with SDL_mixer's answers at each moment: built for the desktop against
// SDL_mixer (on SDL's dummy audio driver) and for the browser against
// web/mixer.js, so that the browser's mixer cannot drift from SDL_mixer.
// Every question is asked well clear of the moment its answer changes,
// since SDL_mixer notices a sound's end only at its next buffer (2048
// samples, 93 ms). Prints one line per answer, and exits 1 on any
// unexpected one. Run from the top folder, where data/sounds is.
#include <SDL.h>
#include <SDL_mixer.h>
#include <stdio.h>
#include <stdlib.h>

static Uint32 start;
static int now, wrong, asked;

#ifdef __EMSCRIPTEN__
// In the browser the timeline waits on the program's clock, the wall
// clock, from a moment a little after the mixer opened; web/mixer.js
// answers by the page's audio clock, which keeps to it.
static void begin(void)
{
    SDL_Delay(300);
    start = SDL_GetTicks();
}

static void at(int ms)
{
    now = ms;
    while ((int)(SDL_GetTicks() - start) < ms)
        SDL_Delay(1);
}
#else
// On the desktop the timeline runs on the mixer's own clock, the samples
// it has mixed: the mixer pauses itself at the end of the buffer that
// reaches the next moment, and stands still while that moment's questions
// are asked. SDL_mixer times its fades and time limits by SDL_GetTicks,
// which here counts the mixed samples too. SDL's dummy driver only sleeps a
// buffer's time between two buffers, so on a busy machine it falls behind
// the wall clock by every late wake-up; on this clock no answer depends on
// the machine's speed or load.
static volatile Uint32 mixed;  // samples
static volatile int due;       // ms after the start: where the mixer pauses

Uint32 SDL_GetTicks(void)
{
    return (Uint32)((Uint64)mixed * 1000 / 22050);
}

// Run by SDL_mixer once it has mixed a buffer: counts the buffer, and
// pauses the mixer once the moment due is reached.
static void count(void* udata, Uint8* stream, int len)
{
    (void)udata;
    (void)stream;
    mixed += len / 2;  // 16-bit mono
    if ((int)(SDL_GetTicks() - start) >= due)
        SDL_PauseAudio(1);
}

// Till a buffer has reached the moment due, and the mixer has paused itself.
static void pausedue(void)
{
    while (SDL_GetAudioStatus() != SDL_AUDIO_PAUSED)
        SDL_Delay(1);
}

// At the end of the first buffer mixed from here.
static void begin(void)
{
    Mix_SetPostMix(count, NULL);
    pausedue();
    start = SDL_GetTicks();
}

static void at(int ms)
{
    now = due = ms;
    SDL_PauseAudio(0);
    pausedue();
}
#endif

// got is right within slack of want. A fade's volume moves at SDL_mixer's
// buffers: a fade starts with the buffer after the call, and each buffer
// takes the ramp's value at its own start, so NEAR allows two buffers
// (186 ms) of the linear ramp at the moment asked.
static void expect(const char* call, int got, int want, int slack)
{
    int right = abs(got - want) <= slack;
    asked++;
    wrong += !right;
    printf("%5d ms %-40s %4d%s\n", now, call, right ? want : got, right ? "" : "  FAIL: SDL_mixer gives");
    if (!right)
        printf("%48d\n", want);
}
#define EXPECT(call, want) expect(#call, call, want, 0)
#define NEAR(call, want) expect(#call, call, want, 128 * 190 / 1000)

int main(void)
{
    if (SDL_Init(SDL_INIT_AUDIO) == -1 || Mix_OpenAudio(22050, AUDIO_S16LSB, 1, 2048) == -1) {
        printf("no audio: %s\n", SDL_GetError());
        return 1;
    }
    Mix_Chunk* shortone = Mix_LoadWAV_RW(SDL_RWFromFile("data/sounds/wrongjump.ogg", "rb"), 1);  // 0.42 s
    Mix_Chunk* middle = Mix_LoadWAV_RW(SDL_RWFromFile("data/sounds/missed.ogg", "rb"), 1);     // 0.85 s
    Mix_Chunk* heart = Mix_LoadWAV_RW(SDL_RWFromFile("data/sounds/heart.ogg", "rb"), 1);       // 1.9 s
    Mix_Music* music = Mix_LoadMUS("data/sounds/bg.ogg");          // 64 s
    Mix_Music* shortmusic = Mix_LoadMUS("data/sounds/wrongjump.ogg");
    if (!shortone || !middle || !heart || !music || !shortmusic) {
        printf("cannot load the sounds: %s\n", Mix_GetError());
        return 1;
    }
    begin();

    // Channels, and volumes: more than 128 is 128, -1 only reads.
    EXPECT(Mix_AllocateChannels(8), 8);
    EXPECT(Mix_ReserveChannels(2), 2);
    EXPECT(Mix_Volume(-1, 200), 128);
    EXPECT(Mix_Volume(0, -1), 128);
    EXPECT(Mix_Volume(2, 64), 128);
    EXPECT(Mix_Volume(-1, -1), 120);
    EXPECT(Mix_Volume(2, 128), 64);
    EXPECT(Mix_VolumeMusic(300), 128);
    EXPECT(Mix_VolumeMusic(-1), 128);
    EXPECT(Mix_VolumeMusic(38), 128);
    EXPECT(Mix_VolumeMusic(-1), 38);

    // Channel -1 takes the first free channel past the reserved ones, and
    // none once all are busy.
    for (int channel = 2; channel <= 8; channel++)
        EXPECT(Mix_PlayChannelTimed(-1, shortone, 0, -1), channel < 8 ? channel : -1);
    EXPECT(Mix_Playing(-1), 6);
    EXPECT(Mix_Playing(0), 0);
    at(250);
    EXPECT(Mix_Playing(2), 1);
    EXPECT(Mix_Playing(-1), 6);
    at(650);
    EXPECT(Mix_Playing(2), 0);
    EXPECT(Mix_Playing(-1), 0);

    // A reserved channel asked for by number; a loop count of 2 plays a
    // sound three times.
    EXPECT(Mix_PlayChannelTimed(0, middle, 0, -1), 0);
    EXPECT(Mix_PlayChannelTimed(-1, shortone, 2, -1), 2);
    EXPECT(Mix_PlayChannelTimed(-1, shortone, 0, -1), 3);
    at(1200);
    EXPECT(Mix_Playing(0), 1);
    EXPECT(Mix_Playing(2), 1);
    EXPECT(Mix_Playing(3), 0);
    at(1700);
    EXPECT(Mix_Playing(0), 0);
    EXPECT(Mix_Playing(2), 1);
    at(2200);
    EXPECT(Mix_Playing(2), 0);

    // A time limit, and a fade-in's progress.
    EXPECT(Mix_PlayChannelTimed(3, heart, -1, 500), 3);
    EXPECT(Mix_FadeInChannelTimed(1, heart, 0, 1000, -1), 1);
    EXPECT(Mix_FadingChannel(1), MIX_FADING_IN);
    at(2500);
    EXPECT(Mix_Playing(3), 1);
    EXPECT(Mix_FadingChannel(1), MIX_FADING_IN);
    NEAR(Mix_Volume(1, -1), 128 * 300 / 1000);
    at(2900);
    EXPECT(Mix_Playing(3), 0);
    EXPECT(Mix_FadingChannel(1), MIX_FADING_IN);
    NEAR(Mix_Volume(1, -1), 128 * 700 / 1000);
    at(3400);
    EXPECT(Mix_FadingChannel(1), MIX_NO_FADING);
    EXPECT(Mix_Volume(1, -1), 128);
    EXPECT(Mix_Playing(1), 1);
    at(4400);
    EXPECT(Mix_Playing(1), 0);

    // The music's loop counts: 1 plays it once, more than 1 a time more.
    EXPECT(Mix_PlayMusic(shortmusic, 1), 0);
    EXPECT(Mix_PlayingMusic(), 1);
    at(4650);
    EXPECT(Mix_PlayingMusic(), 1);
    at(5000);
    EXPECT(Mix_PlayingMusic(), 0);
    EXPECT(Mix_PlayMusic(shortmusic, 2), 0);
    at(6050);
    EXPECT(Mix_PlayingMusic(), 1);
    at(6500);
    EXPECT(Mix_PlayingMusic(), 0);

    // The music's fade-out, as at the game's end.
    EXPECT(Mix_PlayMusic(music, 1), 0);
    at(6700);
    EXPECT(Mix_FadeOutMusic(1000), 1);
    EXPECT(Mix_FadingMusic(), MIX_FADING_OUT);
    at(7300);
    EXPECT(Mix_PlayingMusic(), 1);
    EXPECT(Mix_FadingMusic(), MIX_FADING_OUT);
    EXPECT(Mix_VolumeMusic(-1), 38);
    at(8000);
    EXPECT(Mix_PlayingMusic(), 0);
    EXPECT(Mix_FadingMusic(), MIX_NO_FADING);
    EXPECT(Mix_FadeOutMusic(1000), 0);

    // Halts end at once.
    EXPECT(Mix_PlayChannelTimed(-1, heart, 0, -1), 2);
    EXPECT(Mix_PlayChannelTimed(0, heart, 0, -1), 0);
    EXPECT(Mix_PlayMusic(music, 1), 0);
    at(8200);
    EXPECT(Mix_Playing(-1), 2);
    EXPECT(Mix_HaltChannel(0), 0);
    EXPECT(Mix_Playing(0), 0);
    EXPECT(Mix_Playing(-1), 1);
    EXPECT(Mix_HaltChannel(-1), 0);
    EXPECT(Mix_Playing(-1), 0);
    EXPECT(Mix_HaltMusic(), 0);
    EXPECT(Mix_PlayingMusic(), 0);

    Mix_FreeMusic(shortmusic);
    Mix_FreeMusic(music);
    Mix_FreeChunk(heart);
    Mix_FreeChunk(middle);
    Mix_FreeChunk(shortone);
    Mix_CloseAudio();
    SDL_Quit();
    printf("timeline: %d answers, %d unexpected\n", asked, wrong);
    return wrong ? 1 : 0;
}
