// A long evening in one process: a hundred games of seeded key mashing and a
// few played to the hammer by a perfect player, back to back. Each must end
// for the reason the rules give, and the heap must not grow from game to game.
#include <gtest/gtest.h>
#include <malloc.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>

#include "game.h"
#include "media.h"
#include "sdl_double.h"

namespace {

// Heap bytes in use. glibc counts the freed chunks it keeps in its per-thread
// cache as in use, so the count is exact only with that cache off, as ctest
// runs this (GLIBC_TUNABLES=glibc.malloc.tcache_count=0); else a few
// kilobytes of slack.
#if defined(__SANITIZE_ADDRESS__)
extern "C" size_t __sanitizer_get_current_allocated_bytes();  // GCC installs no header for it
size_t heapinuse() { return __sanitizer_get_current_allocated_bytes(); }  // the sanitizer's heap answers no mallinfo
const size_t slack = 0;
#else
size_t heapinuse() { return mallinfo2().uordblks + mallinfo2().hblkhd; }
const char* tunables = std::getenv("GLIBC_TUNABLES");
const size_t slack = tunables && std::strstr(tunables, "tcache_count=0") ? 0 : 4096;
#endif

int figurex(int flip) {
    for (const char* image : {"char1.png", "char2.png"})
        if (auto d = sd::drawn(flip, image); !d.empty()) return d[0].x;
    return -1;
}

// Acts at the start of every frame and every 16 ms within a pause: toggles
// Z, Y, P and Escape and closes the window at random. The first frame that
// begins with Escape down or a close on its way is the one the game must end
// with; from then on it only lets P end a pause.
struct Masher {
    std::mt19937& rng;
    int lastflip = -1;
    Uint32 lastact = 0;
    int endflip = -1;
    bool chance(int permille) { return int(rng() % 1000) < permille; }
    void operator()() {
        const bool framestart = sd::flips() != lastflip;
        if (!framestart && sd::ticks() - lastact < 16) return;
        lastflip = sd::flips(), lastact = sd::ticks();
        if (endflip >= 0) return sd::key(SDLK_p, true);
        for (auto [key, permille] : {std::pair{SDLK_z, 300}, {SDLK_y, 100}, {SDLK_p, framestart ? 8 : 300},
                                     {SDLK_ESCAPE, framestart ? 1 : 100}})
            if (chance(permille)) sd::key(key, !sd::keydown(key));
        bool close = chance(framestart ? 2 : 100);
        if (close) sd::pushquit();  // in a pause it only ends the pause
        if (framestart && (close || sd::keydown(SDLK_ESCAPE))) endflip = sd::flips();
    }
};

TEST(LongPlay, AHundredMashedGamesAndSomeToTheHammerEachEndByTheRulesAndLeaveTheHeapAsItWas) {
    sd::reset();
    testing::internal::CaptureStdout();
    load();
    testing::internal::GetCapturedStdout();
    screen = SDL_SetVideoMode(640, 480, 16, SDL_HWSURFACE | SDL_DOUBLEBUF);
    std::mt19937 rng(1010);
    const int games = 103;
    int pauses = 0, overs = 0, longest = 0;
    size_t afterfirst = 0, afterlast = 0;
    for (int n = 1; n <= games; ++n) {
        for (int key : {SDLK_z, SDLK_y, SDLK_p, SDLK_ESCAPE}) sd::key(key, false);
        diff = 1 + n % 3;
        const bool striker = n == 35 || n == 69 || n == games;  // at difficulties 3, 1 and 2
        const int base = sd::flips();
        Masher masher{rng};
        if (striker)
            sd::onpoll([] {  // strikes each meteor drawn in 385..405 in the frame before
                int due = 0;
                for (const sd::Draw& d : sd::drawn(sd::flips() - 1, "meteor1.png")) due += d.y >= 385 && d.y <= 405;
                sd::key(SDLK_z, !sd::keydown(SDLK_z) && due);
            });
        else
            sd::onpoll(std::ref(masher));
        sd::maxflips(base + 20000);  // past that the double closes the window itself
        game();
        sd::onpoll(nullptr);

        {  // the trace's text lives on the heap
        SCOPED_TRACE(testing::Message() << "game " << n << (striker ? " to the hammer" : " mashed"));
        const auto over = sd::calls("Mix_PlayChannelTimed(-1,gameover.ogg");
        const int last = over.empty() ? -1 : over[0].flip - 1;  // the flip of the landing frame's scene
        if (!over.empty()) {
            ++overs;
            EXPECT_GT(figurex(last), 565);
            EXPECT_EQ(sd::flips(), last + 2) << "the game-over picture is the last thing shown";
        }
        if (masher.endflip >= 0 && (over.empty() || masher.endflip < last)) {
            EXPECT_EQ(sd::flips(), masher.endflip + 1) << "Escape or a close ends the frame it is seen in";
        }
        EXPECT_TRUE(masher.endflip >= 0 || !over.empty()) << "ended for no reason";
        if (striker) {  // a player who misses nothing reaches the hammer, and it ends the game as it lands
            EXPECT_FALSE(over.empty());
            EXPECT_TRUE(last - base == 240 || (last - base >= 1187 && (last - base - 1187) % 948 == 0)) << last - base;
            EXPECT_TRUE(sd::calls("Mix_PlayChannelTimed(-1,missed.ogg").empty());
        }
        // Every landing before the last found the figure at 565 or short of it.
        for (const sd::Call& c : sd::calls("Mix_PlayChannelTimed(-1,hammer.ogg"))
            if (c.flip != last) {
                EXPECT_LE(figurex(c.flip), 565) << "landing in flip " << c.flip;
            }
        pauses += sd::calls("SDL_Delay(500)").size();
        longest = std::max(longest, sd::flips() - base);
        EXPECT_EQ(sd::calls("Mix_HaltChannel(-1)").size(), 1u);
        }
        sd::forget();
        if (n == 1) afterfirst = heapinuse();
        if (n == games) afterlast = heapinuse();
        if (HasFailure()) break;
    }
    EXPECT_LE(afterlast, afterfirst + slack) << "bytes in use after game " << games << " against game 1";
    EXPECT_GE(afterlast + slack, afterfirst);
    EXPECT_GE(overs, 3);
    EXPECT_GE(pauses, 20);
    testing::internal::CaptureStdout();
    free();
    testing::internal::GetCapturedStdout();
    std::cout << games << " games, " << overs << " to the hammer, " << pauses << " pauses, longest " << longest
              << " frames, " << afterfirst << " heap bytes after the first and the last\n";
}

}  // namespace
