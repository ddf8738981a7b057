// The sprites on real surfaces: pace, steering, looks, hits, routes, landing and the marker.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <tuple>
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

    // A visible, Flying aircraft with a look for every heading.
    std::unique_ptr<FlyObj> aircraft(int x, int y, int type = 1, float factor = 1.0f)
    {
        auto a = std::make_unique<FlyObj>(looks[HeadingN], looks[NUM_HEADINGS], looks[CRASHED],
                                          factor, type);
        a->setHeadingLooks(looks, looks + NUM_HEADINGS);
        a->setPos(x, y);
        a->visible = true;
        a->state = Flying;
        return a;
    }
};

// A step every 41 - pace calls, the first after as many: 14 x 41 / (41 - pace) in 14 x 41 calls.
TEST_F(Sprites, PaceIsFortyTimesTheFactorAndAStepComesEveryFortyFirstMinusPaceCalls)
{
    const std::pair<float, int> paces[] = {{0.45f, 17}, {0.6f, 24}, {1.0f, 40},
                                           {2.0f, 40},  {0.0f, 0},  {NAN, 0}};
    for (const auto& [factor, pace] : paces) {
        auto s = aircraft(0, 100, 1, factor);
        s->setVelocity(1, 0);
        for (int call = 0; call < 14 * 41; ++call)
            s->move(canvas.get(), 0);
        EXPECT_EQ(s->getPosX(), 14 * 41 / (41 - pace)) << factor;
    }
}

// Shown as "look size", looks by index.
TEST_F(Sprites, AnAircraftWearsEachLookWhereItIsFacingItsLastStepAndACrashIsOneFireball)
{
    FlyObj fresh(looks[0], looks[NUM_HEADINGS], looks[CRASHED], 0.6f, 2);
    EXPECT_EQ(stateOf(fresh) + " " + std::to_string(fresh.getType()), "0,0 0,0 0 0 hidden 2");
    auto a = aircraft(100, 100);
    const auto frame = [&]() {
        a->draw(canvas.get());
        return shown(100, 100) + " " + std::to_string(a->getPos()->w) + "x" +
               std::to_string(a->getPos()->h);
    };
    a->setVelocity(-1, 1);
    EXPECT_EQ(frame(), "5 10x8");
    a->setVelocity(0, 0);  // a stop keeps the heading
    a->setOnApproach();
    EXPECT_EQ(frame(), "13 10x8");
    a->setCrashed();
    EXPECT_EQ(frame(), "16 14x6");
    a->setNormal();
    EXPECT_EQ(frame() + " " + stateOf(*a), "5 10x8 100,100 0,0 2 0");  // only the look changed
}

// Probes by an aircraft at (100, 100), centre (105, 104), as "hit, centre in a 1 x 1 rectangle
// there, a corner in it": its right and bottom edges lie outside.
TEST_F(Sprites, OnlyVisibleSpritesAreHitAndTheirRightAndBottomEdgesLieOutside)
{
    auto s = aircraft(100, 100);
    auto other = aircraft(105, 104);  // holds s's bottom-right corner: they collide when both show
    const int probes[][3] = {{100, 100, 101}, {109, 107, 100}, {110, 100, 1},   {100, 108, 1},
                             {99, 100, 0},    {105, 104, 110}, {106, 104, 100}, {111, 108, 0}};
    for (bool visible : {true, false}) {
        s->visible = visible;
        for (bool otherVisible : {true, false}) {
            other->visible = otherVisible;
            EXPECT_EQ(s->collisionCheckOutline(other.get()), visible && otherVisible);
        }
        for (const auto& [x, y, hits] : probes) {
            SDL_Rect r = rectOf(x, y, 1, 1);
            EXPECT_EQ(s->collisionCheck(x, y) * 100 + s->collisionCheckInside(&r) * 10 +
                          s->collisionCheckOutline(&r),
                      visible ? hits : 0);
        }
    }
}

// A routed aircraft's step as "x,y vx,vy state route-length next heading": straight when one
// distance is thrice the other; waypoints inside are passed, the last ends the route; at an edge
// it turns, unrouted.
TEST_F(Sprites, AStepSteersForTheNextWaypointBouncesOffTheEdgesAndShowsItsHeading)
{
    const std::tuple<int, int, int, int, std::vector<Coord>, const char*> steps[] = {
        {100, 100, 0, 0, {{205, 137}}, "101,100 1,0 3 1 0 2"},
        {100, 100, 0, 0, {{205, 138}}, "101,101 1,1 3 1 0 3"},
        {100, 100, 0, 0, {{105, 4}}, "100,99 0,-1 3 1 0 0"},
        {100, 100, 0, 0, {{5, 4}}, "99,99 -1,-1 3 1 0 7"},
        {100, 100, 0, 0, {{205, 4}}, "101,99 1,-1 3 1 0 1"},
        {100, 100, 0, 0, {{75, 204}}, "100,101 0,1 3 1 0 4"},
        {100, 100, 0, 0, {{70, 204}}, "99,101 -1,1 3 1 0 5"},
        {100, 100, 0, 0, {{5, 71}}, "99,100 -1,0 3 1 0 6"},
        {100, 100, 0, 1, {{100, 100}, {109, 107}, {300, 104}}, "101,100 1,0 3 3 2 2"},
        {100, 100, 1, 0, {{100, 100}, {105, 104}}, "101,100 1,0 2 0 0 2"},
        {1, 50, -1, 0, {{-995, 54}}, "0,50 -1,0 3 1 0 6"},
        {0, 50, -1, 0, {{-995, 54}}, "0,50 1,0 2 0 0 2"},
        {629, 50, 1, 0, {{1634, 54}}, "629,50 -1,0 2 0 0 6"},
        {628, 50, 1, 0, {{1633, 54}}, "629,50 1,0 3 1 0 2"},
        {50, 471, 0, 1, {{55, 1475}}, "50,471 0,-1 2 0 0 0"}};

    for (const auto& [x, y, vx, vy, route, after] : steps) {
        auto s = aircraft(x, y);
        s->setVelocity(vx, vy);
        s->state = Routed;
        for (Coord c : route)
            s->addToPath(&c);
        s->move(canvas.get(), 0);
        EXPECT_EQ(stateOf(*s) + " " + std::to_string(s->pathPos) + " " +
                      shown(s->getPosX(), s->getPosY()),
                  after);
    }
}

TEST_F(Sprites, ARouteHolds1024WaypointsIsDrawnFromTheLastReachedAndQualifiesByApproachThenLanding)
{
    auto s = aircraft(100, 100);
    for (Coord c : {Coord{100, 50}, Coord{200, 100}, Coord{300, 50}})
        s->addToPath(&c);
    for (Uint32 reached : {0u, 1u, 2u}) {
        s->pathPos = reached;
        s->drawPathRGBA(canvas.get(), 255, 0, 0, 255);  // shown as 30
        EXPECT_EQ(shown(150, 75) + shown(250, 75), reached < 2 ? "3030" : "-130") << reached;
        SDL_FillRect(canvas.get(), nullptr, 0);
    }
    for (unsigned int i = 3; i < PATH_CAPACITY; ++i)
        ASSERT_TRUE(s->addToPath(i, -70000));
    EXPECT_TRUE(!s->addToPath(1, 1) && s->path[PATH_CAPACITY - 1].y == -70000);
    const std::tuple<std::vector<Coord>, int, bool> routes[] = {
        {{{170, 110}, {210, 110}}, 1, true},
        {{{50, 50}, {170, 110}, {210, 110}, {600, 400}}, 1, true},
        {{{170, 110}, {210, 110}}, 2, false},
        {{{210, 110}, {170, 110}}, 1, false},
        {{{170, 110}, {100, 100}, {210, 110}}, 1, false},
        {{{396, 296}, {405, 305}}, 3, true}};
    for (const auto& [route, type, qualifies] : routes) {
        auto a = aircraft(0, 0, type);
        for (Coord p : route)
            a->addToPath(&p);
        EXPECT_TRUE(a->checkPath(field, 2) == qualifies && !a->checkPath(field, 0));
    }
}

TEST_F(Sprites, ASpriteIsDrawnWholeOnlyWhileVisibleAndAStepRepaintsItsPlace)
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
    EXPECT_EQ(stateOf(s) + " " + shown(639, 107) + " " + shown(634, 100), "635,100 0,0 2 0 0 -1");
    s.setVelocity(-1, 1);
    s.move(canvas.get(), blank);  // drawn past the right edge, it kept its size
    EXPECT_EQ(shown(635, 100) + " " + shown(635, 108) + " " + std::to_string(s.getPos()->w),
              "1 0 10");
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
    EXPECT_TRUE(s->checkTarget(field, 2) && s->state == Landed);
    EXPECT_FALSE(s->checkTarget(field, 2));  // landed once only
    runway.draw(canvas.get());               // the approach area grey, the landing area white
    EXPECT_EQ(shown(159, 100) + " " + shown(199, 119) + " " + shown(200, 100), "-1 17 30");
}

}  // namespace
