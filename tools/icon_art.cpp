// The game's icon: an airliner of the fleet with its shadow, over a piece of
// runway with its threshold bars. Drawn on a grid of 32 units, whatever the
// size, so every size shows the same picture; at 32 pixels a unit is a pixel.
#include <cmath>

#include "art.h"
#include "canvas.h"
#include "palette.h"

namespace {

const float GRID = 32.0f;                       // units across the icon
const AircraftClass& ICON_AIRCRAFT = FLEET[3];  // the airliner
const float AIRCRAFT_LEFT = 4.0f;               // units; its bitmap pixels become units
const float AIRCRAFT_TOP = 1.0f;
const float SHADOW_OFFSET = 1.3f;
const Rgb SHADOW = {34, 36, 40};

const float RUNWAY_LEFT = 9.0f;
const float RUNWAY_RIGHT = 23.0f;
const float EDGE_LINE = 0.7f;
const float CENTRE_LINE = 1.0f;
const float DASH_LENGTH = 4.0f;
const float DASH_PERIOD = 8.0f;
const float THRESHOLD_TOP = 27.0f;
const float THRESHOLD_BOTTOM = 31.0f;
const float THRESHOLD_BAR = 1.2f;
const float THRESHOLD_BARS[] = {11.6f, 13.8f, 17.0f, 19.2f};  // left edges
const float GROUND_BAND = 4.0f;                               // stripes of the ground

// A box given in units of the icon's grid.
void sketchUnitBox(const Sketch& icon, float left, float top, float right, float bottom, Rgb colour)
{
    const float unit = static_cast<float>(icon.width) / GRID;
    sketchBox(icon, left * unit, top * unit, right * unit, bottom * unit, colour);
}

void sketchRunway(const Sketch& icon)
{
    fillSketch(icon, GROUND_DARK);
    for (int band = 1; static_cast<float>(band) * GROUND_BAND < GRID; band += 2) {
        const float y = static_cast<float>(band) * GROUND_BAND;
        sketchUnitBox(icon, 0, y, GRID, y + GROUND_BAND, GROUND_LIGHT);
    }
    sketchUnitBox(icon, RUNWAY_LEFT, 0, RUNWAY_RIGHT, GRID, ASPHALT);
    sketchUnitBox(icon, RUNWAY_LEFT + EDGE_LINE, 0, RUNWAY_LEFT + 2 * EDGE_LINE, GRID, PAINT_WHITE);
    sketchUnitBox(icon, RUNWAY_RIGHT - 2 * EDGE_LINE, 0, RUNWAY_RIGHT - EDGE_LINE, GRID,
                  PAINT_WHITE);
    const float centre = (RUNWAY_LEFT + RUNWAY_RIGHT) / 2;
    for (int dash = 0; 1 + static_cast<float>(dash) * DASH_PERIOD + DASH_LENGTH < THRESHOLD_TOP;
         ++dash) {
        const float y = 1 + static_cast<float>(dash) * DASH_PERIOD;
        sketchUnitBox(icon, centre - CENTRE_LINE / 2, y, centre + CENTRE_LINE / 2, y + DASH_LENGTH,
                      PAINT_WHITE);
    }
    for (float left : THRESHOLD_BARS)
        sketchUnitBox(icon, left, THRESHOLD_TOP, left + THRESHOLD_BAR, THRESHOLD_BOTTOM,
                      PAINT_WHITE);
}

// Copies the shapes of the aircraft's sketch (everything but its black) onto
// the icon's sketch, scaled so that a pixel of the aircraft's bitmap covers a
// unit of the icon, in the shadow colour when one is given. Both are sketches,
// so the shrink that follows smooths the aircraft's edges over the runway.
void stampAircraft(const Sketch& icon, const Sketch& aircraft, float left, float top,
                   const Rgb* shadow)
{
    const float unit = static_cast<float>(icon.width) / GRID;
    const int x0 = static_cast<int>(std::lround(left * unit * SKETCH_SCALE));
    const int y0 = static_cast<int>(std::lround(top * unit * SKETCH_SCALE));
    const int w = static_cast<int>(std::lround(aircraft.surf->w * unit));
    const int h = static_cast<int>(std::lround(aircraft.surf->h * unit));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const Rgb colour =
                readPixel(aircraft.surf, static_cast<int>(x / unit), static_cast<int>(y / unit));
            if (colour != BLACK)
                writePixel(icon.surf, x0 + x, y0 + y, shadow ? *shadow : colour);
        }
    }
}

}  // namespace

SDL_Surface* drawGameIcon(int size)
{
    Sketch icon = createSketch(size, size);
    Sketch aircraft = sketchAircraft(ICON_AIRCRAFT, AircraftLook::Normal);
    SDL_Surface* bitmap = nullptr;
    if (icon.surf != nullptr && aircraft.surf != nullptr) {
        sketchRunway(icon);
        stampAircraft(icon, aircraft, AIRCRAFT_LEFT + SHADOW_OFFSET, AIRCRAFT_TOP + SHADOW_OFFSET,
                      &SHADOW);
        stampAircraft(icon, aircraft, AIRCRAFT_LEFT, AIRCRAFT_TOP, nullptr);
        bitmap = shrinkSketch(icon);
    }
    freeSketch(aircraft);
    freeSketch(icon);
    return bitmap;
}
