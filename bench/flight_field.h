// A real field for the measurements: the game's own window, bitmaps,
// airfield and fleet, with all twenty aircraft in flight on routes that keep
// them apart, so that ticks can run on it for as long as a measurement needs.
#ifndef CORVANE_FLIGHT_FIELD_H
#define CORVANE_FLIGHT_FIELD_H

#include <memory>
#include <string>
#include <vector>

#include "skyrel_main.h"
#include "x_session.h"

// What the aircraft's routes look like.
enum class RouteShape {
    None,   // no routes: the aircraft are Flying
    Short,  // 100 segments of 5 pixels, zig-zagging along the aircraft's lane
    Full,   // 1024 waypoints 20 pixels apart, sweeping the whole screen
};

const unsigned int SHORT_ROUTE_SEGMENTS = 100;
const unsigned int FULL_ROUTE_WAYPOINTS = PATH_CAPACITY;

// Aircraft fly at most this many ticks before the fleet is put back where it
// started: a few pixels, so no aircraft leaves its lane, meets another or
// uses up more than a few waypoints of its route.
const int TICKS_BETWEEN_RESTORES = 100;

// Sends the game's window to an Xvfb of its own when ownXvfb (kept in
// xServer), to the X display named when display is not empty, and to SDL's
// dummy driver otherwise. Says so and answers false when Xvfb does not start.
bool selectDisplay(bool ownXvfb, const std::string& display, std::unique_ptr<XServer>* xServer);

// Starts SDL with the game's video mode (or, for a trial, another depth) and
// builds the game's field from the bitmaps in gameFolder/bitmaps. Prints
// what failed and answers false.
bool openField(const std::string& gameFolder, int screenBpp = SCREEN_BPP);

// Puts all twenty aircraft in flight in two columns of ten lanes, each
// heading for the middle of the screen, Routed on a route of the given shape.
void launchFleet(RouteShape shape);

// A copy of every aircraft, to put the fleet back as it was.
using FleetSnapshot = std::vector<FlyObj>;
FleetSnapshot saveFleet();
void restoreFleet(const FleetSnapshot& snapshot);

// Answers "" while every aircraft is visible, Routed and holds a route;
// otherwise says which one is not.
std::string findAircraftOutOfFlight();

// The route segments that the next frame draws, and the pixels their lines cover.
long long countDrawnSegments();
long long countDrawnLinePixels();

#endif
