// The sprites on real surfaces: rectangles, pace, steering, bounces,
// drawing, routes, aircraft looks, landing targets and the spawn marker.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "flyobj.h"
#include "test_surfaces.h"

namespace {

const int W = 10;  // the test sprites' bitmap: W x H, one red colour
const int H = 8;

class Sprites : public ::testing::Test {
protected:
    SurfacePtr canvas = makeBitmap(640, 480);
    SurfacePtr red = makeBitmap(W, H, 255, 0, 0);
    Uint32 redPixel = pixelAt(red.get(), 0, 0);

    // A visible, Flying sprite that steps on every call of move.
    PathSprite flying(int x, int y, int type = 1)
    {
        PathSprite s(red.get(), x, y, 0, 0, 1.0f, type);
        s.visible = true;
        s.state = Flying;
        return s;
    }
};

TEST(Rectangles, LeftAndTopEdgesAreInsideAndOnlyTheFirstRectanglesCornersCount)
{
    SDL_Rect r = rectOf(10, 20, 5, 5);
    const std::vector<std::pair<Coord, bool>> points = {{{10, 20}, true},  {{14, 24}, true},
                                                        {{15, 20}, false}, {{10, 25}, false},
                                                        {{9, 20}, false},  {{10, 19}, false}};
    for (const auto& [p, inside] : points)
        EXPECT_EQ(ptInRect(p.x, p.y, &r), inside) << p.x << "," << p.y;
    SDL_Rect wide = rectOf(30000, 30000, 30000, 30000);  // would wrap in 16 bits
    EXPECT_TRUE(ptInRect(59999, 59999, &wide));

    // Each corner of a alone, the far ones one pixel outside a.
    SDL_Rect a = rectOf(0, 0, 10, 10);
    for (SDL_Rect b :
         {rectOf(-5, -5, 6, 6), rectOf(-5, 10, 6, 6), rectOf(10, -5, 6, 6), rectOf(10, 10, 6, 6)}) {
        EXPECT_TRUE(rectInRect(&a, &b)) << b.x << "," << b.y;
        SDL_Rect far = rectOf(b.x + (b.x > 0 ? 1 : -1), b.y + (b.y > 0 ? 1 : -1), 6, 6);
        EXPECT_FALSE(rectInRect(&a, &far)) << b.x << "," << b.y;
    }
    SDL_Rect inner = rectOf(2, 2, 4, 4);
    EXPECT_FALSE(rectInRect(&a, &inner));
    EXPECT_TRUE(rectInRect(&inner, &a));
}

TEST_F(Sprites, PaceIsFortyTimesTheFactorAndAStepComesEveryFortyFirstMinusPaceCalls)
{
    const std::vector<std::pair<float, int>> paces = {{0.45f, 17}, {0.6f, 24}, {0.75f, 30},
                                                      {0.85f, 34}, {1.0f, 40}, {2.0f, 40},
                                                      {0.0f, 0},   {-1.0f, 0}, {NAN, 0}};
    for (const auto& [factor, pace] : paces) {
        PathSprite s(red.get(), 100, 100, 0, 0, factor, 1);
        EXPECT_EQ(s.speed, pace) << factor;
        if (pace == 0)
            continue;
        s.visible = true;
        s.setVelocity(1, 0);
        std::vector<int> stepCalls;
        for (int call = 1; call <= 3 * (MOVE_PERIOD + 1 - pace); ++call) {
            const int before = s.getPosX();
            s.move(canvas.get(), 0);
            if (s.getPosX() != before)
                stepCalls.push_back(call);
        }
        const int period = MOVE_PERIOD + 1 - pace;
        EXPECT_EQ(stepCalls, (std::vector<int>{period, 2 * period, 3 * period})) << factor;
    }
}

TEST_F(Sprites, ASpriteStartsHiddenAndItsCentreIsRoundedDown)
{
    SurfacePtr odd = makeBitmap(7, 5);
    PathSprite s(odd.get(), 10, 20, 0, 0, 0.5f, 3);
    EXPECT_EQ(s.state, Inactive);
    EXPECT_FALSE(s.isVisible());
    EXPECT_EQ(s.getType(), 3);
    EXPECT_EQ(s.getPos()->w, 7);
    EXPECT_EQ(s.getHeight(), 5);
    EXPECT_EQ(s.getCPosX(), 13);
    EXPECT_EQ(s.getCPosY(), 22);
    s.setSurface(red.get());
    EXPECT_EQ(s.getWidth(), W);
    EXPECT_EQ(s.getPos()->h, H);
    PathSprite bare(nullptr, 0, 0, 0, 0, 1.0f, 1);
    EXPECT_EQ(bare.getWidth() + bare.getHeight(), 0);
}

TEST_F(Sprites, OnlyVisibleSpritesAreHitAndMeetOthers)
{
    PathSprite s = flying(100, 100);  // centre (105, 104)
    PathSprite other = flying(100 + W, 100);
    SDL_Rect atCentre = rectOf(105, 104, 1, 1);
    SDL_Rect nextToCentre = rectOf(106, 104, 1, 1);
    SDL_Rect atFarCorner = rectOf(110, 108, 1, 1);
    for (bool visible : {true, false}) {
        s.visible = visible;
        EXPECT_EQ(s.collisionCheck(100, 100), visible);
        EXPECT_FALSE(s.collisionCheck(110, 100));
        EXPECT_EQ(s.collisionCheckInside(&atCentre), visible);
        EXPECT_FALSE(s.collisionCheckInside(&nextToCentre));
        EXPECT_EQ(s.collisionCheckOutline(&atFarCorner), visible);
        EXPECT_EQ(s.collisionCheckOutline(&other), visible);  // s's corner (110, 100)
        EXPECT_EQ(other.collisionCheckOutline(&s), false);
        other.setPos(95, 97);  // its centre (100, 101) lies in s
        EXPECT_EQ(s.collisionCheckInside(&other), visible);
        EXPECT_EQ(other.collisionCheckInside(&s), false);
        other.visible = false;
        EXPECT_FALSE(s.collisionCheckOutline(&other));
        EXPECT_FALSE(s.collisionCheckInside(&other));
        other.visible = true;
        other.setPos(100 + W, 100);
    }
}

TEST_F(Sprites, ASpriteHeadsStraightWhenOneDistanceIsThreeTimesTheOtherElseDiagonally)
{
    struct Case {
        int wx, wy;  // the waypoint; the sprite's centre is (105, 104)
        int vx, vy;
    };
    const std::vector<Case> cases = {{205, 104, 1, 0},    {205, 137, 1, 0}, {205, 138, 1, 1},
                                     {105, 4, 0, -1},     {5, 4, -1, -1},   {75, 204, 0, 1},
                                     {70, 204, -1, 1},    {5, 71, -1, 0},   {155, 154, 1, 1},
                                     {-20000, 104, -1, 0}};
    for (const Case& c : cases) {
        PathSprite s = flying(100, 100);
        s.addToPath(c.wx, c.wy);
        s.move(canvas.get(), 0);
        EXPECT_EQ(s.velX, c.vx) << c.wx << "," << c.wy;
        EXPECT_EQ(s.velY, c.vy) << c.wx << "," << c.wy;
        EXPECT_EQ(s.getPosX(), 100 + c.vx);
        EXPECT_EQ(s.getCPosY(), 104 + c.vy);
    }
    // A waypoint beside the centre of a sprite two pixels wide lies outside
    // it; one on the centre of a sprite without a bitmap changes nothing.
    SurfacePtr tiny = makeBitmap(2, 2);
    PathSprite small(tiny.get(), 100, 100, 0, 0, 1.0f, 1);
    small.setVelocity(0, 1);
    small.addToPath(102, 101);
    small.calcVelocity();
    EXPECT_EQ(small.velX * 10 + small.velY, 10);
    PathSprite bare(nullptr, 50, 60, 0, 0, 1.0f, 1);
    bare.setVelocity(0, -1);
    bare.addToPath(50, 60);
    bare.calcVelocity();
    EXPECT_EQ(bare.velX * 10 + bare.velY, -1);
}

TEST_F(Sprites, WaypointsInsideTheSpriteArePassedAndAnEndedRouteIsDropped)
{
    PathSprite s = flying(100, 100);
    s.state = Routed;
    s.setVelocity(0, 1);
    s.addToPath(100, 100);
    s.addToPath(109, 107);
    s.addToPath(300, 104);
    s.move(canvas.get(), 0);
    EXPECT_EQ(s.pathPos, 2u);
    EXPECT_EQ(s.velX, 1);
    EXPECT_EQ(s.velY, 0);

    s.setPos(295, 100);
    s.move(canvas.get(), 0);  // the last waypoint is reached: straight on
    EXPECT_EQ(s.pathLen, 0u);
    EXPECT_EQ(s.pathPos, 0u);
    EXPECT_EQ(s.state, Flying);
    EXPECT_EQ(s.getPosX(), 296);

    for (unsigned int i = 0; i < PATH_CAPACITY; ++i)
        ASSERT_TRUE(s.addToPath(i, -70000));  // stored unclipped
    Coord more{1, 1};
    EXPECT_FALSE(s.addToPath(&more));
    EXPECT_EQ(s.path[PATH_CAPACITY - 1].y, -70000);
    for (Sint32 state : {Flying, OnApproach, Final}) {
        s.state = state;
        s.clearPath();
        EXPECT_EQ(s.state, state);
    }
}

TEST_F(Sprites, AnEdgeReversesTheStepSkipsItAndDropsTheRoute)
{
    const int lastX = 640 - W - 1;
    const int lastY = 480 - H - 1;
    struct Case {
        int x, y, vx, vy;
        int endX, endY, endVx, endVy;
    };
    const std::vector<Case> cases = {{0, 50, -1, 0, 0, 50, 1, 0},
                                     {lastX, 50, 1, 0, lastX, 50, -1, 0},
                                     {50, 0, 0, -1, 50, 0, 0, 1},
                                     {50, lastY, 0, 1, 50, lastY, 0, -1},
                                     {lastX - 1, 50, 1, 0, lastX, 50, 1, 0},
                                     {0, lastY, -1, 1, 0, lastY, 1, -1},
                                     {1, 1, -1, -1, 0, 0, -1, -1}};
    for (const Case& c : cases) {
        PathSprite s = flying(c.x, c.y);
        s.state = OnApproach;
        s.setVelocity(c.vx, c.vy);
        const bool bounces = c.vx != c.endVx || c.vy != c.endVy;
        if (bounces)  // a route that leads on out of the field
            s.addToPath(c.x + W / 2 + 1000 * c.vx, c.y + H / 2 + 1000 * c.vy);
        s.move(canvas.get(), 0);
        EXPECT_EQ(s.getPosX(), c.endX) << c.x << "," << c.y;
        EXPECT_EQ(s.getPosY(), c.endY) << c.x << "," << c.y;
        EXPECT_EQ(s.velX, c.endVx) << c.x << "," << c.y;
        EXPECT_EQ(s.velY, c.endVy) << c.x << "," << c.y;
        EXPECT_EQ(s.pathLen, 0u);
        EXPECT_EQ(s.state, OnApproach);
    }
}

TEST_F(Sprites, DrawingPaintsOnlyVisibleSpritesAndMoveRepaintsThem)
{
    const Uint32 blank = 0x1234;
    PathSprite s(red.get(), 635, 100, 0, 0, 1.0f, 1);
    s.draw(canvas.get());
    EXPECT_EQ(pixelAt(canvas.get(), 635, 100), 0u);
    s.show(canvas.get());  // reaches past the right edge
    EXPECT_TRUE(s.isVisible());
    EXPECT_EQ(pixelAt(canvas.get(), 639, 107), redPixel);
    EXPECT_EQ(pixelAt(canvas.get(), 634, 100), 0u);
    EXPECT_EQ(s.getPos()->w, W);

    s.setPos(100, 100);
    s.draw(canvas.get());
    s.setVelocity(1, 1);
    s.move(canvas.get(), blank);
    EXPECT_EQ(pixelAt(canvas.get(), 100, 100), blank);
    EXPECT_EQ(pixelAt(canvas.get(), 101, 101), redPixel);
    EXPECT_EQ(pixelAt(canvas.get(), 110, 108), redPixel);

    s.addToPath(500, 500);
    s.state = Routed;
    s.remove(canvas.get(), blank);
    EXPECT_EQ(pixelAt(canvas.get(), 110, 108), blank);
    EXPECT_FALSE(s.isVisible());
    EXPECT_EQ(s.pathLen, 0u);
    EXPECT_EQ(s.state, Inactive);
    EXPECT_EQ(s.getPosX() + s.getPosY(), 0);
    EXPECT_EQ(s.getCPosX(), W / 2);
    s.move(canvas.get(), blank);  // hidden: stays where it is, draws nothing
    EXPECT_EQ(s.getPosX(), 0);
    EXPECT_EQ(pixelAt(canvas.get(), 0, 0), 0u);
}

TEST_F(Sprites, TheRouteIsDrawnFromTheLastReachedWaypointToItsEnd)
{
    PathSprite s = flying(600, 400);
    for (int x : {100, 200, 300})
        s.addToPath(x, 50);
    for (Uint32 reached : {0u, 1u, 2u}) {
        SDL_FillRect(canvas.get(), nullptr, 0);
        s.pathPos = reached;
        s.drawPathRGBA(canvas.get(), 0, 255, 0, 255);
        EXPECT_EQ(pixelAt(canvas.get(), 150, 50) != 0, reached < 2) << reached;
        EXPECT_NE(pixelAt(canvas.get(), 250, 50), 0u) << reached;
        EXPECT_EQ(pixelAt(canvas.get(), 350, 50), 0u) << reached;
        EXPECT_EQ(pixelAt(canvas.get(), 150, 25), 0u) << reached;  // nothing past the end
    }
}

TEST_F(Sprites, AnAircraftsLookChangesItsSizeButNotItsPlaceStateOrRoute)
{
    SurfacePtr approach = makeBitmap(12, 12);
    SurfacePtr crashed = makeBitmap(14, 6);
    FlyObj a(red.get(), approach.get(), crashed.get(), 0.6f, 2);
    EXPECT_EQ(a.surface, red.get());
    EXPECT_EQ(a.speed, 24);
    EXPECT_EQ(a.getType(), 2);
    EXPECT_EQ(a.getPosX() + a.getPosY(), 0);
    a.setPos(50, 60);
    a.state = Routed;
    a.addToPath(1, 2);
    a.setOnApproach();
    EXPECT_EQ(a.surface, approach.get());
    EXPECT_EQ(a.getPos()->w, 12);
    a.setCrashed();
    EXPECT_EQ(a.surface, crashed.get());
    EXPECT_EQ(a.getPos()->h, 6);
    a.setNormal();
    EXPECT_EQ(a.surface, red.get());
    EXPECT_EQ(a.getPos()->w, W);
    EXPECT_EQ(a.getPosX(), 50);
    EXPECT_EQ(a.getCPosX(), 50 + W / 2);  // the centre follows setPos only
    EXPECT_EQ(a.state, Routed);
    EXPECT_EQ(a.pathLen, 1u);
}

// A runway along x from 200 with its approach area in front of it.
class Targets : public Sprites {
protected:
    Target runway{200, 100, 100, 20, 160, 100, 40, 20, 1};
    Target pad{400, 300, 20, 20, 394, 294, 32, 32, 3};
    Target* field[2] = {&pad, &runway};
};

TEST_F(Targets, ARouteQualifiesWithAnApproachWaypointDirectlyBeforeALandingWaypoint)
{
    EXPECT_TRUE(runway.inTarget(200, 100));
    EXPECT_FALSE(runway.inTarget(300, 100));
    EXPECT_TRUE(runway.inPreTarget(160, 119));
    EXPECT_FALSE(runway.inPreTarget(200, 100));
    EXPECT_EQ(runway.getType(), 1);
    struct Case {
        std::vector<Coord> route;
        int type;
        bool qualifies;
    };
    const std::vector<Case> cases = {
        {{{170, 110}, {210, 110}}, 1, true},
        {{{50, 50}, {170, 110}, {210, 110}, {600, 400}}, 1, true},
        {{{170, 110}, {210, 110}}, 2, false},
        {{{210, 110}, {170, 110}}, 1, false},
        {{{170, 110}, {100, 100}, {210, 110}}, 1, false},
        {{{170, 110}}, 1, false},
        {{{199, 110}, {200, 110}}, 1, true},
        {{{159, 110}, {200, 110}}, 1, false},
        {{{199, 110}, {300, 110}}, 1, false},
        {{{396, 296}, {405, 305}}, 3, true},
    };
    for (const Case& c : cases) {
        PathSprite s = flying(0, 0, c.type);
        for (Coord p : c.route)
            s.addToPath(&p);
        EXPECT_EQ(s.checkPath(field, 2), c.qualifies) << c.route.size() << " " << c.type;
        EXPECT_FALSE(s.checkPath(field, 0));
    }
}

TEST_F(Targets, AnAircraftOnApproachTurnsFinalAtTheApproachAreaAndLandsOnALaterCall)
{
    PathSprite s = flying(159 - W, 105, 1);  // its right corners one pixel short
    s.state = OnApproach;
    EXPECT_FALSE(s.checkTarget(field, 2));
    EXPECT_EQ(s.state, OnApproach);
    s.setPos(160 - W, 105);
    EXPECT_FALSE(s.checkTarget(field, 2));
    EXPECT_EQ(s.state, Final);

    s.setPos(199 - W / 2, 105);  // centre one pixel short of the landing area
    EXPECT_FALSE(s.checkTarget(field, 2));
    s.setPos(200 - W / 2, 105);
    s.visible = false;
    EXPECT_FALSE(s.checkTarget(field, 2));
    s.visible = true;
    EXPECT_TRUE(s.checkTarget(field, 2));
    EXPECT_EQ(s.state, Landed);
    EXPECT_FALSE(s.checkTarget(field, 2));  // landed once only

    // Other types, and aircraft in other states, never progress.
    const std::vector<std::pair<int, Sint32>> stuck = {
        {3, OnApproach}, {3, Final}, {1, Flying}, {1, Routed}};
    for (const auto& [type, state] : stuck) {
        PathSprite other = flying(195, 105, type);  // corners on approach, centre landed
        other.state = state;
        EXPECT_FALSE(other.checkTarget(&runway));
        EXPECT_EQ(other.state, state);
    }
}

TEST_F(Targets, ATargetPaintsItsApproachAreaGreyAndItsLandingAreaWhite)
{
    SurfacePtr deep(SDL_CreateRGBSurface(SDL_SWSURFACE, 640, 480, 32, 0xFF0000, 0xFF00, 0xFF, 0));
    runway.draw(deep.get());
    EXPECT_EQ(pixelAt(deep.get(), 160, 100), 0x969696u);
    EXPECT_EQ(pixelAt(deep.get(), 299, 119), 0xFFFFFFu);
    EXPECT_EQ(pixelAt(deep.get(), 300, 119), 0u);
    EXPECT_EQ(runway.rect.w, 100);
}

TEST_F(Sprites, AMarkerShowsWhereItsAircraftWillAppearAndStartsItAfterItsDelay)
{
    PathSprite s(red.get(), 630, 50, 0, 0, 1.0f, 1);
    Marker m(&s, 3);
    EXPECT_EQ(s.state, Announced);
    s.setPos(20, 20);  // the marker keeps the place it was made at
    m.draw(canvas.get(), 0x4321);
    EXPECT_EQ(pixelAt(canvas.get(), 639, 57), 0x4321u);
    EXPECT_EQ(m.rect.w, W);
    EXPECT_EQ(m.rect.h, H);
    for (int call = 0; call < 3; ++call)
        EXPECT_FALSE(m.startSprite(canvas.get()));
    EXPECT_FALSE(s.isVisible());
    EXPECT_TRUE(m.startSprite(canvas.get()));
    EXPECT_EQ(s.state, Flying);
    EXPECT_TRUE(s.isVisible());
    EXPECT_EQ(pixelAt(canvas.get(), 20, 20), redPixel);
}

}  // namespace
