// Start-up to the first frame, and the peak memory, of the real corvane in a
// window of an Xvfb server of its own.
//
//   startup_probe [--runs N] [--dummy]
//
// Each run starts the game with first_frame_probe preloaded, which reports
// when the first SDL_Flip has returned, counted from the launcher's clock
// reading taken before the fork. The game then plays for a few seconds; its
// peak resident memory (VmHWM) is read from /proc, and Escape ends it, which
// must give status 0. A last run under GNU time reports its maximum
// resident set size as a second opinion. With --dummy the game runs on the
// dummy video driver instead and is killed after its first frame.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench_args.h"
#include "bench_stats.h"
#include "game_process.h"
#include "x_session.h"

namespace fs = std::filesystem;

namespace {

const int DEFAULT_RUNS = 10;
const int FIRST_FRAME_TIMEOUT_MS = 10000;
const int PLAY_MS = 3000;  // of play before the peak memory is read
const int EXIT_TIMEOUT_MS = 10000;
const int POLL_MS = 1;

struct Options {
    int runs = DEFAULT_RUNS;
    bool dummy = false;
};

struct RunResult {
    double firstFrameMs = -1.0;
    long peakKb = -1;
    int status = -1;
};

bool parseOptions(int argc, char** argv, Options* options)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--dummy") == 0) {
            options->dummy = true;
        } else if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
            options->runs = countOr(argv[++i], 0);
        } else {
            fprintf(stderr, "usage: %s [--runs N] [--dummy]\n", argv[0]);
            return false;
        }
    }
    return options->runs > 0;
}

long long monotonicNanoseconds()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

void sleepMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Waits for a file to hold a line; answers its contents or "".
std::string waitForFile(const std::string& path, int timeoutMs)
{
    for (int waited = 0; waited < timeoutMs; waited += POLL_MS) {
        std::string text = readFile(path);
        if (!text.empty() && text.back() == '\n')
            return text;
        sleepMs(POLL_MS);
    }
    return "";
}

// A field of a /proc/<pid>/status file in kB, or -1.
long readStatusKb(const std::string& statusFile, const std::string& field)
{
    const std::string status = readFile(statusFile);
    const size_t at = status.find(field + ":");
    if (at == std::string::npos)
        return -1;
    return static_cast<long>(leadingNumberOr(status.c_str() + at + field.size() + 1, -1));
}

// Ends the game as a player would: Escape in its window.
int quitGame(const XServer& x, ChildProcess* game)
{
    x.xdotool({"mousemove", "320", "240"});
    x.xdotool({"key", "Escape"});
    return game->waitForExit(EXIT_TIMEOUT_MS);
}

RunResult runOnce(const XServer* x, const std::string& folder)
{
    const std::string frameFile = folder + "/first_frame.txt";
    fs::remove(frameFile);
    std::vector<std::string> env = {"LD_PRELOAD=" CORVANE_FIRST_FRAME_PROBE,
                                    "CORVANE_FIRST_FRAME_FILE=" + frameFile};
    if (x) {
        env.emplace_back("SDL_VIDEODRIVER=x11");
        env.push_back("DISPLAY=" + x->name());
    } else {
        env.emplace_back("SDL_VIDEODRIVER=dummy");
    }
    env.push_back("CORVANE_LAUNCH_NS=" + std::to_string(monotonicNanoseconds()));
    ChildProcess game({CORVANE_BINARY}, env, folder, folder + "/stderr.txt");

    RunResult result;
    const std::string shown = waitForFile(frameFile, FIRST_FRAME_TIMEOUT_MS);
    if (shown.empty())
        return result;
    result.firstFrameMs = static_cast<double>(leadingNumberOr(shown.c_str(), 0)) / 1e6;
    if (!x)
        return result;
    sleepMs(PLAY_MS);
    result.peakKb = readStatusKb(game.procFile("status"), "VmHWM");
    result.status = quitGame(*x, &game);
    return result;
}

// Maximum resident set size in kB by GNU time, over a run of PLAY_MS.
long measurePeakWithTime(const XServer& x, const std::string& folder)
{
    const std::string report = folder + "/time.txt";
    ChildProcess game({"/usr/bin/time", "-f", "%M", "-o", report, CORVANE_BINARY},
                      {"SDL_VIDEODRIVER=x11", "DISPLAY=" + x.name()}, folder,
                      folder + "/stderr.txt");
    if (x.waitForWindow("^Corvane", FIRST_FRAME_TIMEOUT_MS).empty())
        return -1;
    sleepMs(PLAY_MS);
    if (quitGame(x, &game) != 0)
        return -1;
    return static_cast<long>(leadingNumberOr(readFile(report).c_str(), -1));
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

    std::unique_ptr<XServer> x;
    if (!options.dummy) {
        x = std::make_unique<XServer>();
        if (!x->ready()) {
            fprintf(stderr, "Couldn't start Xvfb\n");
            return 1;
        }
    }

    std::vector<double> firstFrameMs;
    std::vector<double> peakKb;
    bool failed = false;
    for (int run = 1; run <= options.runs; ++run) {
        const RunResult r = runOnce(x.get(), folder);
        printf("run %d: first frame %.1f ms, VmHWM %ld kB, exit status %d\n", run, r.firstFrameMs,
               r.peakKb, r.status);
        failed |= r.firstFrameMs < 0 || (x && (r.status != 0 || r.peakKb < 0));
        if (r.firstFrameMs >= 0)
            firstFrameMs.push_back(r.firstFrameMs);
        if (r.peakKb >= 0)
            peakKb.push_back(static_cast<double>(r.peakKb));
    }
    printf("first frame ms (%s): median %.1f  min %.1f  max %.1f\n",
           options.dummy ? "dummy" : "x11 under Xvfb", medianOf(firstFrameMs),
           percentileOf(firstFrameMs, 0.0), percentileOf(firstFrameMs, 100.0));
    if (x) {
        printf("VmHWM kB: median %.0f  min %.0f  max %.0f\n", medianOf(peakKb),
               percentileOf(peakKb, 0.0), percentileOf(peakKb, 100.0));
        const long timePeak = measurePeakWithTime(*x, folder);
        printf("GNU time maximum resident set size: %ld kB\n", timePeak);
        failed |= timePeak < 0;
    }
    return failed ? 1 : 0;
}
