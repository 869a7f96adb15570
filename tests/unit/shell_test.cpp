// The program shell: transcript, library order, fatal start-up, options.txt.
#include <gmock/gmock.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "media.h"
#include "sdl_double.h"
#include "shell.h"


namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::string>;
using testing::HasSubstr;

const char* const kPictures[] = {"s1",      "s2",      "menu",    "bg",       "char1", "char2", "meteor1",
                                 "meteor2", "hammer1", "hammer2", "gameover", "rain",  "s3"};
const char* const kSounds[] = {"hammer", "wrongjump", "missed", "gameover", "rain", "heart"};
// The credit line carries the version the build sets.
const std::string kCredit = "Marrowick " MARROWICK_VERSION " - meteors, rain and the hammer";
const std::string kLoaded = kCredit + "\ninit SDL...done\nloading graphics...done\nloading sounds...done";
// The program's own start value, read before any run: every run here sets
// diff back to 2 itself, as a process would start with it.
const int kStartDiff = diff;

// Runs in a directory of its own, where options.txt is read; every run closes
// the window on the first title page.
class Shell : public testing::Test {
protected:
    fs::path home = fs::current_path(), dir;
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "marrowickXXXXXX").string();
        fs::current_path(dir = mkdtemp(tmpl.data()));
    }
    void TearDown() override {
        fs::current_path(home);
        fs::remove_all(dir);
    }
    std::string run(const Texts& missing = {}) {
        sd::reset();
        sd::atflip(0, sd::pushquit);
        for (auto& m : missing) sd::missing(m);
        diff = 2;
        testing::internal::CaptureStdout();
        EXPECT_EQ(marrowick(), 0);
        return testing::internal::GetCapturedStdout();
    }
};

// Missing files leave empty slots, handed on in their place; the transcript
// names only the missing sounds, right after the loading.
TEST_F(Shell, LibrariesAreSetUpLoadedOpenedAndReleasedInOrder) {
    std::string out =
        run({"data/graphics/bg.png", "data/sounds/hammer.ogg", "data/sounds/heart.ogg", "data/sounds/bg.ogg"});
    EXPECT_EQ(out, kLoaded + "error with chunk[0]error with chunk[5]\nstart game\n\nfree data...");
    auto pic = [](int i) { return i == 3 ? std::string("null") : kPictures[i] + std::string(".png"); };
    auto snd = [](int i) { return i % 5 == 0 ? std::string("null") : kSounds[i] + std::string(".ogg"); };
    Texts want = {"SDL_Init(32)", "Mix_OpenAudio(22050,32784,1,2048)", "Mix_AllocateChannels(8)",
                  "Mix_ReserveChannels(2)", "Mix_Volume(-1,128)", "Mix_Volume(0,128)", "Mix_Volume(1,128)",
                  "Mix_VolumeMusic(128)", "srand(1000000000)"}, got;
    for (auto p : kPictures) want.push_back(std::string("IMG_Load(data/graphics/") + p + ".png)");
    for (int i = 0; i < 6; ++i)
        want.insert(want.end(), {std::string("SDL_RWFromFile(data/sounds/") + kSounds[i] + ".ogg,rb)",
                                 "Mix_LoadWAV_RW(" + snd(i) + ",1)"});
    want.insert(want.end(), {"Mix_LoadMUS(data/sounds/bg.ogg)", "SDL_SetVideoMode(640,480,16,0xc0000001)",
                             "SDL_WM_SetCaption(Marrowick,)", "SDL_ShowCursor(0)", "SDL_Flip", "Mix_FreeMusic(null)"});
    for (int i = 0; i < 13; ++i) want.push_back("SDL_FreeSurface(" + pic(i) + ")");
    for (int i = 0; i < 6; ++i) want.push_back("Mix_FreeChunk(" + snd(i) + ")");
    want.insert(want.end(), {"Mix_CloseAudio", "SDL_Quit"});
    for (auto& c : sd::calls()) got.push_back(c.text);
    EXPECT_EQ(got, want);
}

TEST_F(Shell, AFailedStartExitsWithStatus1AfterSayingWhyAndFreesNothing) {
    struct { const char* fn; std::string tail; } cases[] = {
        {"SDL_Init", kCredit + "\ninit SDLSDL_Init: no luck\n"},
        {"Mix_OpenAudio", kCredit + "\ninit SDL.OpenAudio: no luck\n"},
        {"SDL_SetVideoMode", kLoaded + "\nstart game\nCan't set VideoMode: no luck\n"}};
    for (auto& c : cases) {
        sd::reset();
        sd::fail(c.fn);
        std::fflush(stdout);
        EXPECT_EXIT({ dup2(2, 1); marrowick(); }, testing::ExitedWithCode(1),  // death tests read stderr
                    testing::AllOf(testing::EndsWith(c.tail), testing::Not(HasSubstr("free data"))));
    }
}

// options.txt: its first byte picks a window only if it is "w"; the next
// byte is skipped, whatever it is; then a number in any of C's forms is the
// difficulty if it is 1, 2 or 3, else 2 stays. No file, or one that cannot be
// read, leaves both defaults.
TEST_F(Shell, OptionsChooseAWindowByAFirstCharWAndADifficultyOnlyFrom1To3) {
    using namespace std::string_literals;  // NUL bytes
    EXPECT_EQ(kStartDiff, 2);
    auto windowed = [] { return sd::calls("SDL_SetVideoMode")[0].text == "SDL_SetVideoMode(640,480,16,0x40000001)"; };
    struct { std::string text; bool window; int diff; } cases[] = {
        {"", false, 2}, {"w", true, 2}, {"w\n1", true, 1}, {"w\n3\n", true, 3},
        // the first byte
        {"W\n3", false, 3}, {"\nw\n1", false, 1}, {"\0\n3"s, false, 3},
        // the separator: any one byte, a digit or NUL too; white space after it goes
        {"w3", true, 2}, {"w31", true, 1}, {"w\0" "3"s, true, 3}, {"w\r\n3\r\n", true, 3}, {"w\n\0" "3"s, true, 2},
        // numbers out of 1..3, C's other forms, and ones an int would wrap to 1
        {"w\n0", true, 2}, {"w\n4", true, 2}, {"w\n-1", true, 2}, {"w 0x3", true, 3}, {"w\n03", true, 3},
        {"w\n4294967297", true, 2}, {"w\n-4294967295", true, 2}, {"w\n0x100000001", true, 2},
        {"w\n18446744073709551617", true, 2}};  // 2^64 + 1
    for (auto& c : cases) {
        std::ofstream("options.txt", std::ios::binary) << c.text;
        run();
        fs::remove("options.txt");
        SCOPED_TRACE(testing::PrintToString(c.text));
        EXPECT_EQ(windowed(), c.window);
        EXPECT_EQ(diff, c.diff);
    }
    // Nothing to read: no file, where fopen fails (as it does on a dangling
    // link or a file that may not be read), or a folder, which opens but
    // does not read.
    for (bool folder : {false, true}) {
        if (folder)
            fs::create_directory("options.txt");
        run();
        EXPECT_FALSE(windowed()) << (folder ? "folder" : "no file");
        EXPECT_EQ(diff, 2) << (folder ? "folder" : "no file");
    }
}

}  // namespace
