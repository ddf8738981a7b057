// The player's picture of the traffic: every aircraft followed from look to
// look, the way it heads, where it will be, which two are about to meet, and
// which turn keeps them apart.
#ifndef CORVANE_TRAFFIC_H
#define CORVANE_TRAFFIC_H

#include <deque>
#include <optional>
#include <vector>

#include "route_planner.h"
#include "screen_reader.h"

// Where an aircraft's centre was seen, and when (in seconds).
struct Sighting {
    double time;
    Point centre;
};

struct Track {
    SeenAircraft aircraft;         // as last seen
    std::deque<Sighting> history;  // its recent centres, oldest first
    Heading heading;               // as measured; {0, 0} while unknown
    double measureFrom = 0;        // sightings before this time tell nothing of it
    Route waypoints;               // what is left of the route it was given to land
};

// Two aircraft (indices into the tracks) predicted to touch, and how soon.
struct Conflict {
    size_t first;
    size_t second;
    double inSeconds;
};

// A short route that turns an aircraft onto a new heading.
struct Diversion {
    size_t track;
    Heading heading;
    Route route;
};

class Traffic {
public:
    // Follows the aircraft of a new look, seen at the time now.
    void update(const std::vector<SeenAircraft>& seen, double now);
    const std::vector<Track>& tracks() const { return all; }

    // The track of the aircraft of this class and look nearest to the point.
    std::optional<size_t> trackNearest(int kind, Look look, Point point) const;

    // The aircraft flies this route onto its target.
    void setLandingRoute(size_t track, const Route& route);

    // The soonest meeting of two aircraft within horizonS seconds.
    std::optional<Conflict> findConflict(double horizonS) const;

    // The turn of one aircraft of the pair that keeps it clear of all others
    // longest, never of an aircraft on approach and never onto a target.
    std::optional<Diversion> planDiversion(const Conflict& conflict, double horizonS) const;
    // The turn was dragged at the time now.
    void applyDiversion(const Diversion& diversion, double now);

private:
    // How soon the track meets any other, or beyond horizonS for never.
    double secondsToConflict(const Track& track, size_t index, double horizonS) const;

    std::vector<Track> all;
};

#endif
