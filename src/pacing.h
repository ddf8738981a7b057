// Pacing: waiting until SDL's millisecond clock says that a period is over,
// with one wakeup. Knows nothing of the game: it is handed the clock reading
// to count from.
#ifndef CORVANE_PACING_H
#define CORVANE_PACING_H

#include <SDL.h>

// Returns once SDL_GetTicks() - since, in unsigned 32-bit arithmetic, is at
// least period; at once when it already is.
void waitForPeriod(Uint32 since, Uint32 period);

#endif
