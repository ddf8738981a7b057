// Real SDL surfaces for the tests, their pixels, and a sprite's state in one line.
#ifndef CORVANE_TEST_SURFACES_H
#define CORVANE_TEST_SURFACES_H

#include <SDL.h>

#include <cstring>
#include <memory>
#include <string>

#include "pathsprite.h"

struct SurfaceDeleter {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

// A 16-bit RGB565 surface, w x h, filled with one colour.
inline SurfacePtr makeBitmap(int w, int h, Uint8 r = 0, Uint8 g = 0, Uint8 b = 0)
{
    SurfacePtr s(SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 16, 0xF800, 0x07E0, 0x001F, 0));
    SDL_FillRect(s.get(), nullptr, SDL_MapRGB(s->format, r, g, b));
    return s;
}

inline Uint32 pixelAt(SDL_Surface* s, int x, int y)
{
    Uint32 v = 0;  // little-endian hosts
    std::memcpy(&v,
                static_cast<Uint8*>(s->pixels) + static_cast<ptrdiff_t>(y) * s->pitch +
                    static_cast<ptrdiff_t>(x) * s->format->BytesPerPixel,
                s->format->BytesPerPixel);
    return v;
}

inline SDL_Rect rectOf(int x, int y, int w, int h)
{
    return SDL_Rect{static_cast<Sint16>(x), static_cast<Sint16>(y), static_cast<Uint16>(w),
                    static_cast<Uint16>(h)};
}

// "x,y vx,vy state route-length" and " hidden" when it is.
inline std::string stateOf(const PathSprite& s)
{
    return std::to_string(s.pos.x) + "," + std::to_string(s.pos.y) + " " + std::to_string(s.velX) +
           "," + std::to_string(s.velY) + " " + std::to_string(s.state) + " " +
           std::to_string(s.pathLen) + (s.visible ? "" : " hidden");
}

#endif
