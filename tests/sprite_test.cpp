// The sprites on real surfaces: rectangles, pace, steering, bounces,
// drawing, aircraft looks, landing targets and the spawn marker.
#include <gtest/gtest.h>

#include <cmath>

#include "flyobj.h"
#include "test_surfaces.h"

namespace {

const int W = 10;  // the test sprites' bitmap: W x H, red
const int H = 8;

class Sprites : public ::testing::Test {
protected:
    SurfacePtr canvas = makeBitmap(640, 480);
    SurfacePtr red = makeBitmap(W, H, 255, 0, 0);
    const Uint32 RED = pixelAt(red.get(), 0, 0);
    Target runway{200, 100, 100, 20, 160, 100, 40, 20, 1};  // approached from the west
    Target pad{400, 300, 20, 20, 394, 294, 32, 32, 3};
    Target* field[2] = {&pad, &runway};

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
    for (const auto& [x, y, inside] : std::vector<std::tuple<int, int, bool>>{{10, 20, true},
                                                                              {14, 24, true},
                                                                              {15, 20, false},
                                                                              {10, 25, false},
                                                                              {9, 20, false},
                                                                              {10, 19, false}})
        EXPECT_EQ(ptInRect(x, y, &r), inside) << x << "," << y;
    SDL_Rect wide = rectOf(30000, 30000, 30000, 30000);  // would wrap in 16 bits
    EXPECT_TRUE(ptInRect(59999, 59999, &wide));
    // Each corner of a alone, the far ones one pixel outside a.
    SDL_Rect a = rectOf(0, 0, 10, 10);
    for (SDL_Rect b :
         {rectOf(-5, -5, 6, 6), rectOf(-5, 10, 6, 6), rectOf(10, -5, 6, 6), rectOf(10, 10, 6, 6)}) {
        SDL_Rect beyond = rectOf(b.x + (b.x > 0 ? 1 : -1), b.y + (b.y > 0 ? 1 : -1), 6, 6);
        EXPECT_TRUE(rectInRect(&a, &b) && !rectInRect(&a, &beyond)) << b.x << "," << b.y;
    }
    SDL_Rect inner = rectOf(2, 2, 4, 4);
    EXPECT_TRUE(!rectInRect(&a, &inner) && rectInRect(&inner, &a));
}

TEST_F(Sprites, PaceIsFortyTimesTheFactorAndAStepComesEveryFortyFirstMinusPaceCalls)
{
    for (const auto& [factor, pace] : std::vector<std::pair<float, int>>{{0.45f, 17},
                                                                         {0.6f, 24},
                                                                         {0.75f, 30},
                                                                         {0.85f, 34},
                                                                         {1.0f, 40},
                                                                         {2.0f, 40},
                                                                         {0.0f, 0},
                                                                         {-1.0f, 0},
                                                                         {NAN, 0}}) {
        PathSprite s(red.get(), 100, 100, 0, 0, factor, 1);
        EXPECT_EQ(s.speed, pace) << factor;
        s.visible = pace > 0;
        s.setVelocity(1, 0);
        std::string steps;
        for (int call = 1; call <= 3 * (MOVE_PERIOD + 1 - pace); ++call) {
            const int before = s.getPosX();
            s.move(canvas.get(), 0);
            steps += s.getPosX() != before ? std::to_string(call) + " " : "";
        }
        const int period = MOVE_PERIOD + 1 - pace;
        EXPECT_EQ(steps, pace == 0 ? ""
                                   : std::to_string(period) + " " + std::to_string(2 * period) +
                                         " " + std::to_string(3 * period) + " ")
            << factor;
    }
}

TEST_F(Sprites, AnAircraftStartsHiddenAndALookChangesItsSizeButNotItsPlaceOrRoute)
{
    SurfacePtr approach = makeBitmap(7, 5);
    SurfacePtr crashed = makeBitmap(14, 6);
    FlyObj a(red.get(), approach.get(), crashed.get(), 0.6f, 2);
    EXPECT_EQ(stateOf(a), "0,0 0,0 0 0 hidden");
    EXPECT_EQ(a.getType() * 100 + a.getWidth() * 10 + a.getHeight(), 2 * 100 + W * 10 + H);
    a.setOnApproach();
    a.setPos(10, 20);
    a.state = Routed;
    a.addToPath(1, 2);
    EXPECT_EQ(a.getCPosX() * 100 + a.getCPosY(), 13 * 100 + 22);  // halves rounded down
    a.setCrashed();
    EXPECT_EQ(a.surface == crashed.get() && a.getPos()->w == 14 && a.getPos()->h == 6, true);
    a.setNormal();
    EXPECT_EQ(a.surface == red.get() && a.getWidth() == W && a.getCPosX() == 13, true);
    EXPECT_EQ(stateOf(a), "10,20 0,0 3 1 hidden");
    PathSprite bare(nullptr, 0, 0, 0, 0, 1.0f, 1);
    EXPECT_EQ(bare.getWidth() + bare.getHeight(), 0);
}

TEST_F(Sprites, OnlyVisibleSpritesAreHitAndMeetOthersAndOnlyByTheirOwnCorners)
{
    PathSprite s = flying(100, 100);  // centre (105, 104)
    PathSprite other = flying(100 + W, 100);
    SDL_Rect centre = rectOf(105, 104, 1, 1), beside = rectOf(106, 104, 1, 1);
    SDL_Rect farCorner = rectOf(110, 108, 1, 1);
    for (bool visible : {true, false}) {
        s.visible = visible;
        EXPECT_EQ(s.collisionCheck(100, 100) && !s.collisionCheck(110, 100), visible);
        EXPECT_EQ(s.collisionCheckInside(&centre) && !s.collisionCheckInside(&beside), visible);
        EXPECT_EQ(s.collisionCheckOutline(&farCorner), visible);
        EXPECT_EQ(s.collisionCheckOutline(&other) && !other.collisionCheckOutline(&s), visible);
        other.setPos(95, 97);  // its centre (100, 101) in s, s's not in it
        EXPECT_EQ(s.collisionCheckInside(&other) && !other.collisionCheckInside(&s), visible);
        other.visible = false;
        EXPECT_FALSE(s.collisionCheckOutline(&other) || s.collisionCheckInside(&other));
        other.visible = true;
        other.setPos(100 + W, 100);
    }
}

TEST_F(Sprites, ASpriteHeadsStraightWhenOneDistanceIsThreeTimesTheOtherElseDiagonally)
{
    for (const auto& [wx, wy, heading] :
         std::vector<std::tuple<int, int, const char*>>{{205, 104, "1,0"},
                                                        {205, 137, "1,0"},
                                                        {205, 138, "1,1"},
                                                        {105, 4, "0,-1"},
                                                        {5, 4, "-1,-1"},
                                                        {75, 204, "0,1"},
                                                        {70, 204, "-1,1"},
                                                        {5, 71, "-1,0"},
                                                        {-20000, 104, "-1,0"}}) {
        PathSprite s = flying(100, 100);  // centre (105, 104)
        s.addToPath(wx, wy);
        s.move(canvas.get(), 0);
        EXPECT_EQ(std::to_string(s.velX) + "," + std::to_string(s.velY), heading)
            << wx << "," << wy;
        EXPECT_EQ(s.getPosX() + s.getCPosY(), 100 + s.velX + 104 + s.velY);
    }
    // Beside the centre of a sprite two pixels wide lies outside it; on the
    // centre of a sprite without a bitmap nothing changes.
    SurfacePtr tiny = makeBitmap(2, 2);
    PathSprite small(tiny.get(), 100, 100, 0, 0, 1.0f, 1), bare(nullptr, 50, 60, 0, 0, 1.0f, 1);
    small.setVelocity(0, 1);
    bare.setVelocity(0, -1);
    small.addToPath(102, 101);
    bare.addToPath(50, 60);
    small.calcVelocity();
    bare.calcVelocity();
    EXPECT_EQ(stateOf(small) + " / " + stateOf(bare),
              "100,100 1,0 0 1 hidden / 50,60 0,-1 0 1 hidden");
}

TEST_F(Sprites, WaypointsInsideTheSpriteArePassedAndAnEndedOrFullRouteStops)
{
    PathSprite s = flying(100, 100);
    s.state = Routed;
    s.setVelocity(0, 1);
    for (Coord c : {Coord{100, 100}, Coord{109, 107}, Coord{300, 104}})
        s.addToPath(&c);
    s.move(canvas.get(), 0);
    EXPECT_EQ(stateOf(s) + " at " + std::to_string(s.pathPos), "101,100 1,0 3 3 at 2");
    s.setPos(295, 100);
    s.move(canvas.get(), 0);  // the last waypoint is reached: straight on, Flying
    EXPECT_EQ(stateOf(s) + " at " + std::to_string(s.pathPos), "296,100 1,0 2 0 at 0");
    for (unsigned int i = 0; i < PATH_CAPACITY; ++i)
        ASSERT_TRUE(s.addToPath(i, -70000));
    EXPECT_FALSE(s.addToPath(1, 1));
    EXPECT_EQ(s.path[PATH_CAPACITY - 1].y, -70000);  // unclipped
    for (Sint32 state : {Flying, OnApproach, Final}) {
        s.state = state;
        s.clearPath();
        EXPECT_EQ(s.state, state);
    }
}

TEST_F(Sprites, AnEdgeReversesTheStepSkipsItAndDropsTheRoute)
{
    const int lastX = 640 - W - 1, lastY = 480 - H - 1;
    for (const auto& [x, y, vx, vy, after] :
         std::vector<std::tuple<int, int, int, int, std::string>>{
             {0, 50, -1, 0, "0,50 1,0"},
             {lastX, 50, 1, 0, "629,50 -1,0"},
             {50, 0, 0, -1, "50,0 0,1"},
             {50, lastY, 0, 1, "50,471 0,-1"},
             {lastX - 1, 50, 1, 0, "629,50 1,0"},
             {0, lastY, -1, 1, "0,471 1,-1"},
             {1, 1, -1, -1, "0,0 -1,-1"}}) {
        PathSprite s = flying(x, y);
        s.state = OnApproach;
        s.addToPath(x + W / 2 + 1000 * vx, y + H / 2 + 1000 * vy);  // on out of the field
        s.move(canvas.get(), 0);
        const bool bounced = s.velX != vx || s.velY != vy;
        EXPECT_EQ(stateOf(s), after + " 4 " + (bounced ? "0" : "1")) << x << "," << y;
    }
}

TEST_F(Sprites, OnlyVisibleSpritesAreDrawnWholeAndMoveAndRemoveRepaintTheirPlace)
{
    const Uint32 blank = 0x1234;
    PathSprite s(red.get(), 635, 100, 0, 0, 1.0f, 1);
    s.draw(canvas.get());
    EXPECT_EQ(pixelAt(canvas.get(), 635, 100), 0u);
    s.show(canvas.get());  // past the right edge
    EXPECT_TRUE(pixelAt(canvas.get(), 639, 107) == RED && pixelAt(canvas.get(), 634, 100) == 0);
    EXPECT_EQ(s.getPos()->w, W);
    s.setPos(100, 100);
    s.setVelocity(1, 1);
    s.draw(canvas.get());
    s.move(canvas.get(), blank);
    EXPECT_TRUE(pixelAt(canvas.get(), 100, 100) == blank && pixelAt(canvas.get(), 110, 108) == RED);
    s.addToPath(500, 500);
    s.state = Routed;
    s.remove(canvas.get(), blank);
    EXPECT_EQ(pixelAt(canvas.get(), 110, 108), blank);
    EXPECT_EQ(stateOf(s) + " " + std::to_string(s.getCPosX()), "0,0 1,1 0 0 hidden 5");
    s.move(canvas.get(), blank);  // hidden: nothing moves or is drawn
    EXPECT_EQ(stateOf(s) + std::to_string(pixelAt(canvas.get(), 0, 0)), "0,0 1,1 0 0 hidden0");

    // The route from the last reached waypoint to its end.
    for (int x : {100, 200, 300})
        s.addToPath(x, 50);
    for (Uint32 reached : {0u, 1u, 2u}) {
        SDL_FillRect(canvas.get(), nullptr, 0);
        s.pathPos = reached;
        s.drawPathRGBA(canvas.get(), 0, 255, 0, 255);
        EXPECT_EQ((pixelAt(canvas.get(), 150, 50) != 0) * 100 +
                      (pixelAt(canvas.get(), 250, 50) != 0) * 10 +
                      (pixelAt(canvas.get(), 350, 50) != 0) + (pixelAt(canvas.get(), 150, 25) != 0),
                  reached < 2 ? 110 : 10);
    }
}

TEST_F(Sprites, ARouteQualifiesWithAnApproachWaypointDirectlyBeforeALandingWaypoint)
{
    for (const auto& [route, type, qualifies] :
         std::vector<std::tuple<std::vector<Coord>, int, bool>>{
             {{{170, 110}, {210, 110}}, 1, true},
             {{{50, 50}, {170, 110}, {210, 110}, {600, 400}}, 1, true},
             {{{170, 110}, {210, 110}}, 2, false},
             {{{210, 110}, {170, 110}}, 1, false},
             {{{170, 110}, {100, 100}, {210, 110}}, 1, false},
             {{{170, 110}}, 1, false},
             {{{199, 119}, {200, 100}}, 1, true},
             {{{159, 110}, {200, 110}}, 1, false},
             {{{199, 110}, {300, 110}}, 1, false},
             {{{199, 120}, {200, 110}}, 1, false},
             {{{396, 296}, {405, 305}}, 3, true}}) {
        PathSprite s = flying(0, 0, type);
        for (Coord p : route)
            s.addToPath(&p);
        EXPECT_EQ(s.checkPath(field, 2), qualifies) << route.size() << " " << type;
        EXPECT_FALSE(s.checkPath(field, 0));
    }
}

TEST_F(Sprites, AnAircraftOnApproachTurnsFinalAtTheApproachAreaAndLandsOnALaterCall)
{
    PathSprite s = flying(159 - W, 105);  // its right corners one pixel short
    s.state = OnApproach;
    EXPECT_FALSE(s.checkTarget(field, 2) || s.state != OnApproach);
    s.setPos(160 - W, 105);
    EXPECT_FALSE(s.checkTarget(field, 2) || s.state != Final);
    s.setPos(199 - W / 2, 105);  // centre one pixel short of the landing area
    EXPECT_FALSE(s.checkTarget(field, 2));
    s.setPos(200 - W / 2, 105);
    s.visible = false;
    EXPECT_FALSE(s.checkTarget(field, 2));
    s.visible = true;
    EXPECT_TRUE(s.checkTarget(field, 2) && s.state == Landed);
    EXPECT_FALSE(s.checkTarget(field, 2));  // landed once only
    // Other types, and aircraft in other states, never progress.
    for (const auto& [type, state] : std::vector<std::pair<int, Sint32>>{
             {3, OnApproach}, {3, Final}, {1, Flying}, {1, Routed}}) {
        PathSprite other = flying(195, 105, type);  // corners on approach, centre landed
        other.state = state;
        EXPECT_FALSE(other.checkTarget(&runway) || other.state != state);
    }
    SurfacePtr deep(SDL_CreateRGBSurface(SDL_SWSURFACE, 640, 480, 32, 0xFF0000, 0xFF00, 0xFF, 0));
    runway.draw(deep.get());  // approach area grey, landing area white
    EXPECT_EQ(pixelAt(deep.get(), 160, 100) + pixelAt(deep.get(), 299, 119) +
                  pixelAt(deep.get(), 300, 119),
              0x969696u + 0xFFFFFFu);
}

TEST_F(Sprites, AMarkerShowsWhereItsAircraftWillAppearAndStartsItAfterItsDelay)
{
    PathSprite s(red.get(), 630, 50, 0, 0, 1.0f, 1);
    Marker m(&s, 3);
    EXPECT_EQ(s.state, Announced);
    s.setPos(20, 20);  // the marker keeps the place it was made at
    m.draw(canvas.get(), 0x4321);
    EXPECT_TRUE(pixelAt(canvas.get(), 639, 57) == 0x4321 && m.rect.w == W && m.rect.h == H);
    for (int call = 0; call < 3; ++call)
        EXPECT_FALSE(m.startSprite(canvas.get()));
    EXPECT_EQ(stateOf(s), "20,20 0,0 1 0 hidden");
    EXPECT_TRUE(m.startSprite(canvas.get()));
    EXPECT_EQ(stateOf(s) + (pixelAt(canvas.get(), 20, 20) == RED ? " drawn" : ""),
              "20,20 0,0 2 0 drawn");
}

}  // namespace
