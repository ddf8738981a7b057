#include "skyrel_main.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

// The data folder of an installed game, relative to the folder of its
// program; the build sets it from the install layout.
#ifndef CORVANE_DATA_FROM_BINARY
#define CORVANE_DATA_FROM_BINARY "../share/games/corvane"
#endif

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
std::string dataFolder;
// NOLINTNEXTLINE(cert-err58-cpp): a failed allocation before main leaves nothing to run
std::string highscorePath = HIGHSCORE_FILE;

namespace {

const char* const WINDOW_TITLE = "Corvane (Ver. 1.01) - http://corvane.example/";
const char* const ICON_TITLE = "Corvane";
const char* const VERSION_TEXT = "Corvane 1.01";
const char* const USAGE_TEXT =
    "Usage: corvane [--help | --version]\n"
    "Land the aircraft: press on one and drag its route onto a landing area of its\n"
    "colour. Any key pauses, Escape quits.\n";

const unsigned int MAX_COUNTER_VALUE = 9999;  // four digit cells
const unsigned int TOP_DIGIT_PLACE = 1000;    // the place value of the first cell
const unsigned int DECIMAL_BASE = 10;
const Uint8 ROUTE_RED = 0;
const Uint8 ROUTE_GREEN = 255;
const Uint8 ROUTE_BLUE = 0;
const Uint8 ROUTE_ALPHA = 100;   // routes are blended over the field
const Uint8 MARKER_WHITE = 255;  // red, green and blue of the spawn marker
const unsigned int BLANK_COLOUR = 0;
const useconds_t CLOCK_TURN_NAP_US = 100;  // naps while the last millisecond of a tick runs out

// The window is brought up to date in tiles: only the tiles in which a frame
// differs from the one shown before are sent. At or above WHOLE_UPDATE_PERCENT
// of changed tiles, or beyond MAX_UPDATE_RECTS rectangles, the whole screen
// goes in one update: nearly all of it would be converted and sent anyway,
// and one update saves the cost of each piece.
const int TILE_WIDTH = 32;
const int TILE_HEIGHT = 16;
const size_t PERCENT = 100;
const size_t WHOLE_UPDATE_PERCENT = 75;
const size_t MAX_UPDATE_RECTS = 64;

// What the window shows: a copy of the screen's pixels as they were sent,
// row for row at the screen's pitch. Empty while unknown.
struct ShownFrame {
    std::vector<Uint8> pixels;
    const SDL_Surface* surface = nullptr;
    int pitch = 0;
    int h = 0;
};
ShownFrame shown;

constexpr unsigned int countFleet()
{
    unsigned int total = 0;
    // A loop, as std::accumulate is constexpr only from C++20.
    for (const AircraftClass& c : FLEET)
        total += c.count;  // cppcheck-suppress useStlAlgorithm
    return total;
}
static_assert(countFleet() == MAX_SPRITES, "the fleet table must fill the roster");

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

void reportBitmapFailure(const std::string& path)
{
    fprintf(stderr, "Couldn't load bitmap %s: %s\n", path.c_str(), SDL_GetError());
}

// Loads a bitmap from the data folder and converts it to the screen's format,
// so that every frame's blits are plain copies. Reports the path tried and
// answers null when it cannot be loaded or converted.
SDL_Surface* loadBitmap(const char* file, bool keyed)
{
    const std::string path = dataPath(file);
    SDL_Surface* loaded = SDL_LoadBMP(path.c_str());
    if (!loaded) {
        reportBitmapFailure(path);
        return nullptr;
    }
    // Keyed before the conversion, so the converted copy keeps black transparent.
    if (keyed)
        SDL_SetColorKey(loaded, SDL_SRCCOLORKEY, SDL_MapRGB(loaded->format, 0, 0, 0));
    SDL_Surface* converted = SDL_DisplayFormat(loaded);
    if (!converted)
        reportBitmapFailure(path);
    SDL_FreeSurface(loaded);
    return converted;
}

void freeHeadings(SDL_Surface* headings[NUM_HEADINGS])
{
    for (int h = HeadingNE; h < NUM_HEADINGS; ++h) {
        SDL_FreeSurface(headings[h]);
        headings[h] = nullptr;
    }
}

// Fills headings with the look, loaded already, facing north and the seven
// other headings loaded from their own files; on failure frees those.
bool loadHeadings(const char* lookFile, SDL_Surface* look, SDL_Surface* headings[NUM_HEADINGS])
{
    headings[HeadingN] = look;
    for (int h = HeadingNE; h < NUM_HEADINGS; ++h)
        headings[h] = nullptr;
    for (int h = HeadingNE; h < NUM_HEADINGS; ++h) {
        headings[h] = loadBitmap(headingFile(lookFile, static_cast<Compass>(h)).c_str(), true);
        if (!headings[h]) {
            freeHeadings(headings);
            return false;
        }
    }
    return true;
}

int atLeastZero(int v)
{
    return v < 0 ? 0 : v;
}

SDL_Rect rectAt(int x, int y, int w, int h)
{
    return SDL_Rect{static_cast<Sint16>(x), static_cast<Sint16>(y), static_cast<Uint16>(w),
                    static_cast<Uint16>(h)};
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
        e.x = atLeastZero(p - spriteWidth);
        e.y = 0;
        e.vy = 1;
        cx = atLeastZero(e.x - half);
        cy = 0;
    } else if (p < w + h) {
        e.x = 0;
        e.y = atLeastZero(p - w - spriteHeight);
        e.vx = 1;
        cx = 0;
        cy = atLeastZero(e.y - half);
    } else if (p < 2 * w + h) {
        e.x = atLeastZero(p - w - h - spriteWidth);
        e.y = h - spriteHeight;
        e.vy = -1;
        cx = atLeastZero(e.x - half);
        cy = h - SPAWN_CLEARANCE;
    } else {
        e.x = w - spriteWidth;
        e.y = atLeastZero(p - 2 * w - h - spriteHeight);
        e.vx = -1;
        cx = w - SPAWN_CLEARANCE;
        cy = atLeastZero(e.y - half);
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

bool isShownFrameKnown()
{
    return shown.surface == screen && shown.pitch == screen->pitch && shown.h == screen->h &&
           !shown.pixels.empty();
}

// Copies a rectangle of the screen into the shown frame. The screen is a
// software surface: its pixels are read without a lock.
void keepShownArea(const SDL_Rect& area)
{
    const auto bytesPerPixel = static_cast<size_t>(screen->format->BytesPerPixel);
    const size_t offset = static_cast<size_t>(area.x) * bytesPerPixel;
    const size_t length = static_cast<size_t>(area.w) * bytesPerPixel;
    const auto* from = static_cast<const Uint8*>(screen->pixels);
    for (int y = area.y; y < area.y + area.h; ++y) {
        const size_t row = static_cast<size_t>(y) * static_cast<size_t>(screen->pitch) + offset;
        memcpy(&shown.pixels[row], from + row, length);
    }
}

size_t countTileColumns()
{
    return static_cast<size_t>((screen->w + TILE_WIDTH - 1) / TILE_WIDTH);
}

// The index of the first tile of the tile row that holds screen row y.
size_t firstTileOfRow(int y)
{
    return static_cast<size_t>(y / TILE_HEIGHT) * countTileColumns();
}

// Marks the tiles of the band of rows [y, y + h) in which the screen differs
// from the shown frame, in changed from the band's first column on. Most
// rows do not change at all, so each row is compared whole first, and tile
// by tile only when it differs.
void markChangedTiles(int y, int h, Uint8* changed)
{
    const auto bytesPerPixel = static_cast<size_t>(screen->format->BytesPerPixel);
    const size_t rowBytes = static_cast<size_t>(screen->w) * bytesPerPixel;
    const size_t tileBytes = static_cast<size_t>(TILE_WIDTH) * bytesPerPixel;
    const size_t columns = countTileColumns();
    for (int row = y; row < y + h; ++row) {
        const size_t start = static_cast<size_t>(row) * static_cast<size_t>(screen->pitch);
        const Uint8* now = static_cast<const Uint8*>(screen->pixels) + start;
        const Uint8* was = &shown.pixels[start];
        if (memcmp(now, was, rowBytes) == 0)
            continue;
        for (size_t column = 0; column < columns; ++column) {
            const size_t offset = column * tileBytes;
            const size_t length = std::min(tileBytes, rowBytes - offset);
            if (!changed[column] && memcmp(now + offset, was + offset, length) != 0)
                changed[column] = 1;
        }
    }
}

// Sends the whole screen and keeps it as the shown frame.
void presentWhole()
{
    SDL_Flip(screen);
    shown.surface = screen;
    shown.pitch = screen->pitch;
    shown.h = screen->h;
    shown.pixels.resize(static_cast<size_t>(screen->pitch) * static_cast<size_t>(screen->h));
    keepShownArea(rectAt(0, 0, screen->w, screen->h));
}

// Adds a changed tile to the rectangles to send: it widens the rectangle of
// its own tile row that ends at its left, or starts a new one. rowStart is
// the first rectangle of the current tile row.
void addChangedTile(const SDL_Rect& tile, size_t rowStart, std::vector<SDL_Rect>* rects)
{
    if (rects->size() > rowStart) {
        SDL_Rect& last = rects->back();
        if (last.y == tile.y && last.x + last.w == tile.x) {
            last.w = static_cast<Uint16>(last.w + tile.w);
            return;
        }
    }
    rects->push_back(tile);
}

// Once a tile row is done, each of its rectangles that spans exactly the
// columns of a rectangle ending just above it makes that one taller instead.
void mergeRowIntoAbove(size_t rowStart, std::vector<SDL_Rect>* rects)
{
    size_t kept = rowStart;
    for (size_t r = rowStart; r < rects->size(); ++r) {
        const SDL_Rect piece = (*rects)[r];
        bool merged = false;
        for (size_t a = 0; a < rowStart && !merged; ++a) {
            SDL_Rect& above = (*rects)[a];
            if (above.x == piece.x && above.w == piece.w && above.y + above.h == piece.y) {
                above.h = static_cast<Uint16>(above.h + piece.h);
                merged = true;
            }
        }
        if (!merged)
            (*rects)[kept++] = piece;
    }
    rects->resize(kept);
}

// Takes the changed tiles (flags as presentFrame keeps them) into the shown
// frame and gathers them into as few rectangles as the merging finds.
void takeChangedTiles(const std::vector<Uint8>& changed, std::vector<SDL_Rect>* rects)
{
    const size_t columns = countTileColumns();
    rects->clear();
    for (int y = 0; y < screen->h; y += TILE_HEIGHT) {
        const size_t rowStart = rects->size();
        for (size_t column = 0; column < columns; ++column) {
            if (!changed[firstTileOfRow(y) + column])
                continue;
            const int x = static_cast<int>(column) * TILE_WIDTH;
            const SDL_Rect tile = rectAt(x, y, std::min(TILE_WIDTH, screen->w - x),
                                         std::min(TILE_HEIGHT, screen->h - y));
            keepShownArea(tile);
            addChangedTile(tile, rowStart, rects);
        }
        mergeRowIntoAbove(rowStart, rects);
    }
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
        }
    }
}

// Shows the colliding pair with their crashed looks on a whole frame, sent
// whole like the pause screen: the game halts on it.
void crashAircraft(int first, int second)
{
    sprites[first]->state = Crashed;
    sprites[second]->state = Crashed;
    aircraftAt(first)->setCrashed();
    aircraftAt(second)->setCrashed();
    sprites[first]->draw(screen);
    sprites[second]->draw(screen);
    forgetShownFrame();
    redraw();
}

void serveMarker()
{
    if (marker && marker->startSprite(screen)) {
        delete marker;
        marker = nullptr;
    }
}

// Waits out the rest of the tick period since the previous tick. The rest is
// taken from a second reading of the clock and is never negative: a late
// tick does not wait, and is not made up.
//
// SDL_Delay oversleeps by a fraction of a millisecond, and as the next period
// counts from a stamp taken after the wait, every oversleep would lengthen
// the period for good (97 to 98 ticks a second instead of 100). So all but
// the last millisecond is slept at once, and the last one in short naps
// until the clock turns to the end of the period.
void waitForTickPeriod()
{
    if (SDL_GetTicks() - lastTick >= TICK_PERIOD)
        return;
    const Uint32 elapsed = SDL_GetTicks() - lastTick;
    if (elapsed + 1 < TICK_PERIOD)
        SDL_Delay(TICK_PERIOD - elapsed - 1);
    // usleep rather than nanosleep, as the tests redirect usleep at link time.
    while (SDL_GetTicks() - lastTick < TICK_PERIOD)
        usleep(CLOCK_TURN_NAP_US);  // cppcheck-suppress usleepCalled
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
    switch (event.type) {
    case SDL_MOUSEMOTION:
        point->x = event.motion.x;
        point->y = event.motion.y;
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        point->x = event.button.x;
        point->y = event.button.y;
        break;
    default:
        break;
    }
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
        if (SDL_PollEvent(event) && isQuitRequest(*event) && !*quitRequest)
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
    } else {
        aircraft->setNormal();
        aircraft->state = Routed;
    }
}

bool isFolder(const char* path)
{
    struct stat info;
    return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

// The data folder of the installed game, found from the program's own path so
// that an installed tree still works when moved; "" when that path is unknown.
std::string installedDataFolder()
{
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return "";
    return (program.parent_path() / CORVANE_DATA_FROM_BINARY).lexically_normal().string();
}

// $XDG_DATA_HOME/corvane/highscore.txt, by default under ~/.local/share; ""
// when neither variable is set. A relative XDG_DATA_HOME counts as unset, as
// the XDG base directory rules ask.
std::string playerHighscorePath()
{
    const char* dataHome = getenv("XDG_DATA_HOME");
    const char* home = getenv("HOME");
    std::string base;
    if (dataHome && dataHome[0] == '/')
        base = dataHome;
    else if (home && home[0] != '\0')
        base = std::string(home) + "/.local/share";
    else
        return "";
    return base + "/corvane/" + HIGHSCORE_FILE;
}

// Creates the missing folders on the way to file, private to the player as the
// XDG rules ask. Answers false when one cannot be made.
bool createFoldersFor(const std::string& file)
{
    const mode_t PRIVATE_FOLDER = 0700;
    for (size_t slash = file.find('/', 1); slash != std::string::npos;
         slash = file.find('/', slash + 1)) {
        const std::string folder = file.substr(0, slash);
        if (mkdir(folder.c_str(), PRIVATE_FOLDER) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

// A window icon that cannot be loaded is not worth refusing to start for.
// Set before the video mode, as SDL asks.
void setWindowIcon()
{
    const std::string path = dataPath(ICON_FILE);
    SDL_Surface* icon = SDL_LoadBMP(path.c_str());
    if (!icon || icon->w != ICON_SIZE || icon->h != ICON_SIZE) {
        fprintf(stderr, "Couldn't load window icon %s: %s; starting without it\n", path.c_str(),
                icon ? "not 32 x 32" : SDL_GetError());
        SDL_FreeSurface(icon);
        return;
    }
    SDL_WM_SetIcon(icon, nullptr);  // no mask: the icon is opaque
    SDL_FreeSurface(icon);
}

}  // namespace

int handleArguments(int argc, char* argv[])
{
    if (argc < 2)
        return -1;
    const bool help = strcmp(argv[1], "--help") == 0;
    const bool version = strcmp(argv[1], "--version") == 0;
    if (argc == 2 && help) {
        fputs(USAGE_TEXT, stdout);
        return EXIT_OK;
    }
    if (argc == 2 && version) {
        printf("%s\n", VERSION_TEXT);
        return EXIT_OK;
    }
    const char* unknown = (help || version) ? argv[2] : argv[1];
    fprintf(stderr, "corvane: unknown argument '%s'\n%s", unknown, USAGE_TEXT);
    return EXIT_BAD_ARGUMENT;
}

// Run from a folder that holds bitmaps/ (the build folder, ./play.sh, an
// unpacked portable folder), the game keeps to that folder. Otherwise it is
// an installed game: data beside the program, the best score with the
// player's data, and nothing ever written into the installation.
void locateGameFiles()
{
    if (isFolder(BITMAPS_FOLDER)) {
        dataFolder = "";
        highscorePath = HIGHSCORE_FILE;
        return;
    }
    dataFolder = installedDataFolder();
    highscorePath = playerHighscorePath();
    if (highscorePath.empty())
        fprintf(stderr, "Neither XDG_DATA_HOME nor HOME is set: the best score is kept in "
                        "memory only\n");
}

std::string dataPath(const char* file)
{
    return dataFolder.empty() ? file : dataFolder + "/" + file;
}

// One pass of the main loop after another until Escape or a quit event;
// a halted game waits a tick period per pass instead of running a tick.
void runMainLoop()
{
    bool paused = false;
    bool quit = false;
    SDL_Event event;
    while (!quit) {
        addNewSprite();
        while (SDL_PollEvent(&event)) {
            switch (event.type) {
            case SDL_KEYDOWN:
                if (event.key.keysym.sym == SDLK_ESCAPE) {
                    quit = true;
                } else if (!paused) {
                    paused = true;
                    pauseScreen();
                } else {
                    paused = false;  // the next tick's frame covers what was shown
                }
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
            SDL_Delay(TICK_PERIOD);  // a halted game must not keep a core busy
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

// Every aircraft loads its own copies of its class's three looks, then its
// normal and approach looks in the other headings.
bool buildFleet()
{
    for (const AircraftClass& c : FLEET) {
        for (unsigned int n = 0; n < c.count; ++n) {
            SDL_Surface* normal = loadBitmap(c.normalFile, true);
            SDL_Surface* approach = normal ? loadBitmap(c.approachFile, true) : nullptr;
            SDL_Surface* crashed = approach ? loadBitmap(c.crashedFile, true) : nullptr;
            SDL_Surface* normalHeadings[NUM_HEADINGS] = {};
            SDL_Surface* approachHeadings[NUM_HEADINGS] = {};
            bool loaded = crashed != nullptr && loadHeadings(c.normalFile, normal, normalHeadings);
            if (loaded && !loadHeadings(c.approachFile, approach, approachHeadings)) {
                freeHeadings(normalHeadings);
                loaded = false;
            }
            if (!loaded) {
                SDL_FreeSurface(crashed);
                SDL_FreeSurface(approach);
                SDL_FreeSurface(normal);
                return false;
            }
            auto* aircraft = new FlyObj(normal, approach, crashed, c.speedFactor, c.type);
            aircraft->setHeadingLooks(normalHeadings, approachHeadings);
            ++numsprites;
            sprites[numsprites - 1] = aircraft;
        }
    }
    return true;
}

extern "C" int SDL_main(int argc, char* argv[])
{
    const int argumentsStatus = handleArguments(argc, argv);
    if (argumentsStatus >= 0)
        return argumentsStatus;
    locateGameFiles();
    // rand, seeded from the clock, is the game's generator; the tests replace
    // it at link time with one of their own.
    srand(static_cast<unsigned int>(time(nullptr)));  // NOLINT(cert-msc51-cpp)

    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        fprintf(stderr, "Couldn't initialize SDL: %s\n", SDL_GetError());
        return EXIT_NO_SDL;
    }
    setWindowIcon();
    screen = SDL_SetVideoMode(SCREEN_WIDTH, SCREEN_HEIGHT, SCREEN_BPP, SDL_SWSURFACE);
    if (!screen) {
        fprintf(stderr, "Couldn't set video mode: %s\n", SDL_GetError());
        SDL_Quit();
        exit(EXIT_NO_VIDEO_MODE);
    }
    SDL_WM_SetCaption(WINDOW_TITLE, ICON_TITLE);

    if (!loadInterfaceBitmaps()) {
        SDL_Quit();
        return EXIT_NO_BITMAP;
    }
    buildAirfield();
    if (!buildFleet()) {
        SDL_Quit();
        return EXIT_NO_BITMAP;
    }
    readHighscore();

    runMainLoop();

    SDL_Quit();
    return EXIT_OK;
}

unsigned int parseHighscore(FILE* file)
{
    int c = fgetc(file);
    while (c != EOF && isspace(c))
        c = fgetc(file);
    if (c == '+')
        c = fgetc(file);
    if (c == EOF || !isdigit(c))
        return 0;  // nothing, a sign of a negative number, or no number at all

    const unsigned long long limit = 0xFFFFFFFFull;  // the range of highscore
    unsigned long long value = 0;
    while (c != EOF && isdigit(c)) {
        value = value * DECIMAL_BASE + static_cast<unsigned int>(c - '0');
        if (value > limit)
            return 0;
        c = fgetc(file);
    }
    return static_cast<unsigned int>(value);
}

void readHighscore()
{
    highscore = 0;
    FILE* file = fopen(highscorePath.c_str(), "r");  // an empty path opens nothing
    if (!file)
        return;
    highscore = parseHighscore(file);
    fclose(file);
}

// Writes to a fresh file beside the old one and renames it over the old one
// only once it is complete, so the file always holds the old number or the
// new one. On any failure the old file stays and the new value lives on in
// memory only. The folders on the way to the file are made when missing.
void writeHighscore()
{
    const mode_t READABLE_BY_ALL = 0644;
    if (highscorePath.empty() || !createFoldersFor(highscorePath))
        return;
    std::string tempName = highscorePath + ".XXXXXX";
    const int fd = mkstemp(tempName.data());
    if (fd < 0)
        return;
    FILE* file = fdopen(fd, "w");
    if (!file) {
        close(fd);
        unlink(tempName.c_str());
        return;
    }
    const bool written = fchmod(fd, READABLE_BY_ALL) == 0 && fprintf(file, "%u", highscore) > 0 &&
                         fflush(file) == 0 && fsync(fd) == 0;
    const bool closed = fclose(file) == 0;
    if (!written || !closed || rename(tempName.c_str(), highscorePath.c_str()) != 0)
        unlink(tempName.c_str());
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
    if (value > MAX_COUNTER_VALUE)
        value = MAX_COUNTER_VALUE;
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
        sprites[i]->drawPathRGBA(screen, ROUTE_RED, ROUTE_GREEN, ROUTE_BLUE, ROUTE_ALPHA);
    for (unsigned int i = 0; i < numsprites; ++i)
        sprites[i]->draw(screen);
    if (marker)
        marker->draw(screen, SDL_MapRGB(screen->format, MARKER_WHITE, MARKER_WHITE, MARKER_WHITE));
    presentFrame();
}

// The pause screen is sent whole, as a frame of its own.
void pauseScreen()
{
    drawBackground();
    drawScore();
    blitCentred(txtPauseSurf, PAUSE_TEXT_Y);
    blitCentred(txtPresskeySurf, PRESSKEY_TEXT_Y);
    presentWhole();
}

// Lays the press-key text over the crash frame and shows just that text.
void gameoverScreen()
{
    presentArea(blitCentred(txtPresskeySurf, PRESSKEY_TEXT_Y));
}

// Between two ticks only a few small areas change: the aircraft move a
// pixel, a route loses a segment, a counter turns. Sending the whole screen
// every tick would convert and copy all of it to the window each time.
void presentFrame()
{
    if (!isShownFrameKnown()) {
        presentWhole();
        return;
    }
    // One flag per tile, row by row of tiles; tiles at the right and bottom
    // edges may be cut short.
    static std::vector<Uint8> changed;
    changed.assign(firstTileOfRow(screen->h + TILE_HEIGHT - 1), 0);  // up to the last tile row
    for (int y = 0; y < screen->h; y += TILE_HEIGHT)
        markChangedTiles(y, std::min(TILE_HEIGHT, screen->h - y), &changed[firstTileOfRow(y)]);
    const auto changedTiles = static_cast<size_t>(std::count(changed.begin(), changed.end(), 1));
    if (changedTiles * PERCENT >= changed.size() * WHOLE_UPDATE_PERCENT) {
        presentWhole();
        return;
    }
    static std::vector<SDL_Rect> rects;
    takeChangedTiles(changed, &rects);
    if (rects.size() > MAX_UPDATE_RECTS)
        presentWhole();
    else if (!rects.empty())
        SDL_UpdateRects(screen, static_cast<int>(rects.size()), rects.data());
}

void presentArea(SDL_Rect area)
{
    const int left = std::max(0, static_cast<int>(area.x));
    const int top = std::max(0, static_cast<int>(area.y));
    const int right = std::min(screen->w, area.x + area.w);
    const int bottom = std::min(screen->h, area.y + area.h);
    if (right <= left || bottom <= top)
        return;
    SDL_Rect clipped = rectAt(left, top, right - left, bottom - top);
    SDL_UpdateRects(screen, 1, &clipped);
    if (isShownFrameKnown())
        keepShownArea(clipped);
}

void forgetShownFrame()
{
    shown = ShownFrame();
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
    waitForTickPeriod();
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

    switch (end) {
    case DragEnd::GameOver:
        return false;
    case DragEnd::Landed:
        return true;  // it stays as the landing left it: hidden, without a route
    case DragEnd::Released:
    case DragEnd::RouteFull:
        break;
    }
    judgeRoute(aircraft);
    aircraft->draw(screen);
    return true;
}
