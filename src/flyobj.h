// An aircraft: a path sprite with a normal, an approach and a crashed look.
#ifndef CORVANE_FLYOBJ_H
#define CORVANE_FLYOBJ_H

#include "pathsprite.h"

class FlyObj : public PathSprite {
public:
    FlyObj(SDL_Surface* normal, SDL_Surface* approach, SDL_Surface* crashed, float speedFactor,
           int type);

    // Each setter changes the look and its size only; position, centre,
    // state and route stay, and nothing is drawn.
    void setNormal();
    void setOnApproach();
    void setCrashed();

    SDL_Surface* normalSurf;  // the three looks are not owned
    SDL_Surface* approachSurf;
    SDL_Surface* crashedSurf;
};

#endif
