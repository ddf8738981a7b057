// The game's own ticks in a window of a real X server: after every tick the
// window, read back from the server, holds exactly the frame on screen.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "game_process.h"
#include "skyrel_main.h"
#include "x_session.h"

// Last: Xlib's macros (None, Bool, Status) would clash with GoogleTest's names.
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

const int TICKS = 400;
const int PAUSE_AT_TICK = 150;
const int HELICOPTER = 0;  // lands on the pad

// sdl12-compat (versions 1.2.50 and up) puts a partial update on screen at
// the first event pump a display refresh after the last one it showed, as
// the game's main loop pumps on every pass; classic SDL 1.2 shows it at once.
const int COMPAT_FIRST_PATCH = 50;
const Uint32 COMPAT_PRESENT_WAIT_MS = 25;

void letCompatShowTheUpdate()
{
    if (SDL_Linked_Version()->patch >= COMPAT_FIRST_PATCH) {
        SDL_Delay(COMPAT_PRESENT_WAIT_MS);
        SDL_PumpEvents();
    }
}

// A channel of a pixel cut to the bits the 16-bit screen keeps for it.
Uint32 channelOf(unsigned long pixel, unsigned long mask, int keptBits)
{
    const int dropped = __builtin_ctzl(mask) + __builtin_popcountl(mask) - keptBits;
    return static_cast<Uint32>((pixel & mask) >> dropped);
}

// Counts the pixels of the window that differ from the screen at 5-6-5
// precision, outside the given rectangles; describes the first one. -1 when
// the window cannot be read.
int countDifferences(const SDL_SysWMinfo& wm, const std::vector<SDL_Rect>& skipped,
                     std::string* first)
{
    XImage* image = XGetImage(wm.info.x11.display, wm.info.x11.window, 0, 0, SCREEN_WIDTH,
                              SCREEN_HEIGHT, AllPlanes, ZPixmap);
    if (!image)
        return -1;
    int differences = 0;
    for (int y = 0; y < SCREEN_HEIGHT; ++y) {
        for (int x = 0; x < SCREEN_WIDTH; ++x) {
            const unsigned long shown = XGetPixel(image, x, y);
            const Uint32 got = channelOf(shown, image->red_mask, 5) << 11 |
                               channelOf(shown, image->green_mask, 6) << 5 |
                               channelOf(shown, image->blue_mask, 5);
            const Uint32 wanted =
                static_cast<const Uint16*>(screen->pixels)[y * screen->pitch / 2 + x];
            bool same = got == wanted;
            for (const SDL_Rect& r : skipped)
                same = same || (x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h);
            if (!same && differences++ == 0)
                *first = "(" + std::to_string(x) + ", " + std::to_string(y) + ") shows " +
                         std::to_string(got) + ", the screen holds " + std::to_string(wanted);
        }
    }
    XDestroyImage(image);
    return differences;
}

void fly(int index, int x, int y, int vx, int vy)
{
    PathSprite* s = sprites[index];
    s->setPos(x, y);
    s->setVelocity(vx, vy);
    s->speed = MOVE_PERIOD;  // a step every tick
    s->moveDelay = 0;
    s->visible = true;
    s->state = Flying;
}

}  // namespace

// Xlib and D-Bus (under sdl12-compat) keep a few allocations for the life of
// the process (LeakSanitizer). SDL is not shut down at the end, so that
// what its libraries keep is still known by its library's name.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libX11.so\nleak:libxcb.so\nleak:libdbus-1.so\n";
}

TEST(WindowReadBack, AfterEveryTickTheWindowShowsExactlyTheFrameOnScreen)
{
    XServer x;
    ASSERT_TRUE(x.ready()) << "Xvfb did not start";
    WorkFolder dir;
    dir.linkBitmaps();
    ASSERT_EQ(chdir(dir.path.c_str()), 0);
    setenv("SDL_VIDEODRIVER", "x11", 1);
    setenv("DISPLAY", x.name().c_str(), 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    printf("SDL 1.2.%d\n", SDL_Linked_Version()->patch);
    screen = SDL_SetVideoMode(SCREEN_WIDTH, SCREEN_HEIGHT, SCREEN_BPP, SDL_SWSURFACE);
    ASSERT_TRUE(screen && loadInterfaceBitmaps() && buildFleet()) << SDL_GetError();
    buildAirfield();
    SDL_SysWMinfo wm;
    SDL_VERSION(&wm.version);
    ASSERT_GT(SDL_GetWMInfo(&wm), 0) << SDL_GetError();

    // Two aircraft head for each other and crash; four eat up zig-zag
    // routes; one is announced; the helicopter lands on the pad.
    fly(8, 10, 420, 1, 0);
    fly(9, SCREEN_WIDTH - 10 - sprites[9]->getWidth(), 420, -1, 0);
    for (int i = 10; i < 14; ++i) {
        fly(i, 20 + 80 * (i - 10), 40, 0, 1);
        for (int k = 1; k < 100; ++k)
            sprites[i]->addToPath(sprites[i]->getCPosX() + (k % 2 ? 6 : -6), 40 + 3 * k);
        sprites[i]->state = Routed;
    }
    sprites[14]->setPos(300, 300);
    sprites[14]->setVelocity(0, -1);
    marker = new Marker(sprites[14], 60);
    fly(HELICOPTER, 430, 255, 1, 0);
    sprites[HELICOPTER]->addToPath(486, 267);
    sprites[HELICOPTER]->addToPath(502, 267);
    ASSERT_TRUE(sprites[HELICOPTER]->checkPath(targets, numtargets));
    static_cast<FlyObj*>(sprites[HELICOPTER])->setOnApproach();
    sprites[HELICOPTER]->state = OnApproach;

    bool landed = false;
    int crashTick = -1;
    for (int tick = 0; tick < TICKS; ++tick) {
        // The reset after a crash blanks every aircraft's place on screen
        // without showing it: there the window keeps the crash frame.
        std::vector<SDL_Rect> blanked;
        for (unsigned int i = 0; i < numsprites; ++i) {
            const SDL_Rect& p = sprites[i]->pos;  // a step at most from where it is blanked
            blanked.push_back(SDL_Rect{static_cast<Sint16>(p.x - 1), static_cast<Sint16>(p.y - 1),
                                       static_cast<Uint16>(p.w + 2), static_cast<Uint16>(p.h + 2)});
        }
        lastTick = SDL_GetTicks() - TICK_PERIOD;  // no wait
        if (doGameTickTasks())
            blanked.clear();
        else
            crashTick = tick;
        landed = landed || score > 0;
        letCompatShowTheUpdate();
        std::string first;
        ASSERT_EQ(countDifferences(wm, blanked, &first), 0)
            << "after tick " << tick << ": " << first;
        if (tick == PAUSE_AT_TICK) {
            pauseScreen();
            letCompatShowTheUpdate();
            ASSERT_EQ(countDifferences(wm, {}, &first), 0) << "paused: " << first;
        }
    }
    EXPECT_TRUE(landed);
    EXPECT_GT(crashTick, PAUSE_AT_TICK);
    EXPECT_LT(crashTick, TICKS - 10);  // and the next game's frames after it
    EXPECT_EQ(marker, nullptr);
}
