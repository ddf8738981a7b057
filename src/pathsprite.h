// Objects on the field: the path-following sprite, the landing targets and
// the spawn marker, with the two rectangle tests every hit test rests on.
#ifndef CORVANE_PATHSPRITE_H
#define CORVANE_PATHSPRITE_H

#include <SDL.h>

// One waypoint of a route, in screen pixels.
struct Coord {
    Sint32 x;
    Sint32 y;
};

// State codes of a sprite. There are no codes 7 and 8.
enum SpriteState : Sint32 {
    Inactive = 0,    // out of play: hidden, no route, at (0, 0)
    Announced = 1,   // a marker shows where it will appear; still hidden
    Flying = 2,      // in play without a finished route
    Routed = 3,      // follows a route that does not end on a matching target
    OnApproach = 4,  // its route leads from an approach area onto a landing area
    Final = 5,       // has touched the approach area of a matching target
    Landed = 6,      // its centre is on that target's landing area
    Crashed = 9,     // collided with another aircraft
};

const unsigned int PATH_CAPACITY = 1024;  // waypoints per route
const int MOVE_PERIOD = 40;               // top pace level and base of the step delay

// The eight headings a sprite steps in, clockwise from north; a look drawn
// in every heading is an array indexed by them.
enum Compass : Sint32 {
    HeadingN,
    HeadingNE,
    HeadingE,
    HeadingSE,
    HeadingS,
    HeadingSW,
    HeadingW,
    HeadingNW
};
const int NUM_HEADINGS = 8;

// The heading of a step (vx, vy), by the signs of the two; a sprite that
// does not move keeps the heading it had.
Compass headingOf(int vx, int vy, Compass previous);

// True when r.x <= x < r.x + r.w and r.y <= y < r.y + r.h: the right and
// bottom edges lie outside the rectangle.
bool ptInRect(int x, int y, SDL_Rect* r);

// True when one of the corners (a.x, a.y), (a.x, a.y + a.h), (a.x + a.w, a.y),
// (a.x + a.w, a.y + a.h) lies in b. Only a's corners are tested, so the test
// is one-sided, and the right and bottom corners lie one pixel outside a.
bool rectInRect(SDL_Rect* a, SDL_Rect* b);

class Target;

class PathSprite {
public:
    // The two ints after x and y are accepted and have no effect.
    PathSprite(SDL_Surface* surface, int x, int y, int /*unusedA*/, int /*unusedB*/,
               float speedFactor, int type);

    void setSurface(SDL_Surface* s);
    bool isVisible();
    void setPos(int x, int y);
    void setVelocity(int vx, int vy);
    int getPosX();
    int getPosY();
    int getWidth();
    int getHeight();
    int getCPosX();
    int getCPosY();
    SDL_Rect* getPos();
    int getType();

    bool collisionCheck(int x, int y);
    bool collisionCheckInside(SDL_Rect* r);
    bool collisionCheckOutline(SDL_Rect* r);
    bool collisionCheckOutline(PathSprite* other);
    bool collisionCheckInside(PathSprite* other);

    void draw(SDL_Surface* dst);
    void undraw(SDL_Surface* dst, unsigned int colour);
    void show(SDL_Surface* dst);
    void remove(SDL_Surface* dst, unsigned int colour);

    void clearPath();
    bool addToPath(int x, int y);
    bool addToPath(Coord* c);
    void calcVelocity();
    void move(SDL_Surface* dst, unsigned int colour);
    void drawPathRGBA(SDL_Surface* dst, Uint8 r, Uint8 g, Uint8 b, Uint8 a);

    bool checkPath(Target* t);
    bool checkPath(Target** list, int n);
    bool checkTarget(Target* t);
    bool checkTarget(Target** list, int n);

    Sint32 state;
    SDL_Surface* surface;  // not owned
    SDL_Rect pos;          // position, and the size of surface
    Sint32 cposX;
    Sint32 cposY;
    Sint32 velX;
    Sint32 velY;
    Sint32 speed;      // 0 to MOVE_PERIOD
    Sint32 moveDelay;  // calls of move still to wait before the next step
    Coord path[PATH_CAPACITY];
    Uint32 pathLen;
    Uint32 pathPos;  // the waypoint steered for
    bool visible;
    Sint32 type;  // landing type, matched against Target::type
    // The current look in every heading, north being surface itself; null
    // when the look has one bitmap for all headings.
    SDL_Surface* const* headingSurfs;
    Compass heading;  // of the last step drawn

private:
    void stepAxis(Sint16* coordinate, Sint32* velocity, int limit);
    void updateCentre();  // from pos, halves rounded down
};

// A landing area, the approach area in front of or around it, and the
// landing type of the aircraft that may land there.
class Target {
public:
    Target(int x, int y, int w, int h, int preX, int preY, int preW, int preH, int type);

    int getType();
    bool inTarget(int x, int y);
    bool inPreTarget(int x, int y);
    void draw(SDL_Surface* s);

    SDL_Rect rect;     // landing area
    SDL_Rect preRect;  // approach area
    Sint32 type;
};

// Holds an announced aircraft hidden for a number of ticks while a filled
// rectangle shows where it will appear, then puts it into play.
class Marker {
public:
    Marker(PathSprite* sprite, unsigned int delay);

    void draw(SDL_Surface* s, unsigned int color);
    bool startSprite(SDL_Surface* s);

    PathSprite* sprite;  // not owned
    SDL_Rect rect;       // fixed when the marker is made
    Uint32 delay;        // ticks still to wait
};

#endif
