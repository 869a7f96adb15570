// The frame pacer and the title loop: pages, the latch of the strike keys,
// the 200 ms guard, window close, and games started from the menu page.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "frame.h"
#include "screens.h"
#include "sdl_double.h"
#include "shell.h"


namespace {

TEST(Pacer, FramesStart16_17_17ApartAfterASlowFrameAndAcrossTheWrap) {
    for (Uint32 start : {1000u, 0xFFFFFFFFu - 40}) {
        sd::reset();
        sd::setticks(start);
        Pacer p = newpacer;
        p.lastframetime = SDL_GetTicks();
        std::vector<Uint32> gaps;
        for (int f = 0; f < 8; ++f) {
            Uint32 before = p.lastframetime;
            if (f == 4) sd::spend(40);  // the frame overruns: the next follows at once
            pacerstep(p);
            gaps.push_back(p.lastframetime - before);
        }
        EXPECT_EQ(gaps, (std::vector<Uint32>{16, 17, 17, 16, 40, 17, 16, 17})) << start;
    }
}

const int Z = SDLK_z, Y = SDLK_y, ESC = SDLK_ESCAPE, QUIT = 0;  // QUIT: a window close
struct Story { const char* title; std::vector<sd::Key> script; const char* timeline; };

// Runs the program on a script of input by frame; its timeline has a letter
// per frame: the page 0..3 drawn alone, or g for a game frame. "0x3 1x2" is
// "00011". Frame f starts at 50 f / 3 ms: frame 12 at 200, 13 at 216.
void tell(const std::vector<Story>& stories) {
    const std::string pages[] = {"s1.png", "s2.png", "s3.png", "menu.png"};
    for (const Story& s : stories) {
        sd::reset();
        sd::maxflips(400);
        sd::keys(s.script);
        testing::internal::CaptureStdout();
        marrowick();
        testing::internal::GetCapturedStdout();
        std::string got, want, part;
        for (int f = 0; f < sd::flips(); ++f) {
            auto d = sd::drawn(f);
            long page = d.size() == 1 && d[0].x == 0 && d[0].y == 0 ? std::find(pages, pages + 4, d[0].image) - pages : 4;
            got += page < 4 ? char('0' + page) : !d.empty() && d[0].image == "bg.png" ? 'g' : '?';
        }
        for (std::istringstream plan(s.timeline); plan >> part;)
            want += std::string(std::stoul(part.substr(2)), part[0]);
        EXPECT_EQ(got, want) << s.title;
    }
}

TEST(Title, EachFreshPressOfZOrYTurnsOnePage) {
    tell({{"Z held from the start turns page 0 once past 200 ms, page 1 only after a new press",
           {{0, Z, 1}, {40, Z, 0}, {45, Z, 1}, {50, QUIT, 1}}, "0x13 1x32 2x6"},
          {"Z down, up, down in successive frames turns two pages",
           {{20, Z, 1}, {21, Z, 0}, {22, Z, 1}, {25, QUIT, 1}}, "0x20 1x2 2x4"},
          {"Z and Y together count once, letting go of one does not re-arm, Y alone turns a page",
           {{20, Z, 1}, {20, Y, 1}, {22, Y, 0}, {24, Y, 1}, {26, Z, 0}, {28, Y, 0}, {30, Y, 1}, {33, QUIT, 1}},
           "0x20 1x10 2x4"}});
}

TEST(Title, EscapeAfter200MsOrAWindowCloseEndsTheProgram) {
    tell({{"Escape let go at 216 ms is ignored; pressed again it ends the program",
           {{0, ESC, 1}, {13, ESC, 0}, {20, ESC, 1}}, "0x21"},
          {"closing the window with a fresh Z on page 1 shows page 2 and ends the program",
           {{20, Z, 1}, {21, Z, 0}, {25, Z, 1}, {25, QUIT, 1}}, "0x20 1x5 2x1"}});
}

std::vector<sd::Key> toMenuThen(std::vector<sd::Key> more) {
    more.insert(more.begin(), {{20, Z, 1}, {21, Z, 0}, {22, Z, 1}, {23, Z, 0}, {24, Z, 1}, {25, Z, 0}});
    return more;
}

TEST(Title, TheMenuStartsAGameOnAFreshPressAndShowsAgainWhenItReturns) {
    tell({{"a fourth press starts a game; a window close ends only the game; Z held over its end starts "
           "nothing; a new press starts another",
           toMenuThen({{26, Z, 1}, {40, QUIT, 1}, {45, Z, 0}, {47, Z, 1}, {60, QUIT, 1}, {70, QUIT, 1}}),
           "0x20 1x2 2x2 3x2 gx15 3x6 gx14 3x10"},
          {"a window close with a fresh Z on the menu starts a game; the program ends after it",
           toMenuThen({{30, Z, 1}, {30, QUIT, 1}, {40, QUIT, 1}}), "0x20 1x2 2x2 3x6 gx11 3x1"},
          {"Escape that left a game and is let go within 200 ms changes nothing",
           toMenuThen({{26, Z, 1}, {27, Z, 0}, {40, ESC, 1}, {50, ESC, 0}, {70, QUIT, 1}}),
           "0x20 1x2 2x2 3x2 gx15 3x30"}});
}

}  // namespace
