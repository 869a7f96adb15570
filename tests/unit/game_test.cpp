// The game loop, frame by frame: game() runs on the SDL double right after
// load(), so game frame f is the picture of flip f, and the tests script keys
// and chance per frame and read back what each frame drew and played.
#include "sdl_double.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iostream>
#include <string>
#include <tuple>
#include <vector>

#include "game.h"
#include "media.h"

namespace sd = sdldouble;
using Ints = std::vector<int>;
using Texts = std::vector<std::string>;

namespace {

std::vector<sd::Draw> draws(int f, const std::string& image, int x = -1) {
    std::vector<sd::Draw> out;
    for (const sd::Draw& d : sd::drawn(f))
        if (d.image == image && (x == -1 || d.x == x)) out.push_back(d);
    return out;
}

std::string show(const sd::Draw& d) {
    return d.image + " " + std::to_string(d.x) + "," + std::to_string(d.y);
}
std::string scene(int f) {
    std::string out;
    for (const sd::Draw& d : sd::drawn(f)) out += (out.empty() ? "" : " ") + show(d);
    return out;
}

const sd::Draw& figure(int f) {
    for (const sd::Draw& d : sd::drawn(f))
        if (d.image == "char1.png" || d.image == "char2.png") return d;
    static const sd::Draw none{"none", -1, -1, -1, true, {}};
    return none;
}
int figx(int f) { return figure(f).x; }
int heady(int f) { return draws(f, "hammer2.png").at(0).y; }
int below(int f, const std::string& image, int y) {
    const std::vector<sd::Draw> all = draws(f, image);
    return std::count_if(all.begin(), all.end(), [y](const sd::Draw& d) { return d.y <= y; });
}
int newdrops(int f) { return below(f, "rain.png", -12); }  // drops falling 3 px a frame
// The hop a hit in frame f starts, read once the hop is over.
int hop(int f) { return figx(f + 70) - figx(f - 1); }

Ints flipsof(const std::string& call) {
    Ints out;
    for (const sd::Call& c : sd::recordsmatching(call)) out.push_back(c.flip);
    return out;
}

void at(int f, std::function<void()> fn) { sd::atflip(f, std::move(fn)); }
void press(int f, int key) { at(f, [key] { sd::key(key, true); }); }
void release(int f, int key) { at(f, [key] { sd::key(key, false); }); }
void tap(int f) {
    press(f, SDLK_z);
    release(f + 1, SDLK_z);
}
// Inside a pause, where no frame passes: ms after the current tick.
void later(Uint32 ms, std::function<void()> fn) { sd::attick(sd::ticks() + ms, std::move(fn)); }

// Meteors at difficulty 2, each queued at the start of its spawn frame as its
// three draws: x, speed class (0, 5, 9 give speeds 1, 2, 3) and the spacing
// draw that brings the next one. After the list a speed-1 meteor comes every
// 120 frames, so nothing unplanned reaches the hit window for 545 frames.
struct Meteor {
    int frame, speed, x;
};
void tail(int f) {
    at(f, [f] {
        for (int v : {0, 0, 9}) sd::pushrand(v);
        tail(f + 120);
    });
}
void meteors(const std::vector<Meteor>& list) {
    for (std::size_t i = 0; i < list.size(); ++i) {
        Meteor m = list[i];
        int next = i + 1 < list.size() ? list[i + 1].frame : m.frame + 120;
        at(m.frame, [m, next] {
            for (int v : {m.x - 10, Ints{0, 5, 9}[m.speed - 1], (next - m.frame - 30) / 10}) sd::pushrand(v);
        });
    }
    tail(list.back().frame + 120);
}

// Every chance draw 0: a speed-1 meteor at x 10 every 30 frames from frame 60,
// every drop at x 2 falling 3 px a frame. The player lets the first `skip`
// meteors fall, strikes each later one `late` frames into its window (which
// opens in frame 485 + 30k) and the game is stopped after frame `until`.
void walk(int skip, int late, int until) {
    for (int i = 0; i < 100000; ++i) sd::pushrand(0);
    for (int f = 485 + 30 * skip + late; f < until; f += 30) tap(f);
    sd::maxflips(until);
}

const Texts setupcalls{"Mix_Volume(0,38)", "Mix_Volume(1,128)", "Mix_VolumeMusic(38)",
                       "Mix_PlayMusic(bg.ogg,1)", "Mix_PlayChannelTimed(0,rain.ogg,0,-1)"};
const std::string startscene = "bg.png 0,0 char1.png 75,410 hammer1.png 597,355 hammer2.png 608,330";

class GameTest : public ::testing::Test {
protected:
    void SetUp() override {
        sd::reset();
        ::testing::internal::CaptureStdout();
        load();
        ::testing::internal::GetCapturedStdout();
        diff = 2;
        screen = SDL_SetVideoMode(640, 480, 16, SDL_HWSURFACE | SDL_DOUBLEBUF);
        sd::clearcalls();
    }
};
template <class Row>
class GameTable : public GameTest, public ::testing::WithParamInterface<Row> {};

// ---- set-up, end, restart, pause ---------------------------------------

TEST_F(GameTest, SetUpCallsThenFrameZeroShowsTheStartingScene) {
    sd::pushrand(640);  // frame 0's drop: x 640 % 636 + 2 = 6,
    sd::pushrand(4);    // speed 4 % 3 + 3 = 4, so drawn at -11
    sd::maxflips(0);
    game();
    Texts expected = setupcalls;
    expected.insert(expected.end(), {"Mix_HaltChannel(-1)", "Mix_HaltMusic"});
    EXPECT_EQ(sd::callsmatching("Mix_"), expected);
    EXPECT_EQ(sd::flips(), 1);
    EXPECT_EQ(scene(0), startscene + " rain.png 6,-11");
}

class GameEnd : public GameTable<bool> {};
TEST_P(GameEnd, FrameThirtyIsFinishedDrawnAndPacedThenTheSoundStops) {
    bool escape = GetParam();
    at(30, [escape] { escape ? sd::key(SDLK_ESCAPE, true) : sd::pushquit(); });
    game();
    EXPECT_EQ(sd::flips(), 31);
    const Texts calls = sd::calls();
    EXPECT_EQ(Texts(calls.end() - 3, calls.end()),
              (Texts{"SDL_Flip", "Mix_HaltChannel(-1)", "Mix_HaltMusic"}));
    EXPECT_GE(sd::records().back().tick - sd::recordsmatching("SDL_Flip").back().tick, 10u);
}
INSTANTIATE_TEST_SUITE_P(Game, GameEnd, ::testing::Values(true, false));

TEST_F(GameTest, SecondGameStartsFromTheBeginning) {
    walk(0, 0, 1200);  // by frame 1200: figure at 168, level 2, head down, meteors falling
    game();
    ASSERT_GE(figx(1200), 151);
    sd::key(SDLK_ESCAPE, false);
    const int base = sd::flips();
    sd::clearcalls();
    sd::maxflips(base + 2);
    game();
    const Texts calls = sd::calls();
    EXPECT_EQ(Texts(calls.begin(), calls.begin() + 5), setupcalls);
    EXPECT_EQ(scene(base), startscene + " rain.png 2,-12");
    EXPECT_EQ(newdrops(base + 1) + newdrops(base + 2), 2) << "level 0 again: one drop a frame";
}

TEST_F(GameTest, PauseStopsTheFrameCountAndNeedsPReleasedBeforeTheNext) {
    // Frame 400: P pauses; let go and pressed again 3 s later it resumes, and
    // it stays held till frame 405. Frame 410: a pause that a window close ends.
    at(400, [] {
        sd::key(SDLK_p, true);
        later(100, [] { sd::key(SDLK_p, false); });
        later(3000, [] { sd::key(SDLK_p, true); });
    });
    release(405, SDLK_p);
    at(410, [] {
        sd::key(SDLK_p, true);
        later(100, [] { sd::key(SDLK_p, false); });
        later(2000, [] { sd::pushquit(); });
    });
    at(960, [] { sd::pushquit(); });
    game();
    EXPECT_EQ(flipsof("SDL_Delay(500)"), (Ints{400, 410}));
    EXPECT_EQ(sd::flips(), 961) << "nothing drawn while paused; the second close ends the game";
    const auto flip = sd::recordsmatching("SDL_Flip");
    EXPECT_GE(flip[400].tick - flip[399].tick, 3000u);
    EXPECT_GE(flip[410].tick - flip[409].tick, 2000u);
    // The hammer keeps its frame times: rise from 420, top at 891, fall from 951.
    EXPECT_EQ((Ints{heady(419), heady(420), heady(950), heady(951)}), (Ints{378, 377, 330, 331}));
}

TEST_F(GameTest, EscapeDuringAPauseEndsTheGameInTheFrameAfterIt) {
    sd::key(SDLK_p, true);  // held at the start: frame 0 pauses
    sd::attick(100, [] {
        sd::key(SDLK_p, false);
        sd::key(SDLK_ESCAPE, true);
    });
    sd::attick(2000, [] { sd::key(SDLK_p, true); });
    game();
    EXPECT_EQ(flipsof("SDL_Delay(500)"), Ints{0});
    EXPECT_EQ(sd::flips(), 2);
    EXPECT_GE(sd::recordsmatching("SDL_Flip")[0].tick, 2000u);
}

// ---- strikes --------------------------------------------------------------

TEST_F(GameTest, StrikeNeedsBothKeysSeenUpBeforeEachPress) {
    sd::key(SDLK_z, true);  // held from the start, as when the game was begun
    press(10, SDLK_y);
    release(20, SDLK_z);
    release(30, SDLK_y);  // both up: armed
    press(40, SDLK_z);    // strikes
    press(50, SDLK_y);    // Z still held: no strike
    at(60, [] { sd::key(SDLK_z, false); sd::key(SDLK_y, false); });
    press(70, SDLK_y);    // strikes
    sd::maxflips(80);
    game();
    EXPECT_EQ(flipsof("Mix_PlayChannelTimed(-1,wrongjump.ogg,0,-1)"), (Ints{40, 70}));
}

// One meteor (x 300) from frame 60, of speed 1, 2 or 3, struck `after` frames later.
using IIB = std::tuple<int, int, bool>;
class GameWindow : public GameTable<IIB> {};
TEST_P(GameWindow, StrikeHitsOnlyBetween385And405) {
    const auto [speed, after, hit] = GetParam();
    const int strike = 60 + after, missed = 60 + Ints{445, 222, 148}[speed - 1];
    meteors({{60, speed, 300}});
    tap(strike);
    sd::maxflips(std::max(strike + 31, missed + 1));
    game();
    ASSERT_EQ(draws(strike - 1, "meteor1.png", 300).size(), 1u);
    const int y = draws(strike - 1, "meteor1.png", 300)[0].y;
    EXPECT_EQ(y, -40 + speed * after);
    if (hit) {
        for (int f : {strike, strike + 29}) {
            ASSERT_EQ(draws(f, "meteor2.png").size(), 1u) << f;
            EXPECT_EQ(draws(f, "meteor2.png")[0].y, y) << f;
        }
        EXPECT_TRUE(draws(strike + 30, "meteor2.png").empty());
        EXPECT_TRUE(flipsof("Mix_PlayChannelTimed(-1,missed").empty());
        EXPECT_TRUE(flipsof("Mix_PlayChannelTimed(-1,wrongjump").empty());
    } else {
        EXPECT_EQ(flipsof("Mix_PlayChannelTimed(-1,wrongjump.ogg,0,-1)"), Ints{strike});
        EXPECT_EQ(flipsof("Mix_PlayChannelTimed(-1,missed.ogg,0,-1)"), Ints{missed});
        EXPECT_EQ(draws(missed - 1, "meteor1.png", 300).size(), 1u);
        EXPECT_TRUE(draws(missed, "meteor1.png", 300).empty());
    }
}
INSTANTIATE_TEST_SUITE_P(Game, GameWindow,
                         ::testing::Values(IIB{1, 424, false}, IIB{1, 425, true}, IIB{1, 445, true},
                                           IIB{2, 212, false}, IIB{2, 213, true}, IIB{2, 222, true},
                                           IIB{3, 141, false}, IIB{3, 142, true}, IIB{3, 148, true}));

TEST_F(GameTest, HopTimeline) {
    // Hit in 485 (combo 11: 6 px); a strike in 490 finds only the struck
    // meteor; a hit in 520 falls inside the hop and changes nothing.
    meteors({{60, 1, 100}, {90, 1, 200}});
    for (int f : {485, 490, 520}) tap(f);
    sd::maxflips(600);
    game();
    EXPECT_EQ(flipsof("Mix_PlayChannelTimed(-1,wrongjump.ogg,0,-1)"), Ints{490});
    ASSERT_EQ(draws(520, "meteor2.png").size(), 1u);
    EXPECT_EQ(draws(520, "meteor2.png")[0].x, 200);
    Texts moves;
    for (int f = 480; f <= 600; ++f) {
        const sd::Draw &now = figure(f), &was = figure(f - 1);
        if (now.x != was.x || now.y != was.y || now.image != was.image)
            moves.push_back(std::to_string(f) + " " + show(now));
    }
    EXPECT_EQ(moves, (Texts{"485 char2.png 75,410", "493 char2.png 76,410", "495 char2.png 76,409",
                            "502 char2.png 77,409", "505 char2.png 77,408", "510 char2.png 78,408",
                            "515 char1.png 78,407", "519 char1.png 79,407", "527 char1.png 80,407",
                            "535 char1.png 80,408", "536 char1.png 81,408", "545 char1.png 81,409",
                            "555 char1.png 81,410"}));
}

// `wrongs` wrong strikes in frames 100, 110, ... and maybe a speed-3 meteor
// missed in frame 208 come before the first hit; its hop shows the combo left.
using IBI = std::tuple<int, bool, int>;
class GamePenalty : public GameTable<IBI> {};
TEST_P(GamePenalty, WrongStrikesAndMissesCostFiveDownToFive) {
    const auto [wrongs, miss, distance] = GetParam();
    meteors(miss ? std::vector<Meteor>{{60, 3, 100}, {90, 1, 200}} : std::vector<Meteor>{{60, 1, 200}});
    const int hit = miss ? 515 : 485;
    Ints wrong;
    for (int i = 0; i < wrongs; ++i) wrong.push_back(100 + 10 * i);
    for (int f : wrong) tap(f);
    tap(hit);
    sd::maxflips(hit + 71);
    game();
    EXPECT_EQ(flipsof("Mix_PlayChannelTimed(-1,wrongjump.ogg,0,-1)"), wrong);
    EXPECT_EQ(flipsof("Mix_PlayChannelTimed(-1,missed.ogg,0,-1)"), miss ? Ints{208} : Ints{});
    EXPECT_EQ(hop(hit), distance);
}
INSTANTIATE_TEST_SUITE_P(Game, GamePenalty,
                         ::testing::Values(IBI{0, false, 6}, IBI{1, false, 3}, IBI{2, false, 3},
                                           IBI{0, true, 3}, IBI{1, true, 3}));

// `leading` hits from frame 485 raise the combo from 10; in frame 583 one
// strike hits a speed-1 meteor (x 100) and a speed-2 one (x 200); a hit in
// 635 falls inside that hop; a hit in 695 starts the next.
class GameDouble : public GameTable<std::tuple<int, int, int>> {};
TEST_P(GameDouble, TwoMeteorsInOneStrike) {
    const auto [leading, twohop, nexthop] = GetParam();
    std::vector<Meteor> list;
    for (int i = 0; i < leading; ++i) {
        list.push_back({60 + 30 * i, 1, 300});
        tap(485 + 30 * i);
    }
    list.insert(list.end(), {{150, 1, 100}, {210, 1, 300}, {270, 1, 300}, {370, 2, 200}});
    meteors(list);
    for (int f : {583, 635, 695}) tap(f);
    sd::maxflips(766);
    game();
    const std::vector<sd::Draw> hit = draws(583, "meteor2.png");
    ASSERT_EQ(hit.size(), 2u);
    EXPECT_EQ((Ints{hit[0].x, hit[0].y, hit[1].x, hit[1].y}), (Ints{100, 393, 200, 386}));
    EXPECT_EQ(hop(485), 6);
    EXPECT_EQ(hop(583), twohop);
    EXPECT_EQ(hop(695), nexthop);
    EXPECT_TRUE(sd::callsmatching("Mix_PlayChannelTimed(-1,wrongjump").empty());
}
// From 11 the second hit makes 13, the 635 hit 14 and 695 15: 9 px only if
// both hits counted. From 13 the pair hops 3 x (14 / 5) = 6 px, taken after
// the first hit and kept through the 635 hit (16 would make 9).
INSTANTIATE_TEST_SUITE_P(Game, GameDouble, ::testing::Values(std::tuple{1, 6, 9}, std::tuple{3, 6, 9}));

// ---- spawning and rain -------------------------------------------------------

// At frame 60 the queue holds x 563 (x 13), the speed class, the spacing
// draw, then x 700 (x 66) and speed 1 (4) for that frame's drop.
class GameSpawn : public GameTable<std::tuple<int, int, int, int, int>> {};
TEST_P(GameSpawn, FirstMeteorAtFrameSixty) {
    const auto [difficulty, speedclass, spacing, firsty, second] = GetParam();
    diff = difficulty;
    at(60, [c = speedclass, s = spacing] {
        for (int v : {563, c + 20, s, 700, 1}) sd::pushrand(v);
    });
    sd::maxflips(second + 1);
    game();
    EXPECT_TRUE(draws(59, "meteor1.png").empty());
    const std::vector<sd::Draw> first = draws(60, "meteor1.png");
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ((Ints{first[0].x, first[0].y}), (Ints{13, firsty}));
    EXPECT_EQ(sd::drawn(60).at(4).image, "meteor1.png") << "over the hammer, under the rain";
    const sd::Draw drop = draws(60, "rain.png").back();
    EXPECT_EQ((Ints{drop.x, drop.y}), (Ints{66, -11}));
    int next = 63;  // after 62 only a new meteor is drawn above -36
    while (next <= second && below(next, "meteor1.png", -37) == 0) ++next;
    EXPECT_EQ(next, second);
}
using S = std::tuple<int, int, int, int, int>;  // difficulty, class draw, spacing draw, first y, next frame
INSTANTIATE_TEST_SUITE_P(Game, GameSpawn,
                         ::testing::Values(S{1, 3, 25, -39, 220}, S{1, 8, 13, -38, 100}, S{1, 9, 1, -37, 110},
                                           S{2, 2, 19, -39, 180}, S{2, 3, 0, -38, 90}, S{2, 8, 5, -37, 140},
                                           S{3, 2, 6, -39, 140}, S{3, 5, 7, -38, 80}, S{3, 6, 13, -37, 140}));

// Frame 0's drop (x 1000 % 636 + 2 = 366) is slot 0, drawn first while it lives.
// Rows: speed, last frame drawn, last y.
class GameDrop : public GameTable<std::tuple<int, int, int>> {};
TEST_P(GameDrop, DropFallsToTheGround) {
    const auto [speed, lastframe, lasty] = GetParam();
    sd::pushrand(1000);
    sd::pushrand(speed - 3 + 30);
    sd::maxflips(lastframe + 1);
    game();
    ASSERT_EQ(draws(0, "rain.png").size(), 1u);
    EXPECT_EQ(draws(0, "rain.png")[0].y, -15 + speed);
    const sd::Draw last = draws(lastframe, "rain.png")[0], gone = draws(lastframe + 1, "rain.png")[0];
    EXPECT_EQ((Ints{last.x, last.y}), (Ints{366, lasty}));
    EXPECT_FALSE(gone.x == 366 && gone.y == lasty + speed);
}
INSTANTIATE_TEST_SUITE_P(Game, GameDrop,
                         ::testing::Values(std::tuple{3, 140, 408}, std::tuple{4, 105, 409},
                                           std::tuple{5, 84, 410}));

// ---- the figure near the hammer --------------------------------------------

// Walks into frame 3083, the fourth landing (after 240, 1187 and 2135).
// Rows: skip, late, Escape in 3083, x in due frame 2340, last spawn, x in 3083, game over.
using W = std::tuple<int, int, bool, int, int, int, bool>;
class GameWalk : public GameTable<W> {};
TEST_P(GameWalk, SpawningEndsAt565AndTheHammerCrushesBeyondIt) {
    const auto [skip, late, escape, x2340, lastspawn, x3083, over] = GetParam();
    walk(skip, late, 3090);
    if (escape) press(3083, SDLK_ESCAPE);
    game();
    EXPECT_EQ(flipsof("Mix_PlayChannelTimed(-1,hammer.ogg,0,-1)"), (Ints{240, 1187, 2135, 3083}));
    EXPECT_EQ(figx(2340), x2340);
    int last = 3083;
    while (below(last, "meteor1.png", -39) == 0) --last;
    EXPECT_EQ(last, lastspawn);
    EXPECT_EQ(figx(3083), x3083);
    if (!over) {
        EXPECT_TRUE(sd::callsmatching("Mix_PlayChannelTimed(-1,gameover").empty());
        EXPECT_EQ(sd::flips(), 3091);
        return;
    }
    // After frame 3083 is shown: the game-over picture, six quiet seconds, out.
    Texts after;
    for (const sd::Call& c : sd::records())
        if (c.flip > 3083) after.push_back(c.text);
    ASSERT_EQ(after, (Texts{"Mix_HaltChannel(0)", "Mix_HaltChannel(1)",
                            "Mix_PlayChannelTimed(-1,gameover.ogg,0,-1)", "Mix_FadeOutMusic(3000)",
                            "SDL_Flip", "SDL_Delay(6000)", "Mix_HaltChannel(-1)", "Mix_HaltMusic"}));
    EXPECT_EQ(scene(3084), "gameover.png 0,0");
    EXPECT_LE(sd::records().back().tick - sd::recordsmatching("SDL_Delay(6000)")[0].tick, 1u) << "no wait";
}
INSTANTIATE_TEST_SUITE_P(
    Game, GameWalk,
    // The first figure passes 565 while the hammer rests and is struck at the next landing.
    ::testing::Values(W{0, 0, false, 565, 2310, 580, true},
                      W{0, 1, false, 564, 2340, 580, true}, W{19, 16, false, 277, 3060, 566, true},
                      W{19, 17, false, 277, 3060, 565, false}, W{19, 16, true, 277, 3060, 566, true}));

TEST_F(GameTest, RainAndSoundRiseWithTheFigure) {
    walk(0, 0, 3090);
    at(1000, [] { sd::endmusic(); });
    at(1500, [] { sd::endchannel(0); });
    at(2000, [] { sd::endchannel(1); });  // no heartbeat yet: stays silent
    at(2600, [] { sd::endchannel(1); });
    game();
    auto first = [](int x) {
        int f = 0;
        while (f < sd::flips() && figx(f) <= x) ++f;
        return f;
    };
    // Level v comes in the first frame with x > 50 v + 50, and only then the volumes change.
    Texts expected{"0 Mix_Volume(0,38)", "0 Mix_Volume(1,128)", "0 Mix_VolumeMusic(38)"}, volumes;
    for (int v = 1; v <= 10; ++v) {
        const std::string f = std::to_string(first(50 * v + 50)), n = std::to_string(10 * v + 38);
        expected.insert(expected.end(), {f + " Mix_VolumeMusic(" + n + ")", f + " Mix_Volume(0," + n + ")"});
    }
    for (const sd::Call& c : sd::recordsmatching("Mix_Volume"))
        volumes.push_back(std::to_string(c.flip) + " " + c.text);
    EXPECT_EQ(volumes, expected);
    const int two = first(150), ten = first(550);
    EXPECT_EQ((Ints{newdrops(0), newdrops(two), newdrops(two + 1), newdrops(two + 2)}), (Ints{1, 1, 1, 2}));
    EXPECT_EQ((Ints{newdrops(ten + 1), newdrops(ten + 2)}), (Ints{5, 6}));
    EXPECT_EQ(flipsof("Mix_FadeInChannelTimed(1,heart.ogg,0,5000,-1)"), Ints{ten});
    EXPECT_EQ(flipsof("Mix_PlayChannelTimed(1,heart.ogg,0,-1)"), Ints{2600});
    EXPECT_EQ(flipsof("Mix_PlayMusic(bg.ogg,1)"), (Ints{0, 1000}));
    EXPECT_EQ(flipsof("Mix_PlayChannelTimed(0,rain.ogg,0,-1)"), (Ints{0, 1500}));
    // Six drops a frame fill the 800-slot ring in 134 frames: the slots a frame
    // restarts held drops at 384 or 387, short of the ground.
    const std::vector<sd::Draw> was = draws(2999, "rain.png"), now = draws(3000, "rain.png");
    ASSERT_EQ(now.size(), 800u);
    ASSERT_EQ(was.size(), 800u);
    Ints restarted;
    for (std::size_t i = 0; i < now.size(); ++i)
        if (now[i].y == -12) restarted.push_back(was[i].y == 384 || was[i].y == 387);
    EXPECT_EQ(restarted, Ints(6, 1));
    EXPECT_EQ((Ints{heady(0), heady(238), heady(239), heady(240)}), (Ints{330, 377, 378, 378}));
}

// ---- whole games -------------------------------------------------------------

// Presses Z whenever the last frame drew an unstruck meteor in 385..405, and
// lets go in the frame after.
class GamePlayer : public GameTable<int> {};
TEST_P(GamePlayer, PerfectPlayIsEndedByTheHammer) {
    diff = GetParam();
    int seen = -1;
    sd::onpoll([&seen] {
        const int f = sd::flips();
        if (f == seen) return;
        seen = f;
        bool due = false;
        for (const sd::Draw& d : draws(f - 1, "meteor1.png")) due = due || (d.y >= 385 && d.y <= 405);
        sd::key(SDLK_z, due && !sd::keydown(SDLK_z));
    });
    game();
    const auto over = sd::recordsmatching("Mix_PlayChannelTimed(-1,gameover.ogg");
    ASSERT_EQ(over.size(), 1u);
    const int end = over[0].flip - 1;
    EXPECT_TRUE(end == 240 || (end >= 1187 && (end - 1187) % 948 == 0)) << end;
    EXPECT_GT(figx(end), 565);
    EXPECT_TRUE(sd::callsmatching("Mix_PlayChannelTimed(-1,missed").empty());
    std::cout << "difficulty " << diff << ": game over in frame " << end << " (" << end / 3600.0 << " min)\n";
    RecordProperty("frames", end);
}
INSTANTIATE_TEST_SUITE_P(Game, GamePlayer, ::testing::Values(1, 2, 3));

}  // namespace
