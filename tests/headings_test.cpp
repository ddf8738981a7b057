// Aircraft drawn facing the way they step. The generated looks face their
// headings, and an aircraft shows the heading of its step at once, while
// everything else about it stays as the look without headings has it.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "skyrel_main.h"
#include "test_surfaces.h"

namespace {

using Rgb = std::array<int, 3>;
const Rgb CANOPY = {40, 64, 104};  // marks the nose end of every airframe
const double CANOPY_TOLERANCE = 6;
const double MAX_ASKEW_DEGREES = 22.5;         // half the angle between two headings
const int CHANNEL_TOLERANCE = 48;              // for a pixel to match its turned twin
const double MAX_QUARTER_TURN_MISMATCH = 0.1;  // of the pixels visible in either

SurfacePtr loadLook(const std::string& gameFile)
{
    const std::string name = gameFile.substr(gameFile.rfind('/') + 1);
    return SurfacePtr(SDL_LoadBMP((std::string(CORVANE_BITMAPS_DIR) + "/" + name).c_str()));
}

Rgb rgbOf(SDL_Surface* s, int x, int y)
{
    Uint8 r;
    Uint8 g;
    Uint8 b;
    SDL_GetRGB(pixelAt(s, x, y), s->format, &r, &g, &b);
    return {r, g, b};
}

// Clockwise from north, in degrees, where the canopy lies seen from the
// centre (NAN without one), and how many visible pixels lie outside the
// inscribed circle.
double canopyBearing(SDL_Surface* s, int* outsideCircle)
{
    double sumX = 0;
    double sumY = 0;
    int count = 0;
    *outsideCircle = 0;
    for (int y = 0; y < s->h; ++y) {
        for (int x = 0; x < s->w; ++x) {
            const Rgb c = rgbOf(s, x, y);
            const double dx = x + 0.5 - s->w / 2.0;
            const double dy = y + 0.5 - s->h / 2.0;
            *outsideCircle += std::hypot(dx, dy) > s->w / 2.0 && c != Rgb{0, 0, 0};
            if (std::hypot(std::hypot(c[0] - CANOPY[0], c[1] - CANOPY[1]), c[2] - CANOPY[2]) <=
                CANOPY_TOLERANCE) {
                sumX += dx;
                sumY += dy;
                ++count;
            }
        }
    }
    return count == 0 ? NAN : std::atan2(sumX, -sumY) * 180 / M_PI;
}

// Of the pixels visible in either, the share that differs between a turned
// a quarter turn clockwise and b.
double quarterTurnMismatch(SDL_Surface* a, SDL_Surface* b)
{
    int visible = 0;
    int differing = 0;
    for (int y = 0; y < a->h; ++y) {
        for (int x = 0; x < a->w; ++x) {
            const Rgb turned = rgbOf(a, y, a->w - 1 - x);
            const Rgb other = rgbOf(b, x, y);
            visible += turned != Rgb{0, 0, 0} || other != Rgb{0, 0, 0};
            differing += std::abs(turned[0] - other[0]) > CHANNEL_TOLERANCE ||
                         std::abs(turned[1] - other[1]) > CHANNEL_TOLERANCE ||
                         std::abs(turned[2] - other[2]) > CHANNEL_TOLERANCE;
        }
    }
    return static_cast<double>(differing) / visible;
}

const int SIZE = 20;  // of the plain looks below

// An aircraft at (100, 100) whose normal (0) and approach (1) looks have a
// colour for each heading; it steps on every call of move.
struct TurningAircraft {
    SurfacePtr bitmaps[2][NUM_HEADINGS];
    SDL_Surface* looks[2][NUM_HEADINGS];
    SurfacePtr crashed = makeBitmap(SIZE, SIZE, 255, 0, 0);
    FlyObj* aircraft;

    explicit TurningAircraft(bool turning = true)
    {
        for (int look = 0; look < 2; ++look) {
            for (int h = 0; h < NUM_HEADINGS; ++h) {
                const auto shade = static_cast<Uint8>(16 + 24 * h);
                bitmaps[look][h] = makeBitmap(SIZE, SIZE, shade, 200 * (1 - look), 200 * look);
                looks[look][h] = bitmaps[look][h].get();
            }
        }
        aircraft = new FlyObj(looks[0][HeadingN], looks[1][HeadingN], crashed.get(), 1.0f, 1);
        if (turning)
            aircraft->setHeadingLooks(looks[0], looks[1]);
        aircraft->setPos(100, 100);
        aircraft->visible = true;
    }
    ~TurningAircraft() { delete aircraft; }

    // The colour a fresh frame shows the aircraft in.
    Uint32 drawnPixel()
    {
        SurfacePtr frame = makeBitmap(640, 480);
        aircraft->draw(frame.get());
        return pixelAt(frame.get(), aircraft->pos.x, aircraft->pos.y);
    }

    // Which heading of the look a fresh frame shows; -1 for none.
    int drawnHeading(int look)
    {
        const Uint32 drawn = drawnPixel();
        for (int h = 0; h < NUM_HEADINGS; ++h) {
            if (drawn == pixelAt(looks[look][h], 0, 0))
                return h;
        }
        return -1;
    }
};

}  // namespace

TEST(HeadingLooks, EveryHeadingFacesItsWayUnclippedAtTheLooksSizeAndQuarterTurnsMatch)
{
    for (const AircraftClass& c : FLEET) {
        for (const char* lookFile : {c.normalFile, c.approachFile}) {
            SurfacePtr looks[NUM_HEADINGS];
            for (int h = HeadingN; h < NUM_HEADINGS; ++h) {
                const std::string file = headingFile(lookFile, static_cast<Compass>(h));
                looks[h] = loadLook(file);
                ASSERT_TRUE(looks[h]) << file;
                EXPECT_EQ(looks[h]->w, looks[HeadingN]->w) << file;
                EXPECT_EQ(looks[h]->h, looks[HeadingN]->h) << file;
                int outside = 0;
                const double bearing = canopyBearing(looks[h].get(), &outside);
                EXPECT_LE(std::abs(std::remainder(bearing - 45.0 * h, 360)), MAX_ASKEW_DEGREES)
                    << file;  // fails without a canopy too
                // Only the approach look's brackets reach into the corners.
                EXPECT_TRUE(outside == 0 || lookFile == c.approachFile) << file;
            }
            for (int h = HeadingN; h < NUM_HEADINGS; ++h) {
                EXPECT_LE(quarterTurnMismatch(looks[h].get(), looks[(h + 2) % NUM_HEADINGS].get()),
                          MAX_QUARTER_TURN_MISMATCH)
                    << lookFile << " in heading " << h << ", turned";
            }
        }
        EXPECT_FALSE(loadLook(headingFile(c.crashedFile, HeadingE))) << "one fireball for all";
    }
}

TEST(AircraftHeading, EachLookFacesTheStepAStopKeepsTheLastHeadingAndACrashIsOneFireball)
{
    TurningAircraft t;
    const int steps[][3] = {{0, -1, HeadingN}, {1, -1, HeadingNE},  {1, 0, HeadingE},
                            {1, 1, HeadingSE}, {0, 1, HeadingS},    {-1, 1, HeadingSW},
                            {-1, 0, HeadingW}, {-1, -1, HeadingNW}, {0, 0, HeadingNW}};
    for (const auto& step : steps) {
        t.aircraft->setVelocity(step[0], step[1]);
        EXPECT_EQ(t.drawnHeading(0), step[2]) << step[0] << ", " << step[1];
    }
    t.aircraft->setOnApproach();
    EXPECT_EQ(t.drawnHeading(1), HeadingNW);
    EXPECT_EQ(t.aircraft->surface, t.looks[1][HeadingN]);  // the look itself
    t.aircraft->setCrashed();
    EXPECT_EQ(t.drawnPixel(), pixelAt(t.crashed.get(), 0, 0));
    t.aircraft->setNormal();
    EXPECT_EQ(t.drawnHeading(0), HeadingNW);

    TurningAircraft plain(false);  // without heading looks
    plain.aircraft->setVelocity(-1, 1);
    EXPECT_EQ(plain.drawnHeading(0), HeadingN);
    plain.aircraft->setOnApproach();
    EXPECT_EQ(plain.drawnHeading(1), HeadingN);
    plain.aircraft->setNormal();
    EXPECT_EQ(plain.drawnHeading(0), HeadingN);
}

TEST(AircraftHeading, AnAircraftTurnedByAWaypointOrABounceShowsItsNewHeadingInTheNextFrame)
{
    const int lastX = 640 - SIZE - 1;
    const int lastY = 480 - SIZE - 1;  // the last it reaches
    struct Case {
        int x, y, vx, vy;
        bool routed;  // through a waypoint inside it to one far south
        int drawn;
    };
    const std::vector<Case> cases = {{100, 100, 1, 0, true, HeadingS},
                                     {lastX, 200, 1, 0, false, HeadingW},
                                     {lastX, lastY, 1, 1, false, HeadingNW},
                                     {300, 0, 1, -1, false, HeadingSE}};
    for (const Case& c : cases) {
        TurningAircraft t;
        t.aircraft->setPos(c.x, c.y);
        t.aircraft->setVelocity(c.vx, c.vy);
        if (c.routed) {
            t.aircraft->addToPath(c.x + 12, c.y + 5);
            t.aircraft->addToPath(c.x + 12, c.y + 200);
        }
        SurfacePtr canvas = makeBitmap(640, 480);
        t.aircraft->move(canvas.get(), 0);
        EXPECT_EQ(t.drawnHeading(0), c.drawn) << c.x << ", " << c.y;
    }
}
