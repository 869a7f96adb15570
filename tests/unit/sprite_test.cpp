// The sprites every screen draws with: positions, blits and the hop.
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "media.h"
#include "sdl_double.h"
#include "sprite.h"

namespace {

TEST(Sprite, PositionsAndBlitsTruncateTowardZero) {
    sd::reset();
    surface[picmeteor1] = IMG_Load("meteor1.png");
    struct { int x, y; float dx, dy; int moves, wantx, wanty; } cases[] = {
        {0, 0, -0.7f, 0, 1, 0, 0}, {13, -40, -0.1f, -0.5f, 1, 12, -40}, {0, 330, 0, -0.2f, 5, 0, 328},
        {0, 330, 0, 0.2f, 5, 0, 331}};
    for (auto& c : cases) {
        CSprite s;
        s.setSurface(picmeteor1);
        s.setxy(c.x, c.y);
        for (int n = 0; n < c.moves; ++n) s.move(c.dx, c.dy);
        s.blit();
        s.blit();  // again, after the library's clipping rewrote the target
        auto d = sd::drawn(0);
        EXPECT_EQ((std::vector<int>{s.getx(), s.gety(), d.end()[-2].x, d.end()[-2].y, d.back().x, d.back().y}),
                  (std::vector<int>{c.wantx, c.wanty, c.wantx, c.wanty, c.wantx, c.wanty}))
            << "from " << c.x << "," << c.y << " moved " << c.moves << " times";
    }
}

// A hop of speed s takes s steps right, in its frames (60 i + 60) / (s + 1),
// two at once when due together, none from 580 on; it ends in frame 70.
TEST(Sprite, AHopsStepsAreSpreadOverItsFirst60FramesAndStopAt580) {
    auto upto = [](int n) { std::set<int> s; for (int d = 0; d < n; ++d) s.insert(d); return s; };
    struct { int speed, x0; std::set<int> stepframes; int steps; } cases[] = {
        {3, 75, {15, 30, 45}, 3}, {9, 75, {6, 12, 18, 24, 30, 36, 42, 48, 54}, 9}, {60, 75, upto(60), 60},
        {63, 75, upto(60), 63}, {63, 564, upto(16), 17}, {3, 580, {}, 0}};  // 564: two steps due at 579, ends at 581
    for (auto& c : cases) {
        CPlayer p;  // as a strike in frame 100 starts it
        p.setxy(c.x0, 410);
        p.setspeedmovst(c.speed, 100);
        p.setmoving(true);
        std::vector<int> steps;
        for (int d = 0; d <= 70; ++d) {
            int x = p.getx();
            p.forward(100 + d);
            steps.insert(steps.end(), p.getx() - x, d);
            EXPECT_EQ(p.getmoving(), d < 70);
        }
        EXPECT_EQ(std::set<int>(steps.begin(), steps.end()), c.stepframes) << "speed " << c.speed << " from " << c.x0;
        EXPECT_EQ(int(steps.size()), c.steps) << "speed " << c.speed << " from " << c.x0;
    }
}

}  // namespace
