// The SDL that each leg runs on, and the game's ticks in a window of a real
// X server.
#include <gtest/gtest.h>
#include <unistd.h>

#include <iostream>
#include <sstream>
#include <thread>

#include "game_process.h"
#include "skyrel_main.h"
#include "x_session.h"

namespace {

const int TIMEOUT_MS = 20000;
const int HELICOPTER = 0;

// The library of that name that the game has mapped after its exec, or "".
std::string mappedLibrary(ChildProcess* game, const std::string& name)
{
    std::istringstream maps(readFile(game->procFile("maps")));
    bool execed = false;  // between fork and exec the maps are the test's own
    std::string line;
    std::string library;
    while (std::getline(maps, line)) {
        const std::string file = line.substr(std::min(line.size(), line.find('/')));
        execed |= file == CORVANE_BINARY;
        library = file.find(name) != std::string::npos ? file : library;
    }
    return execed ? library : "";
}

// The pixels of the screen that the server shows otherwise than the game's
// screen holds them, at 5-6-5. sdl12-compat (1.2.50 and up) shows an update
// at the first event pump a display refresh after the last one it showed.
int differencesOnScreen(const XServer& x, const std::string& file)
{
    if (SDL_Linked_Version()->patch >= 50) {
        SDL_Delay(25);
        SDL_PumpEvents();
    }
    SurfacePtr shot = x.screenshot(file);
    int differences = shot ? 0 : -1;
    for (int i = 0; shot && i < SCREEN_WIDTH * SCREEN_HEIGHT; ++i) {
        const int px = i % SCREEN_WIDTH;
        const int py = i / SCREEN_WIDTH;
        differences += rgb565At(shot.get(), px, py) != rgb565At(screen, px, py);
    }
    return differences;
}

}  // namespace

// A leg asks for sdl12-compat through LD_LIBRARY_PATH; the test program and
// the game it starts must both run on it, or the leg passes for the wrong SDL.
TEST(SdlLeg, TheTestsAndTheGameRunAgainstTheSdlTheLegAsksFor)
{
    const bool compat = onSdl12Compat();
    WorkFolder dir;
    dir.linkBitmaps();
    ChildProcess game({CORVANE_BINARY}, gameEnv("dummy"), dir.path, "");
    std::string library;
    for (int waited = 0; library.empty() && waited < TIMEOUT_MS; waited += 50) {
        library = mappedLibrary(&game, "libSDL-1.2.so");
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    const SDL_version* linked = SDL_Linked_Version();
    std::cout << (compat ? "sdl12-compat" : "classic") << " leg: the tests ran against SDL "
              << int(linked->major) << "." << int(linked->minor) << "." << int(linked->patch)
              << ", the game against " << library << "\n";
    EXPECT_EQ(linked->patch >= 50, compat);  // the classic library ends at 1.2.15
    ASSERT_NE(library, "") << "the game ended with status " << game.exitStatus();
    EXPECT_EQ(library.find("/sdl12-compat/") != std::string::npos, compat) << library;
}

// Xlib and D-Bus keep a few allocations for the life of the process: SDL is
// not shut down here, so that they are still known by their library's name.
extern "C" const char* __lsan_default_suppressions()  // NOLINT(bugprone-reserved-identifier)
{
    return "leak:libX11.so\nleak:libxcb.so\nleak:libdbus-1.so\n";
}

TEST(WindowReadBack, TheWindowShowsTheFrameOnScreenAsAHelicopterLandsAndWhenPaused)
{
    XServer x;
    ASSERT_TRUE(x.ready()) << "Xvfb did not start";
    WorkFolder dir;
    dir.linkBitmaps();
    ASSERT_EQ(chdir(dir.path.c_str()), 0);
    setenv("SDL_VIDEODRIVER", "x11", 1);
    setenv("DISPLAY", x.name().c_str(), 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    screen = SDL_SetVideoMode(SCREEN_WIDTH, SCREEN_HEIGHT, SCREEN_BPP, SDL_SWSURFACE);
    ASSERT_TRUE(screen && loadInterfaceBitmaps() && buildFleet()) << SDL_GetError();
    buildAirfield();
    PathSprite* helicopter = sprites[HELICOPTER];
    helicopter->setPos(430, 255);
    helicopter->setVelocity(1, 0);
    helicopter->speed = MOVE_PERIOD;  // a step every tick
    helicopter->visible = true;
    helicopter->addToPath(486, 267);
    helicopter->addToPath(502, 267);
    ASSERT_TRUE(helicopter->checkPath(targets, numtargets));
    static_cast<FlyObj*>(helicopter)->setOnApproach();
    helicopter->state = OnApproach;
    for (int tick = 0; tick < 200 && score == 0; ++tick) {
        lastTick = SDL_GetTicks() - TICK_PERIOD;  // no wait
        ASSERT_TRUE(doGameTickTasks());
        ASSERT_EQ(differencesOnScreen(x, dir.file("shot.bmp")), 0) << "after tick " << tick;
    }
    EXPECT_EQ(score, 1u);
    pauseScreen();
    EXPECT_EQ(differencesOnScreen(x, dir.file("shot.bmp")), 0) << "paused";
}
