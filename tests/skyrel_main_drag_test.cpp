// The route drag: a point and a tick per pass, and every way a drag ends.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "game_fixture.h"

namespace {

std::vector<std::pair<int, int>> routeOf(PathSprite* s)
{
    std::vector<std::pair<int, int>> points;
    for (Uint32 i = 0; i < s->pathLen; ++i)
        points.emplace_back(s->path[i].x, s->path[i].y);
    return points;
}

SDL_Event pressAt(int x, int y)
{
    SDL_Event e{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.state = SDL_PRESSED;
    e.button.x = static_cast<Uint16>(x);
    e.button.y = static_cast<Uint16>(y);
    return e;
}

}  // namespace

class RouteDrag : public GameTest {
protected:
    void SetUp() override
    {
        GameTest::SetUp();
        launch(EW_AIRCRAFT, 100, 100, 1, 0);
        sprites[EW_AIRCRAFT]->moveDelay = 100000;  // holds still unless a test wants it to fly
        fakeClock.onDelay = [this] { runScheduled(); };
    }

    // Runs the drag from a press at (x, y) and counts the ticks it ran.
    bool drag(int x, int y)
    {
        lastTick = fakeClock.now;  // so that every tick of the drag waits once
        fakeClock.delays.clear();
        SDL_Event event = pressAt(x, y);
        const bool result = handleMouseInput(&event);
        ticks = static_cast<int>(fakeClock.delays.size());
        scheduled.clear();
        return result;
    }

    // Runs what the test gives at the end of the given tick of the next drag,
    // after its collision step, so that events pushed then are read next.
    void afterTick(int tick, std::function<void()> action)
    {
        scheduled.emplace_back(tick, std::move(action));
    }

    int ticks = 0;

private:
    void runScheduled()
    {
        const int tick = static_cast<int>(fakeClock.delays.size());
        for (auto& [when, action] : scheduled) {
            if (when == tick && action) {
                action();
                action = nullptr;
            }
        }
        if (tick == MAX_DRAG_TICKS) {
            ADD_FAILURE() << "the drag did not end; releasing the button";
            pushMouseButton(SDL_MOUSEBUTTONUP, 0, 0);
        }
    }

    static const int MAX_DRAG_TICKS = 3000;
    std::vector<std::pair<int, std::function<void()>>> scheduled;
};

TEST_F(RouteDrag, APressOnNoVisibleAircraftChangesNothingAndRunsNoTick)
{
    sprites[2]->setPos(300, 300);  // there, but hidden
    EXPECT_TRUE(drag(305, 305));
    EXPECT_TRUE(drag(5, 5));
    EXPECT_EQ(ticks, 0);
    EXPECT_EQ(sprites[2]->pathLen, 0u);
    EXPECT_EQ(clickOnSprite(305, 305), -1);
}

TEST_F(RouteDrag, APressOnOverlappingAircraftTakesTheLowerIndex)
{
    launch(EW_AIRCRAFT + 1, 105, 105);
    launch(3, 108, 108);
    EXPECT_EQ(clickOnSprite(110, 110), 3);
    EXPECT_EQ(clickOnSprite(100, 100), EW_AIRCRAFT);
    EXPECT_EQ(clickOnSprite(99, 100), -1);
}

TEST_F(RouteDrag, EachPassAppendsOnePointAndRunsOneTick)
{
    sprites[EW_AIRCRAFT]->addToPath(600, 400);  // an old route is replaced
    sprites[EW_AIRCRAFT]->state = Routed;
    pushMouseMotion(150, 110);
    pushMouseMotion(160, 120);
    pushMouseButton(SDL_MOUSEBUTTONUP, 170, 130);

    EXPECT_TRUE(drag(105, 105));
    EXPECT_EQ(routeOf(sprites[EW_AIRCRAFT]),
              (std::vector<std::pair<int, int>>{{105, 105}, {150, 110}, {160, 120}}));
    EXPECT_EQ(ticks, 2);
    EXPECT_EQ(sprites[EW_AIRCRAFT]->state, Routed);
    EXPECT_EQ(sprites[EW_AIRCRAFT]->surface, aircraft(EW_AIRCRAFT)->normalSurf);
    EXPECT_EQ(queuedEvents(), 0);
}

TEST_F(RouteDrag, WithNothingWaitingOrNoPositionThePreviousPointIsAppendedAgain)
{
    pushMouseMotion(150, 110);
    pushKey(SDLK_p);  // carries no position
    afterTick(3, [this] { pushMouseButton(SDL_MOUSEBUTTONUP, 0, 0, SDL_BUTTON_RIGHT); });

    EXPECT_TRUE(drag(105, 105));
    EXPECT_EQ(routeOf(sprites[EW_AIRCRAFT]),
              (std::vector<std::pair<int, int>>{{105, 105}, {150, 110}, {150, 110}, {150, 110}}));
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(queuedEvents(), 0);  // the key was consumed
}

TEST_F(RouteDrag, AFullRouteEndsTheDragAndTheLaterReleaseStaysQueued)
{
    pushMouseMotion(600, 400);  // far off: no point after the press is reached
    afterTick(static_cast<int>(PATH_CAPACITY),
              [this] { pushMouseButton(SDL_MOUSEBUTTONUP, 600, 400); });
    // Flies along as the route grows; its first step, on the sixth tick,
    // passes the press point and heads for the far one.
    sprites[EW_AIRCRAFT]->moveDelay = 5;

    EXPECT_TRUE(drag(105, 105));
    EXPECT_EQ(sprites[EW_AIRCRAFT]->pathLen, PATH_CAPACITY);
    EXPECT_EQ(ticks, static_cast<int>(PATH_CAPACITY));
    EXPECT_EQ(sprites[EW_AIRCRAFT]->state, Routed);
    EXPECT_EQ(queuedEvents(), 1);  // the release is left to the main loop
}

TEST_F(RouteDrag, ARouteFromTheApproachAreaOntoTheRunwayPutsTheAircraftOnApproach)
{
    pushMouseMotion(270, 197);  // approach area of the east-west runway
    pushMouseMotion(300, 197);  // its landing area
    pushMouseMotion(350, 250);
    pushMouseButton(SDL_MOUSEBUTTONUP, 350, 250, SDL_BUTTON_MIDDLE);

    EXPECT_TRUE(drag(105, 105));
    EXPECT_EQ(sprites[EW_AIRCRAFT]->state, OnApproach);
    EXPECT_EQ(sprites[EW_AIRCRAFT]->surface, aircraft(EW_AIRCRAFT)->approachSurf);

    // The same route for an aircraft of the north-south runway is no approach.
    launch(NS_AIRCRAFT, 100, 300);
    sprites[NS_AIRCRAFT]->moveDelay = 100000;
    pushMouseMotion(270, 197);
    pushMouseMotion(300, 197);
    pushMouseButton(SDL_MOUSEBUTTONUP, 300, 197);
    EXPECT_TRUE(drag(105, 305));
    EXPECT_EQ(sprites[NS_AIRCRAFT]->state, Routed);
}

TEST_F(RouteDrag, ACrashDuringTheDragEndsItAtOnceWithTheFieldCleared)
{
    launch(EW_AIRCRAFT + 1, 100 + sprites[EW_AIRCRAFT]->getWidth() - 1, 100);
    sprites[EW_AIRCRAFT + 1]->moveDelay = 100000;
    pushMouseMotion(150, 150);
    pushMouseButton(SDL_MOUSEBUTTONUP, 150, 150);
    highscore = 0;
    score = 2;

    EXPECT_FALSE(drag(105, 105));
    EXPECT_EQ(ticks, 1);  // the crash tick
    EXPECT_EQ(sprites[EW_AIRCRAFT]->state, Inactive);
    EXPECT_EQ(sprites[EW_AIRCRAFT]->pathLen, 0u);
    EXPECT_EQ(sprites[EW_AIRCRAFT]->surface, aircraft(EW_AIRCRAFT)->normalSurf);
    EXPECT_EQ(highscore, 2u);
    EXPECT_EQ(queuedEvents(), 1);  // the release is still queued
}

TEST_F(RouteDrag, AnAircraftThatLandsDuringItsDragStaysLanded)
{
    PathSprite* s = sprites[EW_AIRCRAFT];
    s->setPos(350 - s->getWidth() / 2, 197 - s->getHeight() / 2);  // centre on the runway
    s->state = Final;
    const int x = s->pos.x + 2;
    const int y = s->pos.y + 2;
    pushMouseMotion(500, 400);
    pushMouseMotion(510, 410);
    pushMouseButton(SDL_MOUSEBUTTONUP, 510, 410);

    EXPECT_TRUE(drag(x, y));
    EXPECT_EQ(ticks, 1);
    EXPECT_EQ(score, 1u);
    EXPECT_EQ(s->state, Inactive);
    EXPECT_FALSE(s->visible);
    EXPECT_EQ(s->pathLen, 0u);
    EXPECT_EQ(queuedEvents(), 2);  // the rest of the drag goes to the main loop
}

TEST_F(RouteDrag, AQuitReadDuringTheDragIsPutBackHoweverTheDragEnds)
{
    pushMouseMotion(150, 110);
    pushKey(SDLK_ESCAPE);
    pushKey(SDLK_a);
    pushMouseButton(SDL_MOUSEBUTTONUP, 150, 110);
    EXPECT_TRUE(drag(105, 105));
    SDL_Event e;
    ASSERT_EQ(SDL_PollEvent(&e), 1);
    EXPECT_EQ(e.type, SDL_KEYDOWN);
    EXPECT_EQ(e.key.keysym.sym, SDLK_ESCAPE);
    EXPECT_EQ(SDL_PollEvent(&e), 0);

    // A close request read during a drag that ends in a crash.
    launch(EW_AIRCRAFT + 1, 150, 150);
    launch(EW_AIRCRAFT + 2, 150 + sprites[EW_AIRCRAFT + 1]->getWidth() - 1, 150);
    sprites[EW_AIRCRAFT + 1]->moveDelay = 100000;
    sprites[EW_AIRCRAFT + 2]->moveDelay = 100000;
    sprites[EW_AIRCRAFT + 2]->visible = false;
    pushQuit();
    afterTick(3, [] { sprites[EW_AIRCRAFT + 2]->visible = true; });
    EXPECT_FALSE(drag(105, 105));
    ASSERT_EQ(SDL_PollEvent(&e), 1);
    EXPECT_EQ(e.type, SDL_QUIT);
    EXPECT_EQ(SDL_PollEvent(&e), 0);
}
