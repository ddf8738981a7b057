// The real corvane binary: no display, and a window under Xvfb.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "game_process.h"
#include "skyrel_main.h"
#include "x_session.h"


namespace {

const int EXIT_TIMEOUT_MS = 20000;
const int SCREEN_TIMEOUT_MS = 10000;

// Counts the visible pixels of a keyed bitmap that a screenshot shows at (x, y).
int shownPixels(SDL_Surface* shot, SDL_Surface* bitmap, int x, int y)
{
    int shown = 0;
    for (int by = 0; by < bitmap->h; ++by) {
        for (int bx = 0; bx < bitmap->w; ++bx) {
            const Uint32 wanted = rgb565At(bitmap, bx, by);
            shown += wanted != 0 && rgb565At(shot, x + bx, y + by) == wanted;
        }
    }
    return shown;
}

int visiblePixels(SDL_Surface* bitmap)
{
    int visible = 0;
    for (int y = 0; y < bitmap->h; ++y)
        for (int x = 0; x < bitmap->w; ++x)
            visible += rgb565At(bitmap, x, y) != 0;
    return visible;
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
    const std::string message = readFile(dir.path + "/stderr.txt");
    EXPECT_EQ(message.rfind("Couldn't initialize SDL: ", 0), 0u) << message;
}

class GameWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(x.ready()) << "Xvfb did not start";
        dir.linkBitmaps();
        pauseText.reset(SDL_LoadBMP(CORVANE_BITMAPS_DIR "/text_pause.bmp"));
        ASSERT_NE(pauseText, nullptr);
    }

    // Waits until the pause text is shown (or gone); answers whether it came to be.
    bool waitForPauseText(bool shown)
    {
        const int x0 = (SCREEN_WIDTH - pauseText->w) / 2;
        const int needed = visiblePixels(pauseText.get()) * 9 / 10;
        for (int waited = 0; waited < SCREEN_TIMEOUT_MS; waited += 200) {
            SurfacePtr shot = x.screenshot(dir.path + "/shot.bmp");
            if (shot && (shownPixels(shot.get(), pauseText.get(), x0, PAUSE_TEXT_Y) >= needed) == shown)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        return false;
    }

    XServer x;
    WorkFolder dir;
    SurfacePtr pauseText;
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
    EXPECT_EQ(game.waitForExit(EXIT_TIMEOUT_MS), EXIT_OK) << readFile(dir.path + "/stderr.txt");
}
