// A preview sheet: the bitmaps as the game's 16-bit screen shows them, every
// aircraft look in every heading on the field, both counters and both texts.
#include "preview.h"

#include <SDL_gfxPrimitives.h>

#include <cstdio>
#include <string>

#include "art.h"
#include "bitmap_paths.h"
#include "skyrel_main.h"

namespace {

const Uint32 RGB565_RED = 0xF800;
const Uint32 RGB565_GREEN = 0x07E0;
const Uint32 RGB565_BLUE = 0x001F;
const int NUM_LOOKS = sizeof AIRCRAFT_LOOKS / sizeof AIRCRAFT_LOOKS[0];

const unsigned int SAMPLE_SCORE = 42;
const unsigned int SAMPLE_HIGHSCORE = 1234;

// A grid on open ground: a row per heading from north clockwise, and for
// each class a column of normal and one of approach looks; the crashed looks
// in a row below.
const int SAMPLE_LEFT = 8;
const int SAMPLE_TOP = 140;
const int SAMPLE_PITCH = 28;

// Aircraft as play would show them: on approach, crossing paths, crashed
// under the press-key text.
enum FleetRow { CLASS_D, CLASS_C, CLASS_B, CLASS_A };  // the rows of the fleet table
struct Placement {
    FleetRow fleetRow;
    AircraftLook look;
    Compass heading;
    int centreX, centreY;
};
const Placement IN_PLAY[] = {
    {CLASS_A, AircraftLook::Approach, HeadingN, 248, 240},
    {CLASS_C, AircraftLook::Approach, HeadingNW, 460, 400},
    {CLASS_D, AircraftLook::Approach, HeadingNW, 556, 300},
    {CLASS_C, AircraftLook::Normal, HeadingE, 300, 300},
    {CLASS_D, AircraftLook::Normal, HeadingSW, 600, 90},
    {CLASS_A, AircraftLook::Normal, HeadingS, 60, 440},
    {CLASS_C, AircraftLook::Crashed, HeadingN, 300, 434},
    {CLASS_B, AircraftLook::Crashed, HeadingN, 318, 442},
    {CLASS_B, AircraftLook::Normal, HeadingW, 560, 410},
    {CLASS_A, AircraftLook::Normal, HeadingSE, 350, 250},
};

// The routes of the sample aircraft on approach, as the game draws them.
const Coord ROUTE_EAST_WEST[] = {{248, 240}, {250, 206}, {262, 197}, {310, 197}};
const Coord ROUTE_NORTH_SOUTH[] = {{460, 400}, {440, 380}, {434, 350}, {434, 320}};
const Coord ROUTE_PAD[] = {{556, 300}, {530, 285}, {502, 267}};
const Uint8 ROUTE_ALPHA = 100;

SDL_Surface* createScreen()
{
    return SDL_CreateRGBSurface(SDL_SWSURFACE, SCREEN_WIDTH, SCREEN_HEIGHT, 16, RGB565_RED,
                                RGB565_GREEN, RGB565_BLUE, 0);
}

// Loads a bitmap and converts it to the screen's format the way the game
// does, optionally with black as the colour key; nullptr on failure.
SDL_Surface* loadAsScreen(const std::string& dir, const char* file, SDL_Surface* screen, bool keyed)
{
    const std::string path = bitmapPath(dir, file);
    SDL_Surface* loaded = SDL_LoadBMP(path.c_str());
    if (loaded == nullptr) {
        std::fprintf(stderr, "Couldn't load bitmap %s: %s\n", path.c_str(), SDL_GetError());
        return nullptr;
    }
    if (keyed) {
        SDL_SetColorKey(loaded, SDL_SRCCOLORKEY, SDL_MapRGB(loaded->format, 0, 0, 0));
    }
    SDL_Surface* converted = SDL_ConvertSurface(loaded, screen->format, SDL_SWSURFACE);
    SDL_FreeSurface(loaded);
    return converted;
}

void blitAt(SDL_Surface* bitmap, SDL_Surface* screen, int x, int y)
{
    SDL_Rect at = {static_cast<Sint16>(x), static_cast<Sint16>(y), 0, 0};
    SDL_BlitSurface(bitmap, nullptr, screen, &at);
}

void blitCentred(SDL_Surface* bitmap, SDL_Surface* screen, int centreX, int centreY)
{
    blitAt(bitmap, screen, centreX - bitmap->w / 2, centreY - bitmap->h / 2);
}

void drawCounter(SDL_Surface* digits, SDL_Surface* screen, unsigned int value, int x)
{
    for (unsigned int divisor = 1000; divisor > 0; divisor /= 10) {
        SDL_Rect glyph = {static_cast<Sint16>(DIGIT_WIDTH * (value / divisor % 10)), 0,
                          static_cast<Uint16>(DIGIT_WIDTH), static_cast<Uint16>(DIGIT_HEIGHT)};
        SDL_Rect at = {static_cast<Sint16>(x), static_cast<Sint16>(COUNTER_Y), 0, 0};
        SDL_BlitSurface(digits, &glyph, screen, &at);
        x += DIGIT_WIDTH;
    }
}

template <size_t N> void drawRoute(SDL_Surface* screen, const Coord (&route)[N])
{
    for (size_t i = 1; i < N; ++i) {
        lineRGBA(screen, route[i - 1].x, route[i - 1].y, route[i].x, route[i].y, 0, 255, 0,
                 ROUTE_ALPHA);
    }
}

void drawSampleRoutes(SDL_Surface* screen)
{
    drawRoute(screen, ROUTE_EAST_WEST);
    drawRoute(screen, ROUTE_NORTH_SOUTH);
    drawRoute(screen, ROUTE_PAD);
}

// Every look of every class in every heading; the crashed look only facing
// north, as it is one bitmap for all headings.
using FleetLooks = SDL_Surface* [NUM_AIRCRAFT_CLASSES][NUM_LOOKS][NUM_HEADINGS];

bool loadFleetLooks(const std::string& dir, SDL_Surface* sheet, FleetLooks& looks)
{
    bool complete = true;
    for (int c = 0; c < NUM_AIRCRAFT_CLASSES; ++c) {
        for (int look = 0; look < NUM_LOOKS; ++look) {
            const AircraftLook kind = AIRCRAFT_LOOKS[look];
            const int headings = turnsWithHeading(kind) ? NUM_HEADINGS : 1;
            for (int h = 0; h < headings; ++h) {
                const std::string file =
                    headingFile(fileOfLook(FLEET[c], kind), static_cast<Compass>(h));
                looks[c][look][h] = loadAsScreen(dir, file.c_str(), sheet, true);
                complete = complete && looks[c][look][h] != nullptr;
            }
        }
    }
    return complete;
}

SDL_Surface* lookIn(FleetLooks& looks, int fleetRow, AircraftLook look, Compass heading)
{
    return looks[fleetRow][static_cast<int>(look)][turnsWithHeading(look) ? heading : HeadingN];
}

void drawHeadingGrid(FleetLooks& looks, SDL_Surface* sheet)
{
    const AircraftLook turning[] = {AircraftLook::Normal, AircraftLook::Approach};
    for (int c = 0; c < NUM_AIRCRAFT_CLASSES; ++c) {
        for (int t = 0; t < 2; ++t) {
            const int x = SAMPLE_LEFT + (2 * c + t) * SAMPLE_PITCH;
            for (int h = 0; h < NUM_HEADINGS; ++h) {
                blitAt(lookIn(looks, c, turning[t], static_cast<Compass>(h)), sheet, x,
                       SAMPLE_TOP + h * SAMPLE_PITCH);
            }
        }
        blitAt(lookIn(looks, c, AircraftLook::Crashed, HeadingN), sheet,
               SAMPLE_LEFT + 2 * c * SAMPLE_PITCH, SAMPLE_TOP + NUM_HEADINGS * SAMPLE_PITCH);
    }
}

}  // namespace

bool renderPreview(const std::string& bitmapsDir, const std::string& sheetPath)
{
    SDL_Surface* sheet = createScreen();
    SDL_Surface* background = loadAsScreen(bitmapsDir, BACKGROUND_FILE, sheet, false);
    SDL_Surface* digits = loadAsScreen(bitmapsDir, DIGITS_FILE, sheet, false);
    SDL_Surface* pauseText = loadAsScreen(bitmapsDir, PAUSE_TEXT_FILE, sheet, true);
    SDL_Surface* presskeyText = loadAsScreen(bitmapsDir, PRESSKEY_TEXT_FILE, sheet, true);
    FleetLooks looks = {};
    bool complete = sheet != nullptr && background != nullptr && digits != nullptr &&
                    pauseText != nullptr && presskeyText != nullptr;
    complete = loadFleetLooks(bitmapsDir, sheet, looks) && complete;
    if (complete) {
        blitAt(background, sheet, 0, 0);
        drawCounter(digits, sheet, SAMPLE_SCORE, SCORE_X);
        drawCounter(digits, sheet, SAMPLE_HIGHSCORE, HIGHSCORE_X);
        drawSampleRoutes(sheet);
        drawHeadingGrid(looks, sheet);
        for (const Placement& p : IN_PLAY) {
            blitCentred(lookIn(looks, p.fleetRow, p.look, p.heading), sheet, p.centreX, p.centreY);
        }
        blitAt(pauseText, sheet, (SCREEN_WIDTH - pauseText->w) / 2, PAUSE_TEXT_Y);
        blitAt(presskeyText, sheet, (SCREEN_WIDTH - presskeyText->w) / 2, PRESSKEY_TEXT_Y);
        if (SDL_SaveBMP(sheet, sheetPath.c_str()) != 0) {
            std::fprintf(stderr, "Couldn't write %s: %s\n", sheetPath.c_str(), SDL_GetError());
            complete = false;
        }
    }
    for (const auto& classLooks : looks) {
        for (const auto& lookHeadings : classLooks) {
            for (SDL_Surface* look : lookHeadings) {
                SDL_FreeSurface(look);
            }
        }
    }
    SDL_FreeSurface(presskeyText);
    SDL_FreeSurface(pauseText);
    SDL_FreeSurface(digits);
    SDL_FreeSurface(background);
    SDL_FreeSurface(sheet);
    return complete;
}
