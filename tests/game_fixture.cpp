#include "game_fixture.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

Seams seams;

namespace {
// The game state as the program starts, put back before every test.
const unsigned int SCORE_AT_START = score;
const unsigned int HIGHSCORE_AT_START = highscore;
const Uint32 LAST_TICK_AT_START = lastTick;
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
    seams.shown = rectOf(0, 0, screen->w, screen->h);
    if (seams.onPresent)
        seams.onPresent();
    return __real_SDL_Flip(screen);
}

void __wrap_SDL_UpdateRects(SDL_Surface* screen, int numrects, SDL_Rect* rects)
{
    int left = screen->w;
    int top = screen->h;
    int right = 0;
    int bottom = 0;
    for (int i = 0; i < numrects; ++i) {
        left = std::min<int>(left, rects[i].x);
        top = std::min<int>(top, rects[i].y);
        right = std::max(right, rects[i].x + rects[i].w);
        bottom = std::max(bottom, rects[i].y + rects[i].h);
    }
    seams.shown = rectOf(left, top, std::max(0, right - left), std::max(0, bottom - top));
    if (seams.onPresent)
        seams.onPresent();
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
    SDL_Quit();
    screen = nullptr;
    std::filesystem::current_path(previousDir);
    std::filesystem::remove_all(work);
}

void GameTest::launch(int index, int x, int y, int moveDelay)
{
    sprites[index]->setPos(x, y);
    sprites[index]->visible = true;
    sprites[index]->state = Flying;
    sprites[index]->moveDelay = moveDelay;
}

void GameTest::push(Uint8 type, int x, int y, SDLKey key)
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

int GameTest::wrongPixels(SDL_Surface* look, int x, int y, SDL_Surface* under)
{
    int wrong = 0;
    for (int ly = 0; ly < look->h; ++ly) {
        for (int lx = 0; lx < look->w; ++lx) {
            const Uint32 p = pixelAt(look, lx, ly);
            const Uint32 shown = p == 0 && under ? pixelAt(under, x + lx, y + ly) : p;
            wrong += screenAt(x + lx, y + ly) != shown;
        }
    }
    return wrong;
}

std::string GameTest::readWorkFile(const std::string& name)
{
    std::ifstream in(work + "/" + name);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}
