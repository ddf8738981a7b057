// A real game field for the tests: the dummy video driver, the game's own
// bitmaps, airfield and fleet, in a scratch working folder of its own.
#ifndef CORVANE_GAME_FIXTURE_H
#define CORVANE_GAME_FIXTURE_H

#include <gtest/gtest.h>

#include <string>

#include "game_process.h"
#include "game_seams.h"
#include "skyrel_main.h"

class GameTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    FlyObj* aircraft(int index);
    // Puts an aircraft into play, visible and Flying, at (x, y).
    void launch(int index, int x, int y, int vx = 0, int vy = 0);

    void pushMouseButton(Uint8 type, int x, int y, Uint8 button = SDL_BUTTON_LEFT);
    void pushMouseMotion(int x, int y);
    void pushKey(SDLKey key);
    void pushQuit();
    int queuedEvents();

    Uint32 screenPixel(int x, int y);
    Uint32 white();

    WorkFolder work;  // the working folder: holds "bitmaps" and "highscore.txt"

private:
    std::string previousDir;
};

// Aircraft of each class in the roster.
const int HELICOPTER = 0;     // type 3, speed 17: lands on the pad
const int NS_AIRCRAFT = 4;    // type 2, speed 24: the north-south runway
const int FAST_AIRCRAFT = 8;  // type 1, speed 34
const int EW_AIRCRAFT = 14;   // type 1, speed 30

#endif
