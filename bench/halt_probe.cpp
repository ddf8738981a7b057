// The processor time of a halted game: the real corvane in a window of an
// Xvfb server of its own, running, paused with a key, and after a game over.
//
//   halt_probe [--seconds N] [--crash-timeout-s N] [--shots DIR] [--binary PATH]
//
// Each state is measured over N seconds (10 by default) from the user and
// system time of the process in /proc/<pid>/stat, and so is the X server's.
// The pause and the game over are recognised on screenshots: the pause text
// and the press-key text at their places. Nobody steers the aircraft, so
// the game over is the first crash of aircraft flying on their own.
// --binary measures another build of the game (an older one, say); the SDL
// library that the game loaded is printed from its memory map.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <utility>

#include "bench_args.h"
#include "game_process.h"
#include "skyrel_main.h"
#include "x_session.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

const int DEFAULT_SECONDS = 10;
const int DEFAULT_CRASH_TIMEOUT_S = 900;
const int WINDOW_TIMEOUT_MS = 10000;
const int SCREEN_TIMEOUT_MS = 10000;
const int SCREEN_POLL_MS = 500;
const int CRASH_POLL_MS = 2000;

struct Options {
    int seconds = DEFAULT_SECONDS;
    int crashTimeoutS = DEFAULT_CRASH_TIMEOUT_S;
    std::string shotsDir;
    std::string binary = CORVANE_BINARY;
};

// What the screen shows, as told by the two texts.
enum class Screen { Play, Paused, GameOver };

bool parseOptions(int argc, char** argv, Options* options)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
            options->seconds = countOr(argv[++i], 0);
        } else if (std::strcmp(argv[i], "--crash-timeout-s") == 0 && i + 1 < argc) {
            options->crashTimeoutS = countOr(argv[++i], 0);
        } else if (std::strcmp(argv[i], "--shots") == 0 && i + 1 < argc) {
            options->shotsDir = argv[++i];
        } else if (std::strcmp(argv[i], "--binary") == 0 && i + 1 < argc) {
            options->binary = argv[++i];
        } else {
            fprintf(stderr,
                    "usage: %s [--seconds N] [--crash-timeout-s N] [--shots DIR] [--binary PATH]\n",
                    argv[0]);
            return false;
        }
    }
    return options->seconds > 0 && options->crashTimeoutS > 0;
}

void sleepMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// User plus system time of a process, in clock ticks; -1 when it is gone.
long long cpuTicksOf(const std::string& statFile)
{
    const std::string stat = readFile(statFile);
    const size_t end = stat.rfind(')');
    if (end == std::string::npos)
        return -1;
    // After the command's closing parenthesis: state is field 3, utime 14, stime 15.
    const char* p = stat.c_str() + end + 2;
    long long fields[13] = {};
    char state = 0;
    // NOLINTNEXTLINE(cert-err34-c): the kernel writes these numbers; they fit
    if (sscanf(p, "%c %lld %lld %lld %lld %lld %lld %lld %lld %lld %lld %lld %lld", &state,
               &fields[0], &fields[1], &fields[2], &fields[3], &fields[4], &fields[5], &fields[6],
               &fields[7], &fields[8], &fields[9], &fields[10], &fields[11]) != 13)
        return -1;
    return fields[10] + fields[11];
}

// The process of this one's children with the given command name, or -1.
pid_t findChildNamed(const std::string& name)
{
    for (const fs::directory_entry& entry : fs::directory_iterator("/proc")) {
        const std::string pidText = entry.path().filename();
        if (pidText.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const std::string stat = readFile(entry.path().string() + "/stat");
        const size_t open = stat.find('(');
        const size_t close = stat.rfind(')');
        if (open == std::string::npos || close == std::string::npos)
            continue;
        char state = 0;
        int parent = 0;
        if (stat.substr(open + 1, close - open - 1) == name &&
            // NOLINTNEXTLINE(cert-err34-c): the kernel writes the parent's id; it fits
            sscanf(stat.c_str() + close + 2, "%c %d", &state, &parent) == 2 && parent == getpid())
            return static_cast<pid_t>(countOr(pidText.c_str(), -1));
    }
    return -1;
}

// The path of the SDL 1.2 library named in a process's maps file, or "".
std::string sdlLibraryOf(const std::string& mapsFile)
{
    const std::string maps = readFile(mapsFile);
    const size_t name = maps.find("libSDL-1.2");
    if (name == std::string::npos)
        return "";
    const size_t start = maps.rfind(' ', name) + 1;
    return maps.substr(start, maps.find('\n', name) - start);
}

// Percent of one core that each process used over the given time.
void reportCpu(const char* what, const std::string& gameStat, const std::string& serverStat,
               int seconds)
{
    const long long gameBefore = cpuTicksOf(gameStat);
    const long long serverBefore = cpuTicksOf(serverStat);
    const Clock::time_point start = Clock::now();
    sleepMs(seconds * 1000);
    const long long gameAfter = cpuTicksOf(gameStat);
    const long long serverAfter = cpuTicksOf(serverStat);
    const double wallS = std::chrono::duration<double>(Clock::now() - start).count();
    const auto ticksPerS = static_cast<double>(sysconf(_SC_CLK_TCK));
    printf("%s over %.2f s: corvane %.2f %% of one core (%lld ticks of 1/%.0f s), Xvfb %.2f %%\n",
           what, wallS, 100.0 * static_cast<double>(gameAfter - gameBefore) / ticksPerS / wallS,
           gameAfter - gameBefore, ticksPerS,
           100.0 * static_cast<double>(serverAfter - serverBefore) / ticksPerS / wallS);
    fflush(stdout);
}

// Tells the three screens apart by their texts, on screenshots.
class ScreenWatch {
public:
    ScreenWatch(const XServer& x, const std::string& folder, std::string shotsDir)
        : x(x),
          shotFile(folder + "/shot.bmp"),
          shotsDir(std::move(shotsDir)),
          pauseText(SDL_LoadBMP((folder + "/" + PAUSE_TEXT_FILE).c_str())),
          presskeyText(SDL_LoadBMP((folder + "/" + PRESSKEY_TEXT_FILE).c_str()))
    {
    }

    bool ready() const { return pauseText && presskeyText; }

    Screen read() const
    {
        SurfacePtr shot = x.screenshot(shotFile);
        if (!shot)
            return Screen::Play;
        if (shows(shot.get(), pauseText.get(), PAUSE_TEXT_Y))
            return Screen::Paused;
        if (shows(shot.get(), presskeyText.get(), PRESSKEY_TEXT_Y))
            return Screen::GameOver;
        return Screen::Play;
    }

    bool waitFor(Screen wanted, int timeoutMs, int pollMs) const
    {
        for (int waited = 0; waited <= timeoutMs; waited += pollMs) {
            if (read() == wanted)
                return true;
            sleepMs(pollMs);
        }
        return false;
    }

    // Keeps the last screenshot under the given name, when asked to.
    void keepLastShot(const std::string& name) const
    {
        if (!shotsDir.empty())
            fs::copy_file(shotFile, shotsDir + "/" + name, fs::copy_options::overwrite_existing);
    }

private:
    // Whether nine in ten of the text's visible pixels show, centred at y.
    static bool shows(SDL_Surface* shot, SDL_Surface* text, int y)
    {
        const int left = (SCREEN_WIDTH - text->w) / 2;
        int visible = 0;
        int matching = 0;
        for (int ty = 0; ty < text->h; ++ty) {
            for (int tx = 0; tx < text->w; ++tx) {
                const Uint32 colour = rgb565At(text, tx, ty);
                visible += colour != 0;
                matching += colour != 0 && rgb565At(shot, left + tx, y + ty) == colour;
            }
        }
        return matching * 10 >= visible * 9;
    }

    const XServer& x;
    std::string shotFile;
    std::string shotsDir;
    SurfacePtr pauseText;
    SurfacePtr presskeyText;
};

// Measures the running, paused and game-over states in turn; answers false
// when one of them could not be reached.
bool measureHaltedGame(const XServer& x, const ScreenWatch& reader, ChildProcess* game,
                       const std::string& serverStat, const Options& options)
{
    x.xdotool({"mousemove", "320", "240"});
    reportCpu("running", game->procFile("stat"), serverStat, options.seconds);

    x.xdotool({"key", "p"});
    if (!reader.waitFor(Screen::Paused, SCREEN_TIMEOUT_MS, SCREEN_POLL_MS)) {
        fprintf(stderr, "the pause screen did not appear\n");
        return false;
    }
    reader.keepLastShot("paused.bmp");
    reportCpu("paused", game->procFile("stat"), serverStat, options.seconds);
    if (reader.read() != Screen::Paused) {
        fprintf(stderr, "the game left the pause by itself\n");
        return false;
    }

    x.xdotool({"key", "space"});
    if (!reader.waitFor(Screen::Play, SCREEN_TIMEOUT_MS, SCREEN_POLL_MS)) {
        fprintf(stderr, "the game did not resume\n");
        return false;
    }
    const Clock::time_point resumed = Clock::now();
    if (!reader.waitFor(Screen::GameOver, options.crashTimeoutS * 1000, CRASH_POLL_MS)) {
        fprintf(stderr, "no crash within %d s\n", options.crashTimeoutS);
        return false;
    }
    printf("game over %.0f s after resuming\n",
           std::chrono::duration<double>(Clock::now() - resumed).count());
    reader.keepLastShot("game_over.bmp");
    reportCpu("game over", game->procFile("stat"), serverStat, options.seconds);
    if (reader.read() != Screen::GameOver) {
        fprintf(stderr, "the game left the game-over screen by itself\n");
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!parseOptions(argc, argv, &options))
        return 1;
    WorkFolder work;
    work.linkBitmaps();
    const std::string& folder = work.path;

    bool measured = false;
    {
        XServer x;
        const pid_t server = findChildNamed("Xvfb");
        ScreenWatch reader(x, folder, options.shotsDir);
        if (!x.ready() || server < 0 || !reader.ready()) {
            fprintf(stderr, "Couldn't start Xvfb or load the texts\n");
            return 1;
        }
        ChildProcess game({options.binary}, {"SDL_VIDEODRIVER=x11", "DISPLAY=" + x.name()}, folder,
                          folder + "/stderr.txt");
        if (x.waitForWindow("^Corvane", WINDOW_TIMEOUT_MS).empty()) {
            fprintf(stderr, "no game window\n");
            return 1;
        }
        printf("%s with %s\n", options.binary.c_str(), sdlLibraryOf(game.procFile("maps")).c_str());
        measured = measureHaltedGame(x, reader, &game, "/proc/" + std::to_string(server) + "/stat",
                                     options);
        x.xdotool({"key", "Escape"});
        printf("exit status after Escape: %d\n", game.waitForExit(WINDOW_TIMEOUT_MS));
    }
    return measured ? 0 : 1;
}
