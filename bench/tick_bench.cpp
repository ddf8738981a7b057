// The work of one game tick without its pacing wait, and the time a frame
// takes, with all twenty aircraft in flight.
//
//   tick_bench [benchmark flags] [--x11 | --display NAME] [--screen-bpp N]
//
// Runs on SDL's dummy video driver, with --x11 in a window of an Xvfb server
// of its own (640x480, 24 bits deep), or with --display in a window on an X
// display that is already there. --screen-bpp tries a screen of another depth
// than the game's 16 bits, to see what the conversion in the flip costs.
//
// Ticks run on the real doGameTickTasks; before each one lastTick is set a
// second into the past, so the tick finds its period over and does not wait
// (the count of waits is reported, and must be 0). "segments" and "line_px"
// are the route segments and line pixels of the first frame; the aircraft
// use up a few waypoints before the fleet is put back, and "segments_min" is
// the fewest segments seen at those moments.
//
// The linker sends the game's blits, updates of the window and delays
// through the wrappers below (--wrap), which take the time at the start of
// the frame (the blit of the background) and around each SDL_Flip and
// SDL_UpdateRects: "frame_us" is the compose and show part of a tick (with
// the pacing check and stamp after it, about a microsecond), "send_us" the
// time in those two calls within it, "rest_us" the rest (move, land,
// collide, marker). "whole" is the share of frames sent whole, "rects" the
// rectangles sent per frame.
//
// FrameEveryTileChanges is the worst case of showing only what changed:
// the background alternates with its negative, so every tile of every frame
// differs from the one shown before.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench_args.h"
#include "bench_stats.h"
#include "flight_field.h"
#include "x_session.h"

namespace {

using Clock = std::chrono::steady_clock;

const Uint32 TICK_PERIOD_AGO_MS = 1000;  // lastTick this far back: the period is over
const int FRAMES_FOR_MEDIAN = 1000;

struct FrameStamps {
    Clock::time_point frameStart;
    double sendUs = 0.0;  // in SDL_Flip and SDL_UpdateRects since frameStart
    long long wholeSends = 0;
    long long rectsSent = 0;
    long long waits = 0;
};
// NOLINTNEXTLINE(cert-err58-cpp): time_point's constructor cannot throw; it is only not noexcept
FrameStamps frameStamps;

double microsecondsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::micro>(to - from).count();
}

void reportRoutes(benchmark::State& state)
{
    state.counters["segments"] = static_cast<double>(countDrawnSegments());
    state.counters["line_px"] = static_cast<double>(countDrawnLinePixels());
}

// Ticks on the fleet, put back where it started every TICKS_BETWEEN_RESTORES
// ticks; the iteration time is the tick alone.
void runTicks(benchmark::State& state, RouteShape shape)
{
    launchFleet(shape);
    const FleetSnapshot start = saveFleet();
    reportRoutes(state);
    frameStamps = FrameStamps();
    double frameUs = 0.0;
    double sendUs = 0.0;
    double restUs = 0.0;
    long long ticks = 0;
    long long fewestSegments = countDrawnSegments();
    int sinceRestore = 0;
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores): the library's loop
        if (sinceRestore == TICKS_BETWEEN_RESTORES) {
            const std::string lost = findAircraftOutOfFlight();
            if (!lost.empty()) {
                state.SkipWithError(lost.c_str());
                break;
            }
            fewestSegments = std::min(fewestSegments, countDrawnSegments());
            restoreFleet(start);
            sinceRestore = 0;
        }
        lastTick = SDL_GetTicks() - TICK_PERIOD_AGO_MS;
        const Clock::time_point tickStart = Clock::now();
        const bool goesOn = doGameTickTasks();
        const Clock::time_point tickEnd = Clock::now();
        if (!goesOn) {
            state.SkipWithError("a tick ended the game");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(tickEnd - tickStart).count());
        frameUs += microsecondsBetween(frameStamps.frameStart, tickEnd);
        sendUs += frameStamps.sendUs;
        restUs += microsecondsBetween(tickStart, frameStamps.frameStart);
        ++ticks;
        ++sinceRestore;
    }
    if (ticks > 0) {
        const auto n = static_cast<double>(ticks);
        state.counters["frame_us"] = frameUs / n;
        state.counters["send_us"] = sendUs / n;
        state.counters["rest_us"] = restUs / n;
        state.counters["whole"] = static_cast<double>(frameStamps.wholeSends) / n;
        state.counters["rects"] = static_cast<double>(frameStamps.rectsSent) / n;
    }
    state.counters["segments_min"] = static_cast<double>(fewestSegments);
    state.counters["waits"] = static_cast<double>(frameStamps.waits);
}

// redraw alone, FRAMES_FOR_MEDIAN times on the freshly launched fleet.
void runFrames(benchmark::State& state, RouteShape shape)
{
    launchFleet(shape);
    reportRoutes(state);
    std::vector<double> frameUs;
    frameUs.reserve(FRAMES_FOR_MEDIAN);
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores): the library's loop
        const Clock::time_point start = Clock::now();
        redraw();
        const Clock::time_point end = Clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        frameUs.push_back(microsecondsBetween(start, end));
    }
    state.counters["median_us"] = medianOf(frameUs);
    state.counters["p99_us"] = percentileOf(frameUs, 99.0);
}

// A copy of the background with every pixel inverted.
SDL_Surface* makeNegative(SDL_Surface* background)
{
    SDL_Surface* negative = SDL_ConvertSurface(background, background->format, background->flags);
    if (!negative)
        return nullptr;
    auto* row = static_cast<Uint8*>(negative->pixels);
    for (int y = 0; y < negative->h; ++y, row += negative->pitch) {
        for (int x = 0; x < negative->pitch; ++x)
            row[x] = static_cast<Uint8>(~row[x]);
    }
    return negative;
}

// redraw on backgrounds that alternate with their negative: every tile of
// every frame changes. No routes, so the frame is as cheap to compose as
// FrameNoRoutes.
void BM_FrameEveryTileChanges(benchmark::State& state)
{
    launchFleet(RouteShape::None);
    SDL_Surface* background = bgSurf;
    SDL_Surface* negative = makeNegative(background);
    if (!negative) {
        state.SkipWithError("no copy of the background");
        return;
    }
    std::vector<double> frameUs;
    std::vector<double> sendUs;
    frameUs.reserve(FRAMES_FOR_MEDIAN);
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores): the library's loop
        bgSurf = bgSurf == background ? negative : background;
        frameStamps.sendUs = 0.0;
        const Clock::time_point start = Clock::now();
        redraw();
        const Clock::time_point end = Clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        frameUs.push_back(microsecondsBetween(start, end));
        sendUs.push_back(frameStamps.sendUs);
    }
    bgSurf = background;
    SDL_FreeSurface(negative);
    state.counters["median_us"] = medianOf(frameUs);
    state.counters["p99_us"] = percentileOf(frameUs, 99.0);
    state.counters["send_median_us"] = medianOf(sendUs);
}

void BM_TickShortRoutes(benchmark::State& state)
{
    runTicks(state, RouteShape::Short);
}

void BM_TickFullRoutes(benchmark::State& state)
{
    runTicks(state, RouteShape::Full);
}

void BM_FrameNoRoutes(benchmark::State& state)
{
    runFrames(state, RouteShape::None);
}

void BM_FrameShortRoutes(benchmark::State& state)
{
    runFrames(state, RouteShape::Short);
}

void BM_FrameFullRoutes(benchmark::State& state)
{
    runFrames(state, RouteShape::Full);
}

BENCHMARK(BM_TickShortRoutes)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TickFullRoutes)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrameNoRoutes)
    ->UseManualTime()
    ->Iterations(FRAMES_FOR_MEDIAN)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameEveryTileChanges)
    ->UseManualTime()
    ->Iterations(FRAMES_FOR_MEDIAN)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameShortRoutes)
    ->UseManualTime()
    ->Iterations(FRAMES_FOR_MEDIAN)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameFullRoutes)
    ->UseManualTime()
    ->Iterations(FRAMES_FOR_MEDIAN)
    ->Unit(benchmark::kMillisecond);

// Where the frames go, from the arguments that are not the benchmark's own.
struct DisplayChoice {
    bool ownXvfb = false;
    std::string display;  // an X display that is already there
    int screenBpp = SCREEN_BPP;
};

// Takes --x11, --display NAME and --screen-bpp N out of the arguments.
DisplayChoice takeDisplayChoice(int* argc, char** argv)
{
    DisplayChoice choice;
    int kept = 1;
    for (int i = 1; i < *argc; ++i) {
        if (std::strcmp(argv[i], "--x11") == 0)
            choice.ownXvfb = true;
        else if (std::strcmp(argv[i], "--display") == 0 && i + 1 < *argc)
            choice.display = argv[++i];
        else if (std::strcmp(argv[i], "--screen-bpp") == 0 && i + 1 < *argc)
            choice.screenBpp = countOr(argv[++i], 0);
        else
            argv[kept++] = argv[i];
    }
    *argc = kept;
    return choice;
}

std::string describeDisplay(const DisplayChoice& choice)
{
    if (choice.ownXvfb)
        return "x11, own Xvfb 640x480x24";
    if (!choice.display.empty())
        return "x11 on " + choice.display;
    return "dummy";
}

}  // namespace

// The names the linker gives the real and the wrapped functions (--wrap).
// NOLINTBEGIN(bugprone-reserved-identifier)
extern "C" {

int __real_SDL_UpperBlit(SDL_Surface* src, SDL_Rect* srcRect, SDL_Surface* dst, SDL_Rect* dstRect);
int __real_SDL_Flip(SDL_Surface* surface);
void __real_SDL_UpdateRects(SDL_Surface* screen, int numrects, SDL_Rect* rects);
void __real_SDL_Delay(Uint32 ms);

// Every frame begins with the background.
int __wrap_SDL_UpperBlit(SDL_Surface* src, SDL_Rect* srcRect, SDL_Surface* dst, SDL_Rect* dstRect)
{
    if (src == bgSurf) {
        frameStamps.frameStart = Clock::now();
        frameStamps.sendUs = 0.0;
    }
    return __real_SDL_UpperBlit(src, srcRect, dst, dstRect);
}

int __wrap_SDL_Flip(SDL_Surface* surface)
{
    const Clock::time_point start = Clock::now();
    const int result = __real_SDL_Flip(surface);
    frameStamps.sendUs += microsecondsBetween(start, Clock::now());
    ++frameStamps.wholeSends;
    return result;
}

void __wrap_SDL_UpdateRects(SDL_Surface* screen, int numrects, SDL_Rect* rects)
{
    const Clock::time_point start = Clock::now();
    __real_SDL_UpdateRects(screen, numrects, rects);
    frameStamps.sendUs += microsecondsBetween(start, Clock::now());
    frameStamps.rectsSent += numrects;
}

void __wrap_SDL_Delay(Uint32 ms)
{
    ++frameStamps.waits;
    __real_SDL_Delay(ms);
}
}
// NOLINTEND(bugprone-reserved-identifier)

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    const DisplayChoice choice = takeDisplayChoice(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    std::unique_ptr<XServer> xServer;
    if (!selectDisplay(choice.ownXvfb, choice.display, &xServer))
        return 1;
    if (!openField(CORVANE_GAME_FOLDER, choice.screenBpp))
        return 1;
    benchmark::AddCustomContext("video_driver", describeDisplay(choice));
    benchmark::AddCustomContext("screen_bpp", std::to_string(screen->format->BitsPerPixel));
    const SDL_version* linked = SDL_Linked_Version();
    benchmark::AddCustomContext("sdl_linked", std::to_string(linked->major) + "." +
                                                  std::to_string(linked->minor) + "." +
                                                  std::to_string(linked->patch));

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    SDL_Quit();
    return 0;
}
