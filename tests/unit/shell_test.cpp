// The program shell: start-up transcript and library order, fatal start-up
// failures, options.txt and arguments; and the sprites every screen draws with.
#include <SDL_image.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cfenv>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <set>
#include <tuple>

#include "media.h"
#include "sdl_double.h"
#include "sprite.h"

int marrowick_main(int, char*[]);

namespace sd = sdldouble;
namespace fs = std::filesystem;

namespace {

const char* const kPictures[] = {"s1",      "s2",      "menu",    "bg",       "char1", "char2", "meteor1",
                                 "meteor2", "hammer1", "hammer2", "gameover", "rain",  "s3"};
const char* const kSounds[] = {"hammer", "wrongjump", "missed", "gameover", "rain", "heart"};
const std::string kLoaded = "\ninit SDL...done\nloading graphics...done\nloading sounds...done";
char kName[] = "marrowick";
char* kNoArgs[] = {kName, nullptr};

// Each test runs in a fresh directory of its own, where options.txt is read;
// every run closes the window on the first title page.
class Shell : public testing::Test {
protected:
    fs::path home = fs::current_path(), dir;
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "marrowickXXXXXX").string();
        dir = mkdtemp(tmpl.data());
        fs::current_path(dir);
        fresh();
    }
    void TearDown() override { fs::current_path(home); fs::remove_all(dir); }
    void fresh() { sd::reset(); sd::atflip(0, sd::pushquit); diff = 2; }
    std::string run(char** argv = kNoArgs, int argc = 1) {
        testing::internal::CaptureStdout();
        EXPECT_EQ(marrowick_main(argc, argv), 0);
        return testing::internal::GetCapturedStdout();
    }
};

TEST_F(Shell, TheTranscriptNamesOnlyTheMissingSoundsRightAfterTheLoading) {
    const std::string S = "data/sounds/";
    struct { std::vector<std::string> missing; std::string errors; } cases[] = {
        {{}, ""},
        {{"data/graphics/s2.png", "data/graphics/s3.png", S + "bg.ogg"}, ""},
        {{S + "wrongjump.ogg", S + "rain.ogg"}, "error with chunk[1]error with chunk[4]"},
        {{S + "hammer.ogg", S + "wrongjump.ogg", S + "missed.ogg", S + "gameover.ogg", S + "rain.ogg", S + "heart.ogg"},
         "error with chunk[0]error with chunk[1]error with chunk[2]error with chunk[3]error with chunk[4]"
         "error with chunk[5]"}};
    for (auto& c : cases) {
        fresh();
        for (auto& m : c.missing) sd::missing(m);
        std::string out = run();
        std::string credit = out.substr(0, out.find('\n'));
        EXPECT_NE(credit.find("Marrowick"), std::string::npos) << credit;
        EXPECT_EQ(out, credit + kLoaded + c.errors + "\nstart game\n\nfree data...");
    }
}

TEST_F(Shell, LibrariesAreSetUpLoadedOpenedAndReleasedInOrder) {
    sd::settime(4242);
    sd::missing("data/graphics/bg.png");
    sd::missing("data/sounds/missed.ogg");
    run();
    // Empty slots (bg.png, missed.ogg) are handed on too, in their place.
    auto pic = [](int i) { return i == 3 ? std::string("null") : kPictures[i] + std::string(".png"); };
    auto snd = [](int i) { return i == 2 ? std::string("null") : kSounds[i] + std::string(".ogg"); };
    std::vector<std::string> want = {"SDL_Init(32)", "Mix_OpenAudio(22050,32784,1,2048)", "Mix_AllocateChannels(8)",
                                     "Mix_ReserveChannels(2)", "Mix_Volume(-1,128)", "Mix_Volume(0,128)",
                                     "Mix_Volume(1,128)", "Mix_VolumeMusic(128)", "srand(4242)"};
    for (auto p : kPictures) want.push_back(std::string("IMG_Load(data/graphics/") + p + ".png)");
    for (int i = 0; i < 6; ++i) {
        want.push_back(std::string("SDL_RWFromFile(data/sounds/") + kSounds[i] + ".ogg,rb)");
        want.push_back("Mix_LoadWAV_RW(" + snd(i) + ",1)");
    }
    want.insert(want.end(), {"Mix_LoadMUS(data/sounds/bg.ogg)", "SDL_SetVideoMode(640,480,16,0xc0000001)",
                             "SDL_WM_SetCaption(Marrowick,)", "SDL_ShowCursor(0)", "SDL_Flip", "Mix_FreeMusic(bg.ogg)"});
    for (int i = 0; i < 13; ++i) want.push_back("SDL_FreeSurface(" + pic(i) + ")");
    for (int i = 0; i < 6; ++i) want.push_back("Mix_FreeChunk(" + snd(i) + ")");
    want.insert(want.end(), {"Mix_CloseAudio", "SDL_Quit"});
    EXPECT_EQ(sd::calls(), want);
}

TEST_F(Shell, AFailedStartExitsWithStatus1AfterSayingWhyAndFreesNothing) {
    struct { void (*fail)(const char*); std::string tail; } cases[] = {
        {sd::failinit, "init SDLSDL_Init: no luck\n"},
        {sd::failaudio, "init SDL.OpenAudio: no luck\n"},
        {sd::failvideo, kLoaded + "\nstart game\nCan't set VideoMode: no luck\n"}};
    for (auto& c : cases) {
        std::fflush(stdout);
        EXPECT_EXIT((dup2(2, 1), c.fail("no luck"), marrowick_main(1, kNoArgs)),  // death tests read stderr
                    testing::ExitedWithCode(1),
                    testing::AllOf(testing::EndsWith(c.tail), testing::Not(testing::HasSubstr("free data"))));
    }
}

TEST_F(Shell, OptionsChooseAWindowByAFirstCharWAndADifficultyOnlyFrom1To3) {
    struct { const char* text; bool window; int diff; } cases[] = {
        {nullptr, false, 2}, {"w\n1", true, 1},   {"W\n3", false, 3},  {"w3", true, 2},    {"w 0x3", true, 3},
        {"w\n01", true, 1},  {"w\n010", true, 2}, {"w\n08", true, 2},   {"\nw\n1", false, 1}, {"", false, 2},
        {"w\r\n3", true, 3}, {"w\n4", true, 2},   {"w\n0", true, 2},    {"w\n-1", true, 2},
        {"w\n99999999999", true, 2}, {"w\n4294967297", true, 2}};  // 2^32 + 1: an int would wrap it to 1
    for (auto& c : cases) {
        fresh();
        if (c.text) std::ofstream("options.txt", std::ios::binary) << c.text;
        run();
        fs::remove("options.txt");
        std::string name = c.text ? testing::PrintToString(std::string(c.text)) : "no file";
        EXPECT_EQ(sd::videoflags(), c.window ? 0x40000001u : 0xC0000001u) << name;
        EXPECT_EQ(diff, c.diff) << name;
    }
}

TEST_F(Shell, ArgumentsChangeNothing) {
    std::ofstream("options.txt") << "w\n7";
    std::string plain = run();
    auto calls = sd::calls();
    fresh();
    char a1[] = "-f", a2[] = "3", a3[] = "--window", a4[] = "options.txt";
    char* argv[] = {kName, a1, a2, a3, a4, nullptr};
    EXPECT_EQ(run(argv, 5), plain);
    EXPECT_EQ(sd::calls(), calls);
    EXPECT_EQ(diff, 2);
}

class Sprite : public testing::Test {
protected:
    void SetUp() override {
        sd::reset();
        screen = SDL_SetVideoMode(640, 480, 16, 0);
        for (int i : {picchar1, picchar2, picmeteor1})
            surface[i] = IMG_Load((std::string("data/graphics/") + kPictures[i] + ".png").c_str());
    }
};

TEST_F(Sprite, PositionsReadTruncatedTowardZeroWhateverTheRoundingMode) {
    struct { int x, y; float dx, dy; int moves, wantx, wanty; } cases[] = {
        {75, 410, 0, 0, 0, 75, 410},   {0, 0, -0.7f, 0, 1, 0, 0},      {0, -40, 0, 0, 0, 0, -40},
        {0, -40, 0, -0.5f, 1, 0, -40}, {13, 0, -0.1f, 0, 1, 12, 0},    {0, 330, 0, -0.2f, 5, 0, 328},
        {0, 330, 0, 0.2f, 5, 0, 331}};
    for (int mode : {FE_TONEAREST, FE_DOWNWARD, FE_UPWARD, FE_TOWARDZERO})
        for (auto& c : cases) {
            CSprite s;
            s.setxy(c.x, c.y);
            for (int n = 0; n < c.moves; ++n) s.move(c.dx, c.dy);
            std::fesetround(mode);
            volatile int x = s.getx(), y = s.gety();
            std::fesetround(FE_TONEAREST);
            EXPECT_EQ(std::make_pair(int(x), int(y)), std::make_pair(c.wantx, c.wanty))
                << "mode " << mode << ", from " << c.x << "," << c.y << " moved " << c.moves << " times";
        }
}

TEST_F(Sprite, BlitDrawsTheWholePictureAtTheTruncatedPositionEvenWhenNotAlive) {
    CSprite s;
    s.setSurface(picmeteor1); s.setxy(13, -40); s.move(-0.1f, -0.5f); s.setalive(false);
    s.blit();
    s.blit();  // again after the library's clipping has rewritten the target
    ASSERT_EQ(sd::drawn(0).size(), 2u);
    for (auto& d : sd::drawn(0))
        EXPECT_EQ(std::make_tuple(d.image, d.x, d.y, d.srcwhole), std::make_tuple("meteor1.png", 12, -40, true));
    surface[picmeteor1] = nullptr;  // a picture that failed to load
    s.blit();
    EXPECT_EQ(sd::drawn(0).size(), 2u);
    EXPECT_EQ(sd::nullblits(), 1);
}

// Hop frames count from the hop's start. Every hop rises at 10, 20, 30, shows
// char1 from 30, sinks at 50, 60, 70 and ends at 70, whatever its steps.
TEST_F(Sprite, AHopRisesAndFallsOver70FramesWithItsStepsSpreadOverThe60First) {
    auto every = [](int a, int b) { std::vector<int> v(b - a + 1); std::iota(v.begin(), v.end(), a); return v; };
    struct { int speed, x0; std::vector<int> stepframes; int steps; } cases[] = {
        {3, 75, {15, 30, 45}, 3}, {6, 75, {8, 17, 25, 34, 42, 51}, 6}, {9, 75, {6, 12, 18, 24, 30, 36, 42, 48, 54}, 9},
        {60, 75, every(0, 59), 60}, {63, 75, every(0, 59), 63},
        {63, 564, every(0, 15), 17},  // two steps fall due at 579: it ends at 581
        {3, 580, {}, 0}, {0, 75, {}, 0}};
    const std::vector<std::pair<int, int>> heights = {{10, -1}, {20, -1}, {30, -1}, {50, 1}, {60, 1}, {70, 1}};
    for (auto& c : cases) {
        CPlayer p;  // as a strike in frame 100 starts it
        p.setSurface(picchar2); p.setxy(c.x0, 410); p.setspeedmovst(c.speed, 100); p.setmoving(true);
        std::vector<int> steps;
        std::vector<std::pair<int, int>> rises;
        int char1 = -1, landed = -1;
        for (int d = 0; d <= 100 && landed < 0; ++d) {
            int x = p.getx(), y = p.gety();
            p.forward(100 + d);
            p.blit();
            for (int k = x; k < p.getx(); ++k) steps.push_back(d);
            if (p.gety() != y) rises.push_back({d, p.gety() - y});
            if (char1 < 0 && sd::drawn(0).back().image == "char1.png") char1 = d;
            if (!p.getmoving()) landed = d;
        }
        SCOPED_TRACE(testing::Message() << "speed " << c.speed << " from " << c.x0);
        std::set<int> distinct(steps.begin(), steps.end());
        EXPECT_EQ(std::vector<int>(distinct.begin(), distinct.end()), c.stepframes);
        EXPECT_EQ(static_cast<int>(steps.size()), c.steps);
        EXPECT_EQ(rises, heights);
        EXPECT_EQ(std::make_pair(char1, landed), std::make_pair(30, 70));
    }
}

// A falling meteor has out -1; a struck one stands still for `out` frames and
// is gone in the next, where it stood.
TEST_F(Sprite, MeteorsFallByTheirSpeedOrStandStillUntilTheirOutRunsDown) {
    struct { int speed, out, y0, falls, wanty, wantout; bool alive; } cases[] = {
        {2, -1, -40, 1, -38, -1, true}, {2, -1, -40, 3, -34, -1, true}, {3, -1, -40, 1, -37, -1, true},
        {3, -1, -40, 3, -31, -1, true}, {3, 30, 390, 30, 390, 0, true}, {3, 30, 390, 31, 390, 0, false},
        {3, 0, 390, 1, 390, 0, false}};
    for (auto& c : cases) {
        CMeteor m;
        m.setxy(200, c.y0); m.setalive(true); m.setspeed(c.speed); m.setout(c.out);
        for (int n = 0; n < c.falls; ++n) m.fall();
        EXPECT_EQ(std::make_tuple(m.getx(), m.gety(), m.getout(), m.getalive()),
                  std::make_tuple(200, c.wanty, c.wantout, c.alive))
            << "speed " << c.speed << ", out " << c.out << ", " << c.falls << " falls";
    }
}

}  // namespace
