// The game tick: its step order, the collision search, game over and pacing.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "game_fixture.h"
#include "test_surfaces.h"

namespace {

// Places an aircraft in the given landing state with its centre on (cx, cy).
void placeCentredAt(PathSprite* s, int cx, int cy, Sint32 state)
{
    s->setPos(cx - s->getWidth() / 2, cy - s->getHeight() / 2);
    s->visible = true;
    s->state = state;
    s->moveDelay = 1000;  // holds still during the test
}

std::string fileText(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

const int RUNWAY_CX = 350;  // a point on the east-west runway
const int RUNWAY_CY = 197;
const int PAD_CX = 502;
const int PAD_CY = 267;

}  // namespace

using GameTick = GameTest;

TEST_F(GameTick, EveryLandingOfATickScoresAndTakesTheAircraftOffTheField)
{
    placeCentredAt(sprites[EW_AIRCRAFT], RUNWAY_CX, RUNWAY_CY, Final);
    placeCentredAt(sprites[HELICOPTER], PAD_CX, PAD_CY, Final);
    sprites[HELICOPTER]->addToPath(100, 100);
    score = 5;

    EXPECT_TRUE(doGameTickTasks());
    EXPECT_EQ(score, 7u);
    for (int i : {EW_AIRCRAFT, HELICOPTER}) {
        EXPECT_EQ(sprites[i]->state, Inactive);
        EXPECT_FALSE(sprites[i]->visible);
        EXPECT_EQ(sprites[i]->pathLen, 0u);
        EXPECT_EQ(sprites[i]->pos.x, 0);
        EXPECT_EQ(sprites[i]->pos.y, 0);
    }
}

TEST_F(GameTick, AnAircraftThatLandsIsGoneBeforeTheCollisionSearch)
{
    placeCentredAt(sprites[EW_AIRCRAFT], RUNWAY_CX, RUNWAY_CY, Final);
    // Aircraft 15 sits on it, so the pair (14, 15) would collide.
    launch(EW_AIRCRAFT + 1, sprites[EW_AIRCRAFT]->pos.x + 2, sprites[EW_AIRCRAFT]->pos.y + 2);
    sprites[EW_AIRCRAFT + 1]->moveDelay = 1000;

    EXPECT_TRUE(doGameTickTasks());
    EXPECT_EQ(score, 1u);
    EXPECT_EQ(sprites[EW_AIRCRAFT + 1]->state, Flying);
}

TEST_F(GameTick, AnAircraftStartedByTheMarkerTakesPartFromTheNextTick)
{
    launch(2, 300, 300);
    sprites[2]->moveDelay = 1000;
    sprites[3]->setPos(302, 302);  // aircraft 2's top-left corner lies inside it
    marker = new Marker(sprites[3], 0);

    EXPECT_TRUE(doGameTickTasks());
    EXPECT_EQ(marker, nullptr);
    EXPECT_TRUE(sprites[3]->visible);
    EXPECT_EQ(sprites[3]->state, Flying);

    EXPECT_FALSE(doGameTickTasks());
}

TEST_F(GameTick, ACrashShowsTheCrashedPairAndThePressKeyTextThenClearsTheField)
{
    displayCounters.keepFrames = true;
    // Three aircraft in a row, each overlapping the next by two columns:
    // (8, 9) and (9, 10) touch, and (8, 9) is found first.
    const int w = sprites[8]->getWidth();
    const int rowY = 300;
    for (int i : {8, 9, 10}) {
        launch(i, 200 + (i - 8) * (w - 2), rowY);
        sprites[i]->moveDelay = 1000;
    }
    sprites[8]->addToPath(600, 400);
    sprites[0]->setPos(300, 0);
    marker = new Marker(sprites[0], 5);
    score = 3;
    highscore = 2;

    EXPECT_FALSE(doGameTickTasks());

    // The crash frame (the tick's own frame is the same and sends nothing),
    // then only the text's rectangle.
    ASSERT_EQ(displayCounters.flips, 1);
    EXPECT_EQ(displayCounters.rectUpdates, 1);
    EXPECT_EQ(displayCounters.lastUpdate.x, (SCREEN_WIDTH - txtPresskeySurf->w) / 2);
    EXPECT_EQ(displayCounters.lastUpdate.y, PRESSKEY_TEXT_Y);
    EXPECT_EQ(displayCounters.lastUpdate.w, txtPresskeySurf->w);

    // In the crash frame 8 and 9 wear the crashed look, 10 its normal one.
    const std::vector<Uint16>& crashFrame = displayCounters.frames[0];
    auto matchesOf = [&](int index, SDL_Surface* look) {
        int matches = 0;
        for (int y = 0; y < look->h; ++y) {
            for (int x = 0; x < w - 2; ++x) {  // the columns no later aircraft covers
                const Uint32 wanted = pixelAt(look, x, y);
                const int sx = 200 + (index - 8) * (w - 2) + x;
                matches += wanted != 0 && crashFrame[(rowY + y) * screen->pitch / 2 + sx] == wanted;
            }
        }
        return matches;
    };
    for (int i : {8, 9})
        EXPECT_GT(matchesOf(i, aircraft(i)->crashedSurf), matchesOf(i, aircraft(i)->normalSurf))
            << i;
    EXPECT_GT(matchesOf(10, aircraft(10)->normalSurf), matchesOf(10, aircraft(10)->crashedSurf));

    // Game over: best score kept and written, field empty, marker gone.
    EXPECT_EQ(highscore, 3u);
    EXPECT_EQ(fileText("highscore.txt"), "3");
    EXPECT_EQ(score, 0u);
    EXPECT_EQ(marker, nullptr);
    for (unsigned int i = 0; i < numsprites; ++i) {
        EXPECT_EQ(sprites[i]->state, Inactive) << i;
        EXPECT_FALSE(sprites[i]->visible) << i;
        EXPECT_EQ(sprites[i]->pathLen, 0u) << i;
        EXPECT_EQ(sprites[i]->surface, aircraft(i)->normalSurf) << i;
        EXPECT_EQ(sprites[i]->pos.x, 0) << i;
        EXPECT_EQ(sprites[i]->pos.y, 0) << i;
    }
}

TEST_F(GameTick, TheFirstPairFoundCollidesAndOnlyTheLowerIndexsCornersAreTested)
{
    int first = -1;
    int second = -1;
    EXPECT_FALSE(checkSpriteCollision(&first, &second));
    EXPECT_EQ(first, -1);

    // Aircraft 6 lies inside 5 without holding one of 5's corners: only 6's
    // corners are inside 5, and the pair is tested as (5, 6).
    const int big = 5;
    launch(big, 300, 300);
    launch(6, 302, 302);
    SDL_Surface* small = SDL_CreateRGBSurface(SDL_SWSURFACE, 4, 4, 16, 0xF800, 0x07E0, 0x1F, 0);
    sprites[6]->setSurface(small);
    EXPECT_FALSE(checkSpriteCollision(&first, &second));

    // An invisible aircraft never collides.
    launch(1, 290, 290);
    sprites[1]->visible = false;
    EXPECT_FALSE(checkSpriteCollision(&first, &second));

    // With 3 and 4 touching as well, (3, 4) is found before (3, 5) or (4, 5).
    launch(3, 296, 296);
    launch(4, 298, 298);
    EXPECT_TRUE(checkSpriteCollision(&first, &second));
    EXPECT_EQ(first, 3);
    EXPECT_EQ(second, 4);

    aircraft(6)->setNormal();
    SDL_FreeSurface(small);
}

TEST_F(GameTick, AScoreThatOnlyEqualsTheBestWritesNothing)
{
    score = 4;
    highscore = 4;
    doGameoverTasks();
    EXPECT_EQ(highscore, 4u);
    EXPECT_FALSE(std::ifstream("highscore.txt").good());

    score = 5;
    doGameoverTasks();
    EXPECT_EQ(highscore, 5u);
    EXPECT_EQ(fileText("highscore.txt"), "5");
}

TEST_F(GameTick, ATickWaitsOnlyForTheRestOfTenMillisecondsByTheSecondReading)
{
    // All but the last millisecond of the rest is one delay; the last one
    // is napped away until the clock reads the end of the period.
    struct Case {
        Uint32 lastTick;
        Uint32 now;
        Uint32 advancePerReading;
        std::vector<Uint32> delays;
        bool naps;
        Uint32 stamp;  // the clock at the end of the tick's wait
    };
    const std::vector<Case> cases = {
        {1000, 1003, 0, {6}, true, 1010},  // 3 ms passed: wait until 1010
        {1000, 1008, 0, {1}, true, 1010},  {1000, 1009, 0, {}, true, 1010},  // only naps are left
        {1000, 1010, 0, {}, false, 1010},   // a whole period passed
        {1000, 1500, 0, {}, false, 1500},   // a late tick is not made up
        {1000, 1000, 4, {5}, false, 1017},  // second reading 1004
        {1000, 1006, 5, {}, false, 1021},   // second reading 1011: nothing to wait
        {1000, 1009, 1, {}, false, 1012},   // second reading 1010
        {0xFFFFFFFA, 2, 0, {1}, true, 4},   // across the wrap of the clock: 8 ms passed
        {0xFFFFFFFA, 4, 0, {}, false, 4},   // 10 ms passed
    };
    for (const Case& c : cases) {
        fakeClock.delays.clear();
        fakeClock.naps = 0;
        fakeClock.now = c.now;
        fakeClock.advancePerReading = c.advancePerReading;
        lastTick = c.lastTick;
        EXPECT_TRUE(doGameTickTasks());
        EXPECT_EQ(fakeClock.delays, c.delays) << "lastTick " << c.lastTick << " now " << c.now;
        EXPECT_EQ(fakeClock.naps > 0, c.naps) << "lastTick " << c.lastTick << " now " << c.now;
        EXPECT_LE(fakeClock.naps, 10);
        // The stamp is a fresh reading, taken after the wait.
        EXPECT_EQ(lastTick, c.stamp) << "lastTick " << c.lastTick << " now " << c.now;
    }
}

TEST_F(GameTick, AnEmptyFieldStillServesTheMarkerDrawsAndPaces)
{
    sprites[0]->setPos(100, 0);
    marker = new Marker(sprites[0], 2);
    lastTick = fakeClock.now;
    EXPECT_TRUE(doGameTickTasks());
    EXPECT_EQ(marker->delay, 1u);
    EXPECT_EQ(displayCounters.flips, 1);
    EXPECT_EQ(fakeClock.delays, std::vector<Uint32>{TICK_PERIOD - 1});
    EXPECT_EQ(lastTick, 1000 + TICK_PERIOD);
    EXPECT_EQ(screenPixel(105, 5), white());
}
