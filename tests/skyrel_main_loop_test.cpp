// The main loop: keys, quitting, pausing and a halted game.
#include <gtest/gtest.h>

#include "game_fixture.h"

namespace {

// Runs an action inside the first SDL_Delay that the game asks for.
void atFirstDelay(std::function<void()> action)
{
    fakeClock.onDelay = [action = std::move(action), done = false]() mutable {
        if (!done) {
            done = true;
            action();
        }
    };
}

}  // namespace

using MainLoop = GameTest;

TEST_F(MainLoop, EscapeQuitsAtTheEndOfThePassAfterTheRestOfTheQueueAndOneTick)
{
    pushKey(SDLK_ESCAPE);
    pushMouseMotion(10, 10);
    runMainLoop();
    EXPECT_EQ(displayCounters.flips, 1);
    EXPECT_EQ(queuedEvents(), 0);
    EXPECT_EQ(scriptedRand.calls, 1);  // one spawn offer
}

TEST_F(MainLoop, TwoKeysInOneDrainPauseAndResumeAndACloseRequestQuits)
{
    pushKey(SDLK_a);
    pushKey(SDLK_b);
    pushQuit();
    runMainLoop();
    EXPECT_EQ(displayCounters.flips, 1);        // the pause screen
    EXPECT_EQ(displayCounters.rectUpdates, 1);  // then what the tick's frame changed
}

TEST_F(MainLoop, AHaltedGameWaitsATickPeriodPerPassAndStillOffersSpawns)
{
    launch(5, 300, 300);
    pushKey(SDLK_SPACE);
    int halted = 0;
    fakeClock.onDelay = [&] {
        if (++halted == 50)
            pushKey(SDLK_ESCAPE);
    };
    runMainLoop();
    EXPECT_EQ(fakeClock.delays, std::vector<Uint32>(50, TICK_PERIOD));
    EXPECT_EQ(scriptedRand.calls, 51);    // the quitting pass offers a spawn, but does not wait
    EXPECT_EQ(displayCounters.flips, 1);  // the pause screen only
    EXPECT_EQ(sprites[5]->pos.x, 300);    // nothing moved
}

TEST_F(MainLoop, AfterAGameOverAPressIsIgnoredAndEscapeStillQuits)
{
    launch(8, 200, 200);
    launch(9, 205, 205);
    atFirstDelay([this] {
        launch(12, 400, 100);
        pushMouseButton(SDL_MOUSEBUTTONDOWN, 405, 105);
        pushMouseMotion(500, 300);
        pushMouseButton(SDL_MOUSEBUTTONUP, 500, 300);
        pushKey(SDLK_ESCAPE);
    });
    runMainLoop();
    EXPECT_EQ(sprites[12]->pathLen, 0u);  // no drag began
    EXPECT_EQ(sprites[8]->state, Inactive);
    // The crash frame, then the press-key text; no later frame changed anything.
    EXPECT_EQ(displayCounters.flips + displayCounters.rectUpdates, 2);
}

TEST_F(MainLoop, AKeyAfterAGameOverStartsTheNextGameWithoutThePauseScreen)
{
    launch(8, 200, 200);
    launch(9, 205, 205);
    atFirstDelay([this] {
        pushKey(SDLK_RETURN);
        pushKey(SDLK_ESCAPE);
    });
    runMainLoop();
    // The crash frame, the press-key text, then one tick's frame.
    EXPECT_EQ(displayCounters.flips + displayCounters.rectUpdates, 3);
}

TEST_F(MainLoop, APressWhileRunningDrawsARouteWithinThePass)
{
    launch(12, 300, 300);
    sprites[12]->moveDelay = 100000;
    pushMouseButton(SDL_MOUSEBUTTONDOWN, 305, 305);
    pushMouseMotion(400, 400);
    pushMouseButton(SDL_MOUSEBUTTONUP, 400, 400);
    pushQuit();
    runMainLoop();
    EXPECT_EQ(sprites[12]->pathLen, 2u);
    EXPECT_EQ(sprites[12]->state, Routed);
}
