#include "game_fixture.h"

#include <SDL_mixer.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

Seams seams;

namespace {

Uint32 windowCheckedAt = 0;  // SDL's clock at the latest check of the window

// A part of the screen drawn and never sent leaves the player a stale picture. A window of
// a larger scale shows each pixel of the screen as a block.
void checkWindow(SDL_Surface* field)
{
    SDL_Surface* window = seams.window.get();
    if (!window)
        return;
    const size_t bytes = static_cast<size_t>(field->pitch) * static_cast<size_t>(field->h);
    const int scale = window->w / field->w;
    bool same = scale > 1 || (window->pitch == field->pitch &&
                              memcmp(field->pixels, window->pixels, bytes) == 0);
    for (int i = 0; scale > 1 && same && i < window->w * window->h; ++i)
        same = pixelAt(window, i % window->w, i / window->w) ==
               pixelAt(field, i % window->w / scale, i / window->w / scale);
    EXPECT_TRUE(same) << "the window does not show the screen";
}

void showOnWindow(SDL_Surface* shown, int count, const SDL_Rect* rects)
{
    if (!seams.window || seams.window->w != shown->w || seams.window->h != shown->h)
        seams.window = makeBitmap(shown->w, shown->h);  // a new window, in the screen's RGB565
    for (int i = 0; i < count; ++i) {
        SDL_Rect area = rects[i];
        SDL_BlitSurface(shown, &area, seams.window.get(), &area);
        seams.sentPixels += static_cast<long long>(area.w) * area.h;
    }
    checkWindow(windowField());  // the game takes it as its screen once the window is done
    if (seams.onPresent)
        seams.onPresent();
}

// An effect by the length of its sound: "announce", "approach", "landing", "crash". The mixer
// keeps the samples of a WAV file of ours, all but its header of 44 bytes.
std::string effectOf(const Mix_Chunk* chunk)
{
    static const char* const NAMES[NUM_EFFECTS] = {"announce", "approach", "landing", "crash"};
    for (int e = 0; e < NUM_EFFECTS; ++e) {
        if (std::filesystem::file_size(dataPath(SOUND_FILES[e])) == chunk->alen + 44)
            return NAMES[e];
    }
    return "?";
}

}  // namespace

// NOLINTBEGIN(bugprone-reserved-identifier)
extern "C" {
int __real_SDL_Flip(SDL_Surface* screen);
void __real_SDL_UpdateRects(SDL_Surface* screen, int numrects, SDL_Rect* rects);

Uint32 __wrap_SDL_GetTicks(void)
{
    if (screen && seams.ticks() != windowCheckedAt)  // once a millisecond is enough
        checkWindow(screen);
    windowCheckedAt = seams.ticks();
    return seams.ticks();
}

void __wrap_SDL_Delay(Uint32 ms)
{
    seams.delays.push_back(ms);
    seams.ns += ms * NS_PER_MS;
    if (seams.onDelay)
        seams.onDelay();
}

int __real_clock_gettime(clockid_t clock, timespec* time);

int __wrap_clock_gettime(clockid_t clock, timespec* time)
{
    if (clock != CLOCK_MONOTONIC)
        return __real_clock_gettime(clock, time);
    *time = {static_cast<time_t>(seams.ns / 1000 / NS_PER_MS),
             static_cast<long>(seams.ns % (1000 * NS_PER_MS))};
    return 0;
}

int __wrap_clock_nanosleep(clockid_t /*monotonic*/, int /*until*/, const timespec* until,
                           timespec* /*left*/)
{
    ++seams.sleeps;
    seams.ns =
        std::max(seams.ns, until->tv_sec * 1000 * NS_PER_MS + until->tv_nsec) + seams.oversleep;
    if (seams.onSleep)
        seams.onSleep();
    return 0;
}

int __wrap_rand(void)
{
    if (seams.draws.empty())
        return seams.nextDraw();
    const int draw = seams.draws.front();
    seams.draws.pop_front();
    return draw;
}

int __wrap_SDL_Flip(SDL_Surface* screen)
{
    const SDL_Rect whole = rectOf(0, 0, screen->w, screen->h);
    showOnWindow(screen, 1, &whole);
    return __real_SDL_Flip(screen);
}

void __wrap_SDL_UpdateRects(SDL_Surface* screen, int numrects, SDL_Rect* rects)
{
    showOnWindow(screen, numrects, rects);
    __real_SDL_UpdateRects(screen, numrects, rects);
}

int __real_Mix_PlayChannelTimed(int channel, Mix_Chunk* chunk, int loops, int ticks);
void __real_Mix_Pause(int channel);
void __real_Mix_Resume(int channel);
int __real_Mix_HaltChannel(int channel);

int __wrap_Mix_PlayChannelTimed(int channel, Mix_Chunk* chunk, int loops, int ticks)
{
    seams.heard += effectOf(chunk) + " ";
    return __real_Mix_PlayChannelTimed(channel, chunk, loops, ticks);
}

void __wrap_Mix_Pause(int channel)
{
    seams.heard += "pause ";
    __real_Mix_Pause(channel);
}

void __wrap_Mix_Resume(int channel)
{
    seams.heard += "resume ";
    __real_Mix_Resume(channel);
}

int __wrap_Mix_HaltChannel(int channel)
{
    seams.heard += "stop ";
    return __real_Mix_HaltChannel(channel);
}
}
// NOLINTEND(bugprone-reserved-identifier)

void freeField()
{
    for (unsigned int i = 0; i < numsprites; ++i) {
        auto* a = static_cast<FlyObj*>(sprites[i]);
        for (int h = 0; h < NUM_HEADINGS; ++h) {  // heading north is the look itself
            SDL_FreeSurface(a->normalHeadings[h]);
            SDL_FreeSurface(a->approachHeadings[h]);
        }
        SDL_FreeSurface(a->crashedSurf);
        delete a;
    }
    for (int i = 0; i < numtargets; ++i)
        delete targets[i];
    delete marker;
    for (SDL_Surface* s : {bgSurf, digitSurf, txtPauseSurf, txtPresskeySurf})
        SDL_FreeSurface(s);
    numsprites = numtargets = 0;
    marker = nullptr;
    bgSurf = digitSurf = txtPauseSurf = txtPresskeySurf = nullptr;
}

void GameTest::SetUp()
{
    seams = Seams();
    char pattern[] = "/tmp/corvane-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder = pattern;
    std::filesystem::current_path(folder);
    std::filesystem::create_directory_symlink(CORVANE_BITMAPS_DIR, "bitmaps");
    std::filesystem::create_directory_symlink(CORVANE_SOUNDS_DIR, "sounds");
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    screen = openWindow({SCREEN_WIDTH, SCREEN_HEIGHT, SCREEN_BPP, "", "", dataPath(ICON_FILE)});
    ASSERT_NE(screen, nullptr) << SDL_GetError();
    score = highscore = lastTick = 0;
    ASSERT_TRUE(loadInterfaceBitmaps());
    buildAirfield();
    ASSERT_TRUE(buildFleet());
    openSound(SOUNDS, false);
}

void GameTest::TearDown()
{
    closeSound();
    freeField();
    SDL_Quit();
    std::filesystem::current_path("/");
    std::filesystem::remove_all(folder);  // "" when set-up failed early: removes nothing
}

void push(Uint8 type, int x, int y, SDLKey key, Uint8 button)
{
    const auto ux = static_cast<Uint16>(x);
    const auto uy = static_cast<Uint16>(y);
    SDL_Event e{};
    e.type = type;
    e.key.keysym.sym = key;  // read for SDL_KEYDOWN only
    if (type == SDL_MOUSEMOTION)
        e.motion = SDL_MouseMotionEvent{type, 0, 0, ux, uy, 0, 0};
    else if (type != SDL_KEYDOWN)
        e.button = SDL_MouseButtonEvent{type, 0, button, 0, ux, uy};
    ASSERT_EQ(SDL_PushEvent(&e), 0);
}

int wrongPixels(SDL_Surface* shown, SDL_Surface* look, int x, int y, SDL_Surface* under)
{
    int wrong = 0;
    for (int ly = 0; ly < look->h; ++ly) {
        for (int lx = 0; lx < look->w; ++lx) {
            const Uint32 p = pixelAt(look, lx, ly);
            const Uint32 expected = p == 0 && under ? pixelAt(under, x + lx, y + ly) : p;
            wrong += pixelAt(shown, x + lx, y + ly) != expected;
        }
    }
    return wrong;
}
