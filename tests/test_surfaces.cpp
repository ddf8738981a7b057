#include "test_surfaces.h"

#include <cstring>

namespace {
const Uint32 RED_565 = 0xF800;
const Uint32 GREEN_565 = 0x07E0;
const Uint32 BLUE_565 = 0x001F;
}  // namespace

SurfacePtr makeCanvas(int width, int height)
{
    return makeBitmap(width, height, 0, 0, 0);
}

SurfacePtr makeBitmap(int w, int h, Uint8 r, Uint8 g, Uint8 b)
{
    SurfacePtr s(SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 16, RED_565, GREEN_565, BLUE_565, 0));
    SDL_FillRect(s.get(), nullptr, SDL_MapRGB(s->format, r, g, b));
    return s;
}

Uint32 pixelAt(SDL_Surface* s, int x, int y)
{
    const Uint8* row = static_cast<const Uint8*>(s->pixels) + y * s->pitch;
    const Uint8* p = row + x * s->format->BytesPerPixel;
    switch (s->format->BytesPerPixel) {
    case 2: {
        Uint16 v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }
    case 4: {
        Uint32 v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }
    default:
        return p[0] | (p[1] << 8) | (p[2] << 16);
    }
}

Uint32 mapRGB(SDL_Surface* s, Uint8 r, Uint8 g, Uint8 b)
{
    return SDL_MapRGB(s->format, r, g, b);
}
