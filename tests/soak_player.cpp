#include "soak_player.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "game_seams.h"

namespace {

// Chances per wait of the game.
const double DRAG_START_CHANCE = 1.0 / 100;  // of an aircraft without a route to a runway
const double REDRAG_CHANCE = 1.0 / 400;      // of any aircraft in view
const double PRESS_ON_NOTHING_CHANCE = 1.0 / 2000;
const double PAUSE_CHANCE = 1.0 / 3000;
const double STRAY_EVENT_CHANCE = 1.0 / 500;
const double QUIT_CHANCE = 1.0 / 200000;
const double PRESS_WHILE_HALTED_CHANCE = 1.0 / 20;
const double QUIT_WHILE_HALTED_CHANCE = 1.0 / 20000;

// Chances per pass of a drag.
const double DRAG_QUIT_CHANCE = 1.0 / 3000;
const double DRAG_KEY_CHANCE = 1.0 / 150;
const double DRAG_POSITIONLESS_CHANCE = 1.0 / 150;
const double SECOND_PRESS_CHANCE = 1.0 / 300;
const double BURST_CHANCE = 1.0 / 40;
const int MAX_BURST = 5;  // motion events queued in one wait

// Chances per drawn point of a route.
const double HESITATION_CHANCE = 1.0 / 20;
const int MAX_HESITATION = 10;             // passes the pointer is held still
const double FAR_POINT_CHANCE = 1.0 / 50;  // a scribble point off the window
const int FARTHEST_POINTER = 65535;        // pointer positions are 16-bit

// Kinds of drag, by cumulative share.
const double LANDING_SHARE = 0.6;
const double SCRIBBLE_SHARE = 0.78;
const double FULL_ROUTE_SHARE = 0.83;
const double COLLISION_SHARE = 0.90;  // the rest are taps
const double WRONG_TARGET_CHANCE = 0.1;
const double LEFT_RELEASE_CHANCE = 0.7;
const double HOLD_STILL_SHARE = 0.5;  // of the drags held past a full route; the rest scribble
const double ESCAPE_SHARE = 0.5;      // of the quits; the rest close the window
const int MAX_TAP_HOLD = 3;           // passes a tap holds the button

const int MIN_STEP = 2;        // pixels between drawn points at a slow pace
const int MAX_STEP = 30;       // and at a quick one
const int MAX_FAST_STEP = 60;  // a flick
const double FAST_DRAG_CHANCE = 0.1;
const int LEAD_IN = 60;             // a landing route enters the approach area from this far out
const int LANDING_END_MARGIN = 10;  // and ends this far short of the landing area's far end
const int MAX_SCRIBBLE_POINTS = 300;
const int FULL_ROUTE_PASSES = static_cast<int>(PATH_CAPACITY) + 200;

const int MAX_HALT_PASSES = 40;
const int MAX_DRAG_PASSES = 3000;       // the player lets go after this in any case
const int DRAG_PASSES_AFTER_QUIT = 50;  // and soon after it asked to quit
const int QUIT_PATIENCE = 200;          // waits within which a quit must end the main loop
const int EVENT_QUEUE_CAPACITY = 128;   // SDL 1.2's event queue

// Weights of the aircraft without a route to a runway, by state.
const int FLYING_WEIGHT = 2;
const int ROUTED_WEIGHT = 1;
// Among all aircraft in view, one about to land is the likeliest pick: a
// new route for it may see it land while the button is still held.
const int FINAL_REDRAG_WEIGHT = 5;
const int MIN_HOLD_ON_FINAL = 50;
const int MAX_HOLD_ON_FINAL = 600;

// The direction in which each target of the airfield is approached: the
// east-west runway from the west, the north-south one from the south, the
// pad from the west.
const Coord APPROACH_DIRECTIONS[MAX_TARGETS] = {{1, 0}, {0, -1}, {1, 0}};

// Keys that pause and resume: any but Escape.
const SDLKey PLAIN_KEYS[] = {SDLK_SPACE, SDLK_RETURN, SDLK_a,      SDLK_p,        SDLK_q,
                             SDLK_F1,    SDLK_UP,     SDLK_LSHIFT, SDLK_BACKSPACE};
const int NUM_BUTTONS = 5;  // left, middle, right, wheel up, wheel down

bool hasPosition(const SDL_Event& e)
{
    return e.type == SDL_MOUSEMOTION || e.type == SDL_MOUSEBUTTONDOWN ||
           e.type == SDL_MOUSEBUTTONUP;
}

Coord positionOf(const SDL_Event& e)
{
    if (e.type == SDL_MOUSEMOTION)
        return Coord{e.motion.x, e.motion.y};
    return Coord{e.button.x, e.button.y};
}

int targetOfType(int type)
{
    for (int i = 0; i < MAX_TARGETS; ++i) {
        if (AIRFIELD[i].type == type)
            return i;
    }
    return 0;
}

Coord centreOf(const PathSprite* s)
{
    return Coord{s->cposX, s->cposY};
}

// The player's interest in dragging an aircraft: one in view without a route
// to a runway, or, when it is out to change a route, any in view.
int weightToDrag(const PathSprite* s, bool anyInView)
{
    if (!s->visible || s->state == Crashed)
        return 0;
    if (anyInView)
        return s->state == Final ? FINAL_REDRAG_WEIGHT : 1;
    switch (s->state) {
    case Flying:
        return FLYING_WEIGHT;
    case Routed:
        return ROUTED_WEIGHT;
    default:
        return 0;
    }
}

}  // namespace

RandomPlayer::RandomPlayer(unsigned int seed, const FieldWatch* watch, Findings* findings)
    : rng(seed),
      watch(watch),
      findings(findings)
{
}

const PlayCounts& RandomPlayer::counts() const
{
    return tally;
}

bool RandomPlayer::isFinishing() const
{
    return finishing;
}

void RandomPlayer::finish()
{
    if (finishing)
        return;
    finishing = true;
    dragPassesLeft = std::min(dragPassesLeft, DRAG_PASSES_AFTER_QUIT);
}

void RandomPlayer::act()
{
    ++tally.actions;
    const bool ticked = isWaitOfATick();
    acknowledgeGameOver();
    confirmMode(ticked);
    if (!ticked)
        ++tally.haltedPasses;
    countJudgedRoute();
    if (mode == Mode::Dragging)
        followDrag();
    if (watch->isCrashOnField()) {
        // This tick crashed; its game-over tasks follow, and the game halts.
        if (mode == Mode::Dragging) {
            ++tally.crashesDuringDrag;
            endDrag(Mode::Halted);
        }
        haltGame();
        awaitingGameOver = true;
    }
    if (quitRequested) {
        watchQuitRequest();
        if (mode == Mode::Dragging)
            continueDrag();
        return;
    }
    if (finishing && mode != Mode::Dragging) {
        requestQuit(false);
        return;
    }
    switch (mode) {
    case Mode::Running:
        playRunning();
        break;
    case Mode::Dragging:
        continueDrag();
        break;
    case Mode::Halted:
        playHalted();
        break;
    }
}

// A tick reads the clock twice before it waits; a halted pass of the main
// loop just waits.
bool RandomPlayer::isWaitOfATick()
{
    const int TICK_READINGS = 2;
    return fakeClock.readingsBeforeDelay >= TICK_READINGS;
}

// A crash in a tick that did not wait (the first after a halt) was not seen
// by the player; the game halted all the same.
void RandomPlayer::acknowledgeGameOver()
{
    if (watch->counts().gameOvers == gameOversSeen)
        return;
    gameOversSeen = watch->counts().gameOvers;
    if (awaitingGameOver) {
        awaitingGameOver = false;
        return;
    }
    if (mode == Mode::Dragging)
        endDrag(Mode::Halted);
    haltGame();
}

// The drag that ended in the last pass judged its route before this tick.
void RandomPlayer::countJudgedRoute()
{
    if (!judged)
        return;
    if (judged->state == OnApproach || judged->state == Final)
        ++tally.approachesJudged;
    judged = nullptr;
}

void RandomPlayer::confirmMode(bool ticked)
{
    const bool shouldTick = mode != Mode::Halted;
    if (ticked == shouldTick)
        return;
    report(ticked                   ? "the game ran a tick where it should have been halted"
           : mode == Mode::Dragging ? "the game halted during a drag"
                                    : "the game halted where it should have run");
    if (mode == Mode::Dragging)
        endDrag(Mode::Running);
    if (ticked)
        mode = Mode::Running;
    else
        haltGame();
}

// Accounts for the pass of the drag that has just run its tick: it appended
// the pointer, then read one event. Ends the drag where the game ends it.
void RandomPlayer::followDrag()
{
    ++tally.dragPasses;
    const Coord appended = pointer;
    if (!unread.empty()) {
        if (hasPosition(unread.front()))
            pointer = positionOf(unread.front());
        unread.pop_front();
    }
    if (queuedEvents() != static_cast<int>(unread.size()))
        report("the drag did not read exactly one waiting event in its pass: " +
               std::to_string(queuedEvents()) + " queued, " + std::to_string(unread.size()) +
               " expected");
    const Uint32 len = dragged->pathLen;
    const Coord* last = len > 0 ? &dragged->path[len - 1] : nullptr;
    if (last && (last->x != appended.x || last->y != appended.y))
        report("the drag appended (" + std::to_string(dragged->path[len - 1].x) + ", " +
               std::to_string(dragged->path[len - 1].y) + ") for the pointer at (" +
               std::to_string(appended.x) + ", " + std::to_string(appended.y) + ")");

    if (watch->isCrashOnField())
        return;  // the game over ends the drag
    if (dragged->state == Inactive) {
        ++tally.landedDuringDrag;
        endDrag(Mode::Running);
    } else if (dragged->pathLen == PATH_CAPACITY) {
        // The next pass cannot append: the drag ends and judges the route.
        ++tally.fullRoutes;
        judged = dragged;
        endDrag(Mode::Running);
    }
}

void RandomPlayer::endDrag(Mode next)
{
    mode = next;
    dragged = nullptr;
    plan.clear();
    unread.clear();  // what is left goes to the main loop: only motions
}

void RandomPlayer::haltGame()
{
    mode = Mode::Halted;
    haltPassesLeft = randomInt(1, MAX_HALT_PASSES);
}

void RandomPlayer::watchQuitRequest()
{
    if (++actionsSinceQuit <= QUIT_PATIENCE)
        return;
    report("a quit asked for " + std::to_string(QUIT_PATIENCE) +
           " waits ago has not ended the main loop");
    actionsSinceQuit = 0;
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
}

void RandomPlayer::noteMainLoopEnded()
{
    ++tally.mainLoopRuns;
    if (!quitRequested)
        report("the main loop ended without a quit");
    if (mode == Mode::Dragging)
        report("the main loop ended during a drag");
    if (queuedEvents() != 0)
        report("the main loop ended with " + std::to_string(queuedEvents()) + " events unread");
    quitRequested = false;
    judged = nullptr;
    endDrag(Mode::Running);  // a new run of the loop starts unpaused
}

void RandomPlayer::playRunning()
{
    if (chance(DRAG_START_CHANCE)) {
        startDrag(false);
    } else if (chance(REDRAG_CHANCE)) {
        startDrag(true);
    } else if (chance(PRESS_ON_NOTHING_CHANCE)) {
        pressOnNothing();
    } else if (chance(PAUSE_CHANCE)) {
        pushKey(randomKey());
        ++tally.pauses;
        haltGame();
    } else if (chance(STRAY_EVENT_CHANCE)) {
        pushStrayEvent();
    } else if (chance(QUIT_CHANCE)) {
        requestQuit(false);
    }
}

void RandomPlayer::playHalted()
{
    if (chance(QUIT_WHILE_HALTED_CHANCE)) {
        requestQuit(false);
    } else if (--haltPassesLeft <= 0) {
        pushKey(randomKey());
        ++tally.resumes;
        mode = Mode::Running;
    } else if (chance(PRESS_WHILE_HALTED_CHANCE)) {
        pressWhileHalted();
    }
}

// One pass of the drag: now and then an event of another kind, else the next
// step of the plan, and the release once the plan is done. Events other than
// motions are pushed only onto an empty queue, so the player knows which
// pass reads them.
void RandomPlayer::continueDrag()
{
    --dragPassesLeft;
    if (!unread.empty())
        return;  // a burst is still being read
    if (dragPassesLeft <= 0 || plan.empty()) {
        releaseButton();
        return;
    }
    if (tryDragExtra())
        return;
    int steps = 1;
    if (chance(BURST_CHANCE)) {
        steps = randomInt(2, MAX_BURST);
        ++tally.bursts;
    }
    for (int i = 0; i < steps && !plan.empty(); ++i) {
        const PointerStep step = plan.front();
        plan.pop_front();
        if (step)
            pushMotion(*step);
    }
}

bool RandomPlayer::tryDragExtra()
{
    if (!finishing && chance(DRAG_QUIT_CHANCE)) {
        requestQuit(true);
    } else if (chance(DRAG_KEY_CHANCE)) {
        pushKey(randomKey());
        ++tally.keysDuringDrags;
    } else if (chance(DRAG_POSITIONLESS_CHANCE)) {
        pushPositionlessEvent();
    } else if (chance(SECOND_PRESS_CHANCE)) {
        pushButton(SDL_MOUSEBUTTONDOWN, randomPointInWindow(), randomButton());
        ++tally.secondPresses;
    } else {
        return false;
    }
    return true;
}

void RandomPlayer::startDrag(bool anyInView)
{
    const int chosen = chooseAircraftToDrag(anyInView);
    if (chosen < 0)
        return;
    const PathSprite* s = sprites[chosen];
    const Coord press{s->pos.x + randomInt(0, s->pos.w - 1), s->pos.y + randomInt(0, s->pos.h - 1)};
    const int hit = clickOnSprite(press.x, press.y);
    if (hit < 0) {
        report("a press inside a visible aircraft hit nothing");
        return;
    }
    pushButton(SDL_MOUSEBUTTONDOWN, press, randomButton());  // any button starts a drag
    mode = Mode::Dragging;
    dragged = sprites[hit];
    pointer = press;
    unread.clear();
    plan.clear();
    dragPassesLeft = finishing ? DRAG_PASSES_AFTER_QUIT : MAX_DRAG_PASSES;
    ++tally.drags;

    const double kind = std::uniform_real_distribution<double>(0.0, 1.0)(rng);
    if (kind < LANDING_SHARE)
        planDrag(DragKind::Landing, press);
    else if (kind < SCRIBBLE_SHARE)
        planDrag(DragKind::Scribble, press);
    else if (kind < FULL_ROUTE_SHARE)
        planDrag(DragKind::FullRoute, press);
    else if (kind < COLLISION_SHARE)
        planDrag(DragKind::Collision, press);
    else
        planDrag(DragKind::Tap, press);
}

int RandomPlayer::chooseAircraftToDrag(bool anyInView)
{
    int total = 0;
    for (unsigned int i = 0; i < numsprites; ++i)
        total += weightToDrag(sprites[i], anyInView);
    if (total == 0)
        return -1;
    int pick = randomInt(0, total - 1);
    for (unsigned int i = 0; i < numsprites; ++i) {
        pick -= weightToDrag(sprites[i], anyInView);
        if (pick < 0)
            return static_cast<int>(i);
    }
    return -1;
}

void RandomPlayer::planDrag(DragKind kind, Coord press)
{
    switch (kind) {
    case DragKind::Landing:
        ++tally.landingDrags;
        planLandingRoute(press);
        break;
    case DragKind::Scribble:
        ++tally.scribbleDrags;
        planScribble(press, randomInt(1, MAX_SCRIBBLE_POINTS));
        break;
    case DragKind::FullRoute:
        ++tally.fullRouteDrags;
        planFullRoute(press);
        break;
    case DragKind::Collision:
        ++tally.collisionDrags;
        planCollisionCourse(press);
        break;
    case DragKind::Tap:
        ++tally.tapDrags;
        holdStill(randomInt(0, MAX_TAP_HOLD));
        break;
    }
}

// Through a point in front of the approach area and the area itself onto the
// landing area of the target of the aircraft's type (now and then another).
// An aircraft that has already touched the approach area is led straight on
// to the landing area, and the button held a while.
void RandomPlayer::planLandingRoute(Coord press)
{
    const int t =
        chance(WRONG_TARGET_CHANCE) ? randomInt(0, MAX_TARGETS - 1) : targetOfType(dragged->type);
    const TargetLayout& target = AIRFIELD[t];
    const Coord dir = APPROACH_DIRECTIONS[t];
    const Coord approach{target.preX + target.preW / 2, target.preY + target.preH / 2};
    const Coord leadIn{approach.x - dir.x * LEAD_IN, approach.y - dir.y * LEAD_IN};
    const int halfLength = (dir.x != 0 ? target.w : target.h) / 2;
    const int reach = std::max(0, halfLength - LANDING_END_MARGIN);
    const Coord end{target.x + target.w / 2 + dir.x * reach,
                    target.y + target.h / 2 + dir.y * reach};

    const int step = chance(FAST_DRAG_CHANCE) ? randomInt(MAX_STEP, MAX_FAST_STEP)
                                              : randomInt(MIN_STEP, MAX_STEP);
    if (dragged->state == Final) {
        addStraightSteps(press, end, step);
        holdStill(randomInt(MIN_HOLD_ON_FINAL, MAX_HOLD_ON_FINAL));
        return;
    }
    addStraightSteps(press, leadIn, step);
    addStraightSteps(leadIn, approach, step);
    addStraightSteps(approach, end, step);
}

// A random walk over the window, now and then through a point far off it.
void RandomPlayer::planScribble(Coord press, int points)
{
    Coord at = press;
    for (int i = 0; i < points; ++i) {
        if (chance(FAR_POINT_CHANCE)) {
            plan.push_back(Coord{randomInt(0, FARTHEST_POINTER), randomInt(0, FARTHEST_POINTER)});
            continue;
        }
        at.x = std::clamp(at.x + randomInt(-MAX_STEP, MAX_STEP), 0, SCREEN_WIDTH - 1);
        at.y = std::clamp(at.y + randomInt(-MAX_STEP, MAX_STEP), 0, SCREEN_HEIGHT - 1);
        plan.push_back(at);
        if (chance(HESITATION_CHANCE))
            holdStill(randomInt(1, MAX_HESITATION));
    }
}

// Holds the button for longer than a route can grow: either still, at the
// far side of the field, or scribbling.
void RandomPlayer::planFullRoute(Coord press)
{
    if (chance(HOLD_STILL_SHARE)) {
        const Coord farSide{SCREEN_WIDTH - 1 - press.x, SCREEN_HEIGHT - 1 - press.y};
        addStraightSteps(press, farSide, MAX_STEP);
        holdStill(FULL_ROUTE_PASSES);
    } else {
        planScribble(press, FULL_ROUTE_PASSES);
    }
}

// Straight at another aircraft in view, as if to bring the two together.
void RandomPlayer::planCollisionCourse(Coord press)
{
    std::vector<const PathSprite*> others;
    for (unsigned int i = 0; i < numsprites; ++i) {
        if (sprites[i]->visible && sprites[i] != dragged)
            others.push_back(sprites[i]);
    }
    if (others.empty()) {
        planScribble(press, randomInt(1, MAX_SCRIBBLE_POINTS));
        return;
    }
    const int pick = randomInt(0, static_cast<int>(others.size()) - 1);
    const PathSprite* other = others[static_cast<size_t>(pick)];
    addStraightSteps(press, centreOf(other), randomInt(MIN_STEP, MAX_STEP));
}

// The points of a straight drag from one point (not included) to another,
// about stepLength apart, with a pause of the hand now and then.
void RandomPlayer::addStraightSteps(Coord from, Coord to, int stepLength)
{
    const double length = std::hypot(to.x - from.x, to.y - from.y);
    const int steps = std::max(1, static_cast<int>(std::ceil(length / stepLength)));
    for (int k = 1; k <= steps; ++k) {
        plan.push_back(
            Coord{from.x + (to.x - from.x) * k / steps, from.y + (to.y - from.y) * k / steps});
        if (chance(HESITATION_CHANCE))
            holdStill(randomInt(1, MAX_HESITATION));
    }
}

// Passes in which the pointer does not move: no event at all.
void RandomPlayer::holdStill(int passes)
{
    plan.insert(plan.end(), static_cast<size_t>(passes), std::nullopt);
}

// A press that hits no aircraft starts no drag.
void RandomPlayer::pressOnNothing()
{
    const Coord c = randomPointInWindow();
    if (clickOnSprite(c.x, c.y) >= 0)
        return;
    pushButton(SDL_MOUSEBUTTONDOWN, c, randomButton());
    ++tally.ignoredPresses;
}

// A halted game starts no drag, even on an aircraft in view.
void RandomPlayer::pressWhileHalted()
{
    Coord c = randomPointInWindow();
    const int chosen = chooseAircraftToDrag(true);
    if (chosen >= 0)
        c = centreOf(sprites[chosen]);
    pushButton(SDL_MOUSEBUTTONDOWN, c, randomButton());
    ++tally.ignoredPresses;
}

// Events the main loop reads and ignores.
void RandomPlayer::pushStrayEvent()
{
    switch (randomInt(0, 2)) {
    case 0:
        pushMotion(randomPointInWindow());
        break;
    case 1:
        pushButton(SDL_MOUSEBUTTONUP, randomPointInWindow(), randomButton());
        break;
    default:
        pushPositionlessEvent();
        break;
    }
}

void RandomPlayer::requestQuit(bool duringDrag)
{
    if (chance(ESCAPE_SHARE)) {
        pushKey(SDLK_ESCAPE);
    } else {
        SDL_Event quit{};
        quit.type = SDL_QUIT;
        push(quit);
    }
    quitRequested = true;
    actionsSinceQuit = 0;
    if (duringDrag) {
        ++tally.quitsDuringDrags;
        dragPassesLeft = std::min(dragPassesLeft, DRAG_PASSES_AFTER_QUIT);
    } else {
        ++tally.quitsElsewhere;
    }
}

void RandomPlayer::push(const SDL_Event& event)
{
    SDL_Event copy = event;
    if (SDL_PushEvent(&copy) != 0) {
        report("SDL's event queue is full");
        return;
    }
    if (mode == Mode::Dragging)
        unread.push_back(event);
}

void RandomPlayer::pushMotion(Coord c)
{
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.state = SDL_BUTTON(SDL_BUTTON_LEFT);
    e.motion.x = static_cast<Uint16>(c.x);
    e.motion.y = static_cast<Uint16>(c.y);
    push(e);
}

void RandomPlayer::pushButton(Uint8 type, Coord c, Uint8 button)
{
    SDL_Event e{};
    e.type = type;
    e.button.button = button;
    e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.button.x = static_cast<Uint16>(c.x);
    e.button.y = static_cast<Uint16>(c.y);
    push(e);
}

void RandomPlayer::pushKey(SDLKey key)
{
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.state = SDL_PRESSED;
    e.key.keysym.sym = key;
    push(e);
}

// Events without a pointer position: focus, exposure, a key let go, one of
// the application's own.
void RandomPlayer::pushPositionlessEvent()
{
    SDL_Event e{};
    switch (randomInt(0, 3)) {
    case 0:
        e.type = SDL_ACTIVEEVENT;
        e.active.gain = 1;
        e.active.state = SDL_APPMOUSEFOCUS;
        break;
    case 1:
        e.type = SDL_VIDEOEXPOSE;
        break;
    case 2:
        e.type = SDL_KEYUP;
        e.key.state = SDL_RELEASED;
        e.key.keysym.sym = randomKey();
        break;
    default:
        e.type = SDL_USEREVENT;
        break;
    }
    ++tally.positionlessEvents;
    push(e);
}

// Lets go of the button, so that the next pass of the drag reads the release
// and judges the route.
void RandomPlayer::releaseButton()
{
    const Uint8 button = chance(LEFT_RELEASE_CHANCE) ? SDL_BUTTON_LEFT : randomButton();
    pushButton(SDL_MOUSEBUTTONUP, pointer, button);
    ++tally.releasesByButton[button];
    judged = dragged;
    endDrag(Mode::Running);
}

bool RandomPlayer::chance(double p)
{
    return std::uniform_real_distribution<double>(0.0, 1.0)(rng) < p;
}

int RandomPlayer::randomInt(int low, int high)
{
    return std::uniform_int_distribution<int>(low, high)(rng);
}

Uint8 RandomPlayer::randomButton()
{
    return static_cast<Uint8>(randomInt(1, NUM_BUTTONS));
}

SDLKey RandomPlayer::randomKey()
{
    const int count = static_cast<int>(sizeof PLAIN_KEYS / sizeof PLAIN_KEYS[0]);
    return PLAIN_KEYS[randomInt(0, count - 1)];
}

Coord RandomPlayer::randomPointInWindow()
{
    return Coord{randomInt(0, SCREEN_WIDTH - 1), randomInt(0, SCREEN_HEIGHT - 1)};
}

int RandomPlayer::queuedEvents()
{
    static std::vector<SDL_Event> peeked(EVENT_QUEUE_CAPACITY);
    return SDL_PeepEvents(peeked.data(), EVENT_QUEUE_CAPACITY, SDL_PEEKEVENT, SDL_ALLEVENTS);
}

void RandomPlayer::report(const std::string& what)
{
    findings->add(watch->counts().ticks, what);
}
