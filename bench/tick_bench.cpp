// The cost of the game's ticks and frames, and the pace of its ticks, with
// all twenty aircraft flying Routed in two columns of ten lanes.
//
//   tick_bench [benchmark flags] [--x11 | --display NAME] [--scale N] [--pacing SECONDS]
//
// On SDL's dummy driver; --x11 starts an Xvfb of its own (24 bits, as large
// as the window), --display uses a running one; --scale sets the window's
// scale (1 by default). --pacing runs Pacing alone, for that long.
// Wrappers (--wrap) of the game's blits, window updates and sleeps split a
// tick: "frame_us" from the blit of the background on, "send_us" within it
// in SDL_Flip and SDL_UpdateRects, "rest_us" before it (move, land, collide);
// and they count the sleeps of the ticks' waits and time how far each
// oversleeps the moment it was asked to end at.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "bench_util.h"
#include "skyrel_main.h"
#include "x_session.h"

namespace {

using Clock = std::chrono::steady_clock;

const int FRAMES_FOR_MEDIAN = 1000;
const Uint32 TICK_PERIOD_AGO_MS = 1000;  // lastTick this far back: the period is over

// Aircraft fly at most this many ticks before the fleet is put back where it
// started: a few pixels, so no aircraft leaves its lane, meets another or
// uses up more than a few waypoints of its route.
const int TICKS_BETWEEN_RESTORES = 100;

// Lanes: two columns of ten rows; the aircraft of the left column head
// right, those of the right column head left.
const int LANE_ROWS = 10;
const int FIRST_LANE_Y = 12;
const int LANE_PITCH = 46;            // the largest aircraft is 26 pixels high
const int COLUMN_MARGIN = 10;         // from the screen's side to the aircraft
const unsigned int BLANK_COLOUR = 0;  // what the game fills behind a sprite

// A route begins this far ahead of the aircraft's leading edge, so that its
// first waypoint is not already reached.
const int ROUTE_LEAD = 2;

// Short routes: 100 segments, each 3 pixels ahead and 4 up or down (5 long).
// Full routes: PATH_CAPACITY waypoints, the first two 20 pixels apart along
// the lane, then steps of 16 across and 12 up or down (20 long).
const unsigned int SHORT_ROUTE_SEGMENTS = 100;
const int SHORT_STEP_AHEAD = 3;
const int SHORT_STEP_ASIDE = 4;
const int FULL_SPACING = 20;
const int FULL_STEP_ACROSS = 16;
const int FULL_STEP_ASIDE = 12;

enum class RouteShape { None, Short, Full };

// The times and counts the wrappers take.
struct Stamps {
    Clock::time_point frameStart;
    double sendUs = 0.0;  // in SDL_Flip and SDL_UpdateRects since frameStart
    long long wholeSends = 0;
    long long rectsSent = 0;
    std::vector<double> oversleptUs;  // by each sleep: one per wait
};
// NOLINTNEXTLINE(cert-err58-cpp): time_point's constructor cannot throw; it is only not noexcept
Stamps stamps;

double microsecondsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::micro>(to - from).count();
}

// Adds waypoints from (x, y) on, each a step (stepX, stepY) after the last,
// until the route holds the given number; a step turns back where it would
// leave the screen across, or the band from yLow to yHigh up and down.
void addZigZag(PathSprite* aircraft, int x, int y, int stepX, int stepY, int yLow, int yHigh,
               Uint32 waypoints)
{
    aircraft->addToPath(x, y);
    while (aircraft->pathLen < waypoints) {
        stepX = x + stepX < 0 || x + stepX >= SCREEN_WIDTH ? -stepX : stepX;
        stepY = y + stepY < yLow || y + stepY > yHigh ? -stepY : stepY;
        x += stepX;
        y += stepY;
        aircraft->addToPath(x, y);
    }
}

// The fleet as launched, and the ticks it has flown since it was put back.
std::vector<FlyObj> fleetStart;
int ticksSinceRestore = 0;

// Puts all twenty aircraft in flight in their lanes, each heading for the
// middle of the screen, Routed on a route of the given shape (Flying on none),
// and counts the route segments that the next frame draws and the pixels
// their lines cover: drawPathRGBA draws the segments ending at waypoints
// max(pathPos, 1) to pathLen - 1, a line the pixels of its longer axis, both
// ends included.
void launchFleet(benchmark::State& state, RouteShape shape)
{
    delete marker;
    marker = nullptr;
    score = 0;
    fleetStart.clear();
    ticksSinceRestore = 0;
    long long segments = 0;
    long long linePixels = 0;
    for (unsigned int i = 0; i < numsprites; ++i) {
        PathSprite* a = sprites[i];
        const bool leftColumn = static_cast<int>(i) < LANE_ROWS;
        const int heading = leftColumn ? 1 : -1;
        const int x = leftColumn ? COLUMN_MARGIN : SCREEN_WIDTH - COLUMN_MARGIN - a->getWidth();
        a->remove(screen, BLANK_COLOUR);
        a->setPos(x, FIRST_LANE_Y + static_cast<int>(i) % LANE_ROWS * LANE_PITCH);
        a->setVelocity(heading, 0);
        a->visible = true;
        a->state = shape == RouteShape::None ? Flying : Routed;
        // Spread the steps of each class over different ticks.
        a->moveDelay = static_cast<Sint32>(i) % (MOVE_PERIOD - a->speed + 1);
        const int startX = (heading > 0 ? x + a->getWidth() - 1 : x) + heading * ROUTE_LEAD;
        const int y = a->getCPosY();
        const int aside = SHORT_STEP_ASIDE / 2;
        if (shape == RouteShape::Short) {
            addZigZag(a, startX, y - aside, heading * SHORT_STEP_AHEAD, SHORT_STEP_ASIDE, y - aside,
                      y + aside, SHORT_ROUTE_SEGMENTS + 1);
        } else if (shape == RouteShape::Full) {
            // Straight on along the lane first: between two restores of the
            // fleet no aircraft gets past these two waypoints.
            a->addToPath(startX, y);
            addZigZag(a, startX + heading * FULL_SPACING, y, heading * FULL_STEP_ACROSS,
                      i % 2 == 0 ? FULL_STEP_ASIDE : -FULL_STEP_ASIDE, 0, SCREEN_HEIGHT - 1,
                      PATH_CAPACITY);
        }
        for (Uint32 k = std::max<Uint32>(a->pathPos, 1); k < a->pathLen; ++k) {
            const int dx = std::abs(a->path[k].x - a->path[k - 1].x);
            const int dy = std::abs(a->path[k].y - a->path[k - 1].y);
            linePixels += std::max(dx, dy) + 1;
            ++segments;
        }
        fleetStart.push_back(*static_cast<FlyObj*>(a));
    }
    state.counters["segments"] = static_cast<double>(segments);
    state.counters["line_px"] = static_cast<double>(linePixels);
}

// Every TICKS_BETWEEN_RESTORES ticks, puts the fleet back where it started,
// after checking that every aircraft is still visible, Routed and on its
// route. Stops the benchmark and answers false when one is not.
bool keepFleetInFlight(benchmark::State& state)
{
    if (ticksSinceRestore++ < TICKS_BETWEEN_RESTORES)
        return true;
    ticksSinceRestore = 1;
    for (unsigned int i = 0; i < numsprites; ++i) {
        const PathSprite* a = sprites[i];
        if (!a->visible || a->state != Routed || a->pathLen == 0) {
            state.SkipWithError(("aircraft " + std::to_string(i) + " left flight").c_str());
            return false;
        }
        *static_cast<FlyObj*>(sprites[i]) = fleetStart[i];
    }
    return true;
}

// Ticks on the fleet. Unpaced, lastTick is set a second back before each, so
// that it finds its period over and does not wait, and the iteration time is
// the tick alone. Paced, the ticks keep the game's pace on the real clock,
// and the iteration time runs from the end of one tick to the end of the next.
void runTicks(benchmark::State& state, RouteShape shape, bool paced)
{
    launchFleet(state, shape);
    stamps = Stamps();
    std::vector<double> ticksUs;
    ticksUs.reserve(static_cast<size_t>(state.max_iterations));
    stamps.oversleptUs.reserve(static_cast<size_t>(state.max_iterations));  // not in a tick
    double frameUs = 0.0;
    double sendUs = 0.0;
    double restUs = 0.0;
    lastTick = SDL_GetTicks();
    Clock::time_point lastEnd = Clock::now();
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores): the library's loop
        if (!keepFleetInFlight(state))
            break;
        if (!paced)
            lastTick = SDL_GetTicks() - TICK_PERIOD_AGO_MS;
        const Clock::time_point tickStart = Clock::now();
        const bool goesOn = doGameTickTasks();
        const Clock::time_point tickEnd = Clock::now();
        if (!goesOn) {
            state.SkipWithError("a tick ended the game");
            break;
        }
        ticksUs.push_back(microsecondsBetween(paced ? lastEnd : tickStart, tickEnd));
        state.SetIterationTime(ticksUs.back() / 1e6);
        lastEnd = tickEnd;
        frameUs += microsecondsBetween(stamps.frameStart, tickEnd);
        sendUs += stamps.sendUs;
        restUs += microsecondsBetween(tickStart, stamps.frameStart);
    }
    const auto ticks = static_cast<double>(std::max<size_t>(ticksUs.size(), 1));
    state.counters["median_us"] = medianOf(ticksUs);
    state.counters["p99_us"] = percentileOf(ticksUs, 99.0);
    if (paced) {
        const double spanUs = std::accumulate(ticksUs.begin(), ticksUs.end(), 0.0);
        state.counters["ticks_per_s"] = static_cast<double>(ticksUs.size()) / spanUs * 1e6;
        state.counters["sleeps_per_tick"] = static_cast<double>(stamps.oversleptUs.size()) / ticks;
        state.counters["overslept_median_us"] = medianOf(stamps.oversleptUs);
        state.counters["overslept_p99_us"] = percentileOf(stamps.oversleptUs, 99.0);
        return;
    }
    // "whole" is the share of frames sent whole, "rects" the rectangles sent a tick.
    state.counters["frame_us"] = frameUs / ticks;
    state.counters["send_us"] = sendUs / ticks;
    state.counters["rest_us"] = restUs / ticks;
    state.counters["whole"] = static_cast<double>(stamps.wholeSends) / ticks;
    state.counters["rects"] = static_cast<double>(stamps.rectsSent) / ticks;
    state.counters["waits"] = static_cast<double>(stamps.oversleptUs.size());
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

// redraw alone on the freshly launched fleet; with everyTileChanges on
// backgrounds that alternate with their negative.
void runFrames(benchmark::State& state, RouteShape shape, bool everyTileChanges)
{
    launchFleet(state, shape);
    SDL_Surface* background = bgSurf;
    SDL_Surface* negative = everyTileChanges ? makeNegative(background) : background;
    if (!negative) {
        state.SkipWithError("no copy of the background");
        return;
    }
    std::vector<double> frameUs;
    std::vector<double> sendUs;
    frameUs.reserve(FRAMES_FOR_MEDIAN);
    sendUs.reserve(FRAMES_FOR_MEDIAN);
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores): the library's loop
        bgSurf = bgSurf == background ? negative : background;
        stamps.sendUs = 0.0;
        const Clock::time_point start = Clock::now();
        redraw();
        const Clock::time_point end = Clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        frameUs.push_back(microsecondsBetween(start, end));
        sendUs.push_back(stamps.sendUs);
    }
    bgSurf = background;
    if (negative != background)
        SDL_FreeSurface(negative);
    state.counters["median_us"] = medianOf(frameUs);
    state.counters["p99_us"] = percentileOf(frameUs, 99.0);
    state.counters["send_median_us"] = medianOf(sendUs);
}

void registerBenchmarks(int pacingSeconds)
{
    if (pacingSeconds > 0) {
        benchmark::RegisterBenchmark("Pacing", runTicks, RouteShape::Short, true)
            ->UseManualTime()
            ->Iterations(static_cast<benchmark::IterationCount>(pacingSeconds) * 1000 / TICK_PERIOD)
            ->Unit(benchmark::kMillisecond);
        return;
    }
    benchmark::RegisterBenchmark("TickShortRoutes", runTicks, RouteShape::Short, false)
        ->UseManualTime()
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("TickFullRoutes", runTicks, RouteShape::Full, false)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    const struct {
        const char* name;
        RouteShape shape;
        bool everyTileChanges;
    } frames[] = {{"FrameNoRoutes", RouteShape::None, false},
                  {"FrameEveryTileChanges", RouteShape::None, true},
                  {"FrameShortRoutes", RouteShape::Short, false},
                  {"FrameFullRoutes", RouteShape::Full, false}};
    for (const auto& frame : frames) {
        benchmark::RegisterBenchmark(frame.name, runFrames, frame.shape, frame.everyTileChanges)
            ->UseManualTime()
            ->Iterations(FRAMES_FOR_MEDIAN)
            ->Unit(benchmark::kMicrosecond);
    }
}

// Starts SDL with the game's window at the scale in the build folder and
// builds the game's field from the bitmaps there. Prints what failed and
// answers false.
bool openField(int scale)
{
    if (chdir(CORVANE_GAME_FOLDER) != 0 || SDL_Init(SDL_INIT_VIDEO) < 0) {
        fprintf(stderr, "Couldn't start SDL in %s: %s\n", CORVANE_GAME_FOLDER, SDL_GetError());
        return false;
    }
    screen = openWindow(
        {SCREEN_WIDTH, SCREEN_HEIGHT, SCREEN_BPP, "", "", dataPath(ICON_FILE), scale, false});
    if (!screen) {
        fprintf(stderr, "Couldn't set video mode: %s\n", SDL_GetError());
        return false;
    }
    if (!loadInterfaceBitmaps())
        return false;
    buildAirfield();
    return buildFleet();
}

}  // namespace

// The names the linker gives the real and the wrapped functions (--wrap).
// NOLINTBEGIN(bugprone-reserved-identifier)
extern "C" {

int __real_SDL_UpperBlit(SDL_Surface* src, SDL_Rect* srcRect, SDL_Surface* dst, SDL_Rect* dstRect);
int __real_SDL_Flip(SDL_Surface* surface);
void __real_SDL_UpdateRects(SDL_Surface* screen, int numrects, SDL_Rect* rects);
int __real_clock_nanosleep(clockid_t clock, int flags, const timespec* until, timespec* left);

// Every frame begins with the background.
int __wrap_SDL_UpperBlit(SDL_Surface* src, SDL_Rect* srcRect, SDL_Surface* dst, SDL_Rect* dstRect)
{
    if (src == bgSurf) {
        stamps.frameStart = Clock::now();
        stamps.sendUs = 0.0;
    }
    return __real_SDL_UpperBlit(src, srcRect, dst, dstRect);
}

int __wrap_SDL_Flip(SDL_Surface* surface)
{
    const Clock::time_point start = Clock::now();
    const int result = __real_SDL_Flip(surface);
    stamps.sendUs += microsecondsBetween(start, Clock::now());
    ++stamps.wholeSends;
    return result;
}

void __wrap_SDL_UpdateRects(SDL_Surface* screen, int numrects, SDL_Rect* rects)
{
    const Clock::time_point start = Clock::now();
    __real_SDL_UpdateRects(screen, numrects, rects);
    stamps.sendUs += microsecondsBetween(start, Clock::now());
    stamps.rectsSent += numrects;
}

int __wrap_clock_nanosleep(clockid_t clock, int flags, const timespec* until, timespec* left)
{
    const int result = __real_clock_nanosleep(clock, flags, until, left);
    timespec now{};
    clock_gettime(clock, &now);
    stamps.oversleptUs.push_back(static_cast<double>(now.tv_sec - until->tv_sec) * 1e6 +
                                 static_cast<double>(now.tv_nsec - until->tv_nsec) / 1e3);
    return result;
}
}
// NOLINTEND(bugprone-reserved-identifier)

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    // Takes --x11, --display NAME, --scale N and --pacing SECONDS out of the arguments.
    bool ownXvfb = false;
    std::string display;
    int pacingSeconds = 0;
    int scale = 1;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--x11") == 0)
            ownXvfb = true;
        else if (std::strcmp(argv[i], "--scale") == 0 && i + 1 < argc && countOf(argv[i + 1]) > 0)
            scale = countOf(argv[++i]);
        else if (std::strcmp(argv[i], "--display") == 0 && i + 1 < argc)
            display = argv[++i];
        else if (std::strcmp(argv[i], "--pacing") == 0 && i + 1 < argc && countOf(argv[i + 1]) > 0)
            pacingSeconds = countOf(argv[++i]);
        else
            argv[kept++] = argv[i];
    }
    if (benchmark::ReportUnrecognizedArguments(kept, argv))
        return 1;

    const std::unique_ptr<XServer> xServer =
        ownXvfb ? std::make_unique<XServer>(SCREEN_WIDTH * scale, SCREEN_HEIGHT * scale) : nullptr;
    if (xServer && xServer->name().empty()) {
        fprintf(stderr, "Couldn't start Xvfb\n");
        return 1;
    }
    display = xServer ? xServer->name() : display;
    setenv("SDL_VIDEODRIVER", display.empty() ? "dummy" : "x11", 1);
    setenv("DISPLAY", display.c_str(), 1);
    if (!openField(scale))
        return 1;
    registerBenchmarks(pacingSeconds);
    benchmark::AddCustomContext("scale", std::to_string(scale));
    benchmark::AddCustomContext(
        "video_driver",
        display.empty() ? "dummy" : "x11 on " + display + (ownXvfb ? ", own Xvfb" : ""));
    const SDL_version* linked = SDL_Linked_Version();
    benchmark::AddCustomContext("sdl_linked", std::to_string(linked->major) + "." +
                                                  std::to_string(linked->minor) + "." +
                                                  std::to_string(linked->patch));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    SDL_Quit();
    return 0;
}
