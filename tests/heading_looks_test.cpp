// The aircraft looks in their eight headings, read back from the generated
// bitmaps: each faces its heading, quarter turns match, nothing is clipped.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "skyrel_main.h"
#include "test_surfaces.h"

namespace {

const double PI = 3.14159265358979;
const double MAX_ASKEW_DEGREES = 22.5;  // half the angle between two headings
const int CANOPY_TOLERANCE = 6;         // RGB distance from the canopy's colour
const int CANOPY_R = 40, CANOPY_G = 64, CANOPY_B = 104;
const int CHANNEL_TOLERANCE = 48;              // a pixel still matches its turned twin
const double MAX_QUARTER_TURN_MISMATCH = 0.1;  // of the visible pixels

SurfacePtr loadLook(const std::string& gameFile)
{
    const std::string name = std::filesystem::path(gameFile).filename().string();
    return SurfacePtr(SDL_LoadBMP((std::string(CORVANE_BITMAPS_DIR) + "/" + name).c_str()));
}

struct Rgb8 {
    int r, g, b;
};

Rgb8 rgbOf(SDL_Surface* s, int x, int y)
{
    Uint8 r, g, b;
    SDL_GetRGB(pixelAt(s, x, y), s->format, &r, &g, &b);
    return {r, g, b};
}

bool isVisible(Rgb8 c)
{
    return c.r != 0 || c.g != 0 || c.b != 0;
}

// The canopy: its colour, inside the airframe. The faded edge of a blue
// wing comes close to its colour but borders the transparent black.
bool isCanopy(SDL_Surface* s, int x, int y)
{
    const Rgb8 c = rgbOf(s, x, y);
    if (std::hypot(std::hypot(c.r - CANOPY_R, c.g - CANOPY_G), c.b - CANOPY_B) > CANOPY_TOLERANCE)
        return false;
    return isVisible(rgbOf(s, x - 1, y)) && isVisible(rgbOf(s, x + 1, y)) &&
           isVisible(rgbOf(s, x, y - 1)) && isVisible(rgbOf(s, x, y + 1));
}

// The angle, clockwise from north in degrees, at which the canopy lies seen
// from the bitmap's centre; NAN when there is no canopy.
double canopyBearing(SDL_Surface* s)
{
    double sumX = 0, sumY = 0;
    int count = 0;
    for (int y = 1; y + 1 < s->h; ++y) {
        for (int x = 1; x + 1 < s->w; ++x) {
            if (isCanopy(s, x, y)) {
                sumX += x + 0.5 - s->w / 2.0;
                sumY += y + 0.5 - s->h / 2.0;
                ++count;
            }
        }
    }
    if (count == 0)
        return NAN;
    return std::fmod(std::atan2(sumX, -sumY) * 180 / PI + 360, 360);
}

// Of the pixels visible in either, the share that differs between a turned a
// quarter turn clockwise and b.
double quarterTurnMismatch(SDL_Surface* a, SDL_Surface* b)
{
    const int size = a->w;
    int visible = 0, differing = 0;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const Rgb8 turned = rgbOf(a, y, size - 1 - x);
            const Rgb8 other = rgbOf(b, x, y);
            if (!isVisible(turned) && !isVisible(other))
                continue;
            ++visible;
            differing += (std::abs(turned.r - other.r) > CHANNEL_TOLERANCE ||
                          std::abs(turned.g - other.g) > CHANNEL_TOLERANCE ||
                          std::abs(turned.b - other.b) > CHANNEL_TOLERANCE)
                             ? 1
                             : 0;
        }
    }
    return static_cast<double>(differing) / visible;
}

}  // namespace

TEST(HeadingLooks, EveryHeadingFacesItsWayAtTheLooksSizeWithNothingClipped)
{
    for (const AircraftClass& c : FLEET) {
        for (const char* lookFile : {c.normalFile, c.approachFile}) {
            SurfacePtr north = loadLook(lookFile);
            ASSERT_TRUE(north) << lookFile;
            SurfacePtr looks[NUM_HEADINGS];
            for (int h = HeadingN; h < NUM_HEADINGS; ++h) {
                const std::string file = headingFile(lookFile, static_cast<Compass>(h));
                looks[h] = loadLook(file);
                ASSERT_TRUE(looks[h]) << file;
                EXPECT_EQ(looks[h]->w, north->w) << file;
                EXPECT_EQ(looks[h]->h, north->h) << file;
                const double askew = std::remainder(canopyBearing(looks[h].get()) - 45.0 * h, 360);
                EXPECT_LE(std::abs(askew), MAX_ASKEW_DEGREES) << file;  // false for NAN too
            }
            for (int h = HeadingN; h < NUM_HEADINGS; ++h) {
                const int turned = (h + 2) % NUM_HEADINGS;
                EXPECT_LE(quarterTurnMismatch(looks[h].get(), looks[turned].get()),
                          MAX_QUARTER_TURN_MISMATCH)
                    << headingFile(lookFile, static_cast<Compass>(h)) << " turned";
            }
            // The normal look keeps inside the inscribed circle; the approach
            // look's brackets mark its corners.
            for (int h = HeadingN; lookFile == c.normalFile && h < NUM_HEADINGS; ++h) {
                SDL_Surface* s = looks[h].get();
                for (int y = 0; y < s->h; ++y) {
                    for (int x = 0; x < s->w; ++x) {
                        const double fromCentre =
                            std::hypot(x + 0.5 - s->w / 2.0, y + 0.5 - s->h / 2.0);
                        EXPECT_TRUE(fromCentre <= s->w / 2.0 || !isVisible(rgbOf(s, x, y)))
                            << headingFile(lookFile, static_cast<Compass>(h)) << " at " << x << ", "
                            << y;
                    }
                }
            }
        }
        // One fireball for all headings.
        EXPECT_FALSE(loadLook(headingFile(c.crashedFile, HeadingE))) << c.crashedFile;
    }
}
