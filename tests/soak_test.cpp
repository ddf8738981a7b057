// A long game in fast time: a random player plays through the real main
// loop, spawning, ticks and route drags, game after game, while every rule
// that must hold at any moment is checked at every frame and every wait.
//
// CORVANE_SOAK_TICKS sets the number of ticks (50,000 by default),
// CORVANE_SOAK_SEED the seed of the player and of the game's rand (1 by
// default); the same seed and tick count play the same run again.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "game_fixture.h"
#include "soak_player.h"
#include "soak_watch.h"

namespace {

const long long DEFAULT_TICKS = 50000;
const unsigned long DEFAULT_SEED = 1;
// Starts the clock a minute before its 32-bit millisecond count wraps, so
// that every run goes through the wrap.
const Uint32 CLOCK_START = 0xFFFFFFFFu - 60000u;
// A run needs about one wait per tick, plus the passes of halted games; far
// more means that the player and the game have lost each other.
const long long MAX_WAITS_PER_TICK = 4;
const long long SPARE_WAITS = 10000;
// Runs at least this long must have seen every kind of play.
const long long TICKS_FOR_FULL_PLAY = 50000;

long long ticksToPlay()
{
    const char* value = getenv("CORVANE_SOAK_TICKS");
    return value ? atoll(value) : DEFAULT_TICKS;
}

unsigned int soakSeed()
{
    const char* value = getenv("CORVANE_SOAK_SEED");
    return static_cast<unsigned int>(value ? strtoul(value, nullptr, 10) : DEFAULT_SEED);
}

void printSummary(unsigned int seed, double seconds, const FieldCounts& field,
                  const PlayCounts& play, long long findings)
{
    printf("[ soak ] seed %u: %lld ticks in %.1f s, %lld findings\n", seed, field.ticks, seconds,
           findings);
    printf("[ soak ] field: %lld spawns, %lld launches, %lld landings, %lld crashes (game overs), "
           "%lld new best scores; best score %u in play, %u kept; up to %u aircraft in view\n",
           field.spawns, field.launches, field.landings, field.gameOvers, field.beatenHighscores,
           field.bestScore, highscore, field.mostInFlight);
    printf("[ soak ] drags: %lld (%lld landing routes, %lld scribbles, %lld held past a full "
           "route, %lld collision courses, %lld taps), %lld drag passes\n",
           play.drags, play.landingDrags, play.scribbleDrags, play.fullRouteDrags,
           play.collisionDrags, play.tapDrags, play.dragPasses);
    printf("[ soak ] drag ends: releases by button 1-5 %lld/%lld/%lld/%lld/%lld, %lld full "
           "routes, %lld landed and %lld crashed during their drag; %lld routes judged on "
           "approach\n",
           play.releasesByButton[1], play.releasesByButton[2], play.releasesByButton[3],
           play.releasesByButton[4], play.releasesByButton[5], play.fullRoutes,
           play.landedDuringDrag, play.crashesDuringDrag, play.approachesJudged);
    printf("[ soak ] during drags: %lld keys, %lld events without a position, %lld second "
           "presses, %lld bursts, %lld quits; elsewhere %lld quits\n",
           play.keysDuringDrags, play.positionlessEvents, play.secondPresses, play.bursts,
           play.quitsDuringDrags, play.quitsElsewhere);
    printf("[ soak ] main loop: %lld runs, %lld pauses, %lld resumes, %lld halted passes, %lld "
           "presses that started nothing\n",
           play.mainLoopRuns, play.pauses, play.resumes, play.haltedPasses, play.ignoredPresses);
}

}  // namespace

using Soak = GameTest;

TEST_F(Soak, ARandomPlayerNeverBreaksARuleOfTheFieldOnAnyTick)
{
    const long long ticks = ticksToPlay();
    const unsigned int seed = soakSeed();
    std::mt19937 gameRandom(seed);
    scriptedRand.generator = [&gameRandom] {
        return std::uniform_int_distribution<int>(0, RAND_MAX)(gameRandom);
    };
    fakeClock.now = CLOCK_START;

    Findings findings;
    FieldWatch watch(&findings);
    RandomPlayer player(seed + 1, &watch, &findings);
    const long long waitBudget = ticks * MAX_WAITS_PER_TICK + SPARE_WAITS;
    watch.start();
    displayCounters.onFlip = [&watch] { watch.observe(); };
    fakeClock.onDelay = [&] {
        watch.observe();
        if (player.counts().actions >= waitBudget && !player.isFinishing())
            findings.add(watch.counts().ticks, "the run makes no progress");
        if (watch.counts().ticks >= ticks || findings.count() > 0)
            player.finish();
        player.act();
    };

    const auto began = std::chrono::steady_clock::now();
    do {
        runMainLoop();
        player.noteMainLoopEnded();
    } while (!player.isFinishing());
    watch.observe();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - began;
    fakeClock.onDelay = nullptr;
    displayCounters.onFlip = nullptr;

    printSummary(seed, took.count(), watch.counts(), player.counts(), findings.count());
    for (const std::string& finding : findings.firstOnes())
        ADD_FAILURE() << "seed " << seed << ", " << finding;
    EXPECT_EQ(findings.count(), 0)
        << "replay with CORVANE_SOAK_SEED=" << seed << " CORVANE_SOAK_TICKS=" << ticks;
    EXPECT_GE(watch.counts().ticks, ticks);

    if (ticks >= TICKS_FOR_FULL_PLAY) {
        const FieldCounts& field = watch.counts();
        const PlayCounts& play = player.counts();
        EXPECT_GT(field.spawns, 0);
        EXPECT_GT(field.landings, 0);
        EXPECT_GT(field.gameOvers, 0);
        EXPECT_GT(play.releasesByButton[SDL_BUTTON_LEFT], 0);
        EXPECT_GT(play.fullRoutes, 0);
        EXPECT_GT(play.landedDuringDrag + play.crashesDuringDrag, 0);
        EXPECT_GT(play.quitsDuringDrags + play.quitsElsewhere, 0);
    }
}
