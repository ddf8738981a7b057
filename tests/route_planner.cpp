#include "route_planner.h"

#include <algorithm>
#include <cstdlib>

#include "skyrel_main.h"

namespace {

const int ROUTE_SPACING = 12;     // pixels between two pointer positions of a drag
const int GATE_DISTANCE = 36;     // the route lines up this far before the approach area
const int LANDING_DEPTH = 8;      // how far into the landing area the route ends
const int MAX_LEAD_STEPS = 1500;  // how far ahead an interception is looked for
const int TURN_DISTANCE = 30;     // the line of a turn runs this far on the new heading

// The points a route passes on its way onto a target.
struct Entry {
    Point gate;
    Point onApproach;
    Point onLanding;
};

bool isInside(Point p, int x, int y, int w, int h)
{
    return x <= p.x && p.x < x + w && y <= p.y && p.y < y + h;
}

// The direction in which a route crosses onto the landing area: away from
// the approach area of a runway; from the side facing the aircraft for the
// pad, which its approach area surrounds.
Heading entryHeading(const TargetLayout& t, Point from)
{
    if (t.preX + t.preW <= t.x)
        return {1, 0};
    if (t.preX >= t.x + t.w)
        return {-1, 0};
    if (t.preY >= t.y + t.h)
        return {0, -1};
    if (t.preY + t.preH <= t.y)
        return {0, 1};
    const int dx = from.x - (t.x + t.w / 2);
    const int dy = from.y - (t.y + t.h / 2);
    if (std::abs(dx) >= std::abs(dy))
        return {dx < 0 ? 1 : -1, 0};
    return {0, dy < 0 ? 1 : -1};
}

// The middle of the approach area's band on the side the heading comes
// from, a point a little into the landing area beyond it, and a gate before
// both, all on the landing area's centre line.
Entry entryOf(const TargetLayout& t, Heading h)
{
    const Point centre{t.x + t.w / 2, t.y + t.h / 2};
    Entry e{centre, centre, centre};
    if (h.x > 0) {
        e.onApproach.x = (t.preX + t.x - 1) / 2;
        e.onLanding.x = t.x + LANDING_DEPTH;
    } else if (h.x < 0) {
        e.onApproach.x = (t.x + t.w + t.preX + t.preW - 1) / 2;
        e.onLanding.x = t.x + t.w - 1 - LANDING_DEPTH;
    } else if (h.y > 0) {
        e.onApproach.y = (t.preY + t.y - 1) / 2;
        e.onLanding.y = t.y + LANDING_DEPTH;
    } else {
        e.onApproach.y = (t.y + t.h + t.preY + t.preH - 1) / 2;
        e.onLanding.y = t.y + t.h - 1 - LANDING_DEPTH;
    }
    e.gate = {e.onApproach.x - h.x * GATE_DISTANCE, e.onApproach.y - h.y * GATE_DISTANCE};
    return e;
}

const TargetLayout* targetOfType(int type)
{
    for (const TargetLayout& t : AIRFIELD) {
        if (t.type == type)
            return &t;
    }
    return nullptr;
}

// Keeps the centre of an aircraft of this size on the screen.
Point clampCentre(Point p, const SeenAircraft& a)
{
    return {std::clamp(p.x, a.w / 2, SCREEN_WIDTH - a.w + a.w / 2 - 1),
            std::clamp(p.y, a.h / 2, SCREEN_HEIGHT - a.h + a.h / 2 - 1)};
}

// The game appends a pointer position again on every tick without a new
// event, so a position may follow itself as well as its predecessor.
bool stepsOnto(Point from, Point to, const TargetLayout& t)
{
    return isInside(from, t.preX, t.preY, t.preW, t.preH) && isInside(to, t.x, t.y, t.w, t.h);
}

int signOf(int v)
{
    return (v > 0) - (v < 0);
}

}  // namespace

int stepsBetween(Point a, Point b)
{
    return std::max(std::abs(a.x - b.x), std::abs(a.y - b.y));
}

Heading headingTowards(Point a, Point b)
{
    const int dx = b.x - a.x;
    const int dy = b.y - a.y;
    if (std::abs(dx) >= 3 * std::abs(dy))
        return {signOf(dx), 0};
    if (std::abs(dy) >= 3 * std::abs(dx))
        return {0, signOf(dy)};
    return {signOf(dx), signOf(dy)};
}

// An aircraft steps on every (MOVE_PERIOD + 1 - speed)-th tick, its speed
// being its class's factor of MOVE_PERIOD.
int stepPeriodMs(int kind)
{
    const int speed = static_cast<int>(static_cast<double>(FLEET[kind].speedFactor) * MOVE_PERIOD);
    return (MOVE_PERIOD + 1 - speed) * static_cast<int>(TICK_PERIOD);
}

double flightSeconds(const Route& route, int kind)
{
    int steps = 0;
    for (size_t i = 1; i < route.size(); ++i)
        steps += stepsBetween(route[i - 1], route[i]);
    return steps * stepPeriodMs(kind) / 1000.0;
}

Route sampleLine(const std::vector<Point>& corners, int spacing)
{
    Route points;
    if (corners.empty())
        return points;
    points.push_back(corners.front());
    for (size_t i = 1; i < corners.size(); ++i) {
        const Point a = corners[i - 1];
        const Point b = corners[i];
        const int parts = (stepsBetween(a, b) + spacing - 1) / spacing;
        for (int k = 1; k <= parts; ++k)
            points.push_back({a.x + (b.x - a.x) * k / parts, a.y + (b.y - a.y) * k / parts});
    }
    return points;
}

Route planLandingRoute(const SeenAircraft& aircraft)
{
    const Point from{aircraft.centreX(), aircraft.centreY()};
    const TargetLayout* target = targetOfType(FLEET[aircraft.kind].type);
    if (!target)
        return {from};
    const Entry e = entryOf(*target, entryHeading(*target, from));
    Route route = sampleLine({from, e.gate, e.onApproach}, ROUTE_SPACING);
    route.push_back(e.onLanding);
    return route;
}

// Looks for the first step of the other aircraft at which the chaser could
// be there too; without one the chaser heads for where the other is now.
Route planInterceptRoute(const SeenAircraft& chaser, const SeenAircraft& other,
                         Heading otherHeading)
{
    const Point from{chaser.centreX(), chaser.centreY()};
    const int chaserPeriod = stepPeriodMs(chaser.kind);
    const int otherPeriod = stepPeriodMs(other.kind);
    Point meet{other.centreX(), other.centreY()};
    for (int steps = 0; steps <= MAX_LEAD_STEPS; ++steps) {
        const Point ahead = clampCentre(
            {other.centreX() + otherHeading.x * steps, other.centreY() + otherHeading.y * steps},
            other);
        if (stepsBetween(from, ahead) * chaserPeriod <= steps * otherPeriod) {
            meet = ahead;
            break;
        }
    }
    return sampleLine({from, meet}, ROUTE_SPACING);
}

Route planTurnRoute(const SeenAircraft& aircraft, Heading heading)
{
    const Point from{aircraft.centreX(), aircraft.centreY()};
    const Point to{std::clamp(from.x + heading.x * TURN_DISTANCE, 0, SCREEN_WIDTH - 1),
                   std::clamp(from.y + heading.y * TURN_DISTANCE, 0, SCREEN_HEIGHT - 1)};
    return sampleLine({from, to}, ROUTE_SPACING);
}

bool leadsToLanding(const Route& route, int type)
{
    for (const TargetLayout& t : AIRFIELD) {
        if (t.type != type)
            continue;
        for (size_t i = 0; i < route.size(); ++i) {
            if (stepsOnto(route[i], route[i], t))
                return true;
            if (i + 1 < route.size() && stepsOnto(route[i], route[i + 1], t))
                return true;
        }
    }
    return false;
}
