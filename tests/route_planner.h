// The routes a player drags: onto the runway or pad of an aircraft's class,
// or into the path of another aircraft, and how long an aircraft takes to
// fly them.
#ifndef CORVANE_ROUTE_PLANNER_H
#define CORVANE_ROUTE_PLANNER_H

#include <vector>

#include "screen_reader.h"

struct Point {
    int x, y;
};

// The pointer positions of one drag: the press, the moves, and the release
// at the last one.
using Route = std::vector<Point>;

// A step direction per axis: -1, 0 or 1.
struct Heading {
    int x, y;
};

// Milliseconds an aircraft of this class takes for one step.
int stepPeriodMs(int kind);

// Steps from a to b for an aircraft, which steps diagonally where it can.
int stepsBetween(Point a, Point b);

// The direction of an aircraft's steps from a towards b: straight along the
// major axis when it is at least three times the minor one, else diagonal.
Heading headingTowards(Point a, Point b);

// Seconds an aircraft of this class takes to fly the route from its first
// point, stepping diagonally where it can.
double flightSeconds(const Route& route, int kind);

// Points along the straight lines between the corners, at most spacing
// apart, from the first corner to the last, both included.
Route sampleLine(const std::vector<Point>& corners, int spacing);

// A press on the aircraft's centre, a line to a point before the approach
// area of the target of its type, a point on the approach area and the next
// point on the landing area.
Route planLandingRoute(const SeenAircraft& aircraft);

// A press on the chaser and a line to where it can meet the other aircraft,
// which flies on with the given heading.
Route planInterceptRoute(const SeenAircraft& chaser, const SeenAircraft& other,
                         Heading otherHeading);

// A press on the aircraft and a short line on the new heading, which it
// keeps once the line ends.
Route planTurnRoute(const SeenAircraft& aircraft, Heading heading);

// Whether the game puts an aircraft of this landing type on approach with
// this route: some point on an approach area of such a target followed by
// a point on its landing area.
bool leadsToLanding(const Route& route, int type);

#endif
