// The game on a real field in a scratch folder. The linker sends the clocks, delays, sleeps,
// random numbers, window updates and sound to the seams (--wrap); the window must show the
// screen as drawn.
#ifndef CORVANE_GAME_FIXTURE_H
#define CORVANE_GAME_FIXTURE_H

#include <gtest/gtest.h>

#include <array>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "skyrel_main.h"
#include "test_surfaces.h"

const long long NS_PER_MS = 1000000;

// The clocks: the monotonic one in nanoseconds, and SDL's, which reads it in whole milliseconds
// from an origin of its own, wrapping at 32 bits. SDL's clock turns 0.1 ms before the tests begin.
struct Seams {
    long long ns = 3000 * NS_PER_MS;
    long long origin = 2000 * NS_PER_MS - NS_PER_MS / 10;
    Uint32 ticks() const { return static_cast<Uint32>((ns - origin) / NS_PER_MS); }
    std::vector<Uint32> delays;     // every SDL_Delay asked for: a halted pass of the main loop
    std::function<void()> onDelay;  // after each
    int sleeps = 0;                 // on the monotonic clock, until a time: a tick's wait
    long long oversleep = 0;        // how long after its time each ends
    std::function<void()> onSleep;  // after each
    std::deque<int> draws;          // answered by rand first, then nextDraw: by default no aircraft
    std::function<int()> nextDraw = [] { return 2999; };
    std::function<void()> onPresent;  // after every update of the window
    SurfacePtr window;                // the parts of the screen sent to the window
    long long sentPixels = 0;         // their area, all updates together
    std::string heard;                // the effects started, and pause, resume and stop
};
extern Seams seams;

const int STILL = 100000;  // a move delay that keeps an aircraft in place
// The effects' files, in the working folder, which is the data folder here.
const std::string SOUNDS[NUM_EFFECTS] = {SOUND_FILES[0], SOUND_FILES[1], SOUND_FILES[2],
                                         SOUND_FILES[3]};

class GameTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    static FlyObj* aircraft(unsigned int index) { return static_cast<FlyObj*>(sprites[index]); }
    // Puts an aircraft into play at (x, y) in state, still unless told to move.
    static void launch(int index, int x, int y, int moveDelay = STILL, Sint32 state = Flying)
    {
        sprites[index]->setPos(x, y);
        sprites[index]->visible = true;
        sprites[index]->state = state;
        sprites[index]->moveDelay = moveDelay;
    }
    std::string folder;  // the scratch working folder, never the one the tests started in
};

void push(Uint8 type, int x = 0, int y = 0, SDLKey key = SDLK_UNKNOWN,
          Uint8 button = SDL_BUTTON_LEFT);
// Pixels of a look at (x, y) that shown does not show; where the look is black, under if given.
int wrongPixels(SDL_Surface* shown, SDL_Surface* look, int x, int y, SDL_Surface* under = nullptr);
void freeField();  // frees what start-up made

#endif
