// The game: start-up, the main loop, the frame, spawning, the tick and the
// route drag, over the module-level game state below. It uses the window,
// the game's files and the command line, which know nothing of it.
#ifndef CORVANE_SKYREL_MAIN_H
#define CORVANE_SKYREL_MAIN_H

#include <SDL.h>

#include <string>

#include "command_line.h"
#include "flyobj.h"
#include "game_files.h"
#include "pacing.h"
#include "pathsprite.h"
#include "sound.h"
#include "window.h"

const int SCREEN_WIDTH = 640;
const int SCREEN_HEIGHT = 480;
const int SCREEN_BPP = 16;

const unsigned int MAX_SPRITES = 20;
const int MAX_TARGETS = 3;

// One landing target: landing area, approach area, landing type.
struct TargetLayout {
    int x, y, w, h;
    int preX, preY, preW, preH;
    int type;
};

// The airfield. Type 1: the east-west runway with its approach area at the
// west end; type 2: the north-south runway approached from the south; type 3:
// the pad inside a square approach area with a margin of 6 pixels.
inline constexpr TargetLayout AIRFIELD[MAX_TARGETS] = {
    {294, 186, 167, 22, 254, 186, 40, 22, 1},
    {423, 160, 22, 167, 423, 327, 22, 40, 2},
    {490, 255, 24, 24, 484, 249, 36, 36, 3},
};

// One class of aircraft: its three looks, speed factor and landing type.
struct AircraftClass {
    const char* normalFile;
    const char* approachFile;
    const char* crashedFile;
    float speedFactor;
    int type;
    unsigned int count;  // aircraft of this class, in roster order
};

const int NUM_AIRCRAFT_CLASSES = 4;
inline constexpr AircraftClass FLEET[NUM_AIRCRAFT_CLASSES] = {
    {"bitmaps/d1.bmp", "bitmaps/d2.bmp", "bitmaps/d4.bmp", 0.45f, 3, 4},
    {"bitmaps/c1.bmp", "bitmaps/c2.bmp", "bitmaps/c4.bmp", 0.6f, 2, 4},
    {"bitmaps/b1.bmp", "bitmaps/b2.bmp", "bitmaps/b4.bmp", 0.85f, 1, 6},
    {"bitmaps/a1.bmp", "bitmaps/a2.bmp", "bitmaps/a4.bmp", 0.75f, 1, 6},
};

constexpr unsigned int countFleet()
{
    unsigned int total = 0;
    // A loop, as std::accumulate is constexpr only from C++20.
    for (const AircraftClass& c : FLEET)
        total += c.count;  // cppcheck-suppress useStlAlgorithm
    return total;
}
static_assert(countFleet() == MAX_SPRITES, "the fleet table must fill the roster");

// The normal and approach looks facing another heading than north lie beside
// the look's file, the heading added to its name: "a1.bmp" faces north,
// "a1_ne.bmp" north-east. The crashed look has one file for all headings.
inline constexpr const char* HEADING_SUFFIXES[NUM_HEADINGS] = {"",   "_ne", "_e", "_se",
                                                               "_s", "_sw", "_w", "_nw"};

inline std::string headingFile(const char* lookFile, Compass heading)
{
    const std::string file = lookFile;
    const size_t extension = file.rfind('.');
    return file.substr(0, extension) + HEADING_SUFFIXES[heading] + file.substr(extension);
}

// The interface bitmaps, in load order.
inline constexpr const char* BACKGROUND_FILE = "bitmaps/background.bmp";
inline constexpr const char* DIGITS_FILE = "bitmaps/digits.bmp";
inline constexpr const char* PAUSE_TEXT_FILE = "bitmaps/text_pause.bmp";
inline constexpr const char* PRESSKEY_TEXT_FILE = "bitmaps/text_presskey.bmp";

// The window icon; the game starts without it when it is missing.
inline constexpr const char* ICON_FILE = "bitmaps/icon.bmp";

// The sound effects, by Effect, in the data folder beside the bitmaps.
inline constexpr const char* SOUND_FILES[NUM_EFFECTS] = {
    "sounds/announce.wav", "sounds/approach.wav", "sounds/landing.wav", "sounds/crash.wav"};

// The counters: four digit cells of DIGIT_WIDTH x DIGIT_HEIGHT from x, at y.
const int DIGIT_WIDTH = 10;
const int DIGIT_HEIGHT = 14;
const int COUNTER_Y = 5;
const int SCORE_X = 435;
const int HIGHSCORE_X = 590;
const int PAUSE_TEXT_Y = 90;
const int PRESSKEY_TEXT_Y = 425;

// Spawning.
const unsigned int SPAWN_WINDOW_BASE = 3000;  // draws in the window at score 0
const unsigned int SPAWN_WINDOW_STEP = 10;    // fewer per point scored
const unsigned int SPAWN_WINDOW_MIN = 20;     // never fewer
const int SPAWN_CLEARANCE = 80;               // side of the square kept free at the entry
const unsigned int MARKER_DELAY = 100;        // ticks an aircraft stays announced

const Uint32 TICK_PERIOD = 10;  // milliseconds, at least, from one tick to the next

// Game state.
extern unsigned int score;
extern unsigned int highscore;
extern PathSprite* sprites[MAX_SPRITES];
extern unsigned int numsprites;
extern Target* targets[MAX_TARGETS];
extern int numtargets;
extern Marker* marker;
extern SDL_Surface* screen;
extern SDL_Surface* bgSurf;
extern SDL_Surface* digitSurf;
extern SDL_Surface* txtPauseSurf;
extern SDL_Surface* txtPresskeySurf;
extern Uint32 lastTick;

extern "C" int SDL_main(int argc, char* argv[]);

// Start-up steps after the video mode is set. The loaders print
// "Couldn't load bitmap ..." and answer false when a file cannot be loaded
// or converted. Every aircraft loads its normal and approach looks in all
// eight headings.
bool loadInterfaceBitmaps();
void buildAirfield();
bool buildFleet();

// Runs passes of the main loop until Escape or a quit event.
void runMainLoop();

void readHighscore();
void writeHighscore();
void addNewSprite();

void redraw();
void pauseScreen();
void gameoverScreen();
void drawScore();
void drawDigits(unsigned int value, int x);

bool doGameTickTasks();
bool checkSpriteCollision(int* first, int* second);
void doGameoverTasks();
void resetSituation();

int clickOnSprite(int x, int y);
bool handleMouseInput(SDL_Event* event);

#endif
