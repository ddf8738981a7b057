// The shape of a landing target, read from the airfield table.
#ifndef CORVANE_TOOLS_AIRFIELD_GEOMETRY_H
#define CORVANE_TOOLS_AIRFIELD_GEOMETRY_H

#include "skyrel_main.h"

// A target whose approach area holds its landing area is the pad; the others
// are runways.
inline bool isPad(const TargetLayout& target)
{
    return target.preX <= target.x && target.preY <= target.y &&
           target.preX + target.preW >= target.x + target.w &&
           target.preY + target.preH >= target.y + target.h;
}

// Quarter turns clockwise from a runway heading east (approached from the
// west) to this runway, read from the side its approach area lies on.
inline int turnsFromEast(const TargetLayout& target)
{
    if (target.preX + target.preW <= target.x) {
        return 0;  // approached from the west, heading east
    }
    if (target.preY + target.preH <= target.y) {
        return 1;  // from the north, heading south
    }
    if (target.preX >= target.x + target.w) {
        return 2;  // from the east, heading west
    }
    return 3;  // from the south, heading north
}

#endif
