// Loaded into the game with LD_PRELOAD by startup_probe: stands in front of
// SDL's SDL_Flip and, when the first flip has returned, writes the time since
// launch in nanoseconds to the file named by CORVANE_FIRST_FRAME_FILE. The
// launch time is CORVANE_LAUNCH_NS, the launcher's CLOCK_MONOTONIC reading
// taken before it started the process.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "bench_args.h"

struct SDL_Surface;

namespace {

using FlipFunction = int (*)(SDL_Surface*);

long long monotonicNanoseconds()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

void reportFirstFrame(long long shownNs)
{
    const char* launch = getenv("CORVANE_LAUNCH_NS");
    const char* file = getenv("CORVANE_FIRST_FRAME_FILE");
    if (!launch || !file)
        return;
    FILE* out = fopen(file, "w");
    if (!out)
        return;
    fprintf(out, "%lld\n", shownNs - leadingNumberOr(launch, 0));
    fclose(out);
}

}  // namespace

extern "C" int SDL_Flip(SDL_Surface* surface)
{
    static const auto realFlip = reinterpret_cast<FlipFunction>(dlsym(RTLD_NEXT, "SDL_Flip"));
    static bool reported = false;
    const int result = realFlip(surface);
    if (!reported) {
        reported = true;
        reportFirstFrame(monotonicNanoseconds());
    }
    return result;
}
