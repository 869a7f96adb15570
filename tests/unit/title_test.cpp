// The frame pacer and the title loop: pages, the latch of the strike keys,
// the 200 ms guard, window close, and games started from the menu page.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "screens.h"
#include "sdl_double.h"

int marrowick_main(int, char*[]);

namespace sd = sdldouble;

namespace {

const Uint32 kDelay[3] = {16, 17, 17};
const int Z = SDLK_z, Y = SDLK_y, ESC = SDLK_ESCAPE, QUIT = 0;

TEST(TitlePacer, FramesStart16_17_17ApartAfterASlowFrameAndAcrossTheWrap) {
    for (Uint32 start : {1000u, 0xFFFFFFFFu - 40}) {
        sd::reset();
        sd::setticks(start);
        Pacer p = newpacer;
        p.lastframetime = SDL_GetTicks();
        for (int f = 0; f < 12; ++f) {
            Uint32 before = p.lastframetime;
            if (f == 4) sd::spend(40);  // the frame overruns: the next follows at once
            pacerstep(p);
            EXPECT_EQ(p.lastframetime - before, f == 4 ? 40u : kDelay[f % 3]) << start << " frame " << f;
        }
    }
}

struct Step { int flip, sym; bool down; };  // sym QUIT: a window-close event
struct Story { const char* title; std::vector<Step> script; const char* timeline; size_t games; };

// Runs the whole program on a script of input by frame. Its timeline has one
// letter per presented frame: the page 0..3 drawn alone at (0,0), or g for a
// game frame; "0x3 1x2" stands for "00011".
class Title : public testing::Test {
protected:
    std::string out;
    void run(const std::vector<Step>& script) {
        sd::reset();
        sd::maxflips(400);  // a loop that never ends is stopped early
        for (const Step& s : script)
            sd::atflip(s.flip, [s] { s.sym == QUIT ? sd::pushquit() : sd::key(s.sym, s.down); });
        char name[] = "marrowick";
        char* argv[] = {name, nullptr};
        testing::internal::CaptureStdout();
        EXPECT_EQ(marrowick_main(1, argv), 0);
        out = testing::internal::GetCapturedStdout();
    }
    static std::string timeline() {
        static const std::map<std::string, char> page = {
            {"s1.png", '0'}, {"s2.png", '1'}, {"s3.png", '2'}, {"menu.png", '3'}};
        std::string t;
        for (int f = 0; f < sd::flips(); ++f) {
            const auto& d = sd::drawn(f);
            bool alone = d.size() == 1 && page.count(d[0].image) && d[0].x == 0 && d[0].y == 0 && d[0].srcwhole;
            t += alone ? page.at(d[0].image) : !d.empty() && d[0].image == "bg.png" ? 'g' : '?';
        }
        return t;
    }
    void tell(const Story& s) {
        SCOPED_TRACE(s.title);
        run(s.script);
        std::istringstream plan(s.timeline);
        std::string want, part;
        while (plan >> part) want += std::string(std::stoul(part.substr(2)), part[0]);
        EXPECT_EQ(timeline(), want);
        auto games = sd::recordsmatching("Mix_Volume(0,38)");  // a game's set-up
        EXPECT_EQ(games.size(), s.games);
        EXPECT_TRUE(out.size() > 13 && out.substr(out.size() - 13) == "\nfree data...") << out;
        // Title frames start 16, 17, 17 ms apart from tick 0 until a game starts;
        // the menu frame drawn when a game returns waits for nothing.
        std::vector<Uint32> t;
        for (auto& r : sd::recordsmatching("SDL_Flip")) t.push_back(r.tick);
        EXPECT_EQ(t[0], 0u);
        for (size_t f = 0; f + 1 < (games.empty() ? t.size() : games[0].flip + 1u); ++f)
            EXPECT_EQ(t[f + 1] - t[f], kDelay[f % 3]) << "after frame " << f;
        for (auto& end : sd::recordsmatching("Mix_HaltMusic"))
            if (end.flip + 1 < static_cast<int>(t.size())) {
                EXPECT_EQ(t[end.flip + 1], t[end.flip]);
            }
    }
};

// Frame f of the title starts at 50 * f / 3 ms: frame 12 at 200, frame 13 at 216.
TEST_F(Title, EachFreshPressOfZOrYTurnsOnePage) {
    for (const Story& s : std::vector<Story>{
             {"Z held from the start turns page 0 once more than 200 ms have passed, page 1 after a new press",
              {{0, Z, 1}, {40, Z, 0}, {45, Z, 1}, {50, QUIT, 1}}, "0x13 1x32 2x6", 0},
             {"a tap of Y turns one page", {{20, Y, 1}, {22, Y, 0}, {30, QUIT, 1}}, "0x20 1x11", 0},
             {"Z held for over two seconds turns one page; 180 frames take three seconds",
              {{20, Z, 1}, {180, QUIT, 1}}, "0x20 1x161", 0},
             {"Z down, up, down in successive frames turns two pages",
              {{20, Z, 1}, {21, Z, 0}, {22, Z, 1}, {25, QUIT, 1}}, "0x20 1x2 2x4", 0},
             {"Z and Y held together count once and releasing only one does not re-arm",
              {{20, Z, 1}, {20, Y, 1}, {22, Y, 0}, {24, Y, 1}, {26, Z, 0}, {28, Y, 0}, {30, Z, 1}, {33, QUIT, 1}},
              "0x20 1x10 2x4", 0}})
        tell(s);
}

TEST_F(Title, EscapeAfter200MsOrAWindowCloseEndsTheProgram) {
    for (const Story& s : std::vector<Story>{
             {"Escape let go at 200 ms is ignored", {{0, ESC, 1}, {12, ESC, 0}, {20, QUIT, 1}}, "0x21", 0},
             {"Escape held past 200 ms ends the program", {{0, ESC, 1}}, "0x14", 0},
             {"closing the window on page 0 ends the program", {{5, QUIT, 1}}, "0x6", 0},
             {"closing the window with a fresh Z on page 1 shows page 2 and ends the program",
              {{20, Z, 1}, {21, Z, 0}, {25, Z, 1}, {25, QUIT, 1}}, "0x20 1x5 2x1", 0}})
        tell(s);
}

std::vector<Step> toMenuThen(std::vector<Step> more) {
    more.insert(more.begin(), {{20, Z, 1}, {21, Z, 0}, {22, Z, 1}, {23, Z, 0}, {24, Z, 1}, {25, Z, 0}});
    return more;
}

TEST_F(Title, TheMenuStartsAGameOnAFreshPressAndShowsAgainWhenItReturns) {
    for (const Story& s : std::vector<Story>{
             {"a fourth press starts a game; closing the window ends only the game; Z held over its end "
              "starts nothing; a new press starts another",
              toMenuThen({{26, Z, 1}, {40, QUIT, 1}, {45, Z, 0}, {47, Z, 1}, {60, QUIT, 1}, {70, QUIT, 1}}),
              "0x20 1x2 2x2 3x2 gx15 3x6 gx14 3x10", 2},
             {"closing the window with a fresh Z on the menu starts a game; the program ends after it",
              toMenuThen({{30, Z, 1}, {30, QUIT, 1}, {40, QUIT, 1}}), "0x20 1x2 2x2 3x6 gx11 3x1", 1},
             {"Escape that left a game is ignored for 200 ms after it, then ends the program",
              toMenuThen({{26, Z, 1}, {27, Z, 0}, {40, ESC, 1}}), "0x20 1x2 2x2 3x2 gx15 3x15", 1},
             {"Escape that left a game and is let go within 200 ms changes nothing",
              toMenuThen({{26, Z, 1}, {27, Z, 0}, {40, ESC, 1}, {50, ESC, 0}, {70, QUIT, 1}}),
              "0x20 1x2 2x2 3x2 gx15 3x30", 1}})
        tell(s);
}

}  // namespace
