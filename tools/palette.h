// Every colour of the game's art. Each landing type has one accent colour,
// painted on its landing area and on the aircraft that land there.
#ifndef CORVANE_TOOLS_PALETTE_H
#define CORVANE_TOOLS_PALETTE_H

#include "canvas.h"

const Rgb ACCENT_EAST_WEST = {248, 164, 32};    // type 1: amber
const Rgb ACCENT_NORTH_SOUTH = {64, 176, 255};  // type 2: sky blue
const Rgb ACCENT_PAD = {236, 84, 220};          // type 3: magenta

// The field.
const Rgb GRASS_DARK = {74, 112, 54};
const Rgb GRASS_LIGHT = {98, 136, 66};
const Rgb ASPHALT = {66, 70, 76};
const Rgb APPROACH_ASPHALT = {50, 54, 60};
const Rgb PAINT_WHITE = {232, 234, 228};
const Rgb PAD_CONCRETE = {112, 116, 122};
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
