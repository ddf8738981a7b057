#include "game_fixture.h"

#include <unistd.h>

#include <cstring>
#include <filesystem>

Seams seams;

namespace {

Uint32 windowCheckedAt = 0;  // the clock at the latest check of the window

// The window must show the whole screen after every update and whenever a
// tick reads the clock, its frame shown: a part that changed and was not
// sent would leave the player a stale picture.
void checkWindow(SDL_Surface* screen)
{
    const size_t rowBytes = static_cast<size_t>(screen->w) * screen->format->BytesPerPixel;
    for (int y = 0; seams.window && y < screen->h; ++y) {
        if (memcmp(static_cast<Uint8*>(screen->pixels) + static_cast<ptrdiff_t>(y) * screen->pitch,
                   static_cast<Uint8*>(seams.window->pixels) +
                       static_cast<ptrdiff_t>(y) * seams.window->pitch,
                   rowBytes) != 0) {
            ADD_FAILURE() << "the window differs from the screen in row " << y;
            break;
        }
    }
}

// Copies the rectangles sent from the screen onto the window.
void showOnWindow(SDL_Surface* screen, int count, const SDL_Rect* rects)
{
    const SDL_PixelFormat* f = screen->format;
    if (!seams.window)
        seams.window.reset(SDL_CreateRGBSurface(SDL_SWSURFACE, screen->w, screen->h,
                                                f->BitsPerPixel, f->Rmask, f->Gmask, f->Bmask, 0));
    for (int i = 0; i < count; ++i) {
        SDL_Rect area = rects[i];
        SDL_BlitSurface(screen, &area, seams.window.get(), &area);
    }
    checkWindow(screen);
    if (seams.onPresent)
        seams.onPresent();
}

}  // namespace

// The link-time seams: the linker's --wrap option names them __wrap_ and __real_.
// NOLINTBEGIN(bugprone-reserved-identifier)
extern "C" {
int __real_SDL_Flip(SDL_Surface* screen);
void __real_SDL_UpdateRects(SDL_Surface* screen, int numrects, SDL_Rect* rects);

Uint32 __wrap_SDL_GetTicks(void)
{
    if (screen && seams.now != windowCheckedAt)  // once a millisecond is enough
        checkWindow(screen);
    windowCheckedAt = seams.now;
    return seams.now;
}

void __wrap_SDL_Delay(Uint32 ms)
{
    seams.delays.push_back(ms);
    seams.now += ms;
    if (seams.onDelay)
        seams.onDelay();
}

int __wrap_usleep(useconds_t microseconds)
{
    ++seams.naps;
    seams.napMicroseconds += microseconds;
    seams.now += seams.napMicroseconds / 1000;
    seams.napMicroseconds %= 1000;
    return 0;
}

int __wrap_rand(void)
{
    ++seams.randCalls;
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
}
// NOLINTEND(bugprone-reserved-identifier)

void freeField()
{
    for (unsigned int i = 0; i < numsprites; ++i) {
        SDL_FreeSurface(aircraft(i)->crashedSurf);
        for (int h = 0; h < NUM_HEADINGS; ++h) {  // heading north is the look itself
            SDL_FreeSurface(aircraft(i)->normalHeadings[h]);
            SDL_FreeSurface(aircraft(i)->approachHeadings[h]);
        }
        delete aircraft(i);
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
    previousDir = std::filesystem::current_path();
    char folder[] = "/tmp/corvane-test-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    std::filesystem::current_path(folder);
    std::filesystem::create_directory_symlink(CORVANE_BITMAPS_DIR, "bitmaps");
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    screen = SDL_SetVideoMode(SCREEN_WIDTH, SCREEN_HEIGHT, SCREEN_BPP, SDL_SWSURFACE);
    ASSERT_NE(screen, nullptr) << SDL_GetError();
    forgetShownFrame();  // a new window: its first frame goes whole
    score = highscore = lastTick = 0;
    ASSERT_TRUE(loadInterfaceBitmaps());
    buildAirfield();
    ASSERT_TRUE(buildFleet());
}

void GameTest::TearDown()
{
    freeField();
    seams.window.reset();
    SDL_Quit();
    std::filesystem::remove_all(std::filesystem::current_path());
    std::filesystem::current_path(previousDir);
}

void launch(int index, int x, int y, int moveDelay, Sint32 state)
{
    sprites[index]->setPos(x, y);
    sprites[index]->visible = true;
    sprites[index]->state = state;
    sprites[index]->moveDelay = moveDelay;
}

void push(Uint8 type, int x, int y, SDLKey key)
{
    SDL_Event e{};
    e.type = type;
    e.key.keysym.sym = key;  // read for SDL_KEYDOWN only
    if (type == SDL_MOUSEMOTION) {
        e.motion.x = static_cast<Uint16>(x);
        e.motion.y = static_cast<Uint16>(y);
    } else if (type != SDL_KEYDOWN) {
        e.button = SDL_MouseButtonEvent{
            type, 0, SDL_BUTTON_LEFT, 0, static_cast<Uint16>(x), static_cast<Uint16>(y)};
    }
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
