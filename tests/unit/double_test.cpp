// Guards the parts of the SDL double that the game tests build their
// timelines on: frame pacing, tick wrap-around, the scheduler, the hang
// valve, scripted chance and draw records.
#include "sdl_double.h"

#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <vector>

namespace sd = sdldouble;

namespace {

class DoubleTest : public ::testing::Test {
protected:
    void SetUp() override { sd::reset(); }
};

// Runs frames the way the game paces them (spin on SDL_GetTicks until the
// frame's delay, 16, 17, 17 in turn, has passed since the previous frame
// start, then read the clock once more as this frame's start) and returns the
// frame start ticks. workms[i] is the extra work done in frame i.
std::vector<Uint32> pace(int frames, const std::vector<unsigned>& workms = {}) {
    static const Uint32 delay[3] = {16, 17, 17};
    SDL_Surface* screen = SDL_SetVideoMode(640, 480, 16, SDL_HWSURFACE | SDL_DOUBLEBUF);
    Uint32 last = SDL_GetTicks();
    std::vector<Uint32> starts;
    for (int i = 0; i < frames; ++i) {
        while (SDL_GetTicks() - last < delay[i % 3]) {
        }
        last = SDL_GetTicks();
        starts.push_back(last);
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
        }
        SDL_GetKeyState(nullptr);
        for (int b = 0; b < 30; ++b) SDL_BlitSurface(nullptr, nullptr, screen, nullptr);
        if (static_cast<std::size_t>(i) < workms.size()) sd::spend(workms[i]);
        SDL_Flip(screen);
    }
    return starts;
}

std::vector<Uint32> gaps(const std::vector<Uint32>& starts) {
    std::vector<Uint32> out;
    for (std::size_t i = 1; i < starts.size(); ++i) out.push_back(starts[i] - starts[i - 1]);
    return out;
}

const std::vector<Uint32> kPattern{17, 17, 16};  // gaps before frames 1, 2, 3, ...

TEST_F(DoubleTest, LightFramesStartExactlyAsThePacerAsks) {
    auto g = gaps(pace(61));
    ASSERT_EQ(g.size(), 60u);
    for (std::size_t i = 0; i < g.size(); ++i) EXPECT_EQ(g[i], kPattern[i % 3]) << "gap " << i;
}

TEST_F(DoubleTest, SpentTimeDelaysExactlyOneFrame) {
    std::vector<unsigned> work(10, 0);
    work[4] = 20;  // frame 4 overruns its 17 ms: frame 5 follows 20 ms after it
    auto g = gaps(pace(10, work));
    EXPECT_EQ(g[4], 20u);
    for (std::size_t i = 0; i < g.size(); ++i) {
        if (i == 4) continue;
        EXPECT_EQ(g[i], kPattern[i % 3]) << "gap " << i;
    }
}

TEST_F(DoubleTest, TicksWrapAroundAndPacingSurvivesIt) {
    sd::setticks(0xFFFFFFFFu - 100);
    EXPECT_EQ(sd::ticks(), 0xFFFFFFFFu - 100);
    auto starts = pace(31);
    EXPECT_LT(starts.back(), starts.front()) << "the tick count should have wrapped";
    auto g = gaps(starts);
    for (std::size_t i = 0; i < g.size(); ++i) EXPECT_EQ(g[i], kPattern[i % 3]) << "gap " << i;
}

TEST_F(DoubleTest, DelayAndSpendMoveTheClock) {
    Uint32 t0 = SDL_GetTicks();
    SDL_Delay(500);
    EXPECT_EQ(SDL_GetTicks() - t0, 500u);
    sd::spend(250);
    EXPECT_EQ(SDL_GetTicks() - t0, 750u);
}

TEST_F(DoubleTest, SchedulerFiresOnceAtTheRightFlipAndTick) {
    std::vector<int> atzero, atthree;
    std::vector<Uint32> atsecond;
    sd::atflip(0, [&] { atzero.push_back(sd::flips()); });
    sd::atflip(3, [&] { atthree.push_back(sd::flips()); });
    sd::attick(1000, [&] { atsecond.push_back(sd::ticks()); });
    pace(70);
    EXPECT_EQ(atzero, std::vector<int>{0});
    EXPECT_EQ(atthree, std::vector<int>{3});
    ASSERT_EQ(atsecond.size(), 1u);
    EXPECT_GE(atsecond[0], 1000u);
    EXPECT_LE(atsecond[0], 1000u + 17);
}

TEST_F(DoubleTest, AttickWaitsThroughTheWrap) {
    sd::setticks(0xFFFFFF00u);
    std::vector<Uint32> fired;
    sd::attick(10, [&] { fired.push_back(sd::ticks()); });
    pace(30);
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_GE(fired[0], 10u);
    EXPECT_LE(fired[0], 10u + 17);
}

TEST_F(DoubleTest, OnpollRunsOnEveryPoll) {
    long polls = 0;
    sd::onpoll([&] { ++polls; });
    pace(10);
    EXPECT_EQ(polls, sd::count("SDL_PollEvent"));
    EXPECT_GE(polls, 10);
}

TEST_F(DoubleTest, MaxflipsStopsALoopThatWaitsForQuit) {
    sd::maxflips(5);
    SDL_Surface* screen = SDL_SetVideoMode(640, 480, 16, 0);
    bool quit = false;
    int frames = 0;
    while (!quit && frames < 100) {
        SDL_Event e;
        while (SDL_PollEvent(&e))  // must drain: one SDL_QUIT per frame, not per poll
            if (e.type == SDL_QUIT) quit = true;
        SDL_Flip(screen);
        ++frames;
    }
    EXPECT_TRUE(quit);
    EXPECT_EQ(frames, 6);
    EXPECT_TRUE(SDL_GetKeyState(nullptr)[SDLK_ESCAPE]);
}

TEST_F(DoubleTest, RandPopsScriptedValuesThenFollowsTheSeed) {
    sd::pushrand(5);
    sd::pushrand(7);
    EXPECT_EQ(rand(), 5);
    EXPECT_EQ(rand(), 7);
    srand(42);
    std::vector<int> a, b, c;
    for (int i = 0; i < 8; ++i) a.push_back(rand());
    srand(42);
    for (int i = 0; i < 8; ++i) b.push_back(rand());
    srand(43);
    for (int i = 0; i < 8; ++i) c.push_back(rand());
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    for (int v : a) {
        EXPECT_GE(v, 0);
        EXPECT_LE(v, RAND_MAX);
    }
    EXPECT_EQ(sd::seeds(), (std::vector<unsigned>{42, 42, 43}));
}

TEST_F(DoubleTest, TimeIsScripted) {
    EXPECT_EQ(time(nullptr), static_cast<std::time_t>(1000000000));
    sd::settime(77);
    std::time_t t = 0;
    EXPECT_EQ(time(&t), 77);
    EXPECT_EQ(t, 77);
}

TEST_F(DoubleTest, BlitsAreRecordedPerFrameAndDstrectIsClipped) {
    sd::imagesize("data/graphics/s1.png", 100, 50);
    SDL_Surface* screen = SDL_SetVideoMode(640, 480, 16, 0);
    SDL_Surface* img = IMG_Load("data/graphics/s1.png");
    ASSERT_NE(img, nullptr);
    SDL_Rect at{-10, 470, 0, 0};
    EXPECT_EQ(SDL_BlitSurface(img, nullptr, screen, &at), 0);
    EXPECT_EQ(at.x, 0);
    EXPECT_EQ(at.y, 470);
    EXPECT_EQ(at.w, 90);
    EXPECT_EQ(at.h, 10);
    SDL_Flip(screen);
    SDL_Rect again{300, 200, 0, 0};
    SDL_BlitSurface(img, nullptr, screen, &again);
    SDL_Flip(screen);

    ASSERT_EQ(sd::drawn(0).size(), 1u);
    EXPECT_EQ(sd::drawn(0)[0].image, "s1.png");
    EXPECT_EQ(sd::drawn(0)[0].x, -10);
    EXPECT_EQ(sd::drawn(0)[0].y, 470);
    ASSERT_EQ(sd::lastframe().size(), 1u);
    EXPECT_EQ(sd::lastframe()[0].x, 300);
    EXPECT_EQ(sd::lastframe()[0].flip, 1);
}

SDL_Surface* gscreen;
SDL_Surface* gimage;

TEST_F(DoubleTest, BlittingAFreedSurfaceFailsTheTest) {
    gscreen = SDL_SetVideoMode(640, 480, 16, 0);
    gimage = IMG_Load("data/graphics/s1.png");
    SDL_FreeSurface(gimage);
    EXPECT_NONFATAL_FAILURE(SDL_BlitSurface(gimage, nullptr, gscreen, nullptr), "after it was freed");
    EXPECT_EQ(sd::problems().size(), 1u);
    EXPECT_TRUE(sd::drawn(0).empty());
}

}  // namespace
