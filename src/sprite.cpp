#include "sprite.h"

#include "media.h"

const int hopframes = 70;        // frames; the hop ends on this hop frame
const int hopstepframes = 60;    // frames over which the steps right are spread
const int hopstopx = 580;        // pixels; no step right from here on

void CSprite::blit()
{
    // static_cast truncates toward zero whatever the rounding mode.
    dstCoor.x = static_cast<Sint16>(static_cast<int>(x));
    dstCoor.y = static_cast<Sint16>(static_cast<int>(y));
    SDL_UpperBlit(surface[surfacenum], NULL, screen, &dstCoor);
}

void CPlayer::forward(int frame)
{
    int d = frame - movestart;

    // Checked once per call, so two steps due in one frame both happen.
    if (x < hopstopx)
        for (i = 0; i < speed; i++)
            if (d == (hopstepframes * i + hopstepframes) / (speed + 1))
                x = x + 1;

    if (d == 10)
        y = y - 1;
    if (d == 20)
        y = y - 1;
    if (d == 30) {
        y = y - 1;
        surfacenum = picchar1;
    }
    if (d == 50)
        y = y + 1;
    if (d == 60)
        y = y + 1;
    if (d == hopframes) {
        y = y + 1;
        moving = false;
    }
}

void CMeteor::fall()
{
    if (out == -1)
        y = y + static_cast<float>(speed);
    else if (out == 0)
        alive = false;
    else
        out--;
}
