// Preloaded into the game by game_probe (LD_PRELOAD): stands in front of
// SDL_Flip and, when the first flip has returned, writes the nanoseconds
// since CORVANE_LAUNCH_NS, the launcher's CLOCK_MONOTONIC reading taken before
// it started the process, to the file named by CORVANE_FIRST_FRAME_FILE.
#include <dlfcn.h>

#include <cstdio>

#include "bench_util.h"

struct SDL_Surface;

extern "C" int SDL_Flip(SDL_Surface* surface)
{
    using FlipFunction = int (*)(SDL_Surface*);
    static const auto realFlip = reinterpret_cast<FlipFunction>(dlsym(RTLD_NEXT, "SDL_Flip"));
    static bool reported = false;
    const int result = realFlip(surface);
    if (reported)
        return result;
    reported = true;
    const long long shownNs = monotonicNanoseconds();
    const char* launch = getenv("CORVANE_LAUNCH_NS");
    const char* file = getenv("CORVANE_FIRST_FRAME_FILE");
    FILE* out = launch && file ? fopen(file, "w") : nullptr;
    if (out) {
        fprintf(out, "%lld\n", shownNs - numberOr(launch, 0));
        fclose(out);
    }
    return result;
}
