// Aircraft are drawn facing the way they step; everything else about them
// stays as the look without headings has it.
#include <gtest/gtest.h>

#include <vector>

#include "flyobj.h"
#include "test_surfaces.h"

namespace {

const int SIZE = 20;
const int LAST_X = 640 - SIZE - 1;  // the last column an aircraft reaches
const int LAST_Y = 480 - SIZE - 1;
const float EVERY_CALL = 1.0f;  // speed factor of a step on every call of move

// The looks of one aircraft, each heading of each look filled with a colour
// of its own.
struct TurningLooks {
    SurfacePtr normal[NUM_HEADINGS], approach[NUM_HEADINGS], crashed;
    SDL_Surface* normalSurfs[NUM_HEADINGS];
    SDL_Surface* approachSurfs[NUM_HEADINGS];

    TurningLooks() : crashed(makeBitmap(SIZE, SIZE, 255, 0, 0))
    {
        for (int h = 0; h < NUM_HEADINGS; ++h) {
            const Uint8 shade = static_cast<Uint8>(16 + 24 * h);
            normal[h] = makeBitmap(SIZE, SIZE, shade, 200, 0);
            approach[h] = makeBitmap(SIZE, SIZE, shade, 0, 200);
            normalSurfs[h] = normal[h].get();
            approachSurfs[h] = approach[h].get();
        }
    }

    FlyObj build(int x, int y, int vx, int vy)
    {
        FlyObj aircraft(normal[HeadingN].get(), approach[HeadingN].get(), crashed.get(), EVERY_CALL,
                        1);
        aircraft.setHeadingLooks(normalSurfs, approachSurfs);
        aircraft.setPos(x, y);
        aircraft.setVelocity(vx, vy);
        aircraft.visible = true;
        aircraft.state = Flying;
        return aircraft;
    }
};

// Which of the looks shows at (x, y) on the canvas; -1 for none.
int headingShown(SDL_Surface* canvas, int x, int y, SDL_Surface* const looks[NUM_HEADINGS])
{
    for (int h = 0; h < NUM_HEADINGS; ++h) {
        if (pixelAt(canvas, x, y) == pixelAt(looks[h], 0, 0))
            return h;
    }
    return -1;
}

}  // namespace

TEST(AircraftHeading, EachLookIsDrawnFacingTheStepAndAStopKeepsTheLastHeading)
{
    TurningLooks looks;
    FlyObj aircraft = looks.build(100, 100, 0, 0);
    struct Case {
        int vx, vy;
        Compass drawn;
    };
    const std::vector<Case> cases = {
        {0, -1, HeadingN}, {1, -1, HeadingNE},  {1, 0, HeadingE},
        {1, 1, HeadingSE}, {0, 1, HeadingS},    {-1, 1, HeadingSW},
        {-1, 0, HeadingW}, {-1, -1, HeadingNW}, {0, 0, HeadingNW},  // stopped
    };
    SurfacePtr canvas = makeCanvas();
    for (const Case& c : cases) {
        aircraft.setVelocity(c.vx, c.vy);
        aircraft.draw(canvas.get());
        EXPECT_EQ(headingShown(canvas.get(), 110, 110, looks.normalSurfs), c.drawn)
            << c.vx << ", " << c.vy;
    }

    // The looks change the set of headings only: surface stays the look itself.
    aircraft.setVelocity(1, 0);
    aircraft.setOnApproach();
    aircraft.draw(canvas.get());
    EXPECT_EQ(headingShown(canvas.get(), 110, 110, looks.approachSurfs), HeadingE);
    EXPECT_EQ(aircraft.surface, looks.approach[HeadingN].get());
    aircraft.setCrashed();
    aircraft.draw(canvas.get());
    EXPECT_EQ(pixelAt(canvas.get(), 110, 110), pixelAt(looks.crashed.get(), 0, 0));
    aircraft.setNormal();
    aircraft.draw(canvas.get());
    EXPECT_EQ(headingShown(canvas.get(), 110, 110, looks.normalSurfs), HeadingE);
    EXPECT_EQ(aircraft.pos.w, SIZE);
    EXPECT_EQ(aircraft.pos.h, SIZE);

    // Without heading looks an aircraft shows its one bitmap whatever its heading.
    FlyObj plain(looks.normal[HeadingN].get(), looks.approach[HeadingN].get(), looks.crashed.get(),
                 EVERY_CALL, 1);
    plain.setPos(300, 300);
    plain.setVelocity(-1, 1);
    plain.show(canvas.get());
    EXPECT_EQ(headingShown(canvas.get(), 310, 310, looks.normalSurfs), HeadingN);
}

TEST(AircraftHeading, AnAircraftTurnedByAWaypointOrABounceShowsItsNewHeadingAtOnce)
{
    TurningLooks looks;
    struct Case {
        const char* what;
        int x, y, vx, vy;
        bool routed;  // through a waypoint inside it to one far south
        Compass drawn;
        int newX, newY;
    };
    const std::vector<Case> cases = {
        {"waypoint", 100, 100, 1, 0, true, HeadingS, 100, 101},
        {"east edge", LAST_X, 200, 1, 0, false, HeadingW, LAST_X, 200},
        {"corner", LAST_X, LAST_Y, 1, 1, false, HeadingNW, LAST_X, LAST_Y},
        {"top edge", 300, 0, 1, -1, false, HeadingSE, 301, 0},
    };
    for (const Case& c : cases) {
        FlyObj aircraft = looks.build(c.x, c.y, c.vx, c.vy);
        if (c.routed) {
            aircraft.addToPath(c.x + 12, c.y + 5);
            aircraft.addToPath(c.x + 12, c.y + 200);
        }
        SurfacePtr canvas = makeCanvas();
        aircraft.draw(canvas.get());
        aircraft.move(canvas.get(), 0);
        EXPECT_EQ(aircraft.pos.x, c.newX) << c.what;
        EXPECT_EQ(aircraft.pos.y, c.newY) << c.what;
        EXPECT_EQ(headingShown(canvas.get(), c.newX + 10, c.newY + 10, looks.normalSurfs), c.drawn)
            << c.what;
        SurfacePtr nextFrame = makeCanvas();
        aircraft.draw(nextFrame.get());
        EXPECT_EQ(headingShown(nextFrame.get(), c.newX, c.newY, looks.normalSurfs), c.drawn)
            << c.what;
    }
}
