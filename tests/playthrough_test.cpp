// The whole game, played on the real binary as a person plays it: land an
// aircraft, bring two together, see the best score kept, pause, resume and
// quit. Aircraft appear at random and may crash on their own, so the player
// starts a new game whenever a crash comes before the landing.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "player.h"
#include "route_planner.h"
#include "screen_reader.h"
#include "skyrel_main.h"
#include "traffic.h"

namespace {

using Clock = std::chrono::steady_clock;

// Set, it keeps the screenshots and log of a run that passed as well.
const char* const KEEP_ARTIFACTS_VARIABLE = "CORVANE_KEEP_PLAYTHROUGH";

const int LOOK_PAUSE_MS = 150;          // between two looks while watching the game
const int SCREEN_TIMEOUT_MS = 10000;    // for the screen to answer a key
const int COUNTERS_TIMEOUT_MS = 40000;  // a slow aircraft crossing a counter hides it this long
const int APPROACH_LOOK_TIMEOUT_MS = 3000;
const int HIGHSCORE_FILE_TIMEOUT_MS = 3000;
const int EXIT_TIMEOUT_MS = 20000;
const int FIRST_AIRCRAFT_TIMEOUT_MS = 30000;
const int GAME_TIMEOUT_S = 120;    // for one game to bring a landing or a crash
const int LANDING_BUDGET_S = 480;  // for all the games it takes to land one aircraft
const int CRASH_TIMEOUT_S = 120;   // for the chase after the landing to end in a crash
const int MAX_GAMES = 12;
const int PAUSE_TRIES = 3;

// Which aircraft to land: one that needs at least long enough for its
// approach look to be seen, and, early in a game, not long; later the
// quickest one goes, however long it needs.
const double MIN_LANDING_S = 3.0;
const double QUICK_LANDING_S = 20.0;
const double PATIENCE_S = 12.0;
const int PRESS_CLEARANCE = 30;  // no other aircraft this close to the one pressed on

const int APPROACH_SEARCH_RADIUS = 40;  // the routed aircraft moves little while dragged
// An aircraft on approach lands within this factor of the time its route
// needs, plus the margin; gone from sight for longer than the grace, it has
// landed.
const double LANDING_TIME_FACTOR = 2.0;
const int LANDING_TIME_MARGIN_MS = 20000;
const int VANISH_GRACE_MS = 3000;
const double CONFLICT_HORIZON_S = 5.0;  // how far ahead meetings are looked for
const double CHASE_INTERVAL_S = 1.2;    // between two routes of the chase

enum class GameEnd { Landed, GameOver, Stuck };

struct Deadline {
    Clock::time_point end;

    static Deadline inMs(int ms) { return {Clock::now() + std::chrono::milliseconds(ms)}; }
    bool passed() const { return Clock::now() >= end; }
};

// A route that brings one aircraft to meet another, and how long it takes.
struct Chase {
    Route route;
    double seconds;
};

// What a game over showed: the crash frame under the press-key text, the
// high-score file once it was up, and the best score that the next game
// shows (nothing when it did not start).
struct GameOver {
    Picture crashFrame;
    std::string highscoreFile;
    std::optional<unsigned int> nextBest;
};

// The aircraft routed onto its target, until it lands.
struct ApproachWatch {
    int kind;
    Clock::time_point lastSeen;  // in its approach look
    Deadline landBy;
};

int distance(const SeenAircraft& a, const SeenAircraft& b)
{
    return std::max(std::abs(a.centreX() - b.centreX()), std::abs(a.centreY() - b.centreY()));
}

bool isSame(const SeenAircraft& a, const SeenAircraft& b)
{
    return a.kind == b.kind && a.x == b.x && a.y == b.y;
}

bool isClearOfOthers(const SeenAircraft& a, const std::vector<SeenAircraft>& all)
{
    return std::none_of(all.begin(), all.end(), [&](const SeenAircraft& other) {
        return !isSame(a, other) && distance(a, other) < PRESS_CLEARANCE;
    });
}

std::string summarise(const std::vector<SeenAircraft>& aircraft)
{
    std::string text = std::to_string(aircraft.size()) + " aircraft:";
    for (const SeenAircraft& a : aircraft)
        text += " [" + describe(a) + "]";
    return text;
}

std::string counterText(std::optional<unsigned int> value)
{
    return value ? std::to_string(*value) : std::string("(hidden)");
}

int countCrashed(const std::vector<SeenAircraft>& aircraft)
{
    return static_cast<int>(
        std::count_if(aircraft.begin(), aircraft.end(),
                      [](const SeenAircraft& a) { return a.look == Look::Crashed; }));
}

int countDifferences(const Picture& a, const Picture& b)
{
    if (a.width != b.width || a.height != b.height)
        return a.width * a.height + b.width * b.height;
    int differences = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i)
        differences += a.pixels[i] != b.pixels[i];
    return differences;
}

}  // namespace

class PlayThrough : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (HasFailure()) {
            player.note("the test failed");
            std::cout << "Screenshots and log of the failed play-through: "
                      << player.artifactsFolder() << std::endl;
        } else if (std::getenv(KEEP_ARTIFACTS_VARIABLE)) {
            std::cout << "Screenshots and log kept in " << player.artifactsFolder() << std::endl;
        } else {
            player.discardArtifacts();
        }
    }

    // The screen the player sees, noted in the log with what it shows.
    Picture lookAtGame()
    {
        Picture shot = player.look();
        if (shot.empty()) {
            player.note("the screenshot failed");
            return shot;
        }
        seen = reader.findAircraft(shot);
        traffic.update(seen, player.secondsPlayed());
        player.note("score " + counterText(reader.readCounter(shot, SCORE_X)) + ", best " +
                    counterText(reader.readCounter(shot, HIGHSCORE_X)) +
                    (reader.showsPauseText(shot) ? ", pause text" : "") +
                    (reader.showsPresskeyText(shot) ? ", press-key text" : "") + ", " +
                    summarise(seen));
        return shot;
    }

    // The press-key text without the pause text: the crash frame of a game over.
    bool showsGameOver(const Picture& shot) const
    {
        return reader.showsPresskeyText(shot) && !reader.showsPauseText(shot);
    }

    // Looks until the screen shows what is asked for; answers whether it did
    // within timeoutMs.
    bool waitForScreen(const std::function<bool(const Picture&)>& wanted, int timeoutMs)
    {
        const Deadline deadline = Deadline::inMs(timeoutMs);
        for (;;) {
            const Picture shot = lookAtGame();
            if (!shot.empty() && wanted(shot))
                return true;
            if (deadline.passed())
                return false;
            player.pause(LOOK_PAUSE_MS);
        }
    }

    // A new game in play: no text up and the score read as 0000. Answers
    // the best score it shows, read perhaps from another look, as an
    // aircraft may hide a counter for a while; nothing when there was none.
    std::optional<unsigned int> waitForNewGame()
    {
        bool scoreRead = false;
        std::optional<unsigned int> best;
        waitForScreen(
            [&](const Picture& shot) {
                if (reader.showsPresskeyText(shot) || reader.showsPauseText(shot))
                    return false;
                scoreRead = scoreRead || reader.readCounter(shot, SCORE_X) == 0u;
                if (!best)
                    best = reader.readCounter(shot, HIGHSCORE_X);
                return scoreRead && best;
            },
            COUNTERS_TIMEOUT_MS);
        return scoreRead ? best : std::nullopt;
    }

    // Keeps what the game over shows, reads the high-score file (given a
    // moment to be written unless the crash frame shows a score of 0) and
    // starts the next game with a key.
    GameOver passGameOver(const Picture& crashFrame)
    {
        player.keepLastLook("game over");
        const bool mayHaveScored = reader.readCounter(crashFrame, SCORE_X) != 0u;
        const Deadline fileDeadline = Deadline::inMs(mayHaveScored ? HIGHSCORE_FILE_TIMEOUT_MS : 0);
        while (player.highscoreFile().empty() && !fileDeadline.passed())
            player.pause(LOOK_PAUSE_MS);
        GameOver gameOver{crashFrame, player.highscoreFile(), std::nullopt};
        player.note("highscore.txt holds \"" + gameOver.highscoreFile + "\"");
        if (player.pressKey("space"))
            gameOver.nextBest = waitForNewGame();
        return gameOver;
    }

    // A counter under an aircraft cannot be read; one that can must say value.
    void expectCounterWhereShown(const Picture& shot, int x, unsigned int value)
    {
        const std::optional<unsigned int> shown = reader.readCounter(shot, x);
        if (shown)
            EXPECT_EQ(*shown, value) << "the counter at x " << x;
        else
            player.note("the counter at x " + std::to_string(x) + " is hidden");
    }

    // The aircraft to land now, if any: pressable, and soon down.
    std::optional<SeenAircraft> chooseAircraftToLand(double secondsInGame) const
    {
        std::optional<SeenAircraft> best;
        double bestSeconds = 0;
        for (const SeenAircraft& a : seen) {
            if (a.look != Look::Normal || !isClearOfOthers(a, seen))
                continue;
            const double s = flightSeconds(planLandingRoute(a), a.kind);
            if (s < MIN_LANDING_S || (s > QUICK_LANDING_S && secondsInGame < PATIENCE_S))
                continue;
            if (!best || s < bestSeconds) {
                best = a;
                bestSeconds = s;
            }
        }
        return best;
    }

    // After the drag the aircraft shows its approach look near where it was.
    bool waitForApproachLook(const SeenAircraft& routed)
    {
        return waitForScreen(
            [&](const Picture& shot) {
                if (showsGameOver(shot))
                    return true;
                return std::any_of(seen.begin(), seen.end(), [&](const SeenAircraft& a) {
                    return a.kind == routed.kind && a.look == Look::Approach &&
                           distance(a, routed) <= APPROACH_SEARCH_RADIUS;
                });
            },
            APPROACH_LOOK_TIMEOUT_MS);
    }

    // Drags a route from the aircraft onto its target and sees it take its
    // approach look (or the game end meanwhile); answers what to watch.
    std::optional<ApproachWatch> routeOntoTarget(const SeenAircraft& aircraft)
    {
        const Route route = planLandingRoute(aircraft);
        EXPECT_TRUE(leadsToLanding(route, FLEET[aircraft.kind].type));
        const double seconds = flightSeconds(route, aircraft.kind);
        player.note("landing " + describe(aircraft) + ", about " + std::to_string(seconds) +
                    " s away");
        if (!player.drag(route)) {
            ADD_FAILURE() << "xdotool could not drag the route";
            return std::nullopt;
        }
        if (!waitForApproachLook(aircraft)) {
            player.keepLastLook("no approach look");
            ADD_FAILURE() << "after a route onto its target, the aircraft (" << describe(aircraft)
                          << ") did not show its approach look";
            return std::nullopt;
        }
        player.keepLastLook("after the route onto the target");
        if (std::optional<size_t> track =
                traffic.trackNearest(aircraft.kind, Look::Approach, route.front()))
            traffic.setLandingRoute(*track, route);
        const int landBy =
            static_cast<int>(LANDING_TIME_FACTOR * seconds * 1000) + LANDING_TIME_MARGIN_MS;
        return ApproachWatch{aircraft.kind, Clock::now(), Deadline::inMs(landBy)};
    }

    // Whether the aircraft on approach is still on its way: seen in its
    // approach look, or gone while the score is hidden. Fails the test when
    // it is gone with the score still at 0, or when it has not landed in time.
    bool isStillOnApproach(ApproachWatch* watch, const Picture& shot)
    {
        const bool shown = std::any_of(seen.begin(), seen.end(), [&](const SeenAircraft& a) {
            return a.kind == watch->kind && a.look == Look::Approach;
        });
        const Clock::time_point now = Clock::now();
        if (shown) {
            watch->lastSeen = now;
            if (watch->landBy.passed()) {
                player.keepLastLook("still not landed");
                ADD_FAILURE() << "the aircraft on approach did not land in time";
                return false;
            }
        } else if (now - watch->lastSeen > std::chrono::milliseconds(VANISH_GRACE_MS) &&
                   reader.readCounter(shot, SCORE_X) == 0u) {
            player.keepLastLook("gone without a point");
            ADD_FAILURE() << "the aircraft on approach left the field and the score stayed 0000";
            return false;
        }
        return true;
    }

    // Turns one of the first two aircraft due to meet away, if a turn helps;
    // answers false only when xdotool fails.
    bool keepTrafficApart()
    {
        const std::optional<Conflict> conflict = traffic.findConflict(CONFLICT_HORIZON_S);
        if (!conflict)
            return true;
        const std::vector<Track>& tracks = traffic.tracks();
        std::string text = describe(tracks[conflict->first].aircraft) + " and " +
                           describe(tracks[conflict->second].aircraft) + " meet in " +
                           std::to_string(conflict->inSeconds) + " s";
        const std::optional<Diversion> turn = traffic.planDiversion(*conflict, CONFLICT_HORIZON_S);
        if (!turn) {
            player.note(text + "; no turn helps");
            return true;
        }
        player.note(text + "; turning " + describe(tracks[turn->track].aircraft) + " to (" +
                    std::to_string(turn->heading.x) + "," + std::to_string(turn->heading.y) + ")");
        if (!player.drag(turn->route)) {
            ADD_FAILURE() << "xdotool could not drag the route";
            return false;
        }
        traffic.applyDiversion(*turn, player.secondsPlayed());
        return true;
    }

    // Plays one game until its score shows one landing, or a crash ends it.
    GameEnd playForOneLanding(Picture* crashFrame)
    {
        const Clock::time_point gameStart = Clock::now();
        const Deadline deadline = Deadline::inMs(GAME_TIMEOUT_S * 1000);
        std::optional<ApproachWatch> watch;
        while (!deadline.passed()) {
            const Picture shot = lookAtGame();
            if (shot.empty()) {
                ADD_FAILURE() << "the screenshot failed";
                return GameEnd::Stuck;
            }
            if (showsGameOver(shot)) {
                *crashFrame = shot;
                return GameEnd::GameOver;
            }
            if (reader.readCounter(shot, SCORE_X) == 1u) {
                player.keepLastLook("the score shows the landing");
                return GameEnd::Landed;
            }
            const double secondsInGame =
                std::chrono::duration<double>(Clock::now() - gameStart).count();
            if (watch) {
                if (!isStillOnApproach(&*watch, shot))
                    return GameEnd::Stuck;
            } else if (std::optional<SeenAircraft> a = chooseAircraftToLand(secondsInGame)) {
                watch = routeOntoTarget(*a);
                if (!watch)
                    return GameEnd::Stuck;
                continue;
            }
            if (!keepTrafficApart())
                return GameEnd::Stuck;
            player.pause(LOOK_PAUSE_MS);
        }
        ADD_FAILURE() << "a game went on for " << GAME_TIMEOUT_S
                      << " s without a landing or a crash";
        return GameEnd::Stuck;
    }

    // New games until one brings a landing. Answers whether the score showed
    // it, or else the best score of the game after; in that case a crash
    // came first and what it showed is kept in gameOverAfterLanding.
    bool playUntilOneLanding(std::optional<GameOver>* gameOverAfterLanding)
    {
        const Deadline budget = Deadline::inMs(LANDING_BUDGET_S * 1000);
        for (int game = 1; game <= MAX_GAMES; ++game) {
            if (budget.passed()) {
                ADD_FAILURE() << "no landing in " << LANDING_BUDGET_S << " s of play";
                return false;
            }
            gamesPlayed = game;
            player.note("game " + std::to_string(game) + ": looking for an aircraft to land");
            Picture crashFrame;
            const GameEnd end = playForOneLanding(&crashFrame);
            if (end != GameEnd::GameOver)
                return end == GameEnd::Landed;
            const GameOver gameOver = passGameOver(crashFrame);
            if (gameOver.nextBest == 1u) {
                player.note("the landing scored, though the crash came before it was read");
                *gameOverAfterLanding = gameOver;
                return true;
            }
            if (gameOver.nextBest != 0u) {
                ADD_FAILURE() << "after a crash without a landing, a key did not start a new "
                                 "game showing 0000 and 0000";
                return false;
            }
        }
        ADD_FAILURE() << MAX_GAMES << " games all ended in a crash before any landing";
        return false;
    }

    // The quickest meeting of one aircraft with another that the player can
    // route, flying on as it heads; never a route that lands it.
    std::optional<Chase> planChase() const
    {
        const std::vector<Track>& tracks = traffic.tracks();
        std::optional<Chase> best;
        for (const Track& chaser : tracks) {
            if (!isClearOfOthers(chaser.aircraft, seen))
                continue;
            for (const Track& other : tracks) {
                if (&other == &chaser)
                    continue;
                const Route route =
                    planInterceptRoute(chaser.aircraft, other.aircraft, other.heading);
                const double s = flightSeconds(route, chaser.aircraft.kind);
                if (leadsToLanding(route, FLEET[chaser.aircraft.kind].type) ||
                    (best && s >= best->seconds))
                    continue;
                best = Chase{route, s};
            }
        }
        return best;
    }

    // Routes one aircraft to meet another, again and again as they fly on,
    // until two crash; answers the crash frame.
    std::optional<Picture> chaseUntilCrash()
    {
        const Deadline deadline = Deadline::inMs(CRASH_TIMEOUT_S * 1000);
        double lastChase = -CHASE_INTERVAL_S;
        while (!deadline.passed()) {
            const Picture shot = lookAtGame();
            if (showsGameOver(shot))
                return shot;
            if (player.secondsPlayed() - lastChase >= CHASE_INTERVAL_S) {
                if (std::optional<Chase> chase = planChase()) {
                    player.note("chase, meeting in about " + std::to_string(chase->seconds) + " s");
                    if (!player.drag(chase->route)) {
                        ADD_FAILURE() << "xdotool could not drag the route";
                        return std::nullopt;
                    }
                    lastChase = player.secondsPlayed();
                    continue;
                }
            }
            player.pause(LOOK_PAUSE_MS);
        }
        ADD_FAILURE() << "no crash within " << CRASH_TIMEOUT_S << " s of chasing";
        return std::nullopt;
    }

    // Pauses a game in play that shows at least one aircraft, so the pause
    // screen has something to hide. A crash may come just before the key,
    // which then starts a new game instead: that is tried again.
    bool pauseWithAircraftInPlay()
    {
        for (int attempt = 0; attempt < PAUSE_TRIES; ++attempt) {
            bool gameOver = false;
            if (!waitForScreen(
                    [&](const Picture& shot) {
                        gameOver = showsGameOver(shot);
                        return gameOver || (!reader.showsPauseText(shot) && !seen.empty());
                    },
                    FIRST_AIRCRAFT_TIMEOUT_MS))
                return false;
            if (gameOver) {
                player.pressKey("space");
                continue;
            }
            player.pressKey("p");
            if (waitForScreen([&](const Picture& shot) { return reader.showsPauseText(shot); },
                              SCREEN_TIMEOUT_MS))
                return true;
        }
        return false;
    }

    Player player{CORVANE_PLAYTHROUGH_ARTIFACTS};
    ScreenReader reader{std::filesystem::path(CORVANE_BITMAPS_DIR).parent_path().string()};
    std::vector<SeenAircraft> seen;  // by the last look
    Traffic traffic;
    int gamesPlayed = 0;
};

TEST_F(PlayThrough, APlayerLandsAnAircraftCrashesTwoKeepsTheBestScorePausesAndQuits)
{
    SCOPED_TRACE("screenshots and log of this run: " + player.artifactsFolder());
    ASSERT_EQ(reader.loadErrors(), "") << "bitmaps that could not be read";
    ASSERT_EQ(player.startGame(), "");
    ASSERT_EQ(waitForNewGame(), 0u) << "the first frames did not show 0000 and 0000";

    std::optional<GameOver> gameOver;
    ASSERT_TRUE(playUntilOneLanding(&gameOver));
    const double landedAt = player.secondsPlayed();
    if (!gameOver) {
        EXPECT_FALSE(player.hasHighscoreFile()) << "the best score was written before game over";
        const std::optional<Picture> crashFrame = chaseUntilCrash();
        ASSERT_TRUE(crashFrame);
        gameOver = passGameOver(*crashFrame);
    }
    const double crashedAt = player.secondsPlayed();

    // The crash frame stays with the press-key text over it and the counters
    // as they were: the landing scored, the old best. The best is written
    // then, and the next game starts from it.
    EXPECT_TRUE(showsGameOver(gameOver->crashFrame));
    EXPECT_GE(countCrashed(reader.findAircraft(gameOver->crashFrame)), 2)
        << "the frame under the press-key text shows no two crashed aircraft";
    expectCounterWhereShown(gameOver->crashFrame, SCORE_X, 1);
    expectCounterWhereShown(gameOver->crashFrame, HIGHSCORE_X, 0);
    EXPECT_EQ(gameOver->highscoreFile, "1") << "highscore.txt after a game that scored 1";
    ASSERT_EQ(gameOver->nextBest, 1u)
        << "a key after the game over did not start a new game showing 0000 and 0001";

    ASSERT_TRUE(pauseWithAircraftInPlay()) << "a key did not bring up the pause screen";
    const Picture paused = player.look();
    player.keepLastLook("the pause screen");
    EXPECT_EQ(countDifferences(paused, reader.composePauseScreen(0, 1)), 0)
        << "the pause screen is not the field, the counters 0000 0001 and the two texts alone";

    ASSERT_TRUE(player.pressKey("space"));
    EXPECT_TRUE(waitForScreen(
        [&](const Picture& shot) { return !reader.showsPauseText(shot) && !seen.empty(); },
        SCREEN_TIMEOUT_MS))
        << "a key did not resume the game with its aircraft";

    ASSERT_TRUE(player.pressKey("Escape"));
    EXPECT_EQ(player.waitForExit(EXIT_TIMEOUT_MS), EXIT_OK) << player.gameErrors();
    player.note("the game ended");
    std::cout << "Played " << gamesPlayed << " game(s) for the landing (at " << landedAt
              << " s), crashed at " << crashedAt << " s, quit at " << player.secondsPlayed() << " s"
              << std::endl;
}
