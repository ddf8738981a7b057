#include "game_seams.h"

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
    const Uint32 reading = fakeClock.now;
    fakeClock.now += fakeClock.advancePerReading;
    return reading;
}

void __wrap_SDL_Delay(Uint32 ms)
{
    fakeClock.delays.push_back(ms);
    fakeClock.now += ms;
    if (fakeClock.onDelay)
        fakeClock.onDelay();
}

int __wrap_rand(void)
{
    ++scriptedRand.calls;
    if (scriptedRand.values.empty())
        return scriptedRand.fallback;
    const int value = scriptedRand.values.front();
    scriptedRand.values.pop_front();
    return value;
}

int __wrap_SDL_Flip(SDL_Surface* screen)
{
    ++displayCounters.flips;
    if (displayCounters.keepFrames) {
        const Uint16* first = static_cast<const Uint16*>(screen->pixels);
        displayCounters.frames.emplace_back(first, first + screen->h * screen->pitch / 2);
    }
    return __real_SDL_Flip(screen);
}

void __wrap_SDL_UpdateRects(SDL_Surface* screen, int numrects, SDL_Rect* rects)
{
    ++displayCounters.rectUpdates;
    if (numrects > 0)
        displayCounters.lastUpdate = rects[0];
    __real_SDL_UpdateRects(screen, numrects, rects);
}
}
