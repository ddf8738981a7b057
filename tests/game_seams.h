// Link-time seams for the game tests: the game's calls of SDL_GetTicks,
// SDL_Delay, usleep, rand, SDL_Flip and SDL_UpdateRects are redirected here
// by the linker (--wrap), so ticks run in fast, controlled time.
#ifndef CORVANE_GAME_SEAMS_H
#define CORVANE_GAME_SEAMS_H

#include <SDL.h>

#include <deque>
#include <functional>
#include <vector>

struct FakeClock {
    Uint32 now = 0;
    Uint32 advancePerReading = 0;  // the clock moves on by this at every reading
    // Clock readings since the last call of any other seam, and their number
    // when the latest SDL_Delay began: a tick waits after two readings in a
    // row (the second gives the rest of the period), a halted main loop
    // after at most one.
    int readingsInARow = 0;
    int readingsBeforeDelay = 0;
    std::vector<Uint32> delays;  // every SDL_Delay asked for, in order
    int naps = 0;                // calls of usleep; they advance the clock too
    Uint32 napMicroseconds = 0;  // slept in naps and not yet a whole millisecond
    // Runs inside every SDL_Delay, after it is recorded: lets a test act
    // between ticks, for example push the events of a drag as it goes on.
    std::function<void()> onDelay;
};

struct ScriptedRand {
    std::deque<int> values;  // answered first, in order
    int fallback = 2999;     // answered when the script has run out: names no
                             // aircraft while the spawn window is wider
    // When set, answers in place of the fallback once the script has run
    // out: random, but reproducible from the generator's seed.
    std::function<int()> generator;
    int calls = 0;
};

struct DisplayCounters {
    int flips = 0;
    int rectUpdates = 0;
    SDL_Rect lastUpdate = {0, 0, 0, 0};
    bool keepFrames = false;  // copy every flipped frame into frames
    std::vector<std::vector<Uint16>> frames;
    // Runs after every SDL_Flip, with the frame on display: at least once in
    // every game tick, whether or not the tick waits.
    std::function<void()> onFlip;
};

extern FakeClock fakeClock;
extern ScriptedRand scriptedRand;
extern DisplayCounters displayCounters;

// Puts every seam back to its start: clock at 0, empty script, no counts.
void resetSeams();

#endif
