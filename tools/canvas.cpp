#include "canvas.h"

#include <SDL_gfxPrimitives.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>

namespace {

const Uint32 RED_MASK = 0x00FF0000;
const Uint32 GREEN_MASK = 0x0000FF00;
const Uint32 BLUE_MASK = 0x000000FF;
const Uint8 OPAQUE = 255;
const int ELLIPSE_CORNERS = 64;
const float PI = 3.14159265f;
// Cosine and sine of each eighth of a turn, exact where they can be, so that
// quarter turns of a figure match pixel for pixel as far as filling allows.
const float HALF_ROOT_TWO = 0.70710678f;
const Point EIGHTH_TURNS[8] = {
    {1, 0},  {HALF_ROOT_TWO, HALF_ROOT_TWO},   {0, 1},  {-HALF_ROOT_TWO, HALF_ROOT_TWO},
    {-1, 0}, {-HALF_ROOT_TWO, -HALF_ROOT_TWO}, {0, -1}, {HALF_ROOT_TWO, -HALF_ROOT_TWO}};

// The bits that RGB565 drops from each channel.
const int RED_LOSS = 3;
const int GREEN_LOSS = 2;
const int BLUE_LOSS = 3;

Uint32* pixelAddress(SDL_Surface* canvas, int x, int y)
{
    Uint8* row = static_cast<Uint8*>(canvas->pixels) + static_cast<ptrdiff_t>(y) * canvas->pitch;
    return reinterpret_cast<Uint32*>(row) + x;
}

Sint16 toSketchPixel(float bitmapCoordinate)
{
    return static_cast<Sint16>(std::lround(bitmapCoordinate * SKETCH_SCALE));
}

// Where a point of the figure lies on the bitmap once scaled and turned.
Point placeOnSketch(const Sketch& sketch, Point p)
{
    const float cx = sketch.width / 2.0f;
    const float cy = sketch.height / 2.0f;
    const float dx = (p.x - cx) * sketch.figureScale;
    const float dy = (p.y - cy) * sketch.figureScale;
    return {cx + dx * sketch.turnCos - dy * sketch.turnSin,
            cy + dx * sketch.turnSin + dy * sketch.turnCos};
}

}  // namespace

SDL_Surface* createCanvas(int width, int height)
{
    SDL_Surface* canvas =
        SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 32, RED_MASK, GREEN_MASK, BLUE_MASK, 0);
    if (canvas != nullptr) {
        SDL_FillRect(canvas, nullptr, 0);
    }
    return canvas;
}

Rgb readPixel(SDL_Surface* canvas, int x, int y)
{
    Rgb colour;
    SDL_GetRGB(*pixelAddress(canvas, x, y), canvas->format, &colour.r, &colour.g, &colour.b);
    return colour;
}

void writePixel(SDL_Surface* canvas, int x, int y, Rgb colour)
{
    if (x < 0 || y < 0 || x >= canvas->w || y >= canvas->h) {
        return;
    }
    *pixelAddress(canvas, x, y) = SDL_MapRGB(canvas->format, colour.r, colour.g, colour.b);
}

void fillBox(SDL_Surface* canvas, int x, int y, int w, int h, Rgb colour)
{
    SDL_Rect box = {static_cast<Sint16>(x), static_cast<Sint16>(y), static_cast<Uint16>(w),
                    static_cast<Uint16>(h)};
    SDL_FillRect(canvas, &box, SDL_MapRGB(canvas->format, colour.r, colour.g, colour.b));
}

void outlineBox(SDL_Surface* canvas, int x, int y, int w, int h, Rgb colour)
{
    fillBox(canvas, x, y, w, 1, colour);
    fillBox(canvas, x, y + h - 1, w, 1, colour);
    fillBox(canvas, x, y, 1, h, colour);
    fillBox(canvas, x + w - 1, y, 1, h, colour);
}

void stampCanvas(SDL_Surface* dst, SDL_Surface* src, int x, int y)
{
    SDL_Rect at = {static_cast<Sint16>(x), static_cast<Sint16>(y), 0, 0};
    SDL_BlitSurface(src, nullptr, dst, &at);
}

Rgb mixColours(Rgb from, Rgb to, float amount)
{
    auto mixChannel = [amount](Uint8 a, Uint8 b) {
        return static_cast<Uint8>(std::lround(a + (b - a) * amount));
    };
    return {mixChannel(from.r, to.r), mixChannel(from.g, to.g), mixChannel(from.b, to.b)};
}

bool isKeyedOut(Rgb colour)
{
    return (colour.r >> RED_LOSS) == 0 && (colour.g >> GREEN_LOSS) == 0 &&
           (colour.b >> BLUE_LOSS) == 0;
}

void snapNearBlack(SDL_Surface* canvas)
{
    for (int y = 0; y < canvas->h; ++y) {
        for (int x = 0; x < canvas->w; ++x) {
            if (isKeyedOut(readPixel(canvas, x, y))) {
                writePixel(canvas, x, y, BLACK);
            }
        }
    }
}

bool saveCanvas(SDL_Surface* canvas, const std::string& path)
{
    if (SDL_SaveBMP(canvas, path.c_str()) != 0) {
        std::fprintf(stderr, "Couldn't write %s: %s\n", path.c_str(), SDL_GetError());
        return false;
    }
    return true;
}

Sketch createSketch(int width, int height)
{
    return {createCanvas(width * SKETCH_SCALE, height * SKETCH_SCALE), width, height};
}

void turnSketch(Sketch& sketch, int eighths, float scale)
{
    const Point turn = EIGHTH_TURNS[eighths % 8];
    sketch.turnCos = turn.x;
    sketch.turnSin = turn.y;
    sketch.figureScale = scale;
}

void freeSketch(Sketch& sketch)
{
    SDL_FreeSurface(sketch.surf);
    sketch.surf = nullptr;
}

void fillSketch(const Sketch& sketch, Rgb colour)
{
    fillBox(sketch.surf, 0, 0, sketch.surf->w, sketch.surf->h, colour);
}

void sketchPolygon(const Sketch& sketch, const std::vector<Point>& corners, Rgb colour)
{
    std::vector<Sint16> xs;
    std::vector<Sint16> ys;
    for (const Point& corner : corners) {
        const Point placed = placeOnSketch(sketch, corner);
        xs.push_back(toSketchPixel(placed.x));
        ys.push_back(toSketchPixel(placed.y));
    }
    filledPolygonRGBA(sketch.surf, xs.data(), ys.data(), static_cast<int>(corners.size()), colour.r,
                      colour.g, colour.b, OPAQUE);
}

void sketchMirroredPolygon(const Sketch& sketch, const std::vector<Point>& corners, Rgb colour)
{
    std::vector<Point> mirrored(corners.size());
    std::transform(corners.begin(), corners.end(), mirrored.begin(),
                   [&sketch](const Point& corner) {
                       return Point{sketch.width - corner.x, corner.y};
                   });
    sketchPolygon(sketch, corners, colour);
    sketchPolygon(sketch, mirrored, colour);
}

void sketchBox(const Sketch& sketch, float left, float top, float right, float bottom, Rgb colour)
{
    sketchPolygon(sketch, {{left, top}, {right, top}, {right, bottom}, {left, bottom}}, colour);
}

void sketchEllipse(const Sketch& sketch, Point centre, float rx, float ry, Rgb colour)
{
    std::vector<Point> corners;
    for (int i = 0; i < ELLIPSE_CORNERS; ++i) {
        const float angle = 2 * PI * i / ELLIPSE_CORNERS;
        corners.push_back({centre.x + rx * std::cos(angle), centre.y + ry * std::sin(angle)});
    }
    sketchPolygon(sketch, corners, colour);
}

void sketchRing(const Sketch& sketch, Point centre, float inner, float outer, Rgb colour)
{
    // Tested per sketch pixel centre: SDL_gfx has no ring of a chosen width.
    const Point placed = placeOnSketch(sketch, centre);
    const float cx = placed.x * SKETCH_SCALE;
    const float cy = placed.y * SKETCH_SCALE;
    const float innerPx = inner * sketch.figureScale * SKETCH_SCALE;
    const float outerPx = outer * sketch.figureScale * SKETCH_SCALE;
    const float innerSq = innerPx * innerPx;
    const float outerSq = outerPx * outerPx;
    for (int y = 0; y < sketch.surf->h; ++y) {
        for (int x = 0; x < sketch.surf->w; ++x) {
            const float dx = x + 0.5f - cx;
            const float dy = y + 0.5f - cy;
            const float distSq = dx * dx + dy * dy;
            if (distSq >= innerSq && distSq <= outerSq) {
                writePixel(sketch.surf, x, y, colour);
            }
        }
    }
}

void sketchLine(const Sketch& sketch, Point from, Point to, float thickness, Rgb colour)
{
    const Point a = placeOnSketch(sketch, from);
    const Point b = placeOnSketch(sketch, to);
    thickLineRGBA(sketch.surf, toSketchPixel(a.x), toSketchPixel(a.y), toSketchPixel(b.x),
                  toSketchPixel(b.y),
                  static_cast<Uint8>(toSketchPixel(thickness * sketch.figureScale)), colour.r,
                  colour.g, colour.b, OPAQUE);
}

SDL_Surface* shrinkSketch(const Sketch& sketch)
{
    SDL_Surface* bitmap = createCanvas(sketch.width, sketch.height);
    if (bitmap == nullptr) {
        return nullptr;
    }
    const int samples = SKETCH_SCALE * SKETCH_SCALE;
    for (int y = 0; y < sketch.height; ++y) {
        for (int x = 0; x < sketch.width; ++x) {
            int r = 0;
            int g = 0;
            int b = 0;
            for (int sy = 0; sy < SKETCH_SCALE; ++sy) {
                for (int sx = 0; sx < SKETCH_SCALE; ++sx) {
                    Rgb s = readPixel(sketch.surf, x * SKETCH_SCALE + sx, y * SKETCH_SCALE + sy);
                    r += s.r;
                    g += s.g;
                    b += s.b;
                }
            }
            writePixel(bitmap, x, y,
                       {static_cast<Uint8>((r + samples / 2) / samples),
                        static_cast<Uint8>((g + samples / 2) / samples),
                        static_cast<Uint8>((b + samples / 2) / samples)});
        }
    }
    return bitmap;
}
