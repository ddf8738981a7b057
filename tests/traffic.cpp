#include "traffic.h"

#include <algorithm>

#include "skyrel_main.h"

namespace {

const double HISTORY_S = 1.5;      // the heading is measured over about this long
const int MIN_HEADING_PIXELS = 2;  // of movement, for a heading to be measured
const int MATCH_DISTANCE = 12;     // an aircraft moves less than this between looks
const double PREDICTION_STEP_S = 0.1;
const int CONFLICT_MARGIN = 4;     // pixels kept free around each aircraft
const double TURN_SETTLE_S = 0.3;  // after a turn is dragged, the aircraft is on its new heading

// Where a coordinate that moves freely lies once it has bounced between lo
// and hi.
int reflect(int v, int lo, int hi)
{
    const int span = hi - lo;
    if (span <= 0)
        return lo;
    int m = (v - lo) % (2 * span);
    if (m < 0)
        m += 2 * span;
    return lo + (m <= span ? m : 2 * span - m);
}

// The centre of an aircraft of this size keeps the aircraft on the screen.
Point bounceCentre(Point c, const SeenAircraft& a)
{
    return {reflect(c.x, a.w / 2, SCREEN_WIDTH - a.w - 1 + a.w / 2),
            reflect(c.y, a.h / 2, SCREEN_HEIGHT - a.h - 1 + a.h / 2)};
}

bool isInRect(Point p, const SeenAircraft& a)
{
    return a.x <= p.x && p.x < a.x + a.w && a.y <= p.y && p.y < a.y + a.h;
}

// Where the aircraft's centre will be after the given time: along what is
// left of its route, then on in the route's last direction, or in its
// measured heading. An aircraft on approach is gone once its route ends.
std::optional<Point> predictCentre(const Track& t, double seconds)
{
    int steps = static_cast<int>(seconds * 1000 / stepPeriodMs(t.aircraft.kind));
    Point c{t.aircraft.centreX(), t.aircraft.centreY()};
    Heading h = t.heading;
    for (const Point& w : t.waypoints) {
        const int d = stepsBetween(c, w);
        if (steps < d)
            return Point{c.x + (w.x - c.x) * steps / d, c.y + (w.y - c.y) * steps / d};
        steps -= d;
        h = headingTowards(c, w);
        c = w;
    }
    if (!t.waypoints.empty())
        return std::nullopt;
    return bounceCentre({c.x + h.x * steps, c.y + h.y * steps}, t.aircraft);
}

bool areClose(Point a, Point b, const SeenAircraft& sizeA, const SeenAircraft& sizeB)
{
    const int gapX = std::abs(a.x - b.x) - (sizeA.w + sizeB.w) / 2;
    const int gapY = std::abs(a.y - b.y) - (sizeA.h + sizeB.h) / 2;
    return gapX < CONFLICT_MARGIN && gapY < CONFLICT_MARGIN;
}

// A new aircraft flush with an edge has just entered there, heading inwards.
Heading guessHeading(const SeenAircraft& a)
{
    if (a.x == 0)
        return {1, 0};
    if (a.x + a.w == SCREEN_WIDTH)
        return {-1, 0};
    if (a.y == 0)
        return {0, 1};
    if (a.y + a.h == SCREEN_HEIGHT)
        return {0, -1};
    return {0, 0};
}

// Turning back or to either side; without a heading, any straight one.
std::vector<Heading> turnsFrom(Heading h)
{
    if (h.x == 0 && h.y == 0)
        return {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    return {{-h.x, -h.y}, {h.y, -h.x}, {-h.y, h.x}};
}

void trimHistory(Track* t, double now)
{
    while (t->history.size() > 2 && now - t->history[1].time >= HISTORY_S)
        t->history.pop_front();
}

// Measured from the sightings since the last turn; without movement enough
// to measure, the heading stays as it was.
void measureHeading(Track* t)
{
    const auto first = std::find_if(t->history.begin(), t->history.end(),
                                    [&](const Sighting& s) { return s.time >= t->measureFrom; });
    if (first == t->history.end())
        return;
    const Point to = t->history.back().centre;
    if (stepsBetween(first->centre, to) >= MIN_HEADING_PIXELS)
        t->heading = headingTowards(first->centre, to);
}

// The game passes every waypoint that lies in the aircraft's rectangle.
void dropPassedWaypoints(Track* t)
{
    if (t->aircraft.look != Look::Approach) {
        t->waypoints.clear();
        return;
    }
    while (!t->waypoints.empty() && isInRect(t->waypoints.front(), t->aircraft))
        t->waypoints.erase(t->waypoints.begin());
}

}  // namespace

void Traffic::update(const std::vector<SeenAircraft>& seen, double now)
{
    std::vector<Track> next;
    std::vector<bool> followed(all.size(), false);
    for (const SeenAircraft& a : seen) {
        if (a.look == Look::Crashed)
            continue;
        const Point centre{a.centreX(), a.centreY()};
        std::optional<size_t> match;
        int nearest = MATCH_DISTANCE + 1;
        for (size_t i = 0; i < all.size(); ++i) {
            if (followed[i] || all[i].aircraft.kind != a.kind)
                continue;
            const std::optional<Point> expected =
                predictCentre(all[i], now - all[i].history.back().time);
            int d = stepsBetween(all[i].history.back().centre, centre);
            if (expected)
                d = std::min(d, stepsBetween(*expected, centre));
            if (d < nearest) {
                nearest = d;
                match = i;
            }
        }
        Track t = match ? all[*match] : Track{a, {}, guessHeading(a), 0, {}};
        if (match)
            followed[*match] = true;
        t.aircraft = a;
        t.history.push_back({now, centre});
        trimHistory(&t, now);
        measureHeading(&t);
        dropPassedWaypoints(&t);
        next.push_back(t);
    }
    all = next;
}

std::optional<size_t> Traffic::trackNearest(int kind, Look look, Point point) const
{
    std::optional<size_t> nearest;
    int nearestSteps = 0;
    for (size_t i = 0; i < all.size(); ++i) {
        const SeenAircraft& a = all[i].aircraft;
        const int steps = stepsBetween({a.centreX(), a.centreY()}, point);
        if (a.kind == kind && a.look == look && (!nearest || steps < nearestSteps)) {
            nearest = i;
            nearestSteps = steps;
        }
    }
    return nearest;
}

// The aircraft has flown part of the route while it was dragged: it goes on
// from the waypoint nearest to it.
void Traffic::setLandingRoute(size_t track, const Route& route)
{
    Track& t = all[track];
    const Point centre{t.aircraft.centreX(), t.aircraft.centreY()};
    const auto nearest = std::min_element(route.begin(), route.end(), [&](Point a, Point b) {
        return stepsBetween(a, centre) < stepsBetween(b, centre);
    });
    t.waypoints.assign(nearest, route.end());
    dropPassedWaypoints(&t);
}

std::optional<Conflict> Traffic::findConflict(double horizonS) const
{
    for (double t = 0; t <= horizonS; t += PREDICTION_STEP_S) {
        std::vector<std::optional<Point>> at;
        for (const Track& track : all)
            at.push_back(predictCentre(track, t));
        for (size_t i = 0; i < all.size(); ++i) {
            for (size_t j = i + 1; j < all.size(); ++j) {
                if (at[i] && at[j] && areClose(*at[i], *at[j], all[i].aircraft, all[j].aircraft))
                    return Conflict{i, j, t};
            }
        }
    }
    return std::nullopt;
}

double Traffic::secondsToConflict(const Track& track, size_t index, double horizonS) const
{
    for (double t = 0; t <= horizonS; t += PREDICTION_STEP_S) {
        const std::optional<Point> p = predictCentre(track, t);
        for (size_t j = 0; j < all.size() && p; ++j) {
            if (j == index)
                continue;
            const std::optional<Point> q = predictCentre(all[j], t);
            if (q && areClose(*p, *q, track.aircraft, all[j].aircraft))
                return t;
        }
    }
    return horizonS + PREDICTION_STEP_S;
}

std::optional<Diversion> Traffic::planDiversion(const Conflict& conflict, double horizonS) const
{
    std::optional<Diversion> best;
    double bestSeconds = conflict.inSeconds;  // a turn must at least put the meeting off
    for (const size_t k : {conflict.first, conflict.second}) {
        const Track& t = all[k];
        const Point press{t.aircraft.centreX(), t.aircraft.centreY()};
        const bool pressHitsAnother = std::any_of(all.begin(), all.end(), [&](const Track& o) {
            return &o != &t && isInRect(press, o.aircraft);
        });
        if (t.aircraft.look != Look::Normal || pressHitsAnother)
            continue;
        for (const Heading h : turnsFrom(t.heading)) {
            const Route route = planTurnRoute(t.aircraft, h);
            if (leadsToLanding(route, FLEET[t.aircraft.kind].type))
                continue;
            Track turned = t;
            turned.heading = h;
            const double s = secondsToConflict(turned, k, horizonS);
            if (s > bestSeconds) {
                best = Diversion{k, h, route};
                bestSeconds = s;
            }
        }
    }
    return best;
}

// The heading is measured afresh once the aircraft has turned.
void Traffic::applyDiversion(const Diversion& diversion, double now)
{
    Track& t = all[diversion.track];
    t.heading = diversion.heading;
    t.measureFrom = now + TURN_SETTLE_S;
    t.waypoints.clear();
}
