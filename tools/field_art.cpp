// The background: dusk ground, the two runways, the pad and their approach areas,
// each painted on exactly the pixels that the airfield table gives them.
#include <SDL_gfxPrimitives.h>
#include <SDL_rotozoom.h>

#include "airfield_geometry.h"
#include "art.h"
#include "canvas.h"
#include "palette.h"
#include "texture_noise.h"

namespace {

const Uint32 GROUND_SEED = 0x0C0FFEE5u;
const int GROUND_PATCH_CELL = 56;  // broad patches of darker and lighter ground
const int GROUND_TUFT_CELL = 5;    // small tufts
const int EARTH_CELL = 96;         // stretches of bare earth among the grey
const float PATCH_WEIGHT = 0.6f;
const float TUFT_WEIGHT = 0.25f;
const float GRAIN_WEIGHT = 0.15f;
// Earth shows where its noise rises above this, fully a little further up.
const float EARTH_THRESHOLD = 0.4f;
const float EARTH_RAMP = 0.3f;

// Every landing area carries a band of its accent colour on its outermost
// pixels, so its exact extent shows against anything around it.
const int EDGE_WIDTH = 2;

// Runway markings, in a runway drawn heading east with its threshold on the
// left (x along the runway, y across it).
const int THRESHOLD_START = 3;
const int THRESHOLD_LENGTH = 8;
const int THRESHOLD_BAR_WIDTH = 2;
const int THRESHOLD_BAR_GAP = 2;
const int NUMBER_X = 14;
const int CENTRELINE_START = 28;
const int CENTRELINE_DASH = 9;
const int CENTRELINE_GAP = 6;
const int CENTRELINE_WIDTH = 2;
const int RUNWAY_END_MARGIN = 4;
const int FONT_SIZE = 8;
const Uint32 FONT_TURNED_CLOCKWISE = 1;

// Chevrons in a runway's approach area, pointing at the threshold.
const int NUM_CHEVRONS = 3;
const float CHEVRON_SPACING = 11.0f;
const float CHEVRON_FIRST_X = 4.0f;
const float CHEVRON_THICKNESS = 3.0f;
const float CHEVRON_DEPTH = 7.0f;
const float CHEVRON_MARGIN = 3.0f;  // from the sides of the approach area
const float CHEVRON_FAINTEST = 0.45f;

// Pad markings.
const float PAD_RING_OUTER = 9.6f;
const float PAD_RING_INNER = 8.2f;
const float PAD_LETTER_HALF_WIDTH = 4.5f;
const float PAD_LETTER_HALF_HEIGHT = 5.0f;
const float PAD_LETTER_STROKE = 2.0f;
const float PAD_ARROW_HALF_WIDTH = 5.0f;
const float PAD_ARROW_DEPTH = 4.0f;
const float PAD_ARROW_INSET = 1.0f;

const float APPROACH_EDGE_WHITENESS = 0.5f;
const float APPROACH_TINT = 0.12f;  // of the accent in the approach area's ground

struct Area {
    int x, y, w, h;
};

Area landingAreaOf(const TargetLayout& target)
{
    return {target.x, target.y, target.w, target.h};
}

bool isInside(const Area& area, int x, int y)
{
    return x >= area.x && x < area.x + area.w && y >= area.y && y < area.y + area.h;
}

bool isOnEdgeBand(const Area& area, int x, int y)
{
    return isInside(area, x, y) && (x < area.x + EDGE_WIDTH || x >= area.x + area.w - EDGE_WIDTH ||
                                    y < area.y + EDGE_WIDTH || y >= area.y + area.h - EDGE_WIDTH);
}

// The runway number: its heading in tens of degrees, north being 36.
const char* runwayNumberOf(int turns)
{
    static const char* const NUMBERS[] = {"09", "18", "27", "36"};
    return NUMBERS[turns];
}

// How much bare earth shows at a point, 0 to 1.
float earthAmountOf(float noise)
{
    return SDL_min(1.0f, SDL_max(0.0f, (noise - EARTH_THRESHOLD) / EARTH_RAMP));
}

void paintGround(SDL_Surface* field)
{
    NoiseSource source(GROUND_SEED);
    const ValueNoise patches(field->w, field->h, GROUND_PATCH_CELL, source);
    const ValueNoise tufts(field->w, field->h, GROUND_TUFT_CELL, source);
    const ValueNoise earth(field->w, field->h, EARTH_CELL, source);
    for (int y = 0; y < field->h; ++y) {
        for (int x = 0; x < field->w; ++x) {
            const float shade = PATCH_WEIGHT * patches.valueAt(x, y) +
                                TUFT_WEIGHT * tufts.valueAt(x, y) +
                                GRAIN_WEIGHT * source.nextUnit();
            const Rgb grey = mixColours(GROUND_DARK, GROUND_LIGHT, shade);
            const Rgb bare = mixColours(EARTH_DARK, EARTH_LIGHT, shade);
            writePixel(field, x, y, mixColours(grey, bare, earthAmountOf(earth.valueAt(x, y))));
        }
    }
}

// Turns a canvas drawn heading east to its runway's heading, copies it onto
// the field and frees it.
void placeTurned(SDL_Surface* field, SDL_Surface* eastward, int turns, int x, int y)
{
    SDL_Surface* turned = rotateSurface90Degrees(eastward, turns);
    stampCanvas(field, turned, x, y);
    SDL_FreeSurface(turned);
    SDL_FreeSurface(eastward);
}

// Bars in pairs on both sides of the centreline, which falls in the gap
// between the middle two.
void paintThresholdBars(SDL_Surface* strip)
{
    const int pitch = THRESHOLD_BAR_WIDTH + THRESHOLD_BAR_GAP;
    const int firstBar = EDGE_WIDTH + THRESHOLD_BAR_GAP;
    for (int y = firstBar; y + THRESHOLD_BAR_WIDTH <= strip->h - firstBar; y += pitch) {
        fillBox(strip, THRESHOLD_START, y, THRESHOLD_LENGTH, THRESHOLD_BAR_WIDTH, PAINT_WHITE);
    }
}

void paintRunwayNumber(SDL_Surface* strip, const char* number)
{
    // Written to be read from the approach: the tops of the figures point
    // along the runway.
    gfxPrimitivesSetFontRotation(FONT_TURNED_CLOCKWISE);
    const int length = static_cast<int>(SDL_strlen(number)) * FONT_SIZE;
    stringRGBA(strip, NUMBER_X, static_cast<Sint16>((strip->h - length) / 2), number, PAINT_WHITE.r,
               PAINT_WHITE.g, PAINT_WHITE.b, SDL_ALPHA_OPAQUE);
    gfxPrimitivesSetFontRotation(0);
}

void paintCentreline(SDL_Surface* strip)
{
    const int y = (strip->h - CENTRELINE_WIDTH) / 2;
    const int end = strip->w - RUNWAY_END_MARGIN;
    for (int x = CENTRELINE_START; x < end; x += CENTRELINE_DASH + CENTRELINE_GAP) {
        const int dash = SDL_min(CENTRELINE_DASH, end - x);
        fillBox(strip, x, y, dash, CENTRELINE_WIDTH, PAINT_WHITE);
    }
}

void paintRunway(SDL_Surface* field, const TargetLayout& target)
{
    const int turns = turnsFromEast(target);
    const bool alongX = turns % 2 == 0;
    SDL_Surface* strip = createCanvas(alongX ? target.w : target.h, alongX ? target.h : target.w);
    fillBox(strip, 0, 0, strip->w, strip->h, ASPHALT);
    paintThresholdBars(strip);
    paintRunwayNumber(strip, runwayNumberOf(turns));
    paintCentreline(strip);
    placeTurned(field, strip, turns, target.x, target.y);
}

void sketchChevron(const Sketch& sketch, float x, Rgb colour)
{
    const float top = CHEVRON_MARGIN;
    const float bottom = sketch.height - CHEVRON_MARGIN;
    const float middle = sketch.height / 2.0f;
    sketchPolygon(sketch,
                  {{x, top},
                   {x + CHEVRON_THICKNESS, top},
                   {x + CHEVRON_THICKNESS + CHEVRON_DEPTH, middle},
                   {x + CHEVRON_THICKNESS, bottom},
                   {x, bottom},
                   {x + CHEVRON_DEPTH, middle}},
                  colour);
}

Rgb approachGroundOf(int type)
{
    return mixColours(APPROACH_ASPHALT, accentOfType(type), APPROACH_TINT);
}

Rgb approachEdgeOf(int type)
{
    return mixColours(accentOfType(type), PAINT_WHITE, APPROACH_EDGE_WHITENESS);
}

void paintRunwayApproach(SDL_Surface* field, const TargetLayout& target)
{
    const int turns = turnsFromEast(target);
    const bool alongX = turns % 2 == 0;
    Sketch sketch =
        createSketch(alongX ? target.preW : target.preH, alongX ? target.preH : target.preW);
    fillSketch(sketch, approachGroundOf(target.type));
    // Brighter towards the threshold, like sequenced approach lights.
    for (int i = 0; i < NUM_CHEVRONS; ++i) {
        const float strength =
            CHEVRON_FAINTEST + (1.0f - CHEVRON_FAINTEST) * i / (NUM_CHEVRONS - 1);
        sketchChevron(
            sketch, CHEVRON_FIRST_X + i * CHEVRON_SPACING,
            mixColours(approachGroundOf(target.type), accentOfType(target.type), strength));
    }
    SDL_Surface* strip = shrinkSketch(sketch);
    freeSketch(sketch);
    outlineBox(strip, 0, 0, strip->w, strip->h, approachEdgeOf(target.type));
    placeTurned(field, strip, turns, target.preX, target.preY);
}

// One arrow in the middle of each side of the pad's margin, pointing at it.
void sketchPadArrows(const Sketch& sketch, Rgb colour)
{
    const float cx = sketch.width / 2.0f;
    const float cy = sketch.height / 2.0f;
    const auto right = static_cast<float>(sketch.width);
    const auto bottom = static_cast<float>(sketch.height);
    const float half = PAD_ARROW_HALF_WIDTH;
    const float base = PAD_ARROW_INSET;
    const float tip = PAD_ARROW_INSET + PAD_ARROW_DEPTH;
    sketchPolygon(sketch, {{cx - half, base}, {cx + half, base}, {cx, tip}}, colour);
    sketchPolygon(sketch,
                  {{cx - half, bottom - base}, {cx + half, bottom - base}, {cx, bottom - tip}},
                  colour);
    sketchPolygon(sketch, {{base, cy - half}, {base, cy + half}, {tip, cy}}, colour);
    sketchPolygon(sketch, {{right - base, cy - half}, {right - base, cy + half}, {right - tip, cy}},
                  colour);
}

void paintPadApproach(SDL_Surface* field, const TargetLayout& target)
{
    Sketch sketch = createSketch(target.preW, target.preH);
    fillSketch(sketch, approachGroundOf(target.type));
    sketchPadArrows(sketch, accentOfType(target.type));
    SDL_Surface* square = shrinkSketch(sketch);
    freeSketch(sketch);
    outlineBox(square, 0, 0, square->w, square->h, approachEdgeOf(target.type));
    stampCanvas(field, square, target.preX, target.preY);
    SDL_FreeSurface(square);
}

// The H of a helipad, centred.
void sketchPadLetter(const Sketch& sketch, Rgb colour)
{
    const float cx = sketch.width / 2.0f;
    const float cy = sketch.height / 2.0f;
    const float outer = PAD_LETTER_HALF_WIDTH;
    const float inner = PAD_LETTER_HALF_WIDTH - PAD_LETTER_STROKE;
    const float tall = PAD_LETTER_HALF_HEIGHT;
    // cppcheck-suppress duplicateExpression ; half the stroke, which happens to be 2
    const float bar = PAD_LETTER_STROKE / 2.0f;
    sketchBox(sketch, cx - outer, cy - tall, cx - inner, cy + tall, colour);
    sketchBox(sketch, cx + inner, cy - tall, cx + outer, cy + tall, colour);
    sketchBox(sketch, cx - inner, cy - bar, cx + inner, cy + bar, colour);
}

void paintPad(SDL_Surface* field, const TargetLayout& target)
{
    Sketch sketch = createSketch(target.w, target.h);
    fillSketch(sketch, PAD_CONCRETE);
    sketchRing(sketch, {target.w / 2.0f, target.h / 2.0f}, PAD_RING_INNER, PAD_RING_OUTER,
               PAINT_WHITE);
    sketchPadLetter(sketch, accentOfType(target.type));
    SDL_Surface* pad = shrinkSketch(sketch);
    freeSketch(sketch);
    stampCanvas(field, pad, target.x, target.y);
    SDL_FreeSurface(pad);
}

bool isOnAnotherEdgeBand(int target, int x, int y)
{
    for (int other = 0; other < MAX_TARGETS; ++other) {
        if (other != target && isOnEdgeBand(landingAreaOf(AIRFIELD[other]), x, y)) {
            return true;
        }
    }
    return false;
}

// Paints each landing area's edge band in its accent. Where the bands of two
// areas cross (the runways do), a third colour keeps both edges visible.
void paintLandingEdges(SDL_Surface* field)
{
    for (int i = 0; i < MAX_TARGETS; ++i) {
        const Area area = landingAreaOf(AIRFIELD[i]);
        const Rgb accent = accentOfType(AIRFIELD[i].type);
        for (int y = area.y; y < area.y + area.h; ++y) {
            for (int x = area.x; x < area.x + area.w; ++x) {
                if (isOnEdgeBand(area, x, y)) {
                    writePixel(field, x, y, isOnAnotherEdgeBand(i, x, y) ? EDGE_CROSSING : accent);
                }
            }
        }
    }
}

}  // namespace

SDL_Surface* drawBackground()
{
    SDL_Surface* field = createCanvas(SCREEN_WIDTH, SCREEN_HEIGHT);
    if (field == nullptr) {
        return nullptr;
    }
    paintGround(field);
    for (const TargetLayout& target : AIRFIELD) {
        if (isPad(target)) {
            paintPadApproach(field, target);
        } else {
            paintRunwayApproach(field, target);
        }
    }
    for (const TargetLayout& target : AIRFIELD) {
        if (isPad(target)) {
            paintPad(field, target);
        } else {
            paintRunway(field, target);
        }
    }
    paintLandingEdges(field);
    paintPanel(field);
    return field;
}
