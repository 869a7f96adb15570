// The game loop, frame by frame: game() runs on the double right after load(),
// so game frame f is the picture of flip f. The tests script keys and chance
// per frame and read back what each frame drew and played.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "game.h"
#include "media.h"
#include "sdl_double.h"

namespace {

using Ints = std::vector<int>;
using Texts = std::vector<std::string>;

// The program as it stands before its first game.
void fresh(int difficulty = 2) {
    sd::reset();
    testing::internal::CaptureStdout();
    load();
    testing::internal::GetCapturedStdout();
    diff = difficulty;
    screen = SDL_SetVideoMode(640, 480, 16, SDL_HWSURFACE | SDL_DOUBLEBUF);
    sd::clearcalls();
}
// A game till Escape and a window close end it in frame `until`.
void play(int until) {
    sd::maxflips(until);
    game();
}

Ints flipsof(const std::string& prefix) {
    Ints out;
    for (const sd::Call& c : sd::calls(prefix)) out.push_back(c.flip);
    return out;
}
std::string show(const sd::Draw& d) { return d.image + " " + std::to_string(d.x) + "," + std::to_string(d.y); }
std::string scene(int f) {
    std::string out;
    for (const sd::Draw& d : sd::drawn(f)) out += (out.empty() ? "" : " ") + show(d);
    return out;
}
// The y of each draw of `image` in frame f, at x only if x is given.
const int anyx = INT_MIN;
Ints ys(int f, const std::string& image, int x = anyx) {
    Ints out;
    for (const sd::Draw& d : sd::drawn(f, image))
        if (x == anyx || d.x == x) out.push_back(d.y);
    return out;
}
sd::Draw figure(int f) {
    const auto d = sd::drawn(f, "char");
    return d.empty() ? sd::Draw{"none", -1, -1} : d[0];
}
// The length of every hop that started by frame `to` - 70.
Ints hops(int to) {
    Ints out;
    for (int f = 1; f + 70 <= to; ++f)
        if (figure(f).image == "char2.png" && figure(f - 1).image == "char1.png")
            out.push_back(figure(f + 70).x - figure(f - 1).x);
    return out;
}
int count(const Ints& v, std::function<bool(int)> pred) { return std::count_if(v.begin(), v.end(), pred); }
int newdrops(int f) { return count(ys(f, "rain.png"), [](int y) { return y == -12; }); }  // drops of speed 3

void at(int f, std::function<void()> fn) { sd::atflip(f, std::move(fn)); }
using sd::keys;
void tap(int f) { keys({{f, SDLK_z, true}, {f + 1, SDLK_z, false}}); }

// Meteors at difficulty 2, each queued at the start of its spawn frame as its
// three draws: x, speed class (0, 5, 9 give speeds 1, 2, 3) and the spacing
// that brings the next. Every other draw is 0: after the list a speed-1 meteor
// at x 10 comes every 30 frames, the first in the hit window 545 frames after
// the last listed one came.
struct Meteor { int frame, speed, x; };
void meteors(const std::vector<Meteor>& list) {
    sd::pushrand(0, true);
    for (size_t i = 0; i < list.size(); ++i) {
        Meteor m = list[i];
        int next = i + 1 < list.size() ? list[i + 1].frame : m.frame + 120;
        at(m.frame, [m, next] {
            for (int v : {m.x - 10, Ints{0, 5, 9}[m.speed - 1], (next - m.frame - 30) / 10}) sd::pushrand(v);
        });
    }
}

// Every chance draw 0: a speed-1 meteor at x 10 every 30 frames from frame 60,
// in the hit window from 485 + 30 k to 505 + 30 k, and drops at x 2 falling
// 3 px a frame. The player strikes meteor k `late` frames into its window,
// from k = skip on.
void walk(int skip, int late, int until) {
    sd::pushrand(0, true);
    for (int f = 485 + 30 * skip + late; f < until; f += 30) tap(f);
}

const std::string wrong = "Mix_PlayChannelTimed(-1,wrongjump.ogg,0,-1)";
const std::string missed = "Mix_PlayChannelTimed(-1,missed.ogg,0,-1)";

// P pauses and Z or Y strikes only when seen up since its last press.
TEST(Game, PAndTheStrikeKeysActOncePerPressAndThePauseHoldsTheFrame) {
    fresh();
    sd::key(SDLK_z, true);  // held from the start, as when the game was begun
    keys({{10, SDLK_y, true}, {20, SDLK_z, false}, {30, SDLK_y, false},  // both up: armed
          {40, SDLK_z, true},                                             // strikes
          {50, SDLK_y, true},                                             // Z still held: no strike
          {60, SDLK_z, false}, {60, SDLK_y, false}, {70, SDLK_y, true}}); // strikes
    sd::key(SDLK_p, true);  // held from the start: frame 0 pauses; held on till frame 5 it does not pause again
    sd::attick(100, [] { sd::key(SDLK_p, false); });
    sd::attick(3000, [] { sd::key(SDLK_p, true); });
    keys({{5, SDLK_p, false}, {410, SDLK_p, true}});
    at(410, [] {  // Escape inside a pause, where no frame passes, waits for the frame after it
        sd::attick(sd::ticks() + 100, [] {
            sd::key(SDLK_p, false);
            sd::key(SDLK_ESCAPE, true);
        });
        sd::attick(sd::ticks() + 2000, sd::pushquit);
    });
    game();
    EXPECT_EQ(flipsof(wrong), (Ints{40, 70}));
    EXPECT_EQ(flipsof("SDL_Delay(500)"), (Ints{0, 410}));
    EXPECT_EQ(sd::flips(), 412);
    const auto flip = sd::calls("SDL_Flip");
    EXPECT_GE(flip[0].tick, 3000u);
    EXPECT_GE(flip[410].tick - flip[409].tick, 2000u);
}

TEST(Game, AStrikeHitsAMeteorOnlyWhileItIsIn385To405) {
    // A meteor at x 300 from frame 60 is drawn at -40 + speed * after in frame
    // 60 + after - 1 and struck in 60 + after; unstruck, it is gone past 405.
    struct { int speed, after; bool hit; } cases[] = {{1, 424, false}, {1, 425, true}, {1, 445, true},
                                                      {2, 212, false}, {2, 213, true}, {2, 222, true},
                                                      {3, 141, false}, {3, 142, true}, {3, 148, true}};
    for (auto c : cases) {
        fresh();
        const int strike = 60 + c.after, gone = 60 + Ints{445, 222, 148}[c.speed - 1], y = -40 + c.speed * c.after;
        meteors({{60, c.speed, 300}});
        tap(strike);
        play(std::max(strike + 31, gone + 1));
        SCOPED_TRACE(testing::Message() << "speed " << c.speed << " struck after " << c.after);
        EXPECT_EQ(ys(strike - 1, "meteor1.png", 300), Ints{y});
        EXPECT_EQ(ys(strike, "meteor2.png"), c.hit ? Ints{y} : Ints{});  // where it was struck, for 30 frames
        EXPECT_EQ(ys(strike + 29, "meteor2.png"), c.hit ? Ints{y} : Ints{});
        EXPECT_EQ(ys(strike + 30, "meteor2.png"), Ints{});
        EXPECT_EQ(flipsof(wrong), c.hit ? Ints{} : Ints{strike});
        EXPECT_EQ(flipsof(missed), c.hit ? Ints{} : Ints{gone});
        EXPECT_EQ(ys(gone, "meteor1.png", 300), Ints{});
    }
}

TEST(Game, HitsHopTheFigureAndRaiseTheStreakWhileWrongStrikesAndMissesCutIt) {
    // Meteor k of walk(): h struck as its window opens in 485 + 30 k, w the same
    // and again 5 frames later, finding only the struck meteor, x struck after a
    // wrong strike 7 frames before, . let fall; the meteor after the plan falls
    // through in 505 + 30 k. A hop starts 3 px per full 5 of the streak (from
    // 10): the hit in 485 hops 6 px in every plan. Hits within its 70 frames
    // only count; a wrong strike or a miss costs 5, down to 5.
    struct { const char* plan; Ints hops, wrongs, misses; } cases[] = {
        {"whh", {6}, {490}, {595}},                        // 11, 6, 7, 8
        {"hhhx", {6, 3}, {568}, {625}},                    // 11, 12, 13, 8 + 1
        {"hhhh.xhhhh", {6, 6, 3, 6}, {628}, {625, 805}}};  // 11 .. 14, 9, 4 is 5, 6 .. 10
    for (auto c : cases) {
        fresh();
        const int end = 485 + 30 * (std::string(c.plan).size() - 1) + 70;  // the last hop is over
        sd::pushrand(0, true);
        for (int k = 0; c.plan[k]; ++k) {
            if (c.plan[k] != '.') tap(485 + 30 * k);
            if (c.plan[k] == 'x') tap(478 + 30 * k);
            if (c.plan[k] == 'w') tap(490 + 30 * k);
        }
        play(end);
        SCOPED_TRACE(c.plan);
        EXPECT_EQ(hops(end), c.hops);
        EXPECT_EQ(flipsof(wrong), c.wrongs);
        EXPECT_EQ(flipsof(missed), c.misses);
        Texts moves;
        for (int f = 480; f <= 560; ++f)
            if (show(figure(f)) != show(figure(f - 1))) moves.push_back(std::to_string(f) + " " + show(figure(f)));
        EXPECT_EQ(moves, (Texts{"485 char2.png 75,410", "493 char2.png 76,410", "495 char2.png 76,409",
                                "502 char2.png 77,409", "505 char2.png 77,408", "510 char2.png 78,408",
                                "515 char1.png 78,407", "519 char1.png 79,407", "527 char1.png 80,407",
                                "535 char1.png 80,408", "536 char1.png 81,408", "545 char1.png 81,409",
                                "555 char1.png 81,410"}));
    }
}

TEST(Game, OneStrikeHitsTwoMeteorsAndTheHopTakesTheStreakAfterTheFirst) {
    // `leading` hits from frame 485; in 583 one strike hits a speed-1 meteor at
    // x 100 and a speed-2 one at x 200; a hit in 635 falls inside that hop; 695
    // starts the next, 9 px only if both hits counted. From 1 leading hit the
    // pair hops 3 x (12 / 5), from 3 it hops 3 x (14 / 5), not 3 x (15 / 5).
    for (int leading : {1, 3}) {
        fresh();
        std::vector<Meteor> list;
        for (int i = 0; i < leading; ++i) {
            list.push_back({60 + 30 * i, 1, 300});
            tap(485 + 30 * i);
        }
        list.insert(list.end(), {{150, 1, 100}, {210, 1, 300}, {270, 1, 300}, {370, 2, 200}});
        meteors(list);
        for (int f : {583, 635, 695}) tap(f);
        play(766);
        EXPECT_EQ(ys(583, "meteor2.png", 100), Ints{393});
        EXPECT_EQ(ys(583, "meteor2.png", 200), Ints{386});
        EXPECT_EQ(hops(766), (Ints{6, 6, 9})) << leading;
        EXPECT_EQ(flipsof(wrong), Ints{});
    }
}

TEST(Game, MeteorsComeFromFrame60WithTheSpeedsAndSpacingsOfTheDifficultysRow) {
    // Frame 60 draws the meteor's x (563: x 13), speed class and spacing, then
    // its drop's x (700: x 66) and speed (1: 4). A speed-s meteor is first drawn
    // at -40 + s, over the hammer and under the rain.
    const std::string speeds[] = {"1111222223", "1112222233", "1112223333"};
    for (int d = 1; d <= 3; ++d) {
        std::string got;
        for (int c = 0; c < 10; ++c) {
            fresh(d);
            at(60, [c] { for (int v : {563, c + 20, 0}) sd::pushrand(v); });
            play(60);
            got += std::to_string(40 + ys(60, "meteor1.png", 13).at(0));
        }
        EXPECT_EQ(got, speeds[d - 1]) << "speed by class draw at difficulty " << d;
    }
    struct { int diff, spacing, second; } cases[] = {{1, 13, 100}, {1, 25, 220}, {2, 10, 90},
                                                     {2, 19, 180}, {3, 7, 80},   {3, 13, 140}};
    for (auto c : cases) {
        fresh(c.diff);
        at(60, [c] { for (int v : {563, 0, c.spacing, 700, 1}) sd::pushrand(v); });
        play(c.second);
        EXPECT_EQ(show(sd::drawn(60).at(4)) + " " + show(sd::drawn(60).back()), "meteor1.png 13,-39 rain.png 66,-11");
        int next = 63;  // from 63 on only a meteor that has just come is drawn at -37 or higher up
        while (next <= c.second && !count(ys(next, "meteor1.png"), [](int y) { return y <= -37; })) ++next;
        EXPECT_EQ(next, c.second) << "difficulty " << c.diff << ", spacing draw " << c.spacing;
    }
}

TEST(Game, ADropFallsByItsSpeedTillItPassesTheGround) {
    // Frame 0's drop (x 1000 % 636 + 2 = 366) is slot 0, drawn first while it
    // lives; past the ground at 410 it is gone, not drawn lower nor where it
    // was put away.
    struct { int speed, lastframe, lasty; } cases[] = {{3, 140, 408}, {4, 105, 409}, {5, 84, 410}};
    for (auto c : cases) {
        fresh();
        sd::pushrand(1000);
        sd::pushrand(c.speed - 3 + 30);
        play(c.lastframe + 1);
        SCOPED_TRACE(c.speed);
        EXPECT_EQ(show(sd::drawn(0, "rain.png").at(0)), "rain.png 366," + std::to_string(c.speed - 15));
        EXPECT_EQ(show(sd::drawn(c.lastframe, "rain.png")[0]), "rain.png 366," + std::to_string(c.lasty));
        EXPECT_EQ(count(ys(c.lastframe + 1, "rain.png"), [](int y) { return y > 410; }), 0);
        EXPECT_EQ(ys(c.lastframe + 1, "rain.png", -1), Ints{});
    }
}

TEST(Game, SpawningEndsAt565AndTheHammerLandingCrushesAFigureBeyondIt) {
    // Walks into frame 3083, the fourth landing: x in the due frame 2340, the
    // last spawn, x in 3083, and whether the game is over.
    struct { int skip, late; bool escape; int x2340, lastspawn, x3083; bool over; } cases[] = {
        {0, 0, false, 565, 2310, 580, true},  // passes 565 while the hammer rests: struck at the next landing
        {0, 1, false, 564, 2340, 580, true},   {19, 16, false, 277, 3060, 566, true},
        {19, 17, false, 277, 3060, 565, false}, {19, 16, true, 277, 3060, 566, true}};
    for (auto c : cases) {
        fresh();
        walk(c.skip, c.late, 3090);
        if (c.escape) keys({{3083, SDLK_ESCAPE, true}});
        play(3090);
        SCOPED_TRACE(testing::Message() << "skip " << c.skip << " late " << c.late << " escape " << c.escape);
        EXPECT_EQ(flipsof("Mix_PlayChannelTimed(-1,hammer.ogg,0,-1)"), (Ints{240, 1187, 2135, 3083}));
        EXPECT_EQ(figure(2340).x, c.x2340);
        int last = 3083;
        while (last > 0 && !count(ys(last, "meteor1.png", 10), [](int y) { return y == -39; })) --last;
        EXPECT_EQ(last, c.lastspawn);
        EXPECT_EQ(figure(3083).x, c.x3083);
        EXPECT_EQ(sd::flips(), c.over ? 3085 : 3091);
        if (!c.over) continue;
        // After frame 3083 is shown: the game-over picture, six quiet seconds, out.
        Texts after;
        for (const sd::Call& call : sd::calls())
            if (call.flip > 3083) after.push_back(call.text);
        EXPECT_EQ(after, (Texts{"Mix_HaltChannel(0)", "Mix_HaltChannel(1)", "Mix_PlayChannelTimed(-1,gameover.ogg,0,-1)",
                                "Mix_FadeOutMusic(3000)", "SDL_Flip", "SDL_Delay(6000)", "Mix_HaltChannel(-1)",
                                "Mix_HaltMusic"}));
        EXPECT_EQ(scene(3084), "gameover.png 0,0");
        EXPECT_LE(sd::calls().back().tick - sd::calls().end()[-3].tick, 1u) << "no wait after the six seconds";
    }
}

// Then the next game sets up afresh: frame 0 shows the starting scene, at
// level 0's volumes and drops, paced as ever.
TEST(Game, RainAndSoundRiseWithTheFigureAndTheNextGameStartsAfresh) {
    fresh();
    walk(0, 0, 3090);
    at(1000, sd::endmusic);
    at(1500, [] { sd::endchannel(0); });
    at(2000, [] { sd::endchannel(1); });  // no heartbeat yet: stays silent
    at(2600, [] { sd::endchannel(1); });
    play(3090);
    Ints x;
    for (int f = 0; f < sd::flips(); ++f) x.push_back(figure(f).x);
    auto first = [&x](int beyond) {
        return int(std::find_if(x.begin(), x.end(), [=](int v) { return v > beyond; }) - x.begin());
    };
    // Level v comes in the first frame with x > 50 v + 50, and only then do the volumes change.
    Texts want{"0 Mix_Volume(0,38)", "0 Mix_Volume(1,128)", "0 Mix_VolumeMusic(38)"}, volumes;
    for (int v = 1; v <= 10; ++v) {
        const std::string f = std::to_string(first(50 * v + 50)), n = std::to_string(10 * v + 38);
        want.insert(want.end(), {f + " Mix_VolumeMusic(" + n + ")", f + " Mix_Volume(0," + n + ")"});
    }
    for (const sd::Call& c : sd::calls("Mix_Volume")) volumes.push_back(std::to_string(c.flip) + " " + c.text);
    EXPECT_EQ(volumes, want);
    const int two = first(150), ten = first(550);
    EXPECT_EQ((Ints{newdrops(0), newdrops(two), newdrops(two + 1), newdrops(two + 2)}), (Ints{1, 1, 1, 2}));
    EXPECT_EQ((Ints{newdrops(ten + 1), newdrops(ten + 2)}), (Ints{5, 6}));
    EXPECT_EQ(flipsof("Mix_FadeInChannelTimed(1,heart.ogg,0,5000,-1)"), Ints{ten});
    EXPECT_EQ(flipsof("Mix_PlayChannelTimed(1,heart.ogg,0,-1)"), Ints{2600});
    EXPECT_EQ(flipsof("Mix_PlayMusic(bg.ogg,1)"), (Ints{0, 1000}));
    EXPECT_EQ(flipsof("Mix_PlayChannelTimed(0,rain.ogg,0,-1)"), (Ints{0, 1500}));
    // Six drops a frame fill the 800-slot ring in 134 frames, before a drop
    // lands: the ring restarts drops still falling, and all 800 are drawn.
    EXPECT_EQ((Ints{int(ys(2999, "rain.png").size()), int(ys(3000, "rain.png").size()), newdrops(3000)}),
              (Ints{800, 800, 6}));

    const int base = sd::flips();
    sd::clearcalls();
    play(base + 2);
    Texts calls;
    for (const sd::Call& c : sd::calls("Mix_")) calls.push_back(c.text);
    EXPECT_EQ(calls, (Texts{"Mix_Volume(0,38)", "Mix_Volume(1,128)", "Mix_VolumeMusic(38)", "Mix_PlayMusic(bg.ogg,1)",
                            "Mix_PlayChannelTimed(0,rain.ogg,0,-1)", "Mix_HaltChannel(-1)", "Mix_HaltMusic"}));
    EXPECT_EQ(scene(base), "bg.png 0,0 char1.png 75,410 hammer1.png 597,355 hammer2.png 608,330 rain.png 2,-12");
    EXPECT_EQ(newdrops(base + 1) + newdrops(base + 2), 2) << "level 0 again: one drop a frame";
    const auto flip = sd::calls("SDL_Flip");
    EXPECT_EQ((Ints{int(flip[1].tick - flip[0].tick), int(flip[2].tick - flip[1].tick)}), (Ints{16, 17}));
}

}  // namespace
