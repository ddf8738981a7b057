// The game's bitmaps, each drawn on a new canvas that the caller frees.
#ifndef CORVANE_TOOLS_ART_H
#define CORVANE_TOOLS_ART_H

#include <SDL.h>

#include "canvas.h"
#include "skyrel_main.h"

// The field: ground, runways, pad, approach areas and the counter panel.
SDL_Surface* drawBackground();
// Paints the panel along the top of the field: the legend of which aircraft
// lands where, and the labels and frames of the two counters.
void paintPanel(SDL_Surface* field);

SDL_Surface* drawDigitStrip();
SDL_Surface* drawPauseText();
SDL_Surface* drawPresskeyText();

enum class AircraftLook { Normal, Approach, Crashed };
// All looks, in the order of the enumeration.
const AircraftLook AIRCRAFT_LOOKS[] = {AircraftLook::Normal, AircraftLook::Approach,
                                       AircraftLook::Crashed};

// The file the game loads the look from.
inline const char* fileOfLook(const AircraftClass& fleetClass, AircraftLook look)
{
    switch (look) {
    case AircraftLook::Approach:
        return fleetClass.approachFile;
    case AircraftLook::Crashed:
        return fleetClass.crashedFile;
    default:
        return fleetClass.normalFile;
    }
}

// The normal and approach looks are drawn in all eight headings, each into a
// file of its own; the crashed look, a fireball, is one bitmap for all.
inline bool turnsWithHeading(AircraftLook look)
{
    return look != AircraftLook::Crashed;
}

// One look of a fleet class facing the heading; nullptr for a class without
// a drawing here. Every heading has the look's size.
SDL_Surface* drawAircraft(const AircraftClass& fleetClass, AircraftLook look,
                          Compass heading = HeadingN);
// The same look before it is shrunk: SKETCH_SCALE times the bitmap's size,
// shapes on pure black. A null surf for a class without a drawing.
Sketch sketchAircraft(const AircraftClass& fleetClass, AircraftLook look,
                      Compass heading = HeadingN);
// The normal look scaled by zoom, black around it, for the panel's legend.
SDL_Surface* drawAircraftIcon(const AircraftClass& fleetClass, double zoom);

// The game's icon: an airliner over a piece of runway, size x size pixels.
SDL_Surface* drawGameIcon(int size);

#endif
