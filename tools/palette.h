// Every colour of the game's art. Each landing type has one accent colour,
// painted on its landing area and on the aircraft that land there. The three
// differ in lightness as well as in hue, so that they stay apart for players
// who confuse red with green or blue with yellow.
#ifndef CORVANE_TOOLS_PALETTE_H
#define CORVANE_TOOLS_PALETTE_H

#include "canvas.h"

const Rgb ACCENT_EAST_WEST = {240, 140, 0};     // type 1: amber
const Rgb ACCENT_NORTH_SOUTH = {56, 104, 255};  // type 2: strong blue
const Rgb ACCENT_PAD = {224, 240, 240};         // type 3: ice white

// The field at dusk: dark blue-grey ground with patches of violet-brown
// earth. The routes, green at alpha 100, add at most about 100 to green, so
// only a dark field gives them contrast; a blue cast adds colour difference.
const Rgb GROUND_DARK = {16, 18, 32};
const Rgb GROUND_LIGHT = {38, 40, 58};
const Rgb EARTH_DARK = {22, 18, 26};
const Rgb EARTH_LIGHT = {44, 36, 50};
const Rgb ASPHALT = {30, 32, 42};
const Rgb APPROACH_ASPHALT = {24, 26, 40};
const Rgb PAINT_WHITE = {232, 234, 228};
const Rgb PAD_CONCRETE = {60, 64, 76};
// Where the edges of two landing areas cross.
const Rgb EDGE_CROSSING = {255, 255, 255};

// The panel along the top. Its colour survives RGB565 unchanged (red and
// blue multiples of 8, green of 4), so the digit cells, copied whole onto
// it, match it exactly on the 16-bit screen.
const Rgb PANEL = {32, 40, 56};
const Rgb PANEL_RULE = {80, 96, 120};
const Rgb PANEL_LABEL = {160, 176, 200};
const Rgb DIGIT_INK = {248, 240, 208};
const Rgb DIGIT_SHADOW = {16, 20, 28};

// The pause and press-key texts: dark but never black, which is transparent.
const Rgb TEXT_INK = {255, 244, 196};
const Rgb TEXT_INK_SHADE = {248, 200, 96};
const Rgb TEXT_OUTLINE = {28, 32, 64};
const Rgb TEXT_SHADOW = {16, 16, 40};

// Aircraft.
const Rgb AIRFRAME = {236, 240, 244};
const Rgb AIRFRAME_SHADE = {168, 176, 188};
const Rgb CANOPY = {40, 64, 104};
const Rgb ROTOR_BLADE = {56, 60, 64};
const Rgb ROTOR_TIP = {200, 204, 208};
const Rgb APPROACH_LIGHT = {96, 255, 128};  // bright green, like the routes
const Rgb CHARRED = {76, 68, 64};
const Rgb CHARRED_SHADE = {52, 46, 44};
const Rgb FLAME_RED = {224, 40, 24};
const Rgb FLAME_ORANGE = {255, 136, 24};
const Rgb FLAME_YELLOW = {255, 236, 112};

inline Rgb accentOfType(int type)
{
    switch (type) {
    case 1:
        return ACCENT_EAST_WEST;
    case 2:
        return ACCENT_NORTH_SOUTH;
    default:
        return ACCENT_PAD;
    }
}

#endif
