// Real SDL surfaces for the tests and the pixels on them.
#ifndef CORVANE_TEST_SURFACES_H
#define CORVANE_TEST_SURFACES_H

#include <SDL.h>

#include <cstring>
#include <memory>

struct SurfaceDeleter {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

// A 16-bit RGB565 surface, w x h, filled with one colour (black by default).
inline SurfacePtr makeBitmap(int w, int h, Uint8 r = 0, Uint8 g = 0, Uint8 b = 0)
{
    SurfacePtr s(SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 16, 0xF800, 0x07E0, 0x001F, 0));
    SDL_FillRect(s.get(), nullptr, SDL_MapRGB(s->format, r, g, b));
    return s;
}

inline Uint32 pixelAt(SDL_Surface* s, int x, int y)
{
    const Uint8* p =
        static_cast<const Uint8*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel;
    Uint32 v = 0;
    std::memcpy(&v, p, s->format->BytesPerPixel);  // little-endian hosts only
    return v;
}

inline SDL_Rect rectOf(int x, int y, int w, int h)
{
    return SDL_Rect{static_cast<Sint16>(x), static_cast<Sint16>(y), static_cast<Uint16>(w),
                    static_cast<Uint16>(h)};
}

#endif
