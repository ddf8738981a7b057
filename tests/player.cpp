#include "player.h"

#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <thread>

#include "skyrel_main.h"

namespace fs = std::filesystem;

namespace {

const int WINDOW_TIMEOUT_MS = 20000;
const int RECENT_SHOTS = 40;             // screenshots kept besides the ones kept for good
const char* const MOVE_PAUSE = "0.03";   // seconds between two pointer moves of a drag
const char* const PRESS_PAUSE = "0.05";  // seconds on the aircraft before pressing
const char* const WINDOW_TITLE = "^Corvane \\(Ver\\. 1\\.01\\) - ";

std::string timeStamp()
{
    char text[32];
    const std::time_t now = std::time(nullptr);
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", std::localtime(&now));
    return text;
}

std::vector<std::string> pointerMove(Point p)
{
    return {"mousemove", std::to_string(p.x), std::to_string(p.y)};
}

}  // namespace

Player::Player(const std::string& artifactsRoot) : startTime(std::chrono::steady_clock::now())
{
    artifacts = artifactsRoot + "/run-" + timeStamp() + "-" + std::to_string(getpid());
    fs::create_directories(artifacts);
    log.open(artifacts + "/log.txt");
}

std::string Player::startGame()
{
    if (!x.ready())
        return "Xvfb did not start";
    workDir.linkBitmaps();
    std::vector<std::string> env = gameEnv("x11");
    env.push_back("DISPLAY=" + x.name());
    game = std::make_unique<ChildProcess>(std::vector<std::string>{CORVANE_BINARY}, env,
                                          workDir.path, artifacts + "/game-stderr.txt");
    if (!game->running())
        return "the game ended with status " + std::to_string(game->exitStatus()) +
               " before its window appeared";
    note("started the game in " + workDir.path + " on display " + x.name());
    if (x.waitForWindow(WINDOW_TITLE, WINDOW_TIMEOUT_MS).empty())
        return "no game window within " + std::to_string(WINDOW_TIMEOUT_MS) + " ms";
    // Without a window manager keys go to the window under the pointer.
    if (x.xdotool(pointerMove({SCREEN_WIDTH / 2, SCREEN_HEIGHT / 2})) != 0)
        return "xdotool could not move the pointer";
    note("the window is up");
    return "";
}

Picture Player::look()
{
    ++numShots;
    SurfacePtr shot = x.screenshot(shotFile(numShots));
    forgetOldLooks();
    return pictureOf(shot.get());
}

void Player::keepLastLook(const std::string& why)
{
    keptShots.insert(numShots);
    note("kept " + fs::path(shotFile(numShots)).filename().string() + ": " + why);
}

bool Player::drag(const Route& route)
{
    if (route.empty())
        return false;
    std::vector<std::string> args = pointerMove(route.front());
    args.insert(args.end(), {"sleep", PRESS_PAUSE, "mousedown", "1"});
    for (size_t i = 1; i < route.size(); ++i) {
        args.insert(args.end(), {"sleep", MOVE_PAUSE});
        const std::vector<std::string> move = pointerMove(route[i]);
        args.insert(args.end(), move.begin(), move.end());
    }
    args.insert(args.end(), {"sleep", MOVE_PAUSE, "mouseup", "1"});
    std::string points;
    for (const Point& p : route)
        points += " (" + std::to_string(p.x) + "," + std::to_string(p.y) + ")";
    note("drag:" + points);
    return x.xdotool(args) == 0;
}

bool Player::pressKey(const std::string& keyName)
{
    note("key " + keyName);
    return x.xdotool({"key", keyName}) == 0;
}

void Player::pause(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void Player::note(const std::string& text)
{
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "[%8.2f s] ", secondsPlayed());
    log << stamp << "#" << numShots << " " << text << std::endl;
}

int Player::waitForExit(int timeoutMs)
{
    return game ? game->waitForExit(timeoutMs) : -1;
}

std::string Player::gameErrors() const
{
    return readFile(artifacts + "/game-stderr.txt");
}

bool Player::hasHighscoreFile() const
{
    return fs::exists(workDir.file(HIGHSCORE_FILE));
}

std::string Player::highscoreFile() const
{
    return readFile(workDir.file(HIGHSCORE_FILE));
}

double Player::secondsPlayed() const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - startTime).count();
}

void Player::discardArtifacts()
{
    log.close();
    fs::remove_all(artifacts);
}

std::string Player::shotFile(int number) const
{
    char name[32];
    std::snprintf(name, sizeof name, "/shot-%05d.bmp", number);
    return artifacts + name;
}

void Player::forgetOldLooks()
{
    const int old = numShots - RECENT_SHOTS;
    if (old > 0 && keptShots.count(old) == 0)
        fs::remove(shotFile(old));
}
