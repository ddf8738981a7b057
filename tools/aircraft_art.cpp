// The aircraft, seen from above, sketched nose up and turned to each heading.
// Each class has its own outline and size so that neither a player nor a
// program matching pixels mixes them up; the main surfaces carry the accent
// of the class's landing type.
#include <cmath>
#include <cstring>

#include <SDL_rotozoom.h>

#include "art.h"
#include "canvas.h"
#include "palette.h"

namespace {

// The colours one look paints an airframe in.
struct Livery {
    Rgb body;     // fuselage or cabin
    Rgb surface;  // wings, or a helicopter's cabin sides: the accent
    Rgb detail;   // engines, fins, tail
    Rgb canopy;
    Rgb rotor;
};

using AirframeSketcher = void (*)(const Sketch&, const Livery&);

struct AircraftDrawing {
    const char* normalFile;  // matched against the fleet table
    int size;                // of all three looks
    // Shrinks the sketch into the circle inscribed in the bitmap, so that
    // no heading clips it.
    float figureScale;
    AirframeSketcher sketchAirframe;
};

const float DETAIL_DARKENING = 0.3f;
const float ROTOR_TINT = 0.35f;  // propellers and rotors take a little of the accent

// Approach look: corner brackets around the aircraft, in the green of the
// routes, and a lit-up fuselage; thin rotors stay as they are, as thin green
// lines would read like a route.
const float BRACKET_ARM = 0.3f;        // of the bitmap's size
const float BRACKET_THICKNESS = 2.0f;  // whole pixels: crisp at the bitmap's edge
const float BRACKET_INSET = 1.0f;

// Crashed look: a charred airframe under a fireball.
const int FLAME_POINTS = 9;
const float FLAME_INNER_RATIO = 0.5f;
const float FIREBALL_RADIUS = 0.36f;  // of the bitmap's size
const float FIRE_CORE_RADIUS = 0.23f;
const float FIRE_HEART_RADIUS = 0.11f;
const float PI = 3.14159265f;

void sketchAirliner(const Sketch& s, const Livery& l)
{
    sketchMirroredPolygon(s, {{12, 8.2f}, {1, 14.6f}, {1, 16.9f}, {12, 13.8f}}, l.surface);
    sketchEllipse(s, {7.4f, 10.9f}, 1.3f, 2.1f, l.detail);
    sketchEllipse(s, {16.6f, 10.9f}, 1.3f, 2.1f, l.detail);
    sketchMirroredPolygon(s, {{12, 18.2f}, {6.2f, 21.8f}, {6.2f, 23.2f}, {12, 21.6f}}, l.surface);
    sketchEllipse(s, {12, 12}, 2.3f, 11.2f, l.body);
    sketchLine(s, {12, 17}, {12, 23}, 1.1f, l.detail);
    sketchEllipse(s, {12, 3.6f}, 1.3f, 1.1f, l.canopy);
}

void sketchJet(const Sketch& s, const Livery& l)
{
    sketchMirroredPolygon(s, {{11, 4.5f}, {1, 17.2f}, {1, 19.2f}, {11, 19.2f}}, l.surface);
    sketchMirroredPolygon(s, {{11, 6.8f}, {7.4f, 9.8f}, {7.4f, 10.6f}, {11, 10.2f}}, l.detail);
    sketchPolygon(s, {{11, 0.6f}, {12.7f, 5.5f}, {12.9f, 20.6f}, {9.1f, 20.6f}, {9.3f, 5.5f}},
                  l.body);
    sketchLine(s, {11, 13}, {11, 20.5f}, 1.0f, l.detail);
    sketchBox(s, 9.6f, 20.4f, 12.4f, 21.4f, l.detail);
    sketchEllipse(s, {11, 6.6f}, 1.3f, 2.2f, l.canopy);
}

void sketchTurboprop(const Sketch& s, const Livery& l)
{
    sketchMirroredPolygon(
        s, {{13, 7.8f}, {1, 8.6f}, {0.6f, 9.6f}, {0.6f, 12.0f}, {1, 12.6f}, {13, 12.8f}},
        l.surface);
    sketchEllipse(s, {7.4f, 9.4f}, 1.4f, 3.8f, l.detail);
    sketchEllipse(s, {18.6f, 9.4f}, 1.4f, 3.8f, l.detail);
    sketchLine(s, {4.0f, 5.4f}, {10.8f, 5.4f}, 0.9f, l.rotor);
    sketchLine(s, {15.2f, 5.4f}, {22.0f, 5.4f}, 0.9f, l.rotor);
    sketchMirroredPolygon(s, {{13, 20.6f}, {7.2f, 21.4f}, {7.2f, 24.2f}, {13, 24.2f}}, l.surface);
    sketchEllipse(s, {13, 13}, 2.4f, 12.2f, l.body);
    sketchLine(s, {13, 19}, {13, 25}, 1.1f, l.detail);
    sketchEllipse(s, {13, 3.6f}, 1.5f, 1.2f, l.canopy);
}

void sketchHelicopter(const Sketch& s, const Livery& l)
{
    const Point hub = {12, 11};
    const float blade = 10.4f;
    const float diagonal = blade * 0.7071f;  // blades at 45 degrees
    sketchRing(s, hub, 10.1f, 10.8f, l.rotor);
    sketchLine(s, {hub.x - diagonal, hub.y - diagonal}, {hub.x + diagonal, hub.y + diagonal}, 1.0f,
               l.rotor);
    sketchLine(s, {hub.x + diagonal, hub.y - diagonal}, {hub.x - diagonal, hub.y + diagonal}, 1.0f,
               l.rotor);
    sketchLine(s, {12, 14}, {12, 22.6f}, 1.8f, l.body);
    sketchMirroredPolygon(s, {{12, 18.0f}, {8.6f, 18.4f}, {8.6f, 19.8f}, {12, 19.8f}}, l.detail);
    sketchLine(s, {13.5f, 19.8f}, {13.5f, 23.6f}, 1.0f, l.detail);
    sketchEllipse(s, {12, 11.6f}, 5.0f, 6.6f, l.surface);
    sketchEllipse(s, {12, 8.0f}, 3.3f, 2.5f, l.canopy);
    sketchEllipse(s, hub, 1.1f, 1.1f, l.body);
}

// Sizes run from 22 to 26 pixels: the fast jet is the smallest, the
// turboprop the largest.
const AircraftDrawing DRAWINGS[] = {
    {"bitmaps/a1.bmp", 24, 0.88f, sketchAirliner},
    {"bitmaps/b1.bmp", 22, 0.82f, sketchJet},
    {"bitmaps/c1.bmp", 26, 0.93f, sketchTurboprop},
    {"bitmaps/d1.bmp", 24, 0.92f, sketchHelicopter},
};

const AircraftDrawing* findDrawing(const AircraftClass& fleetClass)
{
    for (const AircraftDrawing& drawing : DRAWINGS) {
        if (std::strcmp(drawing.normalFile, fleetClass.normalFile) == 0) {
            return &drawing;
        }
    }
    return nullptr;
}

Livery liveryOf(int type, AircraftLook look)
{
    const Rgb accent = accentOfType(type);
    const Rgb detail = mixColours(accent, BLACK, DETAIL_DARKENING);
    const Rgb rotor = mixColours(ROTOR_TIP, accent, ROTOR_TINT);
    switch (look) {
    case AircraftLook::Approach:
        return {APPROACH_LIGHT, accent, detail, CANOPY, rotor};
    case AircraftLook::Crashed:
        return {CHARRED, CHARRED_SHADE, CHARRED_SHADE, CHARRED_SHADE, CHARRED};
    default:
        return {AIRFRAME, accent, detail, CANOPY, rotor};
    }
}

void sketchBrackets(const Sketch& s)
{
    const auto size = static_cast<float>(s.width);
    const float arm = size * BRACKET_ARM;
    const float near = BRACKET_INSET;
    const float far = size - BRACKET_INSET;
    const float t = BRACKET_THICKNESS;
    const Rgb c = APPROACH_LIGHT;
    sketchBox(s, near - t / 2, near - t / 2, near + arm, near + t / 2, c);
    sketchBox(s, near - t / 2, near - t / 2, near + t / 2, near + arm, c);
    sketchBox(s, far - arm, near - t / 2, far + t / 2, near + t / 2, c);
    sketchBox(s, far - t / 2, near - t / 2, far + t / 2, near + arm, c);
    sketchBox(s, near - t / 2, far - t / 2, near + arm, far + t / 2, c);
    sketchBox(s, near - t / 2, far - arm, near + t / 2, far + t / 2, c);
    sketchBox(s, far - arm, far - t / 2, far + t / 2, far + t / 2, c);
    sketchBox(s, far - t / 2, far - arm, far + t / 2, far + t / 2, c);
}

// A ragged star of flame around the bitmap's centre.
void sketchFlame(const Sketch& s, float radius, Rgb colour)
{
    const Point centre = {s.width / 2.0f, s.height / 2.0f};
    std::vector<Point> corners;
    for (int i = 0; i < 2 * FLAME_POINTS; ++i) {
        const float angle = PI * i / FLAME_POINTS;
        const float r = (i % 2 == 0) ? radius : radius * FLAME_INNER_RATIO;
        corners.push_back({centre.x + r * std::sin(angle), centre.y - r * std::cos(angle)});
    }
    sketchPolygon(s, corners, colour);
}

void sketchFire(const Sketch& s)
{
    const auto size = static_cast<float>(s.width);
    sketchFlame(s, size * FIREBALL_RADIUS, FLAME_RED);
    sketchFlame(s, size * FIRE_CORE_RADIUS, FLAME_ORANGE);
    sketchEllipse(s, {size / 2, size / 2}, size * FIRE_HEART_RADIUS, size * FIRE_HEART_RADIUS,
                  FLAME_YELLOW);
}

}  // namespace

// The brackets and the fire keep their place in the bitmap; only the
// airframe turns.
Sketch sketchAircraft(const AircraftClass& fleetClass, AircraftLook look, Compass heading)
{
    const AircraftDrawing* drawing = findDrawing(fleetClass);
    if (drawing == nullptr) {
        return Sketch{nullptr, 0, 0};
    }
    Sketch sketch = createSketch(drawing->size, drawing->size);
    if (look == AircraftLook::Approach) {
        sketchBrackets(sketch);
    }
    turnSketch(sketch, turnsWithHeading(look) ? heading : HeadingN, drawing->figureScale);
    drawing->sketchAirframe(sketch, liveryOf(fleetClass.type, look));
    turnSketch(sketch, HeadingN, 1.0f);
    if (look == AircraftLook::Crashed) {
        sketchFire(sketch);
    }
    return sketch;
}

SDL_Surface* drawAircraft(const AircraftClass& fleetClass, AircraftLook look, Compass heading)
{
    Sketch sketch = sketchAircraft(fleetClass, look, heading);
    if (sketch.surf == nullptr) {
        return nullptr;
    }
    SDL_Surface* bitmap = shrinkSketch(sketch);
    freeSketch(sketch);
    snapNearBlack(bitmap);
    return bitmap;
}

SDL_Surface* drawAircraftIcon(const AircraftClass& fleetClass, double zoom)
{
    SDL_Surface* look = drawAircraft(fleetClass, AircraftLook::Normal);
    if (look == nullptr) {
        return nullptr;
    }
    SDL_Surface* icon = zoomSurface(look, zoom, zoom, SMOOTHING_ON);
    SDL_FreeSurface(look);
    if (icon != nullptr) {
        snapNearBlack(icon);
    }
    return icon;
}
