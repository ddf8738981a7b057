#include "game_fixture.h"

#include <unistd.h>

#include <cstring>
#include <filesystem>

Seams seams;

namespace {

// The game state as the program starts, put back before every test.
const unsigned int SCORE_AT_START = score;
const unsigned int HIGHSCORE_AT_START = highscore;
const Uint32 LAST_TICK_AT_START = lastTick;

// Copies the rectangles sent from the screen onto the window, then checks
// that the window shows the screen whole: a part that changed and was not
// sent would show the player a stale frame.
void showOnWindow(SDL_Surface* screen, int count, const SDL_Rect* rects)
{
    if (!seams.window) {
        const SDL_PixelFormat* f = screen->format;
        seams.window.reset(SDL_CreateRGBSurface(SDL_SWSURFACE, screen->w, screen->h,
                                                f->BitsPerPixel, f->Rmask, f->Gmask, f->Bmask, 0));
    }
    for (int i = 0; i < count; ++i) {
        SDL_Rect area = rects[i];
        SDL_BlitSurface(screen, &area, seams.window.get(), &area);
    }
    const auto rowBytes = static_cast<size_t>(screen->w * screen->format->BytesPerPixel);
    for (int y = 0; y < screen->h; ++y) {
        if (memcmp(static_cast<Uint8*>(screen->pixels) + y * screen->pitch,
                   static_cast<Uint8*>(seams.window->pixels) + y * seams.window->pitch,
                   rowBytes) != 0) {
            if (seams.staleUpdates++ == 0)
                ADD_FAILURE() << "after an update the window differs from the screen in row " << y;
            break;
        }
    }
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
        auto* a = static_cast<FlyObj*>(sprites[i]);
        for (SDL_Surface* look : {a->normalSurf, a->approachSurf, a->crashedSurf})
            SDL_FreeSurface(look);
        for (int h = HeadingNE; h < NUM_HEADINGS; ++h) {
            SDL_FreeSurface(a->normalHeadings[h]);
            SDL_FreeSurface(a->approachHeadings[h]);
        }
        delete a;
    }
    numsprites = 0;
    for (int i = 0; i < numtargets; ++i)
        delete targets[i];
    numtargets = 0;
    delete marker;
    marker = nullptr;
    for (SDL_Surface** s : {&bgSurf, &digitSurf, &txtPauseSurf, &txtPresskeySurf}) {
        SDL_FreeSurface(*s);
        *s = nullptr;
    }
}

void GameTest::SetUp()
{
    seams = Seams();
    previousDir = std::filesystem::current_path();
    char folder[] = "/tmp/corvane-test-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    work = folder;
    std::filesystem::create_directory_symlink(CORVANE_BITMAPS_DIR, work + "/bitmaps");
    std::filesystem::current_path(work);

    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    screen = SDL_SetVideoMode(SCREEN_WIDTH, SCREEN_HEIGHT, SCREEN_BPP, SDL_SWSURFACE);
    ASSERT_NE(screen, nullptr) << SDL_GetError();
    forgetShownFrame();  // a new window: its first frame goes whole
    score = SCORE_AT_START;
    highscore = HIGHSCORE_AT_START;
    lastTick = LAST_TICK_AT_START;
    ASSERT_TRUE(loadInterfaceBitmaps());
    buildAirfield();
    ASSERT_TRUE(buildFleet());
}

void GameTest::TearDown()
{
    freeField();
    seams.window.reset();
    SDL_Quit();
    screen = nullptr;
    std::filesystem::current_path(previousDir);
    std::filesystem::remove_all(work);
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
    if (type == SDL_KEYDOWN) {
        e.key.keysym.sym = key;
    } else if (type == SDL_MOUSEMOTION) {
        e.motion.x = static_cast<Uint16>(x);
        e.motion.y = static_cast<Uint16>(y);
    } else if (type != SDL_QUIT) {
        e.button.button = SDL_BUTTON_LEFT;
        e.button.x = static_cast<Uint16>(x);
        e.button.y = static_cast<Uint16>(y);
    }
    ASSERT_EQ(SDL_PushEvent(&e), 0);
}

int wrongPixels(SDL_Surface* surface, SDL_Surface* look, int x, int y, SDL_Surface* under)
{
    int wrong = 0;
    for (int ly = 0; ly < look->h; ++ly) {
        for (int lx = 0; lx < look->w; ++lx) {
            const Uint32 p = pixelAt(look, lx, ly);
            const Uint32 shown = p == 0 && under ? pixelAt(under, x + lx, y + ly) : p;
            wrong += pixelAt(surface, x + lx, y + ly) != shown;
        }
    }
    return wrong;
}
