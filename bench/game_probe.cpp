// The real corvane measured from outside, in a window of an Xvfb of its own.
//
//   game_probe startup [--runs N] [--binary PATH]
//   game_probe halt [--seconds N] [--scale N] [--mute] [--shots DIR] [--binary PATH]
//
// startup: N runs (10 by default), each timing the first frame (the
// preloaded probe reports it), reading VmHWM after PLAY_MS of play and
// ending with Escape, which must give status 0; one more run under GNU time
// gives its maximum resident set size.
// halt: over N seconds (10 by default) running, paused, and after the first
// crash (nobody steers), told apart on screenshots by the pause and
// press-key texts (--shots keeps them): the processor time of the game and
// of Xvfb, the game's wakeups a second (context switches of all its
// threads) and the passes of its main loop a second, one tick each while it
// runs (the preloaded probe counts them). --scale and --mute are handed to
// the game, whose Xvfb is as large as its window; its sound goes to SDL's
// dummy audio driver unless SDL_AUDIODRIVER names another.
// --binary measures another build; the SDL library it loaded is printed.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench_util.h"
#include "skyrel_main.h"
#include "x_session.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

const int WINDOW_TIMEOUT_MS = 10000;  // also for the first frame and the exit
const int PLAY_MS = 3000;             // of play before the peak memory is read
const int FRAME_POLL_MS = 1;
const int SCREEN_TIMEOUT_MS = 10000;
const int SCREEN_POLL_MS = 500;
const int CRASH_TIMEOUT_MS = 900000;
const int CRASH_POLL_MS = 2000;

struct Options {
    std::string mode;  // "startup" or "halt"
    int runs = 10;
    int seconds = 10;
    int scale = 1;
    bool mute = false;
    std::string shotsDir;
    std::string binary = CORVANE_BINARY;
};

bool parseOptions(int argc, char** argv, Options* options)
{
    bool known =
        argc > 1 && (std::strcmp(argv[1], "startup") == 0 || std::strcmp(argv[1], "halt") == 0);
    if (known)
        options->mode = argv[1];
    for (int i = 2; known && i < argc; ++i) {
        const bool valued = i + 1 < argc;
        if (valued && std::strcmp(argv[i], "--runs") == 0)
            options->runs = countOf(argv[++i]);
        else if (valued && std::strcmp(argv[i], "--seconds") == 0)
            options->seconds = countOf(argv[++i]);
        else if (valued && std::strcmp(argv[i], "--scale") == 0)
            options->scale = countOf(argv[++i]);
        else if (std::strcmp(argv[i], "--mute") == 0)
            options->mute = true;
        else if (valued && std::strcmp(argv[i], "--shots") == 0)
            options->shotsDir = argv[++i];
        else if (valued && std::strcmp(argv[i], "--binary") == 0)
            options->binary = argv[++i];
        else
            known = false;
    }
    if (known && options->runs > 0 && options->seconds > 0 && options->scale > 0)
        return true;
    fprintf(stderr,
            "usage: %s startup [--runs N] [--binary PATH]\n"
            "       %s halt [--seconds N] [--scale N] [--mute] [--shots DIR] [--binary PATH]\n",
            argv[0], argv[0]);
    return false;
}

void sleepMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// The game, or a command that runs it, in a window of the probe's Xvfb.
ChildProcess startGame(const XServer& x, const std::string& folder,
                       const std::vector<std::string>& command, std::vector<std::string> env)
{
    const char* audio = getenv("SDL_AUDIODRIVER");
    env.emplace_back("SDL_VIDEODRIVER=x11");
    env.push_back(std::string("SDL_AUDIODRIVER=") + (audio ? audio : "dummy"));
    env.push_back("DISPLAY=" + x.name());
    return {command, env, folder, folder + "/stderr.txt"};
}

// Ends the game as a player would, with Escape in its window; answers its exit status.
int quitGame(const XServer& x, ChildProcess* game)
{
    x.run({"xdotool", "mousemove", "320", "240"});
    x.run({"xdotool", "key", "Escape"});
    return game->waitForExit(WINDOW_TIMEOUT_MS);
}

// The SDL 1.2 library in the game's memory map.
std::string sdlLibraryOf(ChildProcess* game)
{
    std::istringstream maps(readFile(game->procFile("maps")));
    std::string line;
    while (std::getline(maps, line) && line.find("libSDL-1.2") == std::string::npos) { }
    return line.substr(line.rfind(' ') + 1);
}

struct StartupRun {
    double firstFrameMs = -1.0;
    long long peakKb = -1;
    int status = -1;
};

// One run: the first frame, and after PLAY_MS of play the peak memory, from
// /proc or, underGnuTime, from GNU time's report once Escape has ended it.
StartupRun startOnce(const XServer& x, const std::string& folder, const Options& options,
                     bool underGnuTime)
{
    const std::string frameFile = folder + "/first_frame.txt";
    const std::string report = folder + "/time.txt";
    fs::remove(frameFile);
    std::vector<std::string> command = {options.binary};
    if (underGnuTime)
        command.insert(command.begin(), {"/usr/bin/time", "-f", "%M", "-o", report});
    const std::string launchNs = std::to_string(monotonicNanoseconds());
    ChildProcess game =
        startGame(x, folder, command,
                  {"LD_PRELOAD=" CORVANE_PROBE_PRELOAD, "CORVANE_FIRST_FRAME_FILE=" + frameFile,
                   "CORVANE_LAUNCH_NS=" + launchNs});
    StartupRun run;
    std::string shown;
    for (int waited = 0; waited < WINDOW_TIMEOUT_MS && shown.empty(); waited += FRAME_POLL_MS) {
        sleepMs(FRAME_POLL_MS);
        shown = readFile(frameFile);
        if (!shown.empty() && shown.back() != '\n')
            shown.clear();  // not all written yet
    }
    if (shown.empty())
        return run;
    run.firstFrameMs = static_cast<double>(numberOr(shown.c_str(), 0)) / 1e6;
    sleepMs(PLAY_MS);
    const std::string status = readFile(game.procFile("status"));
    const size_t peak = status.find("VmHWM:");
    if (!underGnuTime && peak != std::string::npos)
        run.peakKb = numberOr(status.c_str() + peak + std::strlen("VmHWM:"), -1);
    run.status = quitGame(x, &game);
    if (underGnuTime)
        run.peakKb = numberOr(readFile(report).c_str(), -1);
    return run;
}

bool measureStartup(const XServer& x, const std::string& folder, const Options& options)
{
    std::vector<double> firstFrameMs;
    std::vector<double> peakKb;
    bool failed = false;
    for (int run = 1; run <= options.runs; ++run) {
        const StartupRun r = startOnce(x, folder, options, false);
        printf("run %d: first frame %.1f ms, VmHWM %lld kB, exit status %d\n", run, r.firstFrameMs,
               r.peakKb, r.status);
        failed |= r.firstFrameMs < 0 || r.peakKb < 0 || r.status != 0;
        firstFrameMs.push_back(r.firstFrameMs);
        peakKb.push_back(static_cast<double>(r.peakKb));
    }
    printf("first frame ms: median %.1f  min %.1f  max %.1f\n", medianOf(firstFrameMs),
           percentileOf(firstFrameMs, 0.0), percentileOf(firstFrameMs, 100.0));
    printf("VmHWM kB: median %.0f  min %.0f  max %.0f\n", medianOf(peakKb),
           percentileOf(peakKb, 0.0), percentileOf(peakKb, 100.0));
    const StartupRun timed = startOnce(x, folder, options, true);
    printf("GNU time maximum resident set size: %lld kB, exit status %d\n", timed.peakKb,
           timed.status);
    return !failed && timed.peakKb >= 0 && timed.status == 0;
}

// User plus system time of a process in clock ticks; -1 when it is gone.
long long cpuTicksOf(const std::string& statFile)
{
    // After the command's closing parenthesis: the state is field 3, utime 14,
    // stime 15. A process that is gone leaves an empty file: nothing to read.
    const std::string stat = readFile(statFile);
    std::istringstream fields(stat.substr(stat.rfind(')') + 1));
    std::string skipped;
    for (int field = 3; field < 14; ++field)
        fields >> skipped;
    long long user = 0;
    long long system = 0;
    return fields >> user >> system ? user + system : -1;
}

// Context switches of all the threads of a process: each is a wakeup.
long long wakeupsOf(ChildProcess* game)
{
    long long wakeups = 0;
    std::error_code error;
    for (const auto& task : fs::directory_iterator(game->procFile("task"), error)) {
        std::istringstream status(readFile(task.path().string() + "/status"));
        std::string line;
        while (std::getline(status, line)) {
            if (line.find("ctxt_switches:") != std::string::npos)
                wakeups += numberOr(line.c_str() + line.find(':') + 1, 0);
        }
    }
    return wakeups;
}

// The passes of the game's main loop so far, as the preloaded probe counts them.
long long passesOf(const std::string& folder)
{
    const std::string count = readFile(folder + "/passes");
    long long passes = 0;
    if (count.size() == sizeof passes)
        std::memcpy(&passes, count.data(), sizeof passes);
    return passes;
}

// The /proc stat file of this process's child with the given command name, or "".
std::string childStatFile(const std::string& name)
{
    const std::string self = std::to_string(getpid());
    std::istringstream children(readFile("/proc/" + self + "/task/" + self + "/children"));
    std::string pid;
    while (children >> pid) {
        if (readFile("/proc/" + pid + "/comm") == name + "\n")
            return "/proc/" + pid + "/stat";
    }
    return "";
}

// What the halt measurement watches.
struct HaltedGame {
    const XServer& x;
    const std::string& folder;
    const Options& options;
    ChildProcess& game;
    std::string serverStat;
};

// Whether nine in ten of the visible pixels of the text bitmap show on the
// screenshot of a window of the given scale, centred at y.
bool shows(SDL_Surface* shot, const char* textFile, int y, const HaltedGame& h)
{
    const SurfacePtr text(SDL_LoadBMP((h.folder + "/" + textFile).c_str()));
    if (!shot || !text)
        return false;
    const int left = (SCREEN_WIDTH - text->w) / 2;
    const int scale = h.options.scale;
    int visible = 0;
    int matching = 0;
    for (int ty = 0; ty < text->h; ++ty) {
        for (int tx = 0; tx < text->w; ++tx) {
            const Uint32 colour = rgb565At(text.get(), tx, ty);
            visible += colour != 0 ? 1 : 0;
            matching +=
                colour != 0 && rgb565At(shot, (left + tx) * scale, (y + ty) * scale) == colour ? 1
                                                                                               : 0;
        }
    }
    return visible > 0 && matching * 10 >= visible * 9;
}

// What the screen shows, as told by the two texts.
enum class Screen { Play, Paused, GameOver };

Screen readScreen(const HaltedGame& h)
{
    const SurfacePtr shot = h.x.screenshot(h.folder + "/shot.bmp");
    if (shows(shot.get(), PAUSE_TEXT_FILE, PAUSE_TEXT_Y, h))
        return Screen::Paused;
    if (shows(shot.get(), PRESSKEY_TEXT_FILE, PRESSKEY_TEXT_Y, h))
        return Screen::GameOver;
    return Screen::Play;
}

// Waits for the screen; keeps its screenshot as name.bmp when asked to.
bool waitForScreen(const HaltedGame& h, Screen wanted, const char* name, int timeoutMs, int pollMs)
{
    for (int waited = 0; waited <= timeoutMs; waited += pollMs) {
        if (readScreen(h) == wanted) {
            if (!h.options.shotsDir.empty())
                fs::copy_file(h.folder + "/shot.bmp", h.options.shotsDir + "/" + name + ".bmp",
                              fs::copy_options::overwrite_existing);
            return true;
        }
        sleepMs(pollMs);
    }
    fprintf(stderr, "no %s screen within %d s\n", name, timeoutMs / 1000);
    return false;
}

// Reports the percent of one core that the game and the X server used over
// the given time in a state; answers whether the state's screen lasted.
bool measureState(const HaltedGame& h, const char* state, Screen screen)
{
    const long long gameBefore = cpuTicksOf(h.game.procFile("stat"));
    const long long serverBefore = cpuTicksOf(h.serverStat);
    const long long wakeupsBefore = wakeupsOf(&h.game);
    const long long passesBefore = passesOf(h.folder);
    const Clock::time_point start = Clock::now();
    sleepMs(h.options.seconds * 1000);
    const long long gameTicks = cpuTicksOf(h.game.procFile("stat")) - gameBefore;
    const long long serverTicks = cpuTicksOf(h.serverStat) - serverBefore;
    const long long wakeups = wakeupsOf(&h.game) - wakeupsBefore;
    const long long passes = passesOf(h.folder) - passesBefore;
    const double wallS = std::chrono::duration<double>(Clock::now() - start).count();
    const auto ticksPerS = static_cast<double>(sysconf(_SC_CLK_TCK));
    printf("%s over %.2f s: corvane %.2f %% of one core (%lld ticks of 1/%.0f s), Xvfb %.2f %%, "
           "%.1f wakeups/s, %.1f passes/s\n",
           state, wallS, 100.0 * static_cast<double>(gameTicks) / ticksPerS / wallS, gameTicks,
           ticksPerS, 100.0 * static_cast<double>(serverTicks) / ticksPerS / wallS,
           static_cast<double>(wakeups) / wallS, static_cast<double>(passes) / wallS);
    fflush(stdout);
    if (readScreen(h) == screen)
        return true;
    fprintf(stderr, "the game left the %s screen by itself\n", state);
    return false;
}

// Measures the running, paused and game-over states in turn; answers false
// when one of them could not be reached or did not last.
bool measureStates(const HaltedGame& h)
{
    h.x.run({"xdotool", "mousemove", "320", "240"});
    if (!measureState(h, "running", Screen::Play))
        return false;
    h.x.run({"xdotool", "key", "p"});
    if (!waitForScreen(h, Screen::Paused, "paused", SCREEN_TIMEOUT_MS, SCREEN_POLL_MS) ||
        !measureState(h, "paused", Screen::Paused))
        return false;
    h.x.run({"xdotool", "key", "space"});
    if (!waitForScreen(h, Screen::Play, "play", SCREEN_TIMEOUT_MS, SCREEN_POLL_MS))
        return false;
    const Clock::time_point resumed = Clock::now();
    if (!waitForScreen(h, Screen::GameOver, "game-over", CRASH_TIMEOUT_MS, CRASH_POLL_MS))
        return false;
    printf("game over %.0f s after resuming\n",
           std::chrono::duration<double>(Clock::now() - resumed).count());
    return measureState(h, "game over", Screen::GameOver);
}

bool measureHalt(const XServer& x, const std::string& folder, const Options& options)
{
    std::vector<std::string> command = {options.binary};
    if (options.scale != 1)  // a game from before --scale runs too
        command.insert(command.end(), {"--scale", std::to_string(options.scale)});
    if (options.mute)
        command.emplace_back("--mute");
    ChildProcess game =
        startGame(x, folder, command,
                  {"LD_PRELOAD=" CORVANE_PROBE_PRELOAD, "CORVANE_PASS_FILE=" + folder + "/passes"});
    const HaltedGame halted{x, folder, options, game, childStatFile("Xvfb")};
    if (halted.serverStat.empty() ||
        x.run({"xdotool", "search", "--sync", "--name", "^Corvane"}) != 0) {
        fprintf(stderr, "no Xvfb process or no game window\n");
        return false;
    }
    printf("%s with %s\n", options.binary.c_str(), sdlLibraryOf(&game).c_str());
    const bool measured = measureStates(halted);
    printf("exit status after Escape: %d\n", quitGame(x, &game));
    return measured;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!parseOptions(argc, argv, &options))
        return 1;
    const WorkFolder work(WorkFolder::WITH_BITMAPS);
    const XServer x(SCREEN_WIDTH * options.scale, SCREEN_HEIGHT * options.scale);
    if (x.name().empty()) {
        fprintf(stderr, "Couldn't start Xvfb\n");
        return 1;
    }
    const bool measured = options.mode == "startup" ? measureStartup(x, work.path, options)
                                                    : measureHalt(x, work.path, options);
    return measured ? 0 : 1;
}
