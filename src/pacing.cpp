#include "pacing.h"

#include <algorithm>
#include <cerrno>
#include <ctime>

namespace {

using Nanoseconds = long long;
const Nanoseconds NS_PER_MS = 1000000;
const Nanoseconds NS_PER_S = 1000000000;

// A wakeup comes this much after the moment the clock is known to have
// turned at the latest, so that a little drift between SDL's clock and this
// one does not wake the wait a moment too early.
const Nanoseconds TURN_MARGIN = 50000;
const Nanoseconds DRIFT_NAP = 100000;

// SDL_GetTicks() counts whole milliseconds since an origin of its own: it
// reads (t - origin) / 1 ms, rounded down, at monotonic time t. Every
// reading of it between two readings of the monotonic clock narrows down
// where that origin lies. Knowing it, a wait sleeps once, until just after
// SDL's clock turns to the end of the period: no nap through its last
// millisecond, and no oversleep that would lengthen the period for good.
struct Origin {
    bool known = false;
    Nanoseconds earliest = 0;  // exclusive
    Nanoseconds latest = 0;
};
Origin origin;

Nanoseconds monotonicNow()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * NS_PER_S + now.tv_nsec;
}

// Reads SDL's clock, and learns from it where its origin lies. A reading
// that contradicts what was known (SDL's clock drifted from this one, or
// wrapped) starts the knowledge anew.
Uint32 readTicks()
{
    const Nanoseconds before = monotonicNow();
    const Uint32 ticks = SDL_GetTicks();
    const Nanoseconds after = monotonicNow();
    const Nanoseconds earliest = before - (ticks + 1LL) * NS_PER_MS;
    const Nanoseconds latest = after - ticks * NS_PER_MS;
    if (!origin.known || earliest >= origin.latest || latest <= origin.earliest) {
        origin = {true, earliest, latest};
    } else {
        origin.earliest = std::max(origin.earliest, earliest);
        origin.latest = std::min(origin.latest, latest);
    }
    return ticks;
}

void sleepUntil(Nanoseconds due)
{
    const timespec until{static_cast<time_t>(due / NS_PER_S), static_cast<long>(due % NS_PER_S)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) { }
}

}  // namespace

// The rest of the period is taken from a reading of the clock after the
// caller's and is never negative: a late caller does not wait, and is not
// made up. The wait ends only once SDL's clock says the period is over.
void waitForPeriod(Uint32 since, Uint32 period)
{
    const Uint32 now = readTicks();
    if (now - since >= period)
        return;
    // SDL's clock reads since + period at origin + (now + rest) ms at the latest.
    const auto rest = static_cast<Nanoseconds>(period - (now - since));
    sleepUntil(origin.latest + (now + rest) * NS_PER_MS + TURN_MARGIN);
    // Only when SDL's clock has drifted behind this one does it still lag:
    // it turns within moments.
    while (readTicks() - since < period)
        sleepUntil(monotonicNow() + DRIFT_NAP);
}
