#include "flyobj.h"

FlyObj::FlyObj(SDL_Surface* normal, SDL_Surface* approach, SDL_Surface* crashed, float speedFactor,
               int type)
    : PathSprite(normal, 0, 0, 0, 0, speedFactor, type),
      normalSurf(normal),
      approachSurf(approach),
      crashedSurf(crashed)
{
}

void FlyObj::setNormal()
{
    setSurface(normalSurf);
}

void FlyObj::setOnApproach()
{
    setSurface(approachSurf);
}

void FlyObj::setCrashed()
{
    setSurface(crashedSurf);
}
