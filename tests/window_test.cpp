// The real corvane binary without a display, and the SDL it runs on. Its
// window is proven by the play-through.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <iostream>
#include <sstream>
#include <thread>

#include "game_process.h"
#include "skyrel_main.h"
#include "x_session.h"

namespace {

const int EXIT_TIMEOUT_MS = 20000;

// The library that the game process has mapped under the given name, or "".
std::string mappedLibrary(ChildProcess* game, const std::string& name)
{
    std::istringstream maps(readFile(game->procFile("maps")));
    std::string line;
    bool execed = false;  // between fork and exec the maps are the test's own
    std::string library;
    while (std::getline(maps, line)) {
        const std::string file = line.substr(std::min(line.size(), line.find('/')));
        execed |= file == CORVANE_BINARY;
        if (file.find(name) != std::string::npos)
            library = file;
    }
    return execed ? library : "";
}

}  // namespace

TEST(GameProcess, WithNoDisplayTheX11DriverFailsWithStatusOne)
{
    WorkFolder dir;
    dir.linkBitmaps();
    std::vector<std::string> env = gameEnv("x11");
    env.push_back("DISPLAY");  // unset
    ChildProcess game({CORVANE_BINARY}, env, dir.path, dir.file("stderr.txt"));
    EXPECT_EQ(game.waitForExit(EXIT_TIMEOUT_MS), EXIT_NO_SDL);
    const std::string message = readFile(dir.file("stderr.txt"));
    EXPECT_EQ(message.rfind("Couldn't initialize SDL: ", 0), 0u) << message;
}

// A leg of the suite asks for sdl12-compat through LD_LIBRARY_PATH; the test
// program and the game it starts must both run against the SDL it asked for,
// or the leg would pass for the wrong library.
TEST(SdlLeg, TheTestsAndTheGameRunAgainstTheSdlTheLegAsksFor)
{
    const bool compat = onSdl12Compat();
    WorkFolder dir;
    dir.linkBitmaps();
    ChildProcess game({CORVANE_BINARY}, gameEnv("dummy"), dir.path, "");
    std::string library;
    for (int waited = 0; library.empty() && waited < EXIT_TIMEOUT_MS; waited += 50) {
        library = mappedLibrary(&game, "libSDL-1.2.so");
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    const SDL_version* linked = SDL_Linked_Version();
    std::cout << (compat ? "sdl12-compat" : "classic") << " leg: the tests ran against SDL "
              << int(linked->major) << "." << int(linked->minor) << "." << int(linked->patch)
              << ", the game against " << library << "\n";
    // sdl12-compat reports 1.2.50 and above; the classic library ends at 1.2.15.
    EXPECT_EQ(linked->patch >= 50, compat);
    ASSERT_NE(library, "") << "the game ended with status " << game.exitStatus();
    EXPECT_EQ(library.find("/sdl12-compat/") != std::string::npos, compat) << library;
}
