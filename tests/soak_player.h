// The soak's random player. It acts once per wait of the game, as a person
// between two frames, and only through SDL events that the real main loop
// and drag loop read: presses on aircraft and the routes dragged from them,
// releases of any button, keys, pauses and quits. It keeps its own account
// of what the game must be doing (running, dragging, halted) and reports
// where the game does otherwise.
#ifndef CORVANE_SOAK_PLAYER_H
#define CORVANE_SOAK_PLAYER_H

#include <deque>
#include <optional>
#include <random>

#include "soak_watch.h"

struct PlayCounts {
    long long actions = 0;       // waits the player acted in
    long long haltedPasses = 0;  // main-loop passes of a halted game
    long long drags = 0;
    long long dragPasses = 0;
    long long landingDrags = 0;  // routes drawn into the approach of a target
    long long scribbleDrags = 0;
    long long fullRouteDrags = 0;
    long long collisionDrags = 0;
    long long tapDrags = 0;
    long long releasesByButton[6] = {};  // index: SDL button number
    long long fullRoutes = 0;            // drags ended by the 1024th point
    long long landedDuringDrag = 0;
    long long crashesDuringDrag = 0;
    long long approachesJudged = 0;  // released routes that put the aircraft on approach
    long long keysDuringDrags = 0;
    long long positionlessEvents = 0;
    long long secondPresses = 0;
    long long bursts = 0;  // several motion events queued in one wait
    long long quitsDuringDrags = 0;
    long long quitsElsewhere = 0;
    long long mainLoopRuns = 0;
    long long pauses = 0;
    long long resumes = 0;
    long long ignoredPresses = 0;  // presses on nothing, or while halted
};

class RandomPlayer {
public:
    RandomPlayer(unsigned int seed, const FieldWatch* watch, Findings* findings);

    // Called inside every SDL_Delay of the game.
    void act();
    // Called each time runMainLoop has returned.
    void noteMainLoopEnded();
    // Ends the play: quit at the next chance, after the drag in progress.
    void finish();
    bool isFinishing() const;

    const PlayCounts& counts() const;

private:
    enum class Mode { Running, Dragging, Halted };
    enum class DragKind { Landing, Scribble, FullRoute, Collision, Tap };

    // One step of a drag plan: a pointer position, or none to hold still.
    using PointerStep = std::optional<Coord>;

    bool isWaitOfATick();
    void acknowledgeGameOver();
    void confirmMode(bool ticked);
    void countJudgedRoute();
    void followDrag();
    void endDrag(Mode next);
    void haltGame();
    void watchQuitRequest();

    void playRunning();
    void playHalted();
    void continueDrag();
    bool tryDragExtra();

    void startDrag(bool anyInView);
    int chooseAircraftToDrag(bool anyInView);
    void planDrag(DragKind kind, Coord press);
    void planLandingRoute(Coord press);
    void planScribble(Coord press, int points);
    void planFullRoute(Coord press);
    void planCollisionCourse(Coord press);
    void addStraightSteps(Coord from, Coord to, int stepLength);
    void holdStill(int passes);

    void pressOnNothing();
    void pressWhileHalted();
    void pushStrayEvent();
    void requestQuit(bool duringDrag);

    void push(const SDL_Event& event);
    void pushMotion(Coord c);
    void pushButton(Uint8 type, Coord c, Uint8 button);
    void pushKey(SDLKey key);
    void pushPositionlessEvent();
    void releaseButton();

    bool chance(double p);
    int randomInt(int low, int high);
    Uint8 randomButton();
    SDLKey randomKey();
    Coord randomPointInWindow();
    int queuedEvents();
    void report(const std::string& what);

    std::mt19937 rng;
    const FieldWatch* watch;
    Findings* findings;
    PlayCounts tally;

    Mode mode = Mode::Running;
    long long gameOversSeen = 0;
    bool awaitingGameOver = false;  // a crash was seen; its game-over tasks come next
    int haltPassesLeft = 0;
    bool quitRequested = false;
    int actionsSinceQuit = 0;
    bool finishing = false;

    // The drag in progress.
    PathSprite* dragged = nullptr;
    std::deque<PointerStep> plan;
    std::deque<SDL_Event> unread;  // pushed during the drag, not yet read by it
    Coord pointer = {0, 0};        // the point the drag appends on its next pass
    int dragPassesLeft = 0;        // passes until the player lets go in any case
    Uint8 dragButton = SDL_BUTTON_LEFT;
    PathSprite* judged = nullptr;  // the aircraft whose route was just released
};

#endif
