#include "skyrel_main.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

unsigned int score = 0;
unsigned int highscore = 0;
PathSprite* sprites[MAX_SPRITES] = {};
unsigned int numsprites = 0;
Target* targets[MAX_TARGETS] = {};
int numtargets = 0;
Marker* marker = nullptr;
SDL_Surface* screen = nullptr;
SDL_Surface* bgSurf = nullptr;
SDL_Surface* digitSurf = nullptr;
SDL_Surface* txtPauseSurf = nullptr;
SDL_Surface* txtPresskeySurf = nullptr;
Uint32 lastTick = 0;

namespace {

const char* const WINDOW_TITLE = "Corvane (Ver. 1.01) - http://corvane.example/";
const char* const ICON_TITLE = "Corvane";
const unsigned int MAX_COUNTER_VALUE = 9999;  // four digit cells
const unsigned int TOP_DIGIT_PLACE = 1000;    // the place value of the first cell
const unsigned int DECIMAL_BASE = 10;
const SDL_Color ROUTE_GREEN = {0, 255, 0, 0};
const Uint8 ROUTE_ALPHA = 100;   // routes are blended over the field
const Uint8 MARKER_WHITE = 255;  // red, green and blue of the spawn marker
const unsigned int BLANK_COLOUR = 0;
// A halted game waits this long a pass: it keeps no core busy and wakes less
// than a running one, and a key is still read within moments.
const Uint32 HALTED_PASS_WAIT = 2 * TICK_PERIOD;

struct InterfaceBitmap {
    const char* file;
    SDL_Surface** surface;
    bool keyed;  // black is transparent
};

const InterfaceBitmap INTERFACE_BITMAPS[] = {
    {BACKGROUND_FILE, &bgSurf, false},
    {DIGITS_FILE, &digitSurf, false},
    {PAUSE_TEXT_FILE, &txtPauseSurf, true},
    {PRESSKEY_TEXT_FILE, &txtPresskeySurf, true},
};

// Where a spawned aircraft enters, its step, and the square that must be
// free of visible aircraft for it to enter.
struct EntryPoint {
    int x, y;
    int vx, vy;
    SDL_Rect clearance;
};

// How a route drag ended.
enum class DragEnd { Released, RouteFull, GameOver, Landed };

// An aircraft's looks in load order: the normal, approach and crashed looks,
// then the normal and the approach look in the seven headings besides north.
const int NUM_LOOK_FILES = 3 + 2 * (NUM_HEADINGS - 1);

std::vector<std::string> lookFiles(const AircraftClass& c)
{
    std::vector<std::string> files = {c.normalFile, c.approachFile, c.crashedFile};
    for (const char* look : {c.normalFile, c.approachFile}) {
        for (int h = HeadingNE; h < NUM_HEADINGS; ++h)
            files.push_back(headingFile(look, static_cast<Compass>(h)));
    }
    return files;
}

// The spawn window shrinks with the score down to its minimum, without
// wrapping however large the score grows.
unsigned int spawnWindow()
{
    const unsigned int scoreAtMinimum = (SPAWN_WINDOW_BASE - SPAWN_WINDOW_MIN) / SPAWN_WINDOW_STEP;
    if (score >= scoreAtMinimum)
        return SPAWN_WINDOW_MIN;
    return SPAWN_WINDOW_BASE - SPAWN_WINDOW_STEP * score;
}

// Maps p, a point on the screen's border counted along the top from the left,
// then down the left edge, along the bottom from the left and down the right
// edge, to an entry point flush with that edge, heading inwards.
EntryPoint entryPointAt(int p, int spriteWidth, int spriteHeight)
{
    const int w = screen->w;
    const int h = screen->h;
    const int half = SPAWN_CLEARANCE / 2;
    EntryPoint e{};
    int cx = 0;
    int cy = 0;
    if (p < w) {
        e.x = std::max(0, p - spriteWidth);
        e.y = 0;
        e.vy = 1;
        cx = std::max(0, e.x - half);
        cy = 0;
    } else if (p < w + h) {
        e.x = 0;
        e.y = std::max(0, p - w - spriteHeight);
        e.vx = 1;
        cx = 0;
        cy = std::max(0, e.y - half);
    } else if (p < 2 * w + h) {
        e.x = std::max(0, p - w - h - spriteWidth);
        e.y = h - spriteHeight;
        e.vy = -1;
        cx = std::max(0, e.x - half);
        cy = h - SPAWN_CLEARANCE;
    } else {
        e.x = w - spriteWidth;
        e.y = std::max(0, p - 2 * w - h - spriteHeight);
        e.vx = -1;
        cx = w - SPAWN_CLEARANCE;
        cy = std::max(0, e.y - half);
    }
    e.clearance = rectAt(cx, cy, SPAWN_CLEARANCE, SPAWN_CLEARANCE);
    return e;
}

bool isEntryBlocked(SDL_Rect* clearance)
{
    for (unsigned int i = 0; i < numsprites; ++i) {
        if (sprites[i]->collisionCheckOutline(clearance))
            return true;
    }
    return false;
}

FlyObj* aircraftAt(unsigned int index)
{
    // Every entry of the roster is built as an aircraft.
    return static_cast<FlyObj*>(sprites[index]);
}

// Blits a text centred across the screen at y; answers the rectangle the
// blit covered, clipped to the screen.
SDL_Rect blitCentred(SDL_Surface* text, int y)
{
    SDL_Rect dest = rectAt((screen->w - text->w) / 2, y, 0, 0);
    SDL_BlitSurface(text, nullptr, screen, &dest);
    return dest;
}

void drawBackground()
{
    SDL_BlitSurface(bgSurf, nullptr, screen, nullptr);
}

void moveAircraft()
{
    for (unsigned int i = 0; i < numsprites; ++i)
        sprites[i]->move(screen, BLANK_COLOUR);
}

void landAircraft()
{
    for (unsigned int i = 0; i < numsprites; ++i) {
        if (sprites[i]->checkTarget(targets, numtargets)) {
            sprites[i]->remove(screen, BLANK_COLOUR);
            ++score;
            playEffect(EffectLanding);
        }
    }
}

// Shows the colliding pair with their crashed looks on a whole frame, sent
// whole like the pause screen: the game halts on it, and only the crash is
// heard.
void crashAircraft(int first, int second)
{
    stopEffects();
    playEffect(EffectCrash);
    sprites[first]->state = Crashed;
    sprites[second]->state = Crashed;
    aircraftAt(first)->setCrashed();
    aircraftAt(second)->setCrashed();
    sprites[first]->draw(screen);
    sprites[second]->draw(screen);
    forgetShownFrame();
    redraw();
}

// The marker's first tick is the first frame that shows it: the aircraft
// is announced.
void serveMarker()
{
    if (marker && marker->delay == MARKER_DELAY)
        playEffect(EffectAnnounce);
    if (marker && marker->startSprite(screen)) {
        delete marker;
        marker = nullptr;
    }
}

// Ends the game when no video mode can be set, at start-up or later.
[[noreturn]] void failVideoMode()
{
    fprintf(stderr, "Couldn't set video mode: %s\n", SDL_GetError());
    SDL_Quit();
    exit(EXIT_NO_VIDEO_MODE);
}

// Takes the next event the game acts on, through the window: it may have
// switched to or from fullscreen meanwhile, with a new field to draw on.
bool pollGameEvent(SDL_Event* event)
{
    const bool polled = pollWindowEvent(event);
    screen = windowField();
    if (!screen)
        failVideoMode();
    return polled;
}

// Any key but Escape pauses and resumes; Alt alone does not, as it begins
// Alt+Enter.
bool isPauseKey(SDLKey key)
{
    return key != SDLK_ESCAPE && key != SDLK_LALT && key != SDLK_RALT;
}

// Halts the game on the pause screen, or resumes it: the next tick's frame
// covers what was shown. Answers whether the game is halted now.
bool togglePause(bool paused)
{
    if (paused) {
        resumeSound();
    } else {
        pauseSound();
        pauseScreen();
    }
    return !paused;
}

bool isQuitRequest(const SDL_Event& event)
{
    return event.type == SDL_QUIT ||
           (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE);
}

// Reads the pointer position of a mouse event; other events carry none and
// leave point as it was.
void readPointer(const SDL_Event& event, Coord* point)
{
    if (event.type == SDL_MOUSEMOTION)
        *point = {event.motion.x, event.motion.y};
    else if (event.type == SDL_MOUSEBUTTONDOWN || event.type == SDL_MOUSEBUTTONUP)
        *point = {event.button.x, event.button.y};
}

// Appends one point per pass while the button is held, running a game tick
// per pass, until a button is released, the route is full, the game ends or
// the aircraft lands. A quit asked for meanwhile is kept in quitRequest.
DragEnd dragRoute(PathSprite* aircraft, SDL_Event* event, std::optional<SDL_Event>* quitRequest)
{
    Coord point{0, 0};      // the press gives the first point
    aircraft->clearPath();  // a new drag replaces any route
    for (;;) {
        readPointer(*event, &point);
        if (!aircraft->addToPath(point.x, point.y))
            return DragEnd::RouteFull;
        // With nothing waiting the record keeps the event read before, and
        // the same point is appended again on the next pass.
        if (pollGameEvent(event) && isQuitRequest(*event) && !*quitRequest)
            *quitRequest = *event;
        if (event->type == SDL_MOUSEBUTTONUP)
            return DragEnd::Released;
        if (!doGameTickTasks())
            return DragEnd::GameOver;
        if (aircraft->state == Inactive)
            return DragEnd::Landed;
    }
}

// A route from an approach area onto the landing area of a target of the
// aircraft's type puts it on approach; any other route leaves it routed.
void judgeRoute(FlyObj* aircraft)
{
    if (aircraft->checkPath(targets, numtargets)) {
        aircraft->setOnApproach();
        aircraft->state = OnApproach;
        playEffect(EffectApproach);
    } else {
        aircraft->setNormal();
        aircraft->state = Routed;
    }
}

}  // namespace

// One pass of the main loop after another until Escape or a quit event;
// a halted game waits two tick periods per pass instead of running a tick.
void runMainLoop()
{
    bool paused = false;
    bool quit = false;
    SDL_Event event;
    while (!quit) {
        addNewSprite();
        while (pollGameEvent(&event)) {
            switch (event.type) {
            case SDL_KEYDOWN:
                quit = quit || event.key.keysym.sym == SDLK_ESCAPE;
                if (isPauseKey(event.key.keysym.sym))
                    paused = togglePause(paused);
                break;
            case SDL_MOUSEBUTTONDOWN:
                if (!paused)
                    paused = !handleMouseInput(&event);
                break;
            case SDL_QUIT:
                quit = true;
                break;
            default:
                break;
            }
        }
        if (!paused)
            paused = !doGameTickTasks();
        else if (!quit)
            SDL_Delay(HALTED_PASS_WAIT);
    }
}

bool loadInterfaceBitmaps()
{
    for (const InterfaceBitmap& bitmap : INTERFACE_BITMAPS) {
        *bitmap.surface = loadBitmap(bitmap.file, bitmap.keyed);
        if (!*bitmap.surface)
            return false;
    }
    return true;
}

void buildAirfield()
{
    for (int i = 0; i < MAX_TARGETS; ++i) {
        const TargetLayout& t = AIRFIELD[i];
        targets[i] = new Target(t.x, t.y, t.w, t.h, t.preX, t.preY, t.preW, t.preH, t.type);
    }
    numtargets = MAX_TARGETS;
}

// Every aircraft loads its own copies of its class's looks.
bool buildFleet()
{
    for (const AircraftClass& c : FLEET) {
        const std::vector<std::string> files = lookFiles(c);
        for (unsigned int n = 0; n < c.count; ++n) {
            SDL_Surface* looks[NUM_LOOK_FILES] = {};
            if (!loadBitmaps(files, looks))
                return false;
            SDL_Surface* normal[NUM_HEADINGS] = {looks[0]};
            SDL_Surface* approach[NUM_HEADINGS] = {looks[1]};
            std::copy_n(looks + 3, NUM_HEADINGS - 1, normal + 1);
            std::copy_n(looks + 2 + NUM_HEADINGS, NUM_HEADINGS - 1, approach + 1);
            auto* aircraft = new FlyObj(looks[0], looks[1], looks[2], c.speedFactor, c.type);
            aircraft->setHeadingLooks(normal, approach);
            ++numsprites;
            sprites[numsprites - 1] = aircraft;
        }
    }
    return true;
}

extern "C" int SDL_main(int argc, char* argv[])
{
    const Settings settings = parseCommandLine(argc, argv);
    if (!settings.play)
        return settings.exitStatus;
    if (!locateGameFiles(programFolder(), BACKGROUND_FILE))
        return EXIT_NO_BITMAP;
    // rand, seeded from the clock, is the game's generator; the tests replace
    // it at link time with one of their own.
    srand(static_cast<unsigned int>(time(nullptr)));  // NOLINT(cert-msc51-cpp)

    if (!startVideo()) {
        fprintf(stderr, "Couldn't initialize SDL: %s\n", SDL_GetError());
        return EXIT_NO_SDL;
    }
    screen = openWindow({SCREEN_WIDTH, SCREEN_HEIGHT, SCREEN_BPP, WINDOW_TITLE, ICON_TITLE,
                         dataPath(ICON_FILE), settings.scale, settings.fullscreen});
    if (!screen)
        failVideoMode();

    buildAirfield();
    if (!loadInterfaceBitmaps() || !buildFleet()) {
        SDL_Quit();
        return EXIT_NO_BITMAP;
    }
    std::string sounds[NUM_EFFECTS];
    std::transform(SOUND_FILES, SOUND_FILES + NUM_EFFECTS, sounds, dataPath);
    openSound(sounds, settings.mute);
    readHighscore();

    runMainLoop();

    closeSound();
    SDL_Quit();
    return EXIT_OK;
}

void readHighscore()
{
    highscore = readBestScore();
}

// Another game may have stored a higher best score meanwhile: the counter
// then shows that one.
void writeHighscore()
{
    highscore = saveBestScore(highscore);
}

void addNewSprite()
{
    if (marker)
        return;
    // NOLINTNEXTLINE(cert-msc50-cpp): rand is the game's generator, as seeded in SDL_main
    const unsigned int k = static_cast<unsigned int>(rand()) % spawnWindow();
    if (k >= numsprites)
        return;
    PathSprite* candidate = sprites[k];
    if (candidate->state != Inactive)
        return;

    const int border = 2 * (screen->w + screen->h);
    const int p = rand() % border;  // NOLINT(cert-msc50-cpp): as for k
    EntryPoint entry = entryPointAt(p, candidate->getWidth(), candidate->getHeight());
    if (isEntryBlocked(&entry.clearance))
        return;

    candidate->setPos(entry.x, entry.y);
    candidate->setVelocity(entry.vx, entry.vy);
    candidate->clearPath();
    aircraftAt(k)->setNormal();
    marker = new Marker(candidate, MARKER_DELAY);
}

void drawDigits(unsigned int value, int x)
{
    value = std::min(value, MAX_COUNTER_VALUE);
    SDL_Rect glyph = rectAt(0, 0, DIGIT_WIDTH, DIGIT_HEIGHT);
    int cellX = x;
    for (unsigned int divisor = TOP_DIGIT_PLACE; divisor > 0; divisor /= DECIMAL_BASE) {
        glyph.x = static_cast<Sint16>(DIGIT_WIDTH * (value / divisor));
        value %= divisor;
        SDL_Rect cell = rectAt(cellX, COUNTER_Y, 0, 0);
        SDL_BlitSurface(digitSurf, &glyph, screen, &cell);
        cellX += DIGIT_WIDTH;
    }
}

void drawScore()
{
    drawDigits(score, SCORE_X);
    drawDigits(highscore, HIGHSCORE_X);
}

// Routes lie under every aircraft, a higher index covers a lower one, and
// the marker lies on top of all.
void redraw()
{
    drawBackground();
    drawScore();
    for (unsigned int i = 0; i < numsprites; ++i)
        sprites[i]->drawPathRGBA(screen, ROUTE_GREEN.r, ROUTE_GREEN.g, ROUTE_GREEN.b, ROUTE_ALPHA);
    for (unsigned int i = 0; i < numsprites; ++i)
        sprites[i]->draw(screen);
    if (marker)
        marker->draw(screen, SDL_MapRGB(screen->format, MARKER_WHITE, MARKER_WHITE, MARKER_WHITE));
    presentFrame(screen);
}

// The pause screen is sent whole, as a frame of its own.
void pauseScreen()
{
    drawBackground();
    drawScore();
    blitCentred(txtPauseSurf, PAUSE_TEXT_Y);
    blitCentred(txtPresskeySurf, PRESSKEY_TEXT_Y);
    presentWhole(screen);
}

// Lays the press-key text over the crash frame and shows just that text.
void gameoverScreen()
{
    presentArea(screen, blitCentred(txtPresskeySurf, PRESSKEY_TEXT_Y));
}

// Moves, lands, looks for a crash, serves the marker and shows the frame,
// then paces. A crash still runs the rest of the tick; the game-over tasks
// come last.
bool doGameTickTasks()
{
    moveAircraft();
    landAircraft();
    int first = 0;
    int second = 0;
    const bool gameOver = checkSpriteCollision(&first, &second);
    if (gameOver)
        crashAircraft(first, second);
    serveMarker();
    redraw();
    waitForPeriod(lastTick, TICK_PERIOD);
    lastTick = SDL_GetTicks();
    if (gameOver) {
        doGameoverTasks();
        return false;
    }
    return true;
}

// The first pair, by lowest i and then lowest j, in which a corner of
// aircraft i lies inside aircraft j. The test is one-sided: j's corners are
// never tested against i.
bool checkSpriteCollision(int* first, int* second)
{
    for (unsigned int i = 0; i + 1 < numsprites; ++i) {
        for (unsigned int j = i + 1; j < numsprites; ++j) {
            if (sprites[i]->collisionCheckOutline(sprites[j])) {
                *first = static_cast<int>(i);
                *second = static_cast<int>(j);
                return true;
            }
        }
    }
    return false;
}

void doGameoverTasks()
{
    gameoverScreen();
    if (score > highscore) {
        highscore = score;
        writeHighscore();
    }
    resetSituation();
}

// Empties the field for the next game, the pending marker included: its
// aircraft would otherwise appear unannounced at (0, 0).
void resetSituation()
{
    score = 0;
    for (unsigned int i = 0; i < numsprites; ++i) {
        // remove leaves it Inactive at (0, 0) without a route; placed again
        // after the change of look, its centre fits the normal look's size.
        sprites[i]->remove(screen, BLANK_COLOUR);
        aircraftAt(i)->setNormal();
        sprites[i]->setPos(0, 0);
    }
    delete marker;
    marker = nullptr;
}

int clickOnSprite(int x, int y)
{
    for (unsigned int i = 0; i < numsprites; ++i) {
        if (sprites[i]->collisionCheck(x, y))
            return static_cast<int>(i);
    }
    return -1;
}

// A press on an aircraft starts a route drag. Answers false when the game
// ended during the drag. A quit asked for during the drag is put back on the
// queue for the main loop, however the drag ended.
bool handleMouseInput(SDL_Event* event)
{
    const int index = clickOnSprite(event->button.x, event->button.y);
    if (index < 0)
        return true;
    FlyObj* aircraft = aircraftAt(static_cast<unsigned int>(index));

    std::optional<SDL_Event> quitRequest;
    const DragEnd end = dragRoute(aircraft, event, &quitRequest);
    if (quitRequest)
        SDL_PushEvent(&*quitRequest);

    if (end == DragEnd::GameOver)
        return false;
    if (end == DragEnd::Landed)
        return true;  // it stays as the landing left it: hidden, without a route
    judgeRoute(aircraft);
    aircraft->draw(screen);
    return true;
}
