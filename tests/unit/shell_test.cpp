// The program shell: transcript, library order, fatal start-up, options.txt.
#include <gmock/gmock.h>
#include <unistd.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "media.h"
#include "sdl_double.h"

int marrowick_main(int, char*[]);

namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::string>;
using testing::HasSubstr;

const char* const kPictures[] = {"s1",      "s2",      "menu",    "bg",       "char1", "char2", "meteor1",
                                 "meteor2", "hammer1", "hammer2", "gameover", "rain",  "s3"};
const char* const kSounds[] = {"hammer", "wrongjump", "missed", "gameover", "rain", "heart"};
const std::string kLoaded = "\ninit SDL...done\nloading graphics...done\nloading sounds...done";
// The program's own start value, read before any run: every run here sets
// diff back to 2 itself, as a process would start with it.
const int kStartDiff = diff;
char kName[] = "marrowick";
char* kArgs[] = {kName, nullptr};

// Runs in a directory of its own, where options.txt is read; every run closes
// the window on the first title page.
class Shell : public testing::Test {
protected:
    fs::path home = fs::current_path(), dir;
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "marrowickXXXXXX").string();
        fs::current_path(dir = mkdtemp(tmpl.data()));
    }
    void TearDown() override { fs::current_path(home), fs::remove_all(dir); }
    std::string run(const Texts& missing = {}) {
        sd::reset();
        sd::atflip(0, sd::pushquit);
        for (auto& m : missing) sd::missing(m);
        diff = 2;
        testing::internal::CaptureStdout();
        EXPECT_EQ(marrowick_main(1, kArgs), 0);
        return testing::internal::GetCapturedStdout();
    }
};

// Missing files leave empty slots, handed on in their place; the transcript
// names only the missing sounds, right after the loading.
TEST_F(Shell, LibrariesAreSetUpLoadedOpenedAndReleasedInOrder) {
    std::string out =
        run({"data/graphics/bg.png", "data/sounds/hammer.ogg", "data/sounds/heart.ogg", "data/sounds/bg.ogg"});
    std::string credit = out.substr(0, out.find('\n'));
    EXPECT_THAT(credit, HasSubstr("Marrowick"));
    EXPECT_EQ(out, credit + kLoaded + "error with chunk[0]error with chunk[5]\nstart game\n\nfree data...");
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
        {"SDL_Init", "init SDLSDL_Init: no luck\n"}, {"Mix_OpenAudio", "init SDL.OpenAudio: no luck\n"},
        {"SDL_SetVideoMode", kLoaded + "\nstart game\nCan't set VideoMode: no luck\n"}};
    for (auto& c : cases) {
        sd::reset();
        sd::fail(c.fn);
        std::fflush(stdout);
        EXPECT_EXIT((dup2(2, 1), marrowick_main(1, kArgs)), testing::ExitedWithCode(1),  // death tests read stderr
                    testing::AllOf(testing::EndsWith(c.tail), testing::Not(HasSubstr("free data"))));
    }
}

TEST_F(Shell, OptionsChooseAWindowByAFirstCharWAndADifficultyOnlyFrom1To3) {
    EXPECT_EQ(kStartDiff, 2);
    struct { const char* text; bool window; int diff; } cases[] = {
        {nullptr, false, 2}, {"", false, 2},        {"w\n1", true, 1},   {"W\n3", false, 3},
        {"w3", true, 2},     {"w 0x3", true, 3},    {"\nw\n1", false, 1}, {"w\r\n3", true, 3},
        {"w\n4", true, 2},   {"w\n0", true, 2},     {"w\n-1", true, 2},
        {"w\n4294967297", true, 2}};  // 2^32 + 1: an int would wrap it to 1
    for (auto& c : cases) {
        if (c.text) std::ofstream("options.txt", std::ios::binary) << c.text;
        run();
        fs::remove("options.txt");
        SCOPED_TRACE(c.text ? testing::PrintToString(std::string(c.text)) : "no file");
        EXPECT_EQ(sd::calls("SDL_SetVideoMode")[0].text,
                  c.window ? "SDL_SetVideoMode(640,480,16,0x40000001)" : "SDL_SetVideoMode(640,480,16,0xc0000001)");
        EXPECT_EQ(diff, c.diff);
    }
}

// The options file's rules, stated by hand: the first byte, whatever it is,
// picks a window only if it is "w"; the second byte is skipped; then %i skips
// white space (space, \t \n \v \f \r), takes one sign, and reads decimal
// digits, or octal ones after a 0, or hex ones after 0x or 0X ("0x" alone is
// 0). Only 1, 2 or 3 become the difficulty. Numbers beyond a long do not wrap:
// glibc's scanf stores LONG_MAX or LONG_MIN (tried), both ignored like 4.
struct Options { bool window; int diff; };
Options rules(const std::string& s) {
    Options o{!s.empty() && s[0] == 'w', 2};
    size_t i = 2;
    while (i < s.size() && s[i] != 0 && std::strchr(" \t\n\v\f\r", s[i])) ++i;
    bool minus = i < s.size() && s[i] == '-';
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
    long value = -1;  // no digit yet
    int base = 10;
    if (i < s.size() && s[i] == '0') {
        value = 0, base = 8, ++i;
        if (i < s.size() && (s[i] == 'x' || s[i] == 'X')) base = 16, ++i;
    }
    for (; i < s.size(); ++i) {
        const char* d = std::strchr("0123456789abcdef", std::tolower(static_cast<unsigned char>(s[i])));
        if (!s[i] || !d || d - "0123456789abcdef" >= base) break;
        value = std::min(std::max(value, 0L) * base + (d - "0123456789abcdef"), 1000L);  // past 3 is past 3
    }
    if (!minus && value >= 1 && value <= 3) o.diff = value;
    return o;
}

using Fuzz = Shell;

// Seeded: random bytes, then the valid forms mangled: odd first bytes and
// separators, white space, signs, bases, long and huge numbers, CR LF, NULs.
TEST_F(Fuzz, OptionsFilesOfRandomOrMangledBytesGiveWhatTheRulesSay) {
    std::mt19937 rng(20261207);
    auto pick = [&rng](std::vector<std::string> v) { return v[rng() % v.size()]; };
    auto bytes = [&rng](size_t n) { std::string s; while (s.size() < n) s += char(rng() % 256); return s; };
    std::vector<std::string> cases;
    for (int n = 0; n < 2000; ++n) cases.push_back(bytes(rng() % 65));
    for (int n = 0; n < 3000; ++n) {
        std::string digits;
        for (int k = rng() % 24; k > 0; --k) digits += pick({"0", "1", "2", "3", "7", "8", "9", "a", "F", "x"});
        std::string s = pick({"w", "w", "w", "W", "f", " ", "\n", std::string(1, 0), bytes(1)}) +
                        pick({"\n", "\n", "\r", " ", "3", std::string(1, 0), bytes(1)}) +
                        pick({"", "", " ", "\n", "\t\v\f", "\r\n", std::string(1, 0)}) + pick({"", "", "+", "-", "--"}) +
                        pick({"", "", "0", "0x", "0X", "00", "0x0"}) +
                        pick({"1", "2", "3", "4", "0", "3", digits, "9223372036854775807", "9223372036854775808",
                              "18446744073709551619", "4294967297"}) +
                        pick({"", "\n", "\r\n", std::string(1, 0) + "1", bytes(3)});
        if (rng() % 4 == 0) s[rng() % s.size()] = char(rng() % 256);
        cases.push_back(s);
    }
    std::fflush(stdout);
    const int console = dup(1);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);  // the transcript, thousands of times over
    close(null);
    std::string wrong;  // the first file read against the rules
    for (auto& text : cases) {
        fs::remove("options.txt");  // a new file: rewriting one in place waits for the disk
        std::ofstream("options.txt", std::ios::binary) << text;
        sd::reset();
        sd::atflip(0, sd::pushquit);
        diff = 2;
        marrowick_main(1, kArgs);
        const Options want = rules(text);
        const bool window = sd::calls("SDL_SetVideoMode")[0].text == "SDL_SetVideoMode(640,480,16,0x40000001)";
        if (window != want.window || diff != want.diff) {
            wrong = testing::PrintToString(text) + (window ? ": window" : ": full screen") + ", difficulty " +
                    std::to_string(diff);
            break;
        }
    }
    std::fflush(stdout);
    dup2(console, 1);
    close(console);
    EXPECT_EQ(wrong, "");
    // No file to read: a folder in its place, a link to nowhere; and one that
    // may not be read, which still is when the tests run as root.
    for (auto put : {+[] { fs::create_directory("options.txt"); }, +[] { fs::create_symlink("nowhere", "options.txt"); }}) {
        fs::remove("options.txt");
        put();
        run();
        EXPECT_EQ(sd::calls("SDL_SetVideoMode")[0].text, "SDL_SetVideoMode(640,480,16,0xc0000001)");
        EXPECT_EQ(diff, 2);
    }
    fs::remove("options.txt");
    std::ofstream("options.txt") << "w\n1";
    chmod("options.txt", 0);
    const bool readable = std::ifstream("options.txt").is_open();
    run();
    EXPECT_EQ(diff, readable ? 1 : 2) << (readable ? "readable despite mode 000" : "unreadable");
    std::cout << cases.size() << " options files; mode 000 " << (readable ? "still readable (root)\n" : "unreadable\n");
}

}  // namespace
