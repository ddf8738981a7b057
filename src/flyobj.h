// An aircraft: a path sprite with a normal, an approach and a crashed look.
#ifndef CORVANE_FLYOBJ_H
#define CORVANE_FLYOBJ_H

#include "pathsprite.h"

class FlyObj : public PathSprite {
public:
    FlyObj(SDL_Surface* normal, SDL_Surface* approach, SDL_Surface* crashed, float speedFactor,
           int type);

    // Gives the normal and approach looks a bitmap for every heading, each
    // the size of the look, the one for HeadingN being the look itself.
    // Without them every heading shows the look's one bitmap; the crashed
    // look has one bitmap for all headings.
    void setHeadingLooks(SDL_Surface* const normal[NUM_HEADINGS],
                         SDL_Surface* const approach[NUM_HEADINGS]);

    // Each setter changes the look and its size only; position, centre,
    // state and route stay, and nothing is drawn.
    void setNormal();
    void setOnApproach();
    void setCrashed();
    bool hasHeadingLooks() const { return normalHeadings[HeadingN] != nullptr; }

    SDL_Surface* normalSurf;  // the three looks are not owned
    SDL_Surface* approachSurf;
    SDL_Surface* crashedSurf;
    // Filled by setHeadingLooks; all null for an aircraft with one bitmap a look.
    SDL_Surface* normalHeadings[NUM_HEADINGS];
    SDL_Surface* approachHeadings[NUM_HEADINGS];
};

#endif
