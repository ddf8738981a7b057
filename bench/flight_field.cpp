#include "flight_field.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

// Lanes: two columns of ten rows; the aircraft of the left column head
// right, those of the right column head left.
const int LANE_ROWS = 10;
const int FIRST_LANE_Y = 12;
const int LANE_PITCH = 46;     // the largest aircraft is 26 pixels high
const int COLUMN_MARGIN = 10;  // from the screen's side to the aircraft

const unsigned int BLANK_COLOUR = 0;  // what the game fills behind a sprite

// A route begins this far ahead of the aircraft's leading edge, so that its
// first waypoint is not already reached.
const int ROUTE_LEAD = 2;

// Short routes: each segment 3 pixels ahead and 4 up or down, 5 pixels long.
const int SHORT_STEP_AHEAD = 3;
const int SHORT_STEP_ASIDE = 4;

// Full routes: two waypoints straight along the lane, then steps of 16 across
// and 12 up or down (20 pixels), turned back at the screen's edges.
const int FULL_SPACING = 20;
const int FULL_STEP_ACROSS = 16;
const int FULL_STEP_ASIDE = 12;

struct Lane {
    int x, y;
    int heading;  // +1 to the right, -1 to the left
};

Lane laneOf(unsigned int index, int width)
{
    const int row = static_cast<int>(index) % LANE_ROWS;
    const bool leftColumn = static_cast<int>(index) < LANE_ROWS;
    Lane lane;
    lane.y = FIRST_LANE_Y + row * LANE_PITCH;
    lane.x = leftColumn ? COLUMN_MARGIN : SCREEN_WIDTH - COLUMN_MARGIN - width;
    lane.heading = leftColumn ? 1 : -1;
    return lane;
}

void addShortRoute(PathSprite* aircraft, int startX, int heading)
{
    const int centreY = aircraft->getCPosY();
    for (unsigned int k = 0; k <= SHORT_ROUTE_SEGMENTS; ++k) {
        const int aside = (k % 2 == 0) ? -SHORT_STEP_ASIDE / 2 : SHORT_STEP_ASIDE / 2;
        aircraft->addToPath(startX + heading * SHORT_STEP_AHEAD * static_cast<int>(k),
                            centreY + aside);
    }
}

// The next position along one axis; the step turns back where it would
// leave [0, limit).
int nextPositionWithin(int position, int* step, int limit)
{
    if (position + *step < 0 || position + *step >= limit)
        *step = -*step;
    return position + *step;
}

void addFullRoute(PathSprite* aircraft, int startX, int heading, unsigned int index)
{
    // Straight on along the lane first: between two restores of the fleet
    // no aircraft gets past these two waypoints.
    int x = startX;
    int y = aircraft->getCPosY();
    aircraft->addToPath(x, y);
    x += heading * FULL_SPACING;
    aircraft->addToPath(x, y);

    int stepX = heading * FULL_STEP_ACROSS;
    int stepY = (index % 2 == 0) ? FULL_STEP_ASIDE : -FULL_STEP_ASIDE;
    while (aircraft->pathLen < FULL_ROUTE_WAYPOINTS) {
        x = nextPositionWithin(x, &stepX, SCREEN_WIDTH);
        y = nextPositionWithin(y, &stepY, SCREEN_HEIGHT);
        aircraft->addToPath(x, y);
    }
}

int absOf(int v)
{
    return v < 0 ? -v : v;
}

}  // namespace

bool selectDisplay(bool ownXvfb, const std::string& display, std::unique_ptr<XServer>* xServer)
{
    if (!ownXvfb && display.empty()) {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        return true;
    }
    std::string name = display;
    if (ownXvfb) {
        *xServer = std::make_unique<XServer>();
        if (!(*xServer)->ready()) {
            fprintf(stderr, "Couldn't start Xvfb\n");
            return false;
        }
        name = (*xServer)->name();
    }
    setenv("SDL_VIDEODRIVER", "x11", 1);
    setenv("DISPLAY", name.c_str(), 1);
    return true;
}

bool openField(const std::string& gameFolder, int screenBpp)
{
    if (chdir(gameFolder.c_str()) != 0) {
        fprintf(stderr, "Couldn't enter %s\n", gameFolder.c_str());
        return false;
    }
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        fprintf(stderr, "Couldn't initialize SDL: %s\n", SDL_GetError());
        return false;
    }
    screen = SDL_SetVideoMode(SCREEN_WIDTH, SCREEN_HEIGHT, screenBpp, SDL_SWSURFACE);
    if (!screen) {
        fprintf(stderr, "Couldn't set video mode: %s\n", SDL_GetError());
        return false;
    }
    if (!loadInterfaceBitmaps())
        return false;
    buildAirfield();
    return buildFleet();
}

void launchFleet(RouteShape shape)
{
    delete marker;
    marker = nullptr;
    score = 0;
    for (unsigned int i = 0; i < numsprites; ++i) {
        PathSprite* aircraft = sprites[i];
        const Lane lane = laneOf(i, aircraft->getWidth());
        aircraft->remove(screen, BLANK_COLOUR);
        aircraft->setPos(lane.x, lane.y);
        aircraft->setVelocity(lane.heading, 0);
        aircraft->visible = true;
        aircraft->state = shape == RouteShape::None ? Flying : Routed;
        // Spread the steps of each class over different ticks.
        aircraft->moveDelay = static_cast<Sint32>(i) % (MOVE_PERIOD - aircraft->speed + 1);

        const int front = lane.heading > 0 ? lane.x + aircraft->getWidth() - 1 : lane.x;
        const int startX = front + lane.heading * ROUTE_LEAD;
        if (shape == RouteShape::Short)
            addShortRoute(aircraft, startX, lane.heading);
        else if (shape == RouteShape::Full)
            addFullRoute(aircraft, startX, lane.heading, i);
    }
}

FleetSnapshot saveFleet()
{
    FleetSnapshot snapshot;
    snapshot.reserve(numsprites);
    for (unsigned int i = 0; i < numsprites; ++i)
        snapshot.push_back(*static_cast<FlyObj*>(sprites[i]));
    return snapshot;
}

void restoreFleet(const FleetSnapshot& snapshot)
{
    for (unsigned int i = 0; i < numsprites && i < snapshot.size(); ++i)
        *static_cast<FlyObj*>(sprites[i]) = snapshot[i];
}

std::string findAircraftOutOfFlight()
{
    for (unsigned int i = 0; i < numsprites; ++i) {
        const PathSprite* a = sprites[i];
        if (!a->visible || a->state != Routed || a->pathLen == 0) {
            return "aircraft " + std::to_string(i) + " left flight: state " +
                   std::to_string(a->state) + ", visible " +
                   std::to_string(static_cast<int>(a->visible)) + ", route " +
                   std::to_string(a->pathLen);
        }
    }
    return "";
}

// drawPathRGBA draws the segments ending at waypoints max(pathPos, 1) to
// pathLen - 1; a line covers the pixels of its longer axis, both ends included.
long long countDrawnSegments()
{
    long long segments = 0;
    for (unsigned int i = 0; i < numsprites; ++i) {
        const PathSprite* a = sprites[i];
        const Uint32 first = a->pathPos > 1 ? a->pathPos : 1;
        if (a->pathLen > first)
            segments += a->pathLen - first;
    }
    return segments;
}

long long countDrawnLinePixels()
{
    long long pixels = 0;
    for (unsigned int i = 0; i < numsprites; ++i) {
        const PathSprite* a = sprites[i];
        const Uint32 first = a->pathPos > 1 ? a->pathPos : 1;
        for (Uint32 k = first; k < a->pathLen; ++k) {
            const int dx = absOf(a->path[k].x - a->path[k - 1].x);
            const int dy = absOf(a->path[k].y - a->path[k - 1].y);
            pixels += (dx > dy ? dx : dy) + 1;
        }
    }
    return pixels;
}
