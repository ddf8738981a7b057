// The pace of running play: the real doGameTickTasks in a loop, on the real
// clock and the real SDL_Delay, with all twenty aircraft in flight on short
// routes (put back every TICKS_BETWEEN_RESTORES ticks, between two ticks).
//
//   pacing_probe [--seconds N] [--x11]
//
// Reports ticks per second, the spread of the intervals from the end of one
// tick to the end of the next, how long each SDL_Delay asked for and actually
// slept (the linker sends the game's SDL_Delay through the wrapper below,
// which times the real one), and the processor time the run took. The game
// naps through the last millisecond of each wait; those naps are not timed.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench_args.h"
#include "bench_stats.h"
#include "flight_field.h"
#include "x_session.h"

// The names the linker gives the real and the wrapped SDL_Delay (--wrap).
extern "C" void __real_SDL_Delay(Uint32 ms);  // NOLINT(bugprone-reserved-identifier)

namespace {

using Clock = std::chrono::steady_clock;

const int DEFAULT_SECONDS = 60;
const double TICK_PERIOD_US = 1000.0 * TICK_PERIOD;
const double LATE_MARGIN_US = 500.0;  // an interval this much over the period counts as late

struct DelayRecord {
    std::vector<double> askedUs;
    std::vector<double> sleptUs;
};
DelayRecord delayRecord;

struct Options {
    int seconds = DEFAULT_SECONDS;
    bool x11 = false;
};

bool parseOptions(int argc, char** argv, Options* options)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--x11") == 0) {
            options->x11 = true;
        } else if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
            options->seconds = countOr(argv[++i], 0);
        } else {
            fprintf(stderr, "usage: %s [--seconds N] [--x11]\n", argv[0]);
            return false;
        }
    }
    return options->seconds > 0;
}

double microsecondsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::micro>(to - from).count();
}

double meanOf(const std::vector<double>& samples)
{
    double sum = 0.0;
    for (double v : samples)
        sum += v;
    return samples.empty() ? 0.0 : sum / static_cast<double>(samples.size());
}

double processorSeconds()
{
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Runs ticks for the given time; answers the moment each tick ended.
std::vector<Clock::time_point> runPacedTicks(int seconds)
{
    launchFleet(RouteShape::Short);
    const FleetSnapshot start = saveFleet();
    std::vector<Clock::time_point> tickEnds;
    const size_t expectedTicks = static_cast<size_t>(seconds) * 1000 / TICK_PERIOD + 1000;
    tickEnds.reserve(expectedTicks);
    // The delay wrapper must not allocate inside a tick.
    delayRecord.askedUs.reserve(expectedTicks);
    delayRecord.sleptUs.reserve(expectedTicks);
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(seconds);
    int sinceRestore = 0;
    lastTick = SDL_GetTicks();
    while (Clock::now() < deadline) {
        if (sinceRestore == TICKS_BETWEEN_RESTORES) {
            const std::string lost = findAircraftOutOfFlight();
            if (!lost.empty()) {
                fprintf(stderr, "%s\n", lost.c_str());
                break;
            }
            restoreFleet(start);
            sinceRestore = 0;
        }
        if (!doGameTickTasks()) {
            fprintf(stderr, "a tick ended the game\n");
            break;
        }
        tickEnds.push_back(Clock::now());
        ++sinceRestore;
    }
    return tickEnds;
}

void reportIntervals(const std::vector<Clock::time_point>& tickEnds)
{
    if (tickEnds.size() < 2) {
        printf("too few ticks: %zu\n", tickEnds.size());
        return;
    }
    std::vector<double> intervalsUs;
    int late = 0;
    for (size_t i = 1; i < tickEnds.size(); ++i) {
        const double us = microsecondsBetween(tickEnds[i - 1], tickEnds[i]);
        intervalsUs.push_back(us);
        if (us > TICK_PERIOD_US + LATE_MARGIN_US)
            ++late;
    }
    const double spanS = microsecondsBetween(tickEnds.front(), tickEnds.back()) / 1e6;
    const double rate = static_cast<double>(intervalsUs.size()) / spanS;
    printf("ticks: %zu over %.3f s\n", tickEnds.size(), spanS);
    printf("ticks per second: %.2f (%+.2f %% from 100)\n", rate, rate - 100.0);
    printf("interval us: mean %.0f  min %.0f  p1 %.0f  median %.0f  p99 %.0f  max %.0f\n",
           meanOf(intervalsUs), percentileOf(intervalsUs, 0.0), percentileOf(intervalsUs, 1.0),
           medianOf(intervalsUs), percentileOf(intervalsUs, 99.0),
           percentileOf(intervalsUs, 100.0));
    printf("intervals over %.1f ms: %d\n", (TICK_PERIOD_US + LATE_MARGIN_US) / 1000.0, late);
}

void reportDelays()
{
    std::vector<double> oversleepUs;
    for (size_t i = 0; i < delayRecord.askedUs.size(); ++i)
        oversleepUs.push_back(delayRecord.sleptUs[i] - delayRecord.askedUs[i]);
    printf("delays: %zu, asked ms: median %.0f  min %.0f  max %.0f\n", delayRecord.askedUs.size(),
           medianOf(delayRecord.askedUs) / 1000.0, percentileOf(delayRecord.askedUs, 0.0) / 1000.0,
           percentileOf(delayRecord.askedUs, 100.0) / 1000.0);
    printf("slept beyond the asked time, us: mean %.0f  median %.0f  p99 %.0f  max %.0f\n",
           meanOf(oversleepUs), medianOf(oversleepUs), percentileOf(oversleepUs, 99.0),
           percentileOf(oversleepUs, 100.0));
}

}  // namespace

extern "C" {

void __wrap_SDL_Delay(Uint32 ms)  // NOLINT(bugprone-reserved-identifier): as above
{
    const Clock::time_point start = Clock::now();
    __real_SDL_Delay(ms);
    delayRecord.askedUs.push_back(1000.0 * ms);
    delayRecord.sleptUs.push_back(microsecondsBetween(start, Clock::now()));
}
}

int main(int argc, char** argv)
{
    Options options;
    if (!parseOptions(argc, argv, &options))
        return 1;
    std::unique_ptr<XServer> xServer;
    if (!selectDisplay(options.x11, "", &xServer))
        return 1;
    if (!openField(CORVANE_GAME_FOLDER))
        return 1;

    printf("video driver: %s, %d s of play\n", options.x11 ? "x11 (Xvfb)" : "dummy",
           options.seconds);
    const double processorBefore = processorSeconds();
    const std::vector<Clock::time_point> tickEnds = runPacedTicks(options.seconds);
    const double processorUsed = processorSeconds() - processorBefore;
    reportIntervals(tickEnds);
    reportDelays();
    printf("processor time: %.2f s, %.1f %% of one core\n", processorUsed,
           100.0 * processorUsed / options.seconds);
    SDL_Quit();
    return 0;
}
