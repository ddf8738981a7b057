#include "game_fixture.h"
#include "test_surfaces.h"

#include <unistd.h>

#include <cstdlib>

namespace {

void freeField()
{
    for (unsigned int i = 0; i < numsprites; ++i) {
        FlyObj* a = static_cast<FlyObj*>(sprites[i]);
        SDL_FreeSurface(a->normalSurf);
        SDL_FreeSurface(a->approachSurf);
        SDL_FreeSurface(a->crashedSurf);
        for (int h = HeadingNE; h < NUM_HEADINGS; ++h) {
            SDL_FreeSurface(a->normalHeadings[h]);
            SDL_FreeSurface(a->approachHeadings[h]);
        }
        delete a;
        sprites[i] = nullptr;
    }
    numsprites = 0;
    for (int i = 0; i < numtargets; ++i) {
        delete targets[i];
        targets[i] = nullptr;
    }
    numtargets = 0;
    delete marker;
    marker = nullptr;
    for (SDL_Surface** s : {&bgSurf, &digitSurf, &txtPauseSurf, &txtPresskeySurf}) {
        SDL_FreeSurface(*s);
        *s = nullptr;
    }
}

}  // namespace

void GameTest::SetUp()
{
    resetSeams();
    fakeClock.now = 1000;

    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    previousDir = cwd;
    work.linkBitmaps();
    ASSERT_EQ(chdir(work.path.c_str()), 0);

    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    screen = SDL_SetVideoMode(SCREEN_WIDTH, SCREEN_HEIGHT, SCREEN_BPP, SDL_SWSURFACE);
    ASSERT_NE(screen, nullptr) << SDL_GetError();
    forgetShownFrame();  // a new window: its first frame goes whole

    score = 0;
    highscore = 0;
    lastTick = 0;
    ASSERT_TRUE(loadInterfaceBitmaps());
    buildAirfield();
    ASSERT_TRUE(buildFleet());
    ASSERT_EQ(numsprites, MAX_SPRITES);
}

void GameTest::TearDown()
{
    freeField();
    SDL_Quit();
    screen = nullptr;
    if (!previousDir.empty()) {
        EXPECT_EQ(chdir(previousDir.c_str()), 0);
    }
}

FlyObj* GameTest::aircraft(int index)
{
    return static_cast<FlyObj*>(sprites[index]);
}

void GameTest::launch(int index, int x, int y, int vx, int vy)
{
    PathSprite* s = sprites[index];
    s->setPos(x, y);
    s->setVelocity(vx, vy);
    s->visible = true;
    s->state = Flying;
}

void GameTest::pushMouseButton(Uint8 type, int x, int y, Uint8 button)
{
    SDL_Event e{};
    e.type = type;
    e.button.button = button;
    e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.button.x = static_cast<Uint16>(x);
    e.button.y = static_cast<Uint16>(y);
    ASSERT_EQ(SDL_PushEvent(&e), 0);
}

void GameTest::pushMouseMotion(int x, int y)
{
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = static_cast<Uint16>(x);
    e.motion.y = static_cast<Uint16>(y);
    ASSERT_EQ(SDL_PushEvent(&e), 0);
}

void GameTest::pushKey(SDLKey key)
{
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.state = SDL_PRESSED;
    e.key.keysym.sym = key;
    ASSERT_EQ(SDL_PushEvent(&e), 0);
}

void GameTest::pushQuit()
{
    SDL_Event e{};
    e.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&e), 0);
}

int GameTest::queuedEvents()
{
    SDL_Event peeked[64];
    return SDL_PeepEvents(peeked, 64, SDL_PEEKEVENT, SDL_ALLEVENTS);
}

Uint32 GameTest::screenPixel(int x, int y)
{
    return pixelAt(screen, x, y);
}

Uint32 GameTest::white()
{
    return SDL_MapRGB(screen->format, 255, 255, 255);
}
