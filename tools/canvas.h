// Drawing surfaces of the bitmap generator: plain 32-bit canvases, colours,
// and sketches drawn large and shrunk into small smooth bitmaps.
#ifndef CORVANE_TOOLS_CANVAS_H
#define CORVANE_TOOLS_CANVAS_H

#include <SDL.h>

#include <string>
#include <vector>

struct Rgb {
    Uint8 r, g, b;
};

inline bool operator==(Rgb a, Rgb b)
{
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

inline bool operator!=(Rgb a, Rgb b)
{
    return !(a == b);
}

const Rgb BLACK = {0, 0, 0};

// A point in bitmap pixels; sketches scale it up.
struct Point {
    float x, y;
};

// A 32-bit surface without an alpha channel, cleared to black. Blits and
// SDL_SaveBMP copy its pixels exactly. The caller frees it.
SDL_Surface* createCanvas(int width, int height);

Rgb readPixel(SDL_Surface* canvas, int x, int y);
void writePixel(SDL_Surface* canvas, int x, int y, Rgb colour);
void fillBox(SDL_Surface* canvas, int x, int y, int w, int h, Rgb colour);
// A one-pixel frame on the outermost pixels of the box.
void outlineBox(SDL_Surface* canvas, int x, int y, int w, int h, Rgb colour);

// Copies src onto dst with its top left corner at (x, y).
void stampCanvas(SDL_Surface* dst, SDL_Surface* src, int x, int y);

// amount 0 gives from, 1 gives to.
Rgb mixColours(Rgb from, Rgb to, float amount);

// True when the game's RGB565 conversion turns the colour into its colour
// key, black: red and blue below 8 and green below 4.
bool isKeyedOut(Rgb colour);

// Sets every pixel that would be keyed out to pure black, so a bitmap shows
// on screen exactly what it stores and nothing vanishes by accident.
void snapNearBlack(SDL_Surface* canvas);

// Prints one line and answers false when the file cannot be written.
bool saveCanvas(SDL_Surface* canvas, const std::string& path);

// A canvas SKETCH_SCALE times the size of the bitmap it becomes. Shapes take
// coordinates in bitmap pixels; shrinking averages each block of the sketch,
// which smooths every edge.
const int SKETCH_SCALE = 8;

struct Sketch {
    SDL_Surface* surf;  // owned: free with freeSketch
    int width, height;  // of the bitmap it becomes
    // Shapes are scaled by figureScale about the bitmap's centre and turned
    // clockwise about it, so a figure drawn nose up comes out facing its
    // heading. Cosine and sine of the turn.
    float turnCos = 1.0f, turnSin = 0.0f;
    float figureScale = 1.0f;
};

Sketch createSketch(int width, int height);
// Shapes drawn from now on are turned by eighths x 45 degrees clockwise and
// scaled by scale; eighths 0 and scale 1 draw them as given.
void turnSketch(Sketch& sketch, int eighths, float scale);
void freeSketch(Sketch& sketch);
void fillSketch(const Sketch& sketch, Rgb colour);
void sketchPolygon(const Sketch& sketch, const std::vector<Point>& corners, Rgb colour);
// The polygon and its mirror image across the bitmap's vertical centre line.
void sketchMirroredPolygon(const Sketch& sketch, const std::vector<Point>& corners, Rgb colour);
void sketchBox(const Sketch& sketch, float left, float top, float right, float bottom, Rgb colour);
// Drawn as a polygon, so that it turns like every other shape.
void sketchEllipse(const Sketch& sketch, Point centre, float rx, float ry, Rgb colour);
void sketchRing(const Sketch& sketch, Point centre, float inner, float outer, Rgb colour);
void sketchLine(const Sketch& sketch, Point from, Point to, float thickness, Rgb colour);
// A new canvas of the bitmap's size; the caller frees it.
SDL_Surface* shrinkSketch(const Sketch& sketch);

#endif
