// The real corvane binary: no display, and a window under Xvfb.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "game_process.h"
#include "screen_reader.h"
#include "skyrel_main.h"
#include "x_session.h"

namespace {

const int EXIT_TIMEOUT_MS = 20000;
const int SCREEN_TIMEOUT_MS = 10000;

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

class GameWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(x.ready()) << "Xvfb did not start";
        ASSERT_EQ(reader.loadErrors(), "");
        dir.linkBitmaps();
    }

    // Waits until the pause text is shown (or gone); answers whether it came to be.
    bool waitForPauseText(bool shown)
    {
        for (int waited = 0; waited < SCREEN_TIMEOUT_MS; waited += 200) {
            SurfacePtr shot = x.screenshot(dir.file("shot.bmp"));
            if (shot && reader.showsPauseText(pictureOf(shot.get())) == shown)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        return false;
    }

    XServer x;
    WorkFolder dir;
    ScreenReader reader{CORVANE_BITMAPS_DIR "/.."};  // the folder that holds bitmaps/
};

TEST_F(GameWindow, AKeyPausesASecondResumesAndEscapeQuitsWithStatusZero)
{
    std::vector<std::string> env = gameEnv("x11");
    env.push_back("DISPLAY=" + x.name());
    ChildProcess game({CORVANE_BINARY}, env, dir.path, dir.path + "/stderr.txt");
    // The caption names the game, its version and its address.
    ASSERT_NE(x.waitForWindow("^Corvane \\(Ver\\. 1\\.01\\) - http://corvane\\.example/$",
                              SCREEN_TIMEOUT_MS),
              "");
    ASSERT_EQ(x.xdotool({"mousemove", "320", "240"}), 0);
    EXPECT_TRUE(waitForPauseText(false));

    ASSERT_EQ(x.xdotool({"key", "p"}), 0);
    EXPECT_TRUE(waitForPauseText(true)) << "the pause screen did not appear";
    ASSERT_EQ(x.xdotool({"key", "space"}), 0);
    EXPECT_TRUE(waitForPauseText(false)) << "the game did not resume";

    ASSERT_EQ(x.xdotool({"key", "Escape"}), 0);
    EXPECT_EQ(game.waitForExit(EXIT_TIMEOUT_MS), EXIT_OK) << readFile(dir.file("stderr.txt"));
}
