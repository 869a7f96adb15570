// The drawable objects: a picture from the image table at a position.
#pragma once

#include <SDL.h>

// Positions are single-precision on purpose: the hammer's rhythm depends on
// every sum being rounded to float, and every reading truncates toward zero.
class CSprite {
protected:
    int surfacenum;
    SDL_Rect dstCoor;  // overwritten by the library's clipping on each blit
    SDL_Rect srcCoor;  // unused, as a blit takes the whole picture; a field of the game's all the same (HACKING.md)
    float x;
    float y;
    bool alive;

public:
    int animcounter;  // unused, and kept likewise

    void setSurface(int sfnum) { surfacenum = sfnum; }
    void blit();
    void setxy(int a, int b) { x = a; y = b; }
    void move(float amove, float bmove) { x = x + amove; y = y + bmove; }
    int getx() { return static_cast<int>(x); }
    int gety() { return static_cast<int>(y); }
    void setalive(bool a) { alive = a; }
    bool getalive() { return alive; }
};

// The walking figure. A hop lasts 70 frames: up 3 pixels and down again,
// with its steps to the right spread over the first 60 frames.
class CPlayer : public CSprite {
    int speed;      // pixels this hop carries the figure to the right
    bool moving;
    int movestart;  // frame the hop started on
    int i;          // forward's step counter: a field, not a local, as the game has it (HACKING.md)

public:
    void setspeedmovst(int s, int frame) { speed = s; movestart = frame; }
    void setmoving(bool m) { moving = m; }
    bool getmoving() { return moving; }
    void forward(int frame);
};

// A falling meteor. After a hit it stands still for `out` more frames.
class CMeteor : public CSprite {
    int speed;  // pixels per frame
    int out;    // -1 while falling

public:
    void setspeed(int s) { speed = s; }
    void setout(int o) { out = o; }
    int getout() { return out; }
    void fall();
};
