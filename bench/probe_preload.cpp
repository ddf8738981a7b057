// Preloaded into the game by game_probe (LD_PRELOAD), in front of two SDL
// functions:
// - SDL_Flip: when the first flip has returned, writes the nanoseconds since
//   CORVANE_LAUNCH_NS, the launcher's CLOCK_MONOTONIC reading taken before it
//   started the process, to the file named by CORVANE_FIRST_FRAME_FILE;
// - SDL_PollEvent: counts the passes of the game's main loop, each of which
//   drains the queue until it answers 0, in the file named by
//   CORVANE_PASS_FILE, mapped into memory so that the count costs a store.
//   A running game runs one tick a pass.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>

#include "bench_util.h"

struct SDL_Surface;
union SDL_Event;

namespace {

// The pass count in the mapped file, or null without one.
long long* mapPassCount()
{
    const char* file = getenv("CORVANE_PASS_FILE");
    const int fd = file ? open(file, O_RDWR | O_CREAT | O_TRUNC, 0644) : -1;
    if (fd < 0 || ftruncate(fd, sizeof(long long)) != 0) {
        if (fd >= 0)
            close(fd);
        return nullptr;
    }
    void* mapped = mmap(nullptr, sizeof(long long), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    close(fd);
    return mapped == MAP_FAILED ? nullptr : static_cast<long long*>(mapped);
}

}  // namespace

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

extern "C" int SDL_PollEvent(SDL_Event* event)
{
    using PollFunction = int (*)(SDL_Event*);
    static const auto realPoll = reinterpret_cast<PollFunction>(dlsym(RTLD_NEXT, "SDL_PollEvent"));
    static long long* passes = mapPassCount();
    const int polled = realPoll(event);
    if (polled == 0 && passes)
        ++*passes;
    return polled;
}
