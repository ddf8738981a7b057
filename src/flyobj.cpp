#include "flyobj.h"

FlyObj::FlyObj(SDL_Surface* normal, SDL_Surface* approach, SDL_Surface* crashed, float speedFactor,
               int type)
    : PathSprite(normal, 0, 0, 0, 0, speedFactor, type),
      normalSurf(normal),
      approachSurf(approach),
      crashedSurf(crashed),
      normalHeadings(),
      approachHeadings()
{
}

void FlyObj::setHeadingLooks(SDL_Surface* const normal[NUM_HEADINGS],
                             SDL_Surface* const approach[NUM_HEADINGS])
{
    for (int h = 0; h < NUM_HEADINGS; ++h) {
        normalHeadings[h] = normal[h];
        approachHeadings[h] = approach[h];
    }
    headingSurfs = surface == approachSurf ? approachHeadings
                   : surface == normalSurf ? normalHeadings
                                           : nullptr;
}

void FlyObj::setNormal()
{
    setSurface(normalSurf);
    headingSurfs = hasHeadingLooks() ? normalHeadings : nullptr;
}

void FlyObj::setOnApproach()
{
    setSurface(approachSurf);
    headingSurfs = hasHeadingLooks() ? approachHeadings : nullptr;
}

void FlyObj::setCrashed()
{
    setSurface(crashedSurf);
    headingSurfs = nullptr;  // a fireball, whatever the heading
}
