#include "pacing.h"

#include <unistd.h>

namespace {

const useconds_t CLOCK_TURN_NAP_US = 100;  // naps while the last millisecond runs out

}  // namespace

// The rest is taken from a second reading of the clock and is never
// negative: a late caller does not wait, and is not made up.
//
// SDL_Delay oversleeps by a fraction of a millisecond, and as the next period
// counts from a reading taken after the wait, every oversleep would lengthen
// the period for good (97 to 98 periods a second instead of 100). So all but
// the last millisecond is slept at once, and the last one in short naps
// until the clock turns to the end of the period.
void waitForPeriod(Uint32 since, Uint32 period)
{
    if (SDL_GetTicks() - since >= period)
        return;
    const Uint32 elapsed = SDL_GetTicks() - since;
    if (elapsed + 1 < period)
        SDL_Delay(period - elapsed - 1);
    // usleep rather than nanosleep, as the tests redirect usleep at link time.
    while (SDL_GetTicks() - since < period)
        usleep(CLOCK_TURN_NAP_US);  // cppcheck-suppress usleepCalled
}
