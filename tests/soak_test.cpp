// A long game in fast time: a random player acts at every wait of the real
// main loop (drags, routes to a landing, keys, quits) while the rules of the
// field are checked at every frame and every tick; the fixture checks that
// the window shows every frame. CORVANE_SOAK_TICKS and CORVANE_SOAK_SEED (1)
// choose another run; the same pair plays it again.
#include <cstdlib>
#include <random>

#include "game_fixture.h"

#ifndef CORVANE_SOAK_DEFAULT_TICKS
#define CORVANE_SOAK_DEFAULT_TICKS 30000
#endif

namespace {

long long fromEnvironment(const char* name, long long fallback)
{
    const char* value = getenv(name);
    return value ? strtoll(value, nullptr, 10) : fallback;
}

}  // namespace

using Soak = GameTest;

// NOLINTNEXTLINE(readability-function-cognitive-complexity): one loop of random moves and its rules
TEST_F(Soak, ARandomPlayerNeverBreaksARuleOfTheFieldOnAnyFrame)
{
    const long long ticks = fromEnvironment("CORVANE_SOAK_TICKS", CORVANE_SOAK_DEFAULT_TICKS);
    std::mt19937 rng(static_cast<unsigned int>(fromEnvironment("CORVANE_SOAK_SEED", 1)));
    auto chance = [&](unsigned int perMille) { return rng() % 1000 < perMille; };
    auto anywhere = [&](Uint8 type) {
        push(type, static_cast<int>(rng() % SCREEN_WIDTH), static_cast<int>(rng() % SCREEN_HEIGHT));
    };
    seams.nextDraw = [&] { return static_cast<int>(rng() % (RAND_MAX + 1u)); };
    seams.now = 0xFFFFFFFFu - 60000u;  // every run goes through the clock's wrap
    long long played = 0;
    long long landings = 0;
    long long crashFrames = 0;
    unsigned int lastScore = 0;
    unsigned int lastBest = 0;
    seams.onPresent = [&] {
        const std::string at = " at tick " + std::to_string(played);
        bool crashed = false;
        for (unsigned int i = 0; i < numsprites && !HasFatalFailure(); ++i) {
            FlyObj* a = aircraft(i);
            const Sint32 s = a->state;
            ASSERT_TRUE(s != Landed && a->isVisible() == (s != Inactive && s != Announced))
                << i << " in " << s << at;
            ASSERT_EQ(s == Announced, marker && marker->sprite == a) << i << at;
            SDL_Surface* look = s == Crashed                    ? a->crashedSurf
                                : s == OnApproach || s == Final ? a->approachSurf
                                                                : a->normalSurf;
            ASSERT_TRUE(!a->isVisible() || a->surface == look) << i << " in " << s << at;
            ASSERT_TRUE(std::abs(a->velX) <= 1 && std::abs(a->velY) <= 1) << i << at;
            ASSERT_TRUE(a->pathPos < a->pathLen || a->pathLen == 0) << i << at;
            ASSERT_TRUE(a->getPosX() >= 0 && a->getPosX() <= SCREEN_WIDTH - a->getWidth() &&
                        a->getPosY() >= 0 && a->getPosY() <= SCREEN_HEIGHT - a->getHeight())
                << i << at;
            ASSERT_TRUE(s != Inactive || a->getPosX() + a->getPosY() + a->pathLen == 0u) << i << at;
            crashed = crashed || s == Crashed;
        }
        ASSERT_TRUE((score >= lastScore || score == 0) && highscore >= lastBest) << at;
        crashFrames += crashed;
        landings += score > lastScore ? score - lastScore : 0;
        lastScore = score;
        lastBest = highscore;
    };
    seams.onDelay = [&] {
        if (played >= ticks || HasFailure()) {
            push(SDL_KEYDOWN, 0, 0, SDLK_ESCAPE);
            return;
        }
        if (seams.delays.back() == TICK_PERIOD) {  // a halted game's pass
            if (chance(200))
                push(SDL_KEYDOWN, 0, 0, SDLK_SPACE);  // resume, or the next game
            return;
        }
        ++played;
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
    printf("[ soak ] %lld ticks, %lld landings, %lld crash frames\n", played, landings,
           crashFrames);
    EXPECT_GT(landings, 0);
    EXPECT_GT(crashFrames, 0);
}
