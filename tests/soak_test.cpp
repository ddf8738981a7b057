// A random player through the real main loop, the rules of the field checked on every frame.
// CORVANE_SOAK_TICKS and CORVANE_SOAK_SEED (1) choose another run; the same pair replays it.
#include <cstdlib>
#include <random>

#include "game_fixture.h"

#ifndef CORVANE_SOAK_DEFAULT_TICKS
#define CORVANE_SOAK_DEFAULT_TICKS 30000
#endif

using Soak = GameTest;

// NOLINTNEXTLINE(readability-function-cognitive-complexity): one loop of random moves and its rules
TEST_F(Soak, ARandomPlayerNeverBreaksARuleOfTheFieldOnAnyFrame)
{
    const char* ticksSet = getenv("CORVANE_SOAK_TICKS");
    const char* seedSet = getenv("CORVANE_SOAK_SEED");
    const long long ticks = ticksSet ? strtoll(ticksSet, nullptr, 10) : CORVANE_SOAK_DEFAULT_TICKS;
    std::mt19937 rng(seedSet ? static_cast<unsigned int>(strtoul(seedSet, nullptr, 10)) : 1u);
    auto chance = [&](unsigned int perMille) { return rng() % 1000 < perMille; };
    auto anywhere = [&](Uint8 type) {
        push(type, static_cast<int>(rng() % SCREEN_WIDTH), static_cast<int>(rng() % SCREEN_HEIGHT));
    };
    seams.nextDraw = [&] { return static_cast<int>(rng() % (RAND_MAX + 1u)); };
    seams.origin =
        seams.ns - (0xFFFFFFFFLL - 60000) * NS_PER_MS;  // every run goes through the wrap
    long long played = 0;
    long long landings = 0;
    long long crashedShown = 0;  // aircraft shown crashed, frame by frame
    unsigned int lastScore = 0;
    seams.onPresent = [&] {
        SCOPED_TRACE("tick " + std::to_string(played));
        for (unsigned int i = 0; i < numsprites && !HasFatalFailure(); ++i) {
            FlyObj* a = aircraft(i);
            const Sint32 s = a->state;
            ASSERT_TRUE(s != Landed && a->isVisible() == (s != Inactive && s != Announced))
                << i << " in " << s;
            ASSERT_EQ(s == Announced, marker && marker->sprite == a) << i;
            crashedShown += s == Crashed;
        }
        ASSERT_TRUE(score >= lastScore || score == 0);
        landings += score > lastScore ? score - lastScore : 0;
        lastScore = score;
    };
    seams.onDelay = [&] {  // a halted game's pass
        if (played >= ticks || HasFailure())
            push(SDL_KEYDOWN, 0, 0, SDLK_ESCAPE);
        else if (chance(200))
            push(SDL_KEYDOWN, 0, 0, SDLK_SPACE);  // resume, or the next game
    };
    seams.onSleep = [&] {  // a tick's wait
        if (played++ >= ticks || HasFailure()) {
            push(SDL_KEYDOWN, 0, 0, SDLK_ESCAPE);
            return;
        }
        FlyObj* a = aircraft(rng() % numsprites);
        if (chance(20) && a->isVisible()) {
            for (const TargetLayout& t : AIRFIELD) {
                if (t.type != a->getType())
                    continue;
                push(SDL_MOUSEBUTTONDOWN, a->getCPosX(), a->getCPosY());
                push(SDL_MOUSEMOTION, t.preX + t.preW / 2, t.preY + t.preH / 2);
                push(SDL_MOUSEMOTION, t.x + t.w / 2, t.y + t.h / 2);
                push(SDL_MOUSEBUTTONUP, t.x, t.y);
            }
        } else if (chance(10)) {
            anywhere(SDL_MOUSEBUTTONDOWN);
            for (int n = static_cast<int>(rng() % 40); n > 0; --n)
                anywhere(SDL_MOUSEMOTION);
            push(SDL_MOUSEBUTTONUP);
        } else if (chance(2)) {
            push(SDL_KEYDOWN, 0, 0, SDLK_p);
        } else if (chance(1)) {
            push(rng() % 2 ? SDL_QUIT : SDL_KEYDOWN, 0, 0, SDLK_ESCAPE);
        }
    };
    while (played < ticks && !HasFailure())
        runMainLoop();
    printf("[ soak ] %lld ticks, %lld landings\n", played, landings);
    EXPECT_GT(landings, 0);
    EXPECT_GT(crashedShown, 0);
}
