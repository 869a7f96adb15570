// A game: its state, created afresh for every call of game(), and the steps
// of its frame, in the order they run.
#include "game.h"

#include <cstdlib>

#include "frame.h"
#include "hitband.h"
#include "media.h"
#include "scene.h"
#include "sprite.h"

// Where things stand on the screen (the figure's start, the hammer, the
// meteors' columns) is in scene.h, which the art reads too.
const int meteornum = 50;
const int rainnum = 800;

// The streak, combo: startcombo at first, one more for each hit, combocut
// less for a wrong strike or a miss but never below mincombo. A hop carries
// the figure hoppixels to the right for every full hopcombo of it.
const int startcombo = 10;
const int combocut = 5;
const int mincombo = 5;
const int hoppixels = 3;                    // pixels
const int hopcombo = 5;

// Meteors.
const int firstmeteorframe = 60;            // frames
const int meteorstarty = -40;               // pixels
const int hitframes = 30;                   // frames a struck meteor shows its hit picture
const int spawnstopx = 565;                 // pixels; from here on no meteor comes
const int speedclasses = 10;                // a meteor's speed class is drawn from 0..9
const int spacingstep = 10;                 // frames
// Rows by difficulty. freq: the highest speed class that still gives speed
// 1 (pixel per frame), and speed 2; higher classes give 3. delay: how many
// spacingsteps there are to draw from (0 to delay[0] - 1 of them), and the
// base spacing in frames: the next meteor comes that much later.
static const int freq[3][2] = {{3, 8}, {2, 7}, {2, 5}};
static const int delay[3][2] = {{13, 40}, {10, 30}, {7, 20}};

// Hammer. Its head moves hammermov tenths of a pixel per frame; the sums stay
// in single precision, which is what puts the landings on frames 240, 1187,
// 2135 and then every 948: 180 frames resting at the bottom, 472 rising (471
// the first time), 60 resting at the top and 236 falling, each leg ending
// when the truncated height first reads its end.
const float falling = 2.0f, rising = -1.0f, resting = 0.0f;
const int bottomrest = 180;                 // frames
const int toprest = 60;                     // frames
const int crushx = 565;                     // pixels; a landing crushes a figure beyond this
// crushx and spawnstopx are one line: a figure at 565 or more gets no
// meteor, so it hops on only from meteors already falling, and a hop's steps
// end at 580 (hopstopx, sprite.cpp), 581 at most: short of the hammer at 597.
// Beyond 565, the next landing ends the game.

// Rain and soundscape. Level vol is reached once the figure's x exceeds
// levelstep * vol + firstlevelx; it sets the volumes and the drops per frame.
const int firstlevelx = 100, levelstep = 50;  // pixels
const int basevolume = 38, volumestep = 10;   // mixer volume 0..128
const int dropstarty = -15;                   // pixels
const int dropleftx = 2, dropcolumns = 636;   // pixels: a drop comes at x 2 to 637
const int dropminspeed = 3, dropspeeds = 3;   // pixels per frame: 3, 4 or 5
const int groundy = 410;                      // pixels; drops below this are gone
const int heartx = 550;                       // pixels; the heartbeat starts beyond this
const int heartfadems = 5000;
const int pausedelayms = 500;
const int gameoverfadems = 3000;
const int gameoverms = 6000;

struct Game {
    bool done = false;
    bool gameover = false;
    Pacer pacer = newpacer;
    int frame = 0;
    bool pause = false;
    bool preleased = true;
    // Closed at the start so the press that started the game is no strike.
    bool released = false;
    Uint8* keys = nullptr;

    CSprite bg;
    CPlayer player;
    CMeteor meteor[meteornum];
    CSprite hammer1;
    CSprite hammer2;
    CSprite gameoverscreen;
    CSprite rain[rainnum];

    int combo = startcombo;
    int lastvolume = 0;
    int vol = 0;
    bool heartfadein = false;
    bool nohit = true;
    int nextmeteor = firstmeteorframe;
    int meteorindex = -1;
    int meteorranspeed = 0;
    float hammermov = falling;
    int nexthammerstart = -1;  // -1 matches no frame
    int rainindex = -1;
    int nextdrops = 1;
    int rainspeed[rainnum] = {};
};

static void place(CSprite& s, int picture, int x, int y)
{
    s.setSurface(picture);
    s.setxy(x, y);
}

static void setup(Game& g)
{
    place(g.bg, picbg, 0, 0);
    place(g.player, picchar1, startx, starty);
    g.player.setspeedmovst(0, 0);
    g.player.setmoving(false);
    for (CMeteor& m : g.meteor) {
        place(m, picmeteor1, -1, -1);
        m.setalive(false);
    }
    place(g.hammer1, pichammer1, hammerx, hammery);
    place(g.hammer2, pichammer2, headx, headtop);
    place(g.gameoverscreen, picgameover, 0, 0);
    for (int n = 0; n < rainnum; n++) {
        place(g.rain[n], picrain, -1, -1);
        g.rain[n].setalive(false);
        g.rainspeed[n] = 0;
    }

    Mix_Volume(rainchannel, basevolume);
    Mix_Volume(heartchannel, MIX_MAX_VOLUME);
    Mix_VolumeMusic(basevolume);
    Mix_PlayMusic(music, 1);
    playsound(sndrain, rainchannel);

    g.frame = 0;
    g.pacer.lastframetime = SDL_GetTicks();
}

// Shared by wrong strikes and missed meteors.
static void streakpenalty(Game& g)
{
    g.combo -= combocut;
    if (g.combo < mincombo)
        g.combo = mincombo;
}

// The pause holds the frame in place: nothing is drawn and frame stands
// still, while the mixer plays on. A window close only ends the pause.
static void pausestep(Game& g)
{
    if (!g.keys[SDLK_p] || !g.preleased)
        return;
    g.pause = true;
    g.preleased = false;
    SDL_Delay(pausedelayms);
    while (g.pause) {
        if (drainevents())
            g.pause = false;
        g.keys = SDL_GetKeyState(NULL);
        if (g.keys[SDLK_p])
            g.pause = false;
        idlebriefly();
    }
}

// Every falling meteor in the hit window is struck, wherever it is across
// the screen; a strike that finds none costs streak.
static void strikestep(Game& g)
{
    if (!strikekey(g.keys) || !g.released)
        return;
    g.released = false;
    g.nohit = true;
    for (CMeteor& m : g.meteor) {
        if (!m.getalive() || m.getout() != -1 || m.gety() < hitwindowtop
            || m.gety() > hitwindowbottom)
            continue;
        m.setSurface(picmeteor2);
        m.setout(hitframes);
        g.combo++;
        g.nohit = false;
        // A hop runs to its end: later hits only raise the streak.
        if (!g.player.getmoving()) {
            g.player.setmoving(true);
            g.player.setspeedmovst(hoppixels * (g.combo / hopcombo), g.frame);
            g.player.setSurface(picchar2);
        }
    }
    if (g.nohit) {
        playsound(sndwrongjump, anychannel);
        streakpenalty(g);
    }
}

static void hopstep(Game& g)
{
    if (g.player.getmoving())
        g.player.forward(g.frame);
}

// Once a due frame finds the figure near the hammer, nextmeteor is left in
// the past and no meteor comes again.
static void spawnstep(Game& g)
{
    if (g.frame != g.nextmeteor || g.player.getx() >= spawnstopx)
        return;
    g.meteorindex = (g.meteorindex + 1) % meteornum;
    CMeteor& m = g.meteor[g.meteorindex];
    m.setalive(true);
    m.setSurface(picmeteor1);
    m.setout(-1);
    m.setxy(rand() % meteorcolumns + meteorleftx, meteorstarty);

    const int* speedclass = freq[diff - 1];
    g.meteorranspeed = rand() % speedclasses;
    if (speedclass[0] >= g.meteorranspeed)
        m.setspeed(1);
    else if (speedclass[1] >= g.meteorranspeed)
        m.setspeed(2);
    else
        m.setspeed(3);

    const int* spacing = delay[diff - 1];
    g.nextmeteor = g.frame + spacing[1] + spacingstep * (rand() % spacing[0]);
}

static void fallstep(Game& g)
{
    for (CMeteor& m : g.meteor) {
        if (!m.getalive())
            continue;
        m.fall();
        if (m.gety() > hitwindowbottom) {
            playsound(sndmissed, anychannel);
            m.setalive(false);
            m.setxy(-1, -1);
            streakpenalty(g);
        }
    }
}

// Falls, rests at the bottom, rises, rests at the top. Each test reads the
// head's height afresh, and the move runs in every frame.
static void hammerstep(Game& g)
{
    if (g.hammer2.gety() == headbottom && g.hammermov == falling) {
        g.hammermov = resting;
        playsound(sndhammer, anychannel);
        g.nexthammerstart = g.frame + bottomrest;
        if (g.player.getx() > crushx)
            g.gameover = true;
    }
    if (g.frame == g.nexthammerstart && g.hammer2.gety() == headbottom)
        g.hammermov = rising;
    if (g.hammer2.gety() == headtop && g.hammermov == rising) {
        g.hammermov = resting;
        g.nexthammerstart = g.frame + toprest;
    }
    if (g.frame == g.nexthammerstart && g.hammer2.gety() == headtop)
        g.hammermov = falling;
    g.hammer2.move(0, g.hammermov / 10);
}

// The ring takes the next slot whether or not its drop is still falling.
static void rainstep(Game& g)
{
    for (int n = 0; n < g.nextdrops; n++) {
        g.rainindex = (g.rainindex + 1) % rainnum;
        g.rain[g.rainindex].setalive(true);
        g.rain[g.rainindex].setxy(rand() % dropcolumns + dropleftx, dropstarty);
        g.rainspeed[g.rainindex] = rand() % dropspeeds + dropminspeed;
    }
    // From the level before this frame's intensity step: thicker rain
    // follows a new level two frames later.
    g.nextdrops = g.vol / 2 + 1;
    for (int n = 0; n < rainnum; n++) {
        CSprite& drop = g.rain[n];
        if (!drop.getalive())
            continue;
        drop.move(0, static_cast<float>(g.rainspeed[n]));
        if (drop.gety() > groundy) {
            drop.setalive(false);
            drop.setxy(-1, -1);
        }
    }
}

// One level at most per frame; the mixer hears only of changes.
static void intensitystep(Game& g)
{
    if (g.player.getx() > levelstep * g.vol + firstlevelx)
        g.vol++;
    if (g.vol != g.lastvolume) {
        g.lastvolume = g.vol;
        Mix_VolumeMusic(volumestep * g.vol + basevolume);
        Mix_Volume(rainchannel, volumestep * g.vol + basevolume);
    }
}

// Music, rain and heartbeat each play once per start; they last the whole
// game because they are started again whenever they have stopped.
static void soundkeepers(Game& g)
{
    if (!Mix_PlayingMusic())
        Mix_PlayMusic(music, 1);
    if (!Mix_Playing(rainchannel))
        playsound(sndrain, rainchannel);
    if (g.player.getx() > heartx) {
        if (!g.heartfadein) {
            g.heartfadein = true;
            Mix_FadeInChannelTimed(heartchannel, chunk[sndheart], 0, heartfadems, -1);
        } else if (!Mix_Playing(heartchannel)) {
            playsound(sndheart, heartchannel);
        }
    }
}

// Back to front: the hammer covers the figure, meteors lie over the hammer,
// rain over everything.
static void drawstep(Game& g)
{
    g.bg.blit();
    g.player.blit();
    g.hammer1.blit();
    g.hammer2.blit();
    for (CMeteor& m : g.meteor)
        if (m.getalive())
            m.blit();
    for (CSprite& drop : g.rain)
        if (drop.getalive())
            drop.blit();
    SDL_Flip(screen);
}

// After the landing frame has been shown: the game-over picture over it,
// then six seconds with no input before the menu returns.
static void gameoverstep(Game& g)
{
    if (!g.gameover)
        return;
    g.done = true;
    Mix_HaltChannel(rainchannel);
    Mix_HaltChannel(heartchannel);
    playsound(sndgameover, anychannel);
    Mix_FadeOutMusic(gameoverfadems);
    g.gameoverscreen.blit();
    SDL_Flip(screen);
    SDL_Delay(gameoverms);
}

int game()
{
    Game g;
    setup(g);

    // done is tested only here: a frame that sets it still runs to its end.
    while (!g.done) {
        if (drainevents())
            g.done = true;
        g.keys = SDL_GetKeyState(NULL);
        if (g.keys[SDLK_ESCAPE])
            g.done = true;
        pausestep(g);
        if (!g.keys[SDLK_p])
            g.preleased = true;
        strikestep(g);
        if (!strikekey(g.keys))
            g.released = true;
        hopstep(g);
        spawnstep(g);
        fallstep(g);
        hammerstep(g);
        rainstep(g);
        intensitystep(g);
        soundkeepers(g);
        drawstep(g);
        gameoverstep(g);
        pacerstep(g.pacer);
        g.frame++;
    }

    Mix_HaltChannel(-1);
    Mix_HaltMusic();
    return 0;
}
