// Real SDL surfaces for the tests: a screen-sized canvas and plain aircraft.
#ifndef CORVANE_TEST_SURFACES_H
#define CORVANE_TEST_SURFACES_H

#include <SDL.h>

#include <memory>

struct SurfaceDeleter {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

// A 640 x 480, 16-bit RGB565 surface cleared to black.
SurfacePtr makeCanvas(int width = 640, int height = 480);

// A 16-bit w x h surface filled with one colour.
SurfacePtr makeBitmap(int w, int h, Uint8 r, Uint8 g, Uint8 b);

Uint32 pixelAt(SDL_Surface* s, int x, int y);
Uint32 mapRGB(SDL_Surface* s, Uint8 r, Uint8 g, Uint8 b);

#endif
