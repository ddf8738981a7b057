#include "soak_watch.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace {

FlyObj* aircraftAt(unsigned int i)
{
    return static_cast<FlyObj*>(sprites[i]);
}

std::string describe(unsigned int i)
{
    const PathSprite* s = sprites[i];
    std::ostringstream text;
    text << "aircraft " << i << " (state " << s->state << (s->visible ? ", visible" : ", hidden")
         << ", at " << s->pos.x << "," << s->pos.y << ", size " << s->pos.w << "x" << s->pos.h
         << ", step " << s->velX << "," << s->velY << ", route " << s->pathPos << "/" << s->pathLen
         << ")";
    return text.str();
}

bool isInFlightState(Sint32 state)
{
    return state == Flying || state == Routed || state == OnApproach || state == Final ||
           state == Crashed;
}

bool isOnItsWayIn(Sint32 state)
{
    return state == OnApproach || state == Final;
}

// The look an aircraft in play must show in its state.
SDL_Surface* lookOfState(FlyObj* a)
{
    if (a->state == Crashed)
        return a->crashedSurf;
    if (isOnItsWayIn(a->state))
        return a->approachSurf;
    return a->normalSurf;
}

bool isStepComponent(Sint32 v)
{
    return v == -1 || v == 0 || v == 1;
}

bool isWhollyOnScreen(const SDL_Rect& r)
{
    return r.x >= 0 && r.y >= 0 && r.x + r.w <= screen->w && r.y + r.h <= screen->h;
}

int countCrashed()
{
    int crashed = 0;
    for (unsigned int i = 0; i < numsprites; ++i)
        crashed += sprites[i]->state == Crashed;
    return crashed;
}

// The number in the high-score file, read as the game reads it at start-up.
unsigned int highscoreOnFile()
{
    FILE* file = fopen(HIGHSCORE_FILE, "r");
    if (!file)
        return 0;
    const unsigned int value = parseHighscore(file);
    fclose(file);
    return value;
}

}  // namespace

void Findings::add(long long tick, const std::string& what)
{
    ++total;
    if (kept.size() < KEPT)
        kept.push_back("tick " + std::to_string(tick) + ": " + what);
}

long long Findings::count() const
{
    return total;
}

const std::vector<std::string>& Findings::firstOnes() const
{
    return kept;
}

FieldWatch::FieldWatch(Findings* findings) : findings(findings) { }

void FieldWatch::start()
{
    previousStamp = lastTick;
    remember();
}

const FieldCounts& FieldWatch::counts() const
{
    return tally;
}

bool FieldWatch::isCrashOnField() const
{
    return crashOnField;
}

void FieldWatch::observe()
{
    ++tally.observations;
    countTick();
    const int crashed = countCrashed();
    unsigned int inFlight = 0;
    for (unsigned int i = 0; i < numsprites; ++i) {
        checkRoute(i);
        if (sprites[i]->visible) {
            checkVisibleAircraft(i);
            ++inFlight;
        } else {
            checkHiddenAircraft(i);
        }
    }
    tally.mostInFlight = std::max(tally.mostInFlight, inFlight);
    checkMarker();
    if (crashOnField && crashed == 0)
        checkGameOverOutcome();
    else
        checkScoring();
    noteCrash(crashed);
    remember();
}

void FieldWatch::report(const std::string& what)
{
    findings->add(tally.ticks, what);
}

// Every tick stamps lastTick once; stamps are at least a tick period apart.
void FieldWatch::countTick()
{
    if (lastTick == previousStamp)
        return;
    if (lastTick - previousStamp < TICK_PERIOD)
        report("ticks " + std::to_string(lastTick - previousStamp) + " ms apart");
    ++tally.ticks;
    previousStamp = lastTick;
}

// A route exists exactly when pathLen > 0, and then pathPos points into it.
void FieldWatch::checkRoute(unsigned int i)
{
    const PathSprite* s = sprites[i];
    if (s->pathLen > PATH_CAPACITY)
        report("route longer than its capacity: " + describe(i));
    if (s->pathLen == 0 && s->pathPos != 0)
        report("no route, but a waypoint steered for: " + describe(i));
    if (s->pathLen > 0 && s->pathPos >= s->pathLen)
        report("steering past the end of the route: " + describe(i));
}

void FieldWatch::checkVisibleAircraft(unsigned int i)
{
    FlyObj* a = aircraftAt(i);
    if (!isInFlightState(a->state))
        report("visible in a state out of play: " + describe(i));
    if (a->pos.w != a->surface->w || a->pos.h != a->surface->h)
        report("rectangle and look differ in size: " + describe(i));
    if (!isWhollyOnScreen(a->pos))
        report("not wholly on the screen: " + describe(i));
    if (a->surface != lookOfState(a))
        report("shows a look that is not its state's: " + describe(i));
    if (!isStepComponent(a->velX) || !isStepComponent(a->velY) || (a->velX == 0 && a->velY == 0))
        report("no valid heading: " + describe(i));
    if (!previous[i].visible && !(previous[i].state == Announced && a->state == Flying))
        report("came into view without being announced: " + describe(i));
    if (!previous[i].visible)
        ++tally.launches;
}

void FieldWatch::checkHiddenAircraft(unsigned int i)
{
    const PathSprite* s = sprites[i];
    if (s->state != Inactive && s->state != Announced)
        report("hidden but neither inactive nor announced: " + describe(i));
    if (s->pathLen != 0)
        report("hidden with a route: " + describe(i));
    if (s->state == Inactive && (s->pos.x != 0 || s->pos.y != 0))
        report("inactive away from (0, 0): " + describe(i));
    if (s->state == Announced && (!marker || marker->sprite != s))
        report("announced without a marker of its own: " + describe(i));
    if (s->state == Announced && previous[i].state != Announced)
        ++tally.spawns;
}

void FieldWatch::checkMarker()
{
    if (!marker)
        return;
    if (marker->sprite->state != Announced)
        report("the marker's aircraft is in state " + std::to_string(marker->sprite->state));
    if (!isWhollyOnScreen(marker->rect))
        report("the marker is not wholly on the screen");
}

// Within a game the score only rises, by one for each aircraft on its way in
// that has left the field; the best score stays as it is.
void FieldWatch::checkScoring()
{
    if (score < previousScore)
        report("score went back from " + std::to_string(previousScore) + " to " +
               std::to_string(score));
    if (highscore != previousHighscore)
        report("best score changed during a game, from " + std::to_string(previousHighscore) +
               " to " + std::to_string(highscore));
    unsigned int landed = 0;
    for (unsigned int i = 0; i < numsprites; ++i) {
        if (!previous[i].visible || sprites[i]->visible)
            continue;
        if (isOnItsWayIn(previous[i].state) && sprites[i]->state == Inactive)
            ++landed;
        else
            report("left the field without landing, from state " +
                   std::to_string(previous[i].state) + ": " + describe(i));
    }
    if (score - previousScore != landed)
        report("score rose by " + std::to_string(score - previousScore) + " for " +
               std::to_string(landed) + " landings");
    tally.landings += landed;
    tally.bestScore = std::max(tally.bestScore, score);
}

// After a crash: an empty field, score 0, and a better score kept in memory
// and on file.
void FieldWatch::checkGameOverOutcome()
{
    ++tally.gameOvers;
    const unsigned int finalScore = previousScore;
    const unsigned int expectedBest = std::max(previousHighscore, finalScore);
    if (score != 0)
        report("score " + std::to_string(score) + " after a game over");
    if (highscore != expectedBest)
        report("best score " + std::to_string(highscore) + " after a game of " +
               std::to_string(finalScore) + " with a best of " + std::to_string(previousHighscore));
    if (finalScore > previousHighscore) {
        ++tally.beatenHighscores;
        if (highscoreOnFile() != expectedBest)
            report("the file holds " + std::to_string(highscoreOnFile()) + ", not the new best " +
                   std::to_string(expectedBest));
    }
    // The halted game may already have announced the next aircraft; a marker
    // left over from the crashed game would hold an aircraft the reset made
    // inactive, which checkMarker reports.
    for (unsigned int i = 0; i < numsprites; ++i) {
        const PathSprite* s = sprites[i];
        if (s->visible || (s->state != Inactive && s->state != Announced))
            report("not taken off the field by the game over: " + describe(i));
    }
}

// Crashed aircraft are shown in their crash tick only; the game-over tasks at
// its end clear the field.
void FieldWatch::noteCrash(int crashed)
{
    if (crashed != 0 && crashed != 2)
        report(std::to_string(crashed) + " crashed aircraft at once");
    if (crashed == 0) {
        crashOnField = false;
        return;
    }
    if (!crashOnField) {
        crashOnField = true;
        crashStamp = lastTick;
    } else if (lastTick != crashStamp) {
        report("crashed aircraft stayed on the field after their tick");
    }
}

void FieldWatch::remember()
{
    for (unsigned int i = 0; i < numsprites; ++i)
        previous[i] = AircraftLook{sprites[i]->visible, sprites[i]->state};
    previousScore = score;
    previousHighscore = highscore;
}
