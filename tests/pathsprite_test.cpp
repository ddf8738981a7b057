#include "pathsprite.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "test_surfaces.h"

namespace {

const float TOP_SPEED = 1.0f;  // a step on every call of move

SDL_Rect rectOf(int x, int y, int w, int h)
{
    return SDL_Rect{static_cast<Sint16>(x), static_cast<Sint16>(y), static_cast<Uint16>(w),
                    static_cast<Uint16>(h)};
}

// A visible sprite at full speed with the given bitmap, heading nowhere yet.
PathSprite makeFlyingSprite(SDL_Surface* bitmap, int x, int y)
{
    PathSprite sprite(bitmap, x, y, 0, 0, TOP_SPEED, 1);
    sprite.visible = true;
    sprite.state = Flying;
    return sprite;
}

}  // namespace

TEST(PointInRect, LeftAndTopEdgesAreInsideRightAndBottomEdgesOutside)
{
    SDL_Rect r = rectOf(10, 20, 5, 5);
    EXPECT_TRUE(ptInRect(10, 20, &r));
    EXPECT_TRUE(ptInRect(14, 24, &r));
    EXPECT_FALSE(ptInRect(15, 20, &r));
    EXPECT_FALSE(ptInRect(10, 25, &r));
    EXPECT_FALSE(ptInRect(9, 20, &r));
    EXPECT_FALSE(ptInRect(10, 19, &r));

    SDL_Rect negative = rectOf(-3, -3, 5, 5);
    EXPECT_TRUE(ptInRect(-3, -3, &negative));
    EXPECT_TRUE(ptInRect(1, 1, &negative));
    EXPECT_FALSE(ptInRect(2, 1, &negative));

    SDL_Rect empty = rectOf(10, 10, 0, 5);
    EXPECT_FALSE(ptInRect(10, 10, &empty));
}

TEST(PointInRect, WideRectanglesDoNotWrapIn16Bits)
{
    // 30000 + 30000 would wrap in 16-bit arithmetic.
    SDL_Rect r = rectOf(30000, 30000, 30000, 30000);
    EXPECT_TRUE(ptInRect(59999, 59999, &r));
    EXPECT_FALSE(ptInRect(60000, 30000, &r));
}

TEST(RectInRect, OnlyTheFirstRectanglesCornersCountAndTheyLieOnePixelOutsideIt)
{
    SDL_Rect a = rectOf(0, 0, 10, 10);
    SDL_Rect rightNeighbour = rectOf(10, 0, 10, 10);
    EXPECT_TRUE(rectInRect(&a, &rightNeighbour));  // a's corner (10, 0)
    EXPECT_FALSE(rectInRect(&rightNeighbour, &a));

    SDL_Rect below = rectOf(0, 10, 10, 10);
    EXPECT_TRUE(rectInRect(&a, &below));  // a's corner (0, 10)
    SDL_Rect gapRight = rectOf(11, 0, 10, 10);
    EXPECT_FALSE(rectInRect(&a, &gapRight));

    // b inside a holds none of a's corners.
    SDL_Rect big = rectOf(0, 0, 100, 100);
    SDL_Rect small = rectOf(40, 40, 10, 10);
    EXPECT_FALSE(rectInRect(&big, &small));
    EXPECT_TRUE(rectInRect(&small, &big));

    // A cross: each pokes through the other without a corner inside.
    SDL_Rect horizontal = rectOf(0, 40, 100, 10);
    SDL_Rect vertical = rectOf(40, 0, 10, 100);
    EXPECT_FALSE(rectInRect(&horizontal, &vertical));
    EXPECT_FALSE(rectInRect(&vertical, &horizontal));
}

TEST(PathSpriteSpeed, FactorTimesFortyIsTruncatedFromTheExactProduct)
{
    struct Case {
        float factor;
        int speed;
    };
    const std::vector<Case> cases = {
        {0.45f, 17}, {0.6f, 24}, {0.85f, 34}, {0.75f, 30}, {1.0f, 40},
        {1.5f, 40},  {0.0f, 0},  {-2.0f, 0},  {NAN, 0},    {0.999f, 39},
    };
    for (const Case& c : cases) {
        PathSprite sprite(nullptr, 0, 0, 0, 0, c.factor, 1);
        EXPECT_EQ(sprite.speed, c.speed) << "factor " << c.factor;
        EXPECT_EQ(sprite.moveDelay, MOVE_PERIOD - c.speed) << "factor " << c.factor;
    }
}

TEST(PathSpriteSpeed, AVisibleSpriteStepsOnEveryFortyFirstMinusSpeedCall)
{
    SurfacePtr canvas = makeCanvas();
    SurfacePtr bitmap = makeBitmap(4, 4, 200, 200, 200);
    const std::vector<std::pair<float, int>> periods = {{0.45f, 24}, {0.6f, 17}, {0.85f, 7},
                                                        {0.75f, 11}, {1.0f, 1},  {0.0f, 41}};
    for (const auto& [factor, period] : periods) {
        PathSprite sprite(bitmap.get(), 100, 100, 0, 0, factor, 1);
        sprite.visible = true;
        sprite.setVelocity(1, 0);
        std::vector<int> stepCalls;
        for (int call = 1; call <= 3 * period; ++call) {
            const int before = sprite.pos.x;
            sprite.move(canvas.get(), 0);
            if (sprite.pos.x != before)
                stepCalls.push_back(call);
        }
        EXPECT_EQ(stepCalls, (std::vector<int>{period, 2 * period, 3 * period}))
            << "factor " << factor;
    }
}

TEST(PathSprite, AHiddenSpriteNeitherMovesNorDrawsNorCollides)
{
    SurfacePtr canvas = makeCanvas();
    SurfacePtr bitmap = makeBitmap(10, 10, 255, 255, 255);
    PathSprite hidden(bitmap.get(), 50, 50, 0, 0, TOP_SPEED, 1);
    hidden.setVelocity(1, 1);
    hidden.moveDelay = 5;
    hidden.move(canvas.get(), 0);
    EXPECT_EQ(hidden.pos.x, 50);
    EXPECT_EQ(hidden.moveDelay, 5);

    hidden.draw(canvas.get());
    EXPECT_EQ(pixelAt(canvas.get(), 55, 55), 0u);

    PathSprite shown = makeFlyingSprite(bitmap.get(), 50, 50);
    SDL_Rect around = rectOf(0, 0, 200, 200);
    EXPECT_FALSE(hidden.collisionCheck(55, 55));
    EXPECT_FALSE(hidden.collisionCheckInside(&around));
    EXPECT_FALSE(hidden.collisionCheckOutline(&around));
    EXPECT_FALSE(hidden.collisionCheckOutline(&shown));
    EXPECT_FALSE(shown.collisionCheckOutline(&hidden));
    EXPECT_FALSE(shown.collisionCheckInside(&hidden));
    EXPECT_TRUE(shown.collisionCheck(55, 55));
    EXPECT_FALSE(shown.collisionCheck(60, 55));
}

TEST(PathSpriteSteering, HeadsStraightWhenTheMajorDistanceIsThreeTimesTheMinor)
{
    SurfacePtr dot = makeBitmap(1, 1, 255, 255, 255);  // its centre is its position
    struct Case {
        int dx, dy;
        int velX, velY;
    };
    const std::vector<Case> cases = {
        {10, 3, 1, 0},  {10, 4, 1, 1}, {-5, -5, -1, -1}, {0, 9, 0, 1},
        {2, 7, 0, 1},   {3, 7, 1, 1},  {-9, 3, -1, 0},   {-8, 3, -1, 1},
        {0, -4, 0, -1}, {6, 0, 1, 0},  {-1, 30, 0, 1},   {4, -2, 1, -1},
    };
    for (const Case& c : cases) {
        PathSprite sprite = makeFlyingSprite(dot.get(), 100, 100);
        sprite.addToPath(100 + c.dx, 100 + c.dy);
        sprite.calcVelocity();
        EXPECT_EQ(sprite.velX, c.velX) << "waypoint offset " << c.dx << "," << c.dy;
        EXPECT_EQ(sprite.velY, c.velY) << "waypoint offset " << c.dx << "," << c.dy;
    }
}

TEST(PathSpriteSteering, MeasuresFromTheCentreNotTheCorner)
{
    SurfacePtr bitmap = makeBitmap(20, 20, 255, 255, 255);
    PathSprite sprite = makeFlyingSprite(bitmap.get(), 100, 100);  // centre (110, 110)
    sprite.addToPath(125, 95);  // 15 right and 15 up of the centre: diagonal
    sprite.calcVelocity();
    EXPECT_EQ(sprite.velX, 1);
    EXPECT_EQ(sprite.velY, -1);
}

TEST(PathSpriteSteering, WaypointsInsideTheSpriteArePassedAndAUsedUpRouteIsDropped)
{
    SurfacePtr bitmap = makeBitmap(10, 10, 255, 255, 255);
    PathSprite sprite = makeFlyingSprite(bitmap.get(), 100, 100);
    sprite.setVelocity(-1, 0);
    sprite.addToPath(100, 100);  // inside: top-left pixel
    sprite.addToPath(109, 109);  // inside: bottom-right pixel
    sprite.addToPath(130, 105);
    sprite.state = Routed;
    sprite.calcVelocity();
    EXPECT_EQ(sprite.pathPos, 2u);
    EXPECT_EQ(sprite.velX, 1);
    EXPECT_EQ(sprite.velY, 0);
    EXPECT_EQ(sprite.state, Routed);

    PathSprite done = makeFlyingSprite(bitmap.get(), 100, 100);
    done.setVelocity(-1, 1);
    done.addToPath(105, 105);
    done.state = Routed;
    done.calcVelocity();
    EXPECT_EQ(done.pathLen, 0u);
    EXPECT_EQ(done.pathPos, 0u);
    EXPECT_EQ(done.state, Flying);
    EXPECT_EQ(done.velX, -1);  // flies on in its last direction
    EXPECT_EQ(done.velY, 1);
}

TEST(PathSpriteRoute, HoldsAtMost1024WaypointsStoredUnclipped)
{
    SurfacePtr bitmap = makeBitmap(10, 10, 255, 255, 255);
    PathSprite sprite(bitmap.get(), 0, 0, 0, 0, TOP_SPEED, 1);
    for (unsigned int i = 0; i < PATH_CAPACITY; ++i)
        ASSERT_TRUE(sprite.addToPath(static_cast<int>(i) - 5000, 70000));
    EXPECT_FALSE(sprite.addToPath(1, 1));
    Coord extra{2, 2};
    EXPECT_FALSE(sprite.addToPath(&extra));
    EXPECT_EQ(sprite.pathLen, PATH_CAPACITY);
    EXPECT_EQ(sprite.path[0].x, -5000);
    EXPECT_EQ(sprite.path[PATH_CAPACITY - 1].y, 70000);
}

TEST(PathSpriteRoute, ClearingTurnsRoutedIntoFlyingAndLeavesEveryOtherState)
{
    const std::vector<std::pair<Sint32, Sint32>> transitions = {
        {Routed, Flying}, {Flying, Flying},   {OnApproach, OnApproach}, {Final, Final},
        {Landed, Landed}, {Crashed, Crashed}, {Announced, Announced},   {Inactive, Inactive},
    };
    for (const auto& [before, after] : transitions) {
        PathSprite sprite(nullptr, 0, 0, 0, 0, TOP_SPEED, 1);
        sprite.addToPath(5, 5);
        sprite.state = before;
        sprite.clearPath();
        EXPECT_EQ(sprite.state, after) << "from " << before;
        EXPECT_EQ(sprite.pathLen, 0u);
    }
}

TEST(PathSpriteBounce, EachEdgeReversesTheStepDropsTheRouteAndSkipsTheStep)
{
    SurfacePtr canvas = makeCanvas();
    SurfacePtr bitmap = makeBitmap(20, 20, 255, 255, 255);
    const int lastX = 640 - 20 - 1;
    const int lastY = 480 - 20 - 1;
    struct Case {
        int x, y, vx, vy;
        int bouncedVx, bouncedVy;
        int nextX, nextY;  // after the following step
    };
    const std::vector<Case> cases = {
        {lastX, 200, 1, 0, -1, 0, lastX - 1, 200},          {0, 200, -1, 0, 1, 0, 1, 200},
        {300, lastY, 0, 1, 0, -1, 300, lastY - 1},          {300, 0, 0, -1, 0, 1, 300, 1},
        {lastX, lastY, 1, 1, -1, -1, lastX - 1, lastY - 1},  // both axes at once
    };
    for (const Case& c : cases) {
        PathSprite sprite = makeFlyingSprite(bitmap.get(), c.x, c.y);
        sprite.setVelocity(c.vx, c.vy);
        sprite.move(canvas.get(), 0);
        EXPECT_EQ(sprite.pos.x, c.x);
        EXPECT_EQ(sprite.pos.y, c.y);
        EXPECT_EQ(sprite.velX, c.bouncedVx);
        EXPECT_EQ(sprite.velY, c.bouncedVy);
        sprite.move(canvas.get(), 0);
        EXPECT_EQ(sprite.pos.x, c.nextX);
        EXPECT_EQ(sprite.pos.y, c.nextY);
        EXPECT_EQ(sprite.cposX, c.nextX + 10);
        EXPECT_EQ(sprite.cposY, c.nextY + 10);
    }

    // The last reachable column is one short of the edge.
    PathSprite almost = makeFlyingSprite(bitmap.get(), lastX - 1, 200);
    almost.setVelocity(1, 0);
    almost.move(canvas.get(), 0);
    EXPECT_EQ(almost.pos.x, lastX);
}

TEST(PathSpriteBounce, AnOnApproachSpriteKeepsItsStateButLosesItsRoute)
{
    SurfacePtr canvas = makeCanvas();
    SurfacePtr bitmap = makeBitmap(20, 20, 255, 255, 255);
    PathSprite approaching = makeFlyingSprite(bitmap.get(), 0, 200);
    approaching.addToPath(-100, 210);  // off the screen to the left
    approaching.state = OnApproach;
    approaching.move(canvas.get(), 0);
    EXPECT_EQ(approaching.state, OnApproach);
    EXPECT_EQ(approaching.pathLen, 0u);
    EXPECT_EQ(approaching.velX, 1);

    PathSprite routed = makeFlyingSprite(bitmap.get(), 0, 200);
    routed.addToPath(-100, 210);
    routed.state = Routed;
    routed.move(canvas.get(), 0);
    EXPECT_EQ(routed.state, Flying);
}

TEST(PathSpriteDrawing, ASpriteDrawnPartlyOffTheSurfaceKeepsItsRectangle)
{
    SurfacePtr canvas = makeCanvas(100, 100);
    SurfacePtr bitmap = makeBitmap(20, 20, 255, 255, 255);
    PathSprite sprite = makeFlyingSprite(bitmap.get(), 90, -5);
    sprite.draw(canvas.get());
    sprite.undraw(canvas.get(), 0);
    sprite.draw(canvas.get());
    EXPECT_EQ(sprite.pos.x, 90);
    EXPECT_EQ(sprite.pos.y, -5);
    EXPECT_EQ(sprite.pos.w, 20);
    EXPECT_EQ(sprite.pos.h, 20);
    EXPECT_EQ(pixelAt(canvas.get(), 99, 0), mapRGB(canvas.get(), 255, 255, 255));
    EXPECT_EQ(pixelAt(canvas.get(), 89, 0), 0u);
}

TEST(PathSpriteDrawing, MoveRepaintsTheSpriteAtItsNewPlace)
{
    SurfacePtr canvas = makeCanvas();
    SurfacePtr bitmap = makeBitmap(10, 10, 255, 255, 255);
    const Uint32 white = mapRGB(canvas.get(), 255, 255, 255);
    const Uint32 grey = mapRGB(canvas.get(), 90, 90, 90);
    PathSprite sprite = makeFlyingSprite(bitmap.get(), 100, 100);
    sprite.setVelocity(1, 0);
    sprite.draw(canvas.get());
    sprite.move(canvas.get(), grey);
    EXPECT_EQ(pixelAt(canvas.get(), 100, 100), grey);  // the old column is cleared
    EXPECT_EQ(pixelAt(canvas.get(), 101, 100), white);
    EXPECT_EQ(pixelAt(canvas.get(), 110, 109), white);
    EXPECT_EQ(pixelAt(canvas.get(), 111, 100), 0u);
}

TEST(PathSpriteDrawing, RemoveClearsItsRectangleAndTakesItOutOfPlay)
{
    SurfacePtr canvas = makeCanvas();
    SurfacePtr bitmap = makeBitmap(10, 10, 255, 255, 255);
    const Uint32 blue = mapRGB(canvas.get(), 0, 0, 255);
    PathSprite sprite = makeFlyingSprite(bitmap.get(), 200, 150);
    sprite.setVelocity(-1, 1);
    sprite.addToPath(10, 10);
    sprite.state = Final;
    sprite.type = 3;
    sprite.show(canvas.get());
    sprite.remove(canvas.get(), blue);
    EXPECT_EQ(pixelAt(canvas.get(), 205, 155), blue);
    EXPECT_FALSE(sprite.visible);
    EXPECT_EQ(sprite.state, Inactive);
    EXPECT_EQ(sprite.pathLen, 0u);
    EXPECT_EQ(sprite.pos.x, 0);
    EXPECT_EQ(sprite.pos.y, 0);
    EXPECT_EQ(sprite.cposX, 5);
    EXPECT_EQ(sprite.velX, -1);
    EXPECT_EQ(sprite.velY, 1);
    EXPECT_EQ(sprite.type, 3);
    EXPECT_EQ(sprite.speed, MOVE_PERIOD);
    EXPECT_EQ(sprite.surface, bitmap.get());
}

TEST(PathSpriteDrawing, TheRouteIsDrawnFromTheLastReachedWaypointOn)
{
    // Five waypoints on a row; each segment is 20 pixels long.
    const int xs[5] = {100, 120, 140, 160, 180};
    const int rowY = 300;
    auto drawnSegments = [&](Uint32 pathLen, Uint32 pathPos) {
        SurfacePtr canvas = makeCanvas();
        PathSprite sprite(nullptr, 0, 0, 0, 0, TOP_SPEED, 1);
        for (Uint32 i = 0; i < pathLen; ++i)
            sprite.addToPath(xs[i], rowY);
        sprite.pathPos = pathPos;
        sprite.drawPathRGBA(canvas.get(), 0, 255, 0, 255);
        std::vector<int> segments;
        for (int s = 0; s < 4; ++s) {
            if (pixelAt(canvas.get(), xs[s] + 10, rowY) != 0)
                segments.push_back(s);
        }
        return segments;
    };
    EXPECT_EQ(drawnSegments(5, 0), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(drawnSegments(5, 1), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(drawnSegments(5, 3), (std::vector<int>{2, 3}));
    EXPECT_EQ(drawnSegments(1, 0), (std::vector<int>{}));
    EXPECT_EQ(drawnSegments(0, 0), (std::vector<int>{}));
}
