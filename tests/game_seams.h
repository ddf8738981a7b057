// Link-time seams for the game tests: the game's calls of SDL_GetTicks,
// SDL_Delay, rand, SDL_Flip and SDL_UpdateRects are redirected here by the
// linker (--wrap), so ticks run in fast, controlled time.
#ifndef CORVANE_GAME_SEAMS_H
#define CORVANE_GAME_SEAMS_H

#include <SDL.h>

#include <deque>
#include <functional>
#include <vector>

struct FakeClock {
    Uint32 now = 0;
    Uint32 advancePerReading = 0;  // the clock moves on by this at every reading
    std::vector<Uint32> delays;    // every SDL_Delay asked for, in order
    // Runs inside every SDL_Delay, after it is recorded: lets a test act
    // between ticks, for example push the events of a drag as it goes on.
    std::function<void()> onDelay;
};

struct ScriptedRand {
    std::deque<int> values;  // answered first, in order
    int fallback = 2999;     // answered when the script has run out: names no
                             // aircraft while the spawn window is wider
    int calls = 0;
};

struct DisplayCounters {
    int flips = 0;
    int rectUpdates = 0;
    SDL_Rect lastUpdate = {0, 0, 0, 0};
    bool keepFrames = false;           // copy every flipped frame into frames
    std::vector<std::vector<Uint16>> frames;
};

extern FakeClock fakeClock;
extern ScriptedRand scriptedRand;
extern DisplayCounters displayCounters;

// Puts every seam back to its start: clock at 0, empty script, no counts.
void resetSeams();

#endif
