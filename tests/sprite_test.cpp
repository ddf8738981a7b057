// The sprites on real surfaces: pace, steering and bounces with the heading an
// aircraft is drawn in, its looks, hit tests, drawing, routes, landing targets
// and the spawn marker.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "flyobj.h"
#include "test_surfaces.h"

namespace {

const int W = 10;  // every test look but the crashed one: W x H
const int H = 8;
const int CRASHED = 2 * NUM_HEADINGS;  // looks: normal by heading, approach by heading, crashed

class Sprites : public ::testing::Test {
protected:
    SurfacePtr canvas = makeBitmap(640, 480);
    SurfacePtr bitmaps[CRASHED + 1];
    SDL_Surface* looks[CRASHED + 1] = {};
    Target runway{200, 100, 100, 20, 160, 100, 40, 20, 1};  // approached from the west
    Target pad{400, 300, 20, 20, 394, 294, 32, 32, 3};
    Target* field[2] = {&pad, &runway};

    // Look i is red 8 * (i + 1), so that the five red bits of 565 hold i + 1.
    Sprites()
    {
        for (int i = 0; i <= CRASHED; ++i) {
            const auto red = static_cast<Uint8>(8 * (i + 1));
            bitmaps[i] = makeBitmap(i < CRASHED ? W : 14, i < CRASHED ? H : 6, red, 99, 0);
            looks[i] = bitmaps[i].get();
        }
    }
    int shownAt(int x, int y) { return static_cast<int>(pixelAt(canvas.get(), x, y) >> 11) - 1; }
    std::string shown(int x, int y) { return std::to_string(shownAt(x, y)); }

    // A visible, Flying aircraft that steps on every call of move.
    std::unique_ptr<FlyObj> aircraft(int x, int y, int type = 1, bool headingLooks = true)
    {
        auto a = std::make_unique<FlyObj>(looks[HeadingN], looks[NUM_HEADINGS], looks[CRASHED],
                                          1.0f, type);
        if (headingLooks)
            a->setHeadingLooks(looks, looks + NUM_HEADINGS);
        a->setPos(x, y);
        a->visible = true;
        a->state = Flying;
        return a;
    }
};

TEST_F(Sprites, PaceIsFortyTimesTheFactorAndAStepComesEveryFortyFirstMinusPaceCalls)
{
    const std::pair<float, int> paces[] = {{0.45f, 17}, {0.6f, 24}, {0.75f, 30},
                                           {0.85f, 34}, {1.0f, 40}, {2.0f, 40},
                                           {0.0f, 0},   {-1.0f, 0}, {NAN, 0}};
    for (const auto& [factor, pace] : paces) {
        PathSprite s(looks[0], 100, 100, 0, 0, factor, 1);
        s.visible = true;
        s.setVelocity(1, 0);
        std::vector<int> stepCalls;
        for (int call = 1; stepCalls.size() < 2 && call <= 2 * (MOVE_PERIOD + 1); ++call) {
            s.move(canvas.get(), 0);
            if (s.getPosX() != 100 + static_cast<int>(stepCalls.size()))
                stepCalls.push_back(call);
        }
        EXPECT_EQ(stepCalls, (std::vector<int>{41 - pace, 82 - 2 * pace})) << factor;
    }
}

// Shown as "look look size state centre-x", looks by index.
TEST_F(Sprites, AnAircraftWearsEachLookWhereItIsFacingItsLastStepAndACrashIsOneFireball)
{
    FlyObj fresh(looks[0], looks[NUM_HEADINGS], looks[CRASHED], 0.6f, 2);
    EXPECT_EQ(stateOf(fresh) + " " + std::to_string(fresh.getType()), "0,0 0,0 0 0 hidden 2");
    auto turning = aircraft(100, 100);
    auto plain = aircraft(200, 100, 1, false);  // one bitmap a look
    EXPECT_TRUE(turning->hasHeadingLooks() && !plain->hasHeadingLooks());
    turning->addToPath(1, 2);
    const auto frame = [&]() {
        turning->draw(canvas.get());
        plain->draw(canvas.get());
        return shown(100, 100) + " " + shown(200, 100) + " " +
               std::to_string(turning->getPos()->w) + "x" + std::to_string(turning->getPos()->h) +
               " " + stateOf(*turning) + " " + std::to_string(turning->getCPosX());
    };
    turning->setVelocity(-1, 1);
    plain->setVelocity(-1, 1);
    EXPECT_EQ(frame(), "5 0 10x8 100,100 -1,1 2 1 105");
    turning->setVelocity(0, 0);  // a stop keeps the heading
    turning->setOnApproach();
    plain->setOnApproach();
    EXPECT_EQ(frame(), "13 8 10x8 100,100 0,0 2 1 105");
    turning->setCrashed();
    plain->setHeadingLooks(looks, looks + NUM_HEADINGS);  // those of the look it wears
    plain->setVelocity(1, 0);
    EXPECT_EQ(frame(), "16 10 14x6 100,100 0,0 2 1 105");
    turning->setNormal();
    EXPECT_EQ(frame(), "5 10 10x8 100,100 0,0 2 1 105");
}

// Probes by an aircraft at (100, 100), centre (105, 104), as "hit, centre in
// a 1 x 1 rectangle there, a corner in it": its right and bottom edges lie
// outside it, its far corners one pixel beyond. Sprites meet by the corners
// of the first, or the centre of the second, only.
TEST_F(Sprites, OnlyVisibleSpritesAreHitAndMeetOthersAndOnlyByTheirOwnCorners)
{
    auto s = aircraft(100, 100);
    auto other = aircraft(100 + W, 100);
    const int probes[][3] = {{100, 100, 101}, {109, 107, 100}, {110, 100, 1}, {100, 108, 1},
                             {110, 108, 1},   {99, 100, 0},    {100, 99, 0},  {105, 104, 110},
                             {106, 104, 100}, {111, 108, 0},   {110, 109, 0}};
    for (bool visible : {true, false}) {
        s->visible = visible;
        for (const auto& p : probes) {
            SDL_Rect r = rectOf(p[0], p[1], 1, 1);
            EXPECT_EQ(s->collisionCheck(p[0], p[1]) * 100 + s->collisionCheckInside(&r) * 10 +
                          s->collisionCheckOutline(&r),
                      visible ? p[2] : 0)
                << p[0] << "," << p[1];
        }
        EXPECT_EQ(s->collisionCheckOutline(other.get()) && !other->collisionCheckOutline(s.get()),
                  visible);
        other->setPos(95, 97);  // its centre (100, 101) in s, s's not in it
        EXPECT_EQ(s->collisionCheckInside(other.get()) && !other->collisionCheckInside(s.get()),
                  visible);
        other->visible = false;
        EXPECT_FALSE(s->collisionCheckOutline(other.get()) || s->collisionCheckInside(other.get()));
        other->visible = true;
        other->setPos(100 + W, 100);
    }
}

// One step, shown as "x,y vx,vy state route-length next-waypoint heading".
// Straight along the major axis when it is at least three times the minor
// distance, else diagonal; waypoints inside the sprite are passed; at an
// edge the step is skipped, reversed and the route dropped. The last x
// reached is 640 - W - 1 = 629, the last y 480 - H - 1 = 471.
TEST_F(Sprites, AStepSteersForTheNextWaypointBouncesOffTheEdgesAndShowsItsHeading)
{
    const struct {
        int x, y, vx, vy;
        std::vector<Coord> route;
        const char* after;
    } steps[] = {
        {100, 100, 0, 0, {{205, 137}}, "101,100 1,0 2 1 0 2"},
        {100, 100, 0, 0, {{205, 138}}, "101,101 1,1 2 1 0 3"},
        {100, 100, 0, 0, {{205, 4}}, "101,99 1,-1 2 1 0 1"},
        {100, 100, 0, 0, {{105, 4}}, "100,99 0,-1 2 1 0 0"},
        {100, 100, 0, 0, {{5, 4}}, "99,99 -1,-1 2 1 0 7"},
        {100, 100, 0, 0, {{75, 204}}, "100,101 0,1 2 1 0 4"},
        {100, 100, 0, 0, {{70, 204}}, "99,101 -1,1 2 1 0 5"},
        {100, 100, 0, 0, {{5, 71}}, "99,100 -1,0 2 1 0 6"},
        {100, 100, 0, 1, {{100, 100}, {109, 107}, {300, 104}}, "101,100 1,0 2 3 2 2"},
        {295, 100, 1, 0, {{300, 104}}, "296,100 1,0 2 0 0 2"},
        {0, 50, -1, 0, {{-995, 54}}, "0,50 1,0 2 0 0 2"},
        {629, 50, 1, 0, {{1634, 54}}, "629,50 -1,0 2 0 0 6"},
        {50, 0, 0, -1, {{55, -996}}, "50,0 0,1 2 0 0 4"},
        {50, 471, 0, 1, {{55, 1475}}, "50,471 0,-1 2 0 0 0"},
        {628, 50, 1, 0, {{1633, 54}}, "629,50 1,0 2 1 0 2"},
        {0, 471, -1, 1, {{-995, 1475}}, "0,471 1,-1 2 0 0 1"},
        {1, 1, -1, -1, {{-994, -995}}, "0,0 -1,-1 2 1 0 7"},
    };
    for (const auto& step : steps) {
        auto s = aircraft(step.x, step.y);
        s->setVelocity(step.vx, step.vy);
        for (Coord c : step.route)
            s->addToPath(&c);
        s->move(canvas.get(), 0);
        EXPECT_EQ(stateOf(*s) + " " + std::to_string(s->pathPos) + " " +
                      shown(s->getPosX(), s->getPosY()),
                  step.after);
    }
}

TEST_F(Sprites, ARouteHoldsAThousandAndTwentyFourUnclippedWaypointsAndClearingEndsRoutedOnly)
{
    auto s = aircraft(100, 100);
    for (unsigned int i = 0; i < PATH_CAPACITY; ++i)
        ASSERT_TRUE(s->addToPath(i, -70000));
    EXPECT_TRUE(!s->addToPath(1, 1) && s->path[PATH_CAPACITY - 1].y == -70000);
    for (Sint32 state : {Routed, Flying, OnApproach, Final}) {
        s->state = state;
        s->pathPos = 5;
        s->clearPath();
        EXPECT_EQ(stateOf(*s) + " " + std::to_string(s->pathPos),
                  "100,100 0,0 " + std::to_string(state == Routed ? Flying : state) + " 0 0");
    }
}

// From its marker's delay to its removal.
TEST_F(Sprites, ASpriteIsDrawnWholeOnlyWhileVisibleAndMoveAndRemoveRepaintItsPlace)
{
    const Uint32 blank = 0x1234;  // shown as 1
    PathSprite s(looks[0], 630, 50, 0, 0, 1.0f, 1);
    Marker m(&s, 2);
    s.setPos(635, 100);  // the marker keeps the place it was made at
    m.draw(canvas.get(), blank);
    s.draw(canvas.get());  // hidden: not drawn
    EXPECT_TRUE(!m.startSprite(canvas.get()) && !m.startSprite(canvas.get()));
    EXPECT_EQ(stateOf(s) + " " + shown(639, 57) + " " + shown(629, 57) + " " + shown(635, 100),
              "635,100 0,0 1 0 hidden 1 -1 -1");
    EXPECT_TRUE(m.startSprite(canvas.get()) && m.rect.w == W && m.rect.h == H);
    EXPECT_EQ(stateOf(s) + " " + shown(639, 107) + " " + shown(634, 100) + " " +
                  std::to_string(s.getPos()->w),
              "635,100 0,0 2 0 0 -1 10");  // past the right edge, keeping its size
    s.setPos(100, 100);
    s.setVelocity(1, 1);
    s.draw(canvas.get());
    s.move(canvas.get(), blank);
    EXPECT_EQ(shown(100, 100) + " " + shown(110, 108), "1 0");
    s.addToPath(500, 500);
    s.state = Routed;
    s.remove(canvas.get(), blank);
    EXPECT_EQ(stateOf(s) + " " + std::to_string(s.getCPosX()) + " " + shown(110, 108),
              "0,0 1,1 0 0 hidden 5 1");
    s.move(canvas.get(), blank);  // hidden: nothing moves or is drawn
    EXPECT_EQ(stateOf(s) + " " + shown(0, 0), "0,0 1,1 0 0 hidden -1");
}

TEST_F(Sprites, TheRouteIsDrawnFromTheLastWaypointReachedToItsEnd)
{
    auto s = aircraft(0, 0);
    for (Coord c : {Coord{100, 50}, Coord{200, 100}, Coord{300, 50}})
        s->addToPath(&c);
    for (Uint32 reached : {0u, 1u, 2u}) {
        SDL_FillRect(canvas.get(), nullptr, 0);
        s->pathPos = reached;
        s->drawPathRGBA(canvas.get(), 0, 255, 0, 255);
        EXPECT_EQ(std::to_string(pixelAt(canvas.get(), 150, 75) != 0) +
                      std::to_string(pixelAt(canvas.get(), 250, 75) != 0),
                  reached < 2 ? "11" : "01")
            << reached;
    }
}

TEST_F(Sprites, ARouteQualifiesWithAnApproachWaypointDirectlyBeforeALandingWaypoint)
{
    const struct {
        std::vector<Coord> route;
        int type;
        bool qualifies;
    } routes[] = {{{{170, 110}, {210, 110}}, 1, true},
                  {{{50, 50}, {170, 110}, {210, 110}, {600, 400}}, 1, true},
                  {{{170, 110}, {210, 110}}, 2, false},
                  {{{210, 110}, {170, 110}}, 1, false},
                  {{{170, 110}, {100, 100}, {210, 110}}, 1, false},
                  {{{170, 110}}, 1, false},
                  {{{396, 296}, {405, 305}}, 3, true}};
    for (const auto& r : routes) {
        auto s = aircraft(0, 0, r.type);
        for (Coord p : r.route)
            s->addToPath(&p);
        EXPECT_TRUE(s->checkPath(field, 2) == r.qualifies && !s->checkPath(field, 0))
            << r.route.size() << " " << r.type;
    }
}

TEST_F(Sprites, AnAircraftOnApproachTurnsFinalAtTheApproachAreaAndLandsOnALaterCall)
{
    auto s = aircraft(159 - W, 105);  // its right corners one pixel short
    s->state = OnApproach;
    EXPECT_FALSE(s->checkTarget(field, 2) || s->state != OnApproach);
    s->setPos(160 - W, 105);
    EXPECT_FALSE(s->checkTarget(field, 2) || s->state != Final);
    s->setPos(199 - W / 2, 105);  // centre one pixel short of the landing area
    EXPECT_FALSE(s->checkTarget(field, 2));
    s->setPos(200 - W / 2, 105);
    s->visible = false;
    EXPECT_FALSE(s->checkTarget(field, 2));
    s->visible = true;
    EXPECT_TRUE(s->checkTarget(field, 2) && s->state == Landed);
    EXPECT_FALSE(s->checkTarget(field, 2));  // landed once only
    // Other types, and aircraft in other states, never progress.
    const int others[][2] = {{3, OnApproach}, {3, Final}, {1, Flying}, {1, Routed}};
    for (const auto& [type, state] : others) {
        auto other = aircraft(195, 105, type);  // corners on approach, centre landed
        other->state = state;
        EXPECT_FALSE(other->checkTarget(&runway) || other->state != state);
    }
    runway.draw(canvas.get());  // the approach area in grey, the landing area in white
    EXPECT_EQ(shown(159, 100) + " " + shown(160, 119) + " " + shown(199, 100) + " " +
                  shown(200, 119) + " " + shown(300, 100),
              "-1 17 17 30 -1");
}

}  // namespace
