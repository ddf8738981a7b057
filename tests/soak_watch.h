// The soak's referee: looks at the whole field at every frame and every wait
// of a long game, checks the rules that must hold at any moment, and records
// each broken one as a finding.
#ifndef CORVANE_SOAK_WATCH_H
#define CORVANE_SOAK_WATCH_H

#include <string>
#include <vector>

#include "skyrel_main.h"

// Broken rules, with the tick they were seen in; the first few word for word.
class Findings {
public:
    void add(long long tick, const std::string& what);
    long long count() const;
    const std::vector<std::string>& firstOnes() const;

private:
    static const size_t KEPT = 20;
    long long total = 0;
    std::vector<std::string> kept;
};

struct FieldCounts {
    long long ticks = 0;         // ticks completed (stamped) since the watch began
    long long observations = 0;  // looks at the field: every frame and every wait
    long long spawns = 0;        // aircraft announced
    long long launches = 0;      // announced aircraft that came into view
    long long landings = 0;
    long long gameOvers = 0;
    long long beatenHighscores = 0;  // game overs that wrote a new best score
    unsigned int bestScore = 0;
    unsigned int mostInFlight = 0;  // visible aircraft at once
};

class FieldWatch {
public:
    explicit FieldWatch(Findings* findings);

    // Takes the field as it stands now as the start of the watch.
    void start();
    // Checks the field as it is now, on its own and against the last look.
    void observe();

    const FieldCounts& counts() const;
    bool isCrashOnField() const;

private:
    struct AircraftLook {
        bool visible;
        Sint32 state;
    };

    void countTick();
    void checkRoute(unsigned int i);
    void checkVisibleAircraft(unsigned int i);
    void checkHiddenAircraft(unsigned int i);
    void checkMarker();
    void checkScoring();
    void checkGameOverOutcome();
    void noteCrash(int crashed);
    void remember();
    void report(const std::string& what);

    Findings* findings;
    FieldCounts tally;
    AircraftLook previous[MAX_SPRITES] = {};
    unsigned int previousScore = 0;
    unsigned int previousHighscore = 0;
    Uint32 previousStamp = 0;
    bool crashOnField = false;  // the crash tick's game-over tasks are still to come
    Uint32 crashStamp = 0;      // lastTick while the crash tick ran
};

#endif
