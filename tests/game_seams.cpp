#include "game_seams.h"

#include <unistd.h>

FakeClock fakeClock;
ScriptedRand scriptedRand;
DisplayCounters displayCounters;

void resetSeams()
{
    fakeClock = FakeClock();
    scriptedRand = ScriptedRand();
    displayCounters = DisplayCounters();
}

extern "C" {

int __real_SDL_Flip(SDL_Surface* screen);
void __real_SDL_UpdateRects(SDL_Surface* screen, int numrects, SDL_Rect* rects);

Uint32 __wrap_SDL_GetTicks(void)
{
    ++fakeClock.readingsInARow;
    const Uint32 reading = fakeClock.now;
    fakeClock.now += fakeClock.advancePerReading;
    return reading;
}

void __wrap_SDL_Delay(Uint32 ms)
{
    fakeClock.delays.push_back(ms);
    fakeClock.readingsBeforeDelay = fakeClock.readingsInARow;
    fakeClock.readingsInARow = 0;
    fakeClock.now += ms;
    if (fakeClock.onDelay)
        fakeClock.onDelay();
}

int __wrap_usleep(useconds_t microseconds)
{
    ++fakeClock.naps;
    fakeClock.napMicroseconds += microseconds;
    fakeClock.now += fakeClock.napMicroseconds / 1000;
    fakeClock.napMicroseconds %= 1000;
    return 0;
}

int __wrap_rand(void)
{
    fakeClock.readingsInARow = 0;
    ++scriptedRand.calls;
    if (scriptedRand.values.empty())
        return scriptedRand.generator ? scriptedRand.generator() : scriptedRand.fallback;
    const int value = scriptedRand.values.front();
    scriptedRand.values.pop_front();
    return value;
}

int __wrap_SDL_Flip(SDL_Surface* screen)
{
    fakeClock.readingsInARow = 0;
    ++displayCounters.flips;
    if (displayCounters.keepFrames) {
        const Uint16* first = static_cast<const Uint16*>(screen->pixels);
        displayCounters.frames.emplace_back(first, first + screen->h * screen->pitch / 2);
    }
    const int result = __real_SDL_Flip(screen);
    if (displayCounters.onFlip)
        displayCounters.onFlip();
    return result;
}

void __wrap_SDL_UpdateRects(SDL_Surface* screen, int numrects, SDL_Rect* rects)
{
    fakeClock.readingsInARow = 0;
    ++displayCounters.rectUpdates;
    if (numrects > 0)
        displayCounters.lastUpdate = rects[0];
    __real_SDL_UpdateRects(screen, numrects, rects);
}
}
