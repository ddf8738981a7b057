// The game on a real field: the dummy video driver, the game's own bitmaps,
// airfield and fleet, in a scratch working folder of its own. The linker
// sends the game's clock, delays, naps, random numbers and screen updates to
// the seams below (--wrap), so ticks run in fast, controlled time.
#ifndef CORVANE_GAME_FIXTURE_H
#define CORVANE_GAME_FIXTURE_H

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "skyrel_main.h"
#include "test_surfaces.h"

struct Seams {
    Uint32 now = 1000;           // the clock, in milliseconds
    Uint32 napMicroseconds = 0;  // napped and not yet a whole millisecond
    int naps = 0;
    std::vector<Uint32> delays;  // every SDL_Delay asked for
    std::function<void()> onDelay;
    std::deque<int> draws;  // answered by rand first, in order
    // Answered by rand after the scripted draws; by default a draw that
    // names no aircraft while the spawn window is wider.
    std::function<int()> nextDraw = [] { return 2999; };
    int randCalls = 0;
    std::function<void()> onPresent;  // runs at every screen update
    SDL_Rect shown{};                 // around what the latest update showed
};
extern Seams seams;

class GameTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    FlyObj* aircraft(int index) { return static_cast<FlyObj*>(sprites[index]); }
    // Puts an aircraft into play at (x, y), holding still unless told to move.
    void launch(int index, int x, int y, int moveDelay = 100000);
    void push(Uint8 type, int x = 0, int y = 0, SDLKey key = SDLK_UNKNOWN);
    Uint32 screenAt(int x, int y) { return pixelAt(screen, x, y); }
    // Pixels of a look drawn at (x, y) that the screen does not show as
    // drawn: its black is transparent and shows under, when given.
    int wrongPixels(SDL_Surface* look, int x, int y, SDL_Surface* under = nullptr);
    std::string readWorkFile(const std::string& name);

    std::string work;  // the working folder: "bitmaps" and "highscore.txt"
    std::string previousDir;
};

// Aircraft of each class in the roster.
const int HELICOPTER = 0;   // type 3: lands on the pad
const int EW_AIRCRAFT = 8;  // type 1: the east-west runway

// Frees what start-up made.
void freeField();

#endif
