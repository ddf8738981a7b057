#include "pathsprite.h"

#include <SDL_gfxPrimitives.h>

// Target::draw's colours: grey approach area, white landing area.
const Uint8 APPROACH_GREY = 150;
const Uint8 LANDING_WHITE = 255;

bool ptInRect(int x, int y, SDL_Rect* r)
{
    const int left = r->x;
    const int top = r->y;
    const int right = left + r->w;
    const int bottom = top + r->h;
    return left <= x && x < right && top <= y && y < bottom;
}

bool rectInRect(SDL_Rect* a, SDL_Rect* b)
{
    const int left = a->x;
    const int top = a->y;
    const int right = left + a->w;
    const int bottom = top + a->h;
    return ptInRect(left, top, b) || ptInRect(left, bottom, b) || ptInRect(right, top, b) ||
           ptInRect(right, bottom, b);
}

static int speedFromFactor(float speedFactor)
{
    // Written so that a NaN factor gives 0 rather than an undefined conversion.
    if (!(speedFactor > 0.0f))
        return 0;
    if (speedFactor >= 1.0f)
        return MOVE_PERIOD;
    // The product must be formed in double precision: 0.45f is 0.449999988,
    // which gives 17.99999952 and speed 17, where float arithmetic rounds to 18.
    return static_cast<int>(static_cast<double>(speedFactor) * MOVE_PERIOD);
}

Compass headingOf(int vx, int vy, Compass previous)
{
    // By the signs of the step, rows y = -1, 0, +1, columns x = -1, 0, +1.
    static const Compass BY_STEP[3][3] = {
        {HeadingNW, HeadingN, HeadingNE},
        {HeadingW, HeadingN, HeadingE},
        {HeadingSW, HeadingS, HeadingSE},
    };
    if (vx == 0 && vy == 0)
        return previous;
    const int column = vx < 0 ? 0 : (vx == 0 ? 1 : 2);
    const int row = vy < 0 ? 0 : (vy == 0 ? 1 : 2);
    return BY_STEP[row][column];
}

static int signOf(long long v)
{
    return v < 0 ? -1 : 1;
}

PathSprite::PathSprite(SDL_Surface* surface, int x, int y, int /*unusedA*/, int /*unusedB*/,
                       float speedFactor, int type)
    : state(Inactive),
      surface(surface),
      pos(),
      cposX(0),
      cposY(0),
      velX(0),
      velY(0),
      speed(speedFromFactor(speedFactor)),
      moveDelay(MOVE_PERIOD - speed),
      path(),
      pathLen(0),
      pathPos(0),
      visible(false),
      type(type),
      headingSurfs(nullptr),
      heading(HeadingN)
{
    if (surface) {
        pos.w = static_cast<Uint16>(surface->w);
        pos.h = static_cast<Uint16>(surface->h);
    }
    setPos(x, y);
}

void PathSprite::setSurface(SDL_Surface* s)
{
    surface = s;
    pos.w = static_cast<Uint16>(s->w);
    pos.h = static_cast<Uint16>(s->h);
}

bool PathSprite::isVisible()
{
    return visible;
}

void PathSprite::setPos(int x, int y)
{
    pos.x = static_cast<Sint16>(x);
    pos.y = static_cast<Sint16>(y);
    updateCentre();
}

void PathSprite::setVelocity(int vx, int vy)
{
    velX = vx;
    velY = vy;
}

int PathSprite::getPosX()
{
    return pos.x;
}

int PathSprite::getPosY()
{
    return pos.y;
}

int PathSprite::getWidth()
{
    return surface ? surface->w : 0;
}

int PathSprite::getHeight()
{
    return surface ? surface->h : 0;
}

int PathSprite::getCPosX()
{
    return cposX;
}

int PathSprite::getCPosY()
{
    return cposY;
}

SDL_Rect* PathSprite::getPos()
{
    return &pos;
}

int PathSprite::getType()
{
    return type;
}

bool PathSprite::collisionCheck(int x, int y)
{
    return visible && ptInRect(x, y, &pos);
}

bool PathSprite::collisionCheckInside(SDL_Rect* r)
{
    return visible && ptInRect(cposX, cposY, r);
}

bool PathSprite::collisionCheckOutline(SDL_Rect* r)
{
    return visible && rectInRect(&pos, r);
}

bool PathSprite::collisionCheckOutline(PathSprite* other)
{
    return other->isVisible() && visible && rectInRect(&pos, other->getPos());
}

bool PathSprite::collisionCheckInside(PathSprite* other)
{
    return other->isVisible() && visible && ptInRect(other->getCPosX(), other->getCPosY(), &pos);
}

// SDL writes the clipped rectangle back into the one it is given, so the
// drawing calls get a copy: a sprite reaching past an edge keeps its size.
// A look drawn in every heading is shown facing the way the sprite steps;
// every heading has the size of surface.
void PathSprite::draw(SDL_Surface* dst)
{
    if (!visible)
        return;
    heading = headingOf(velX, velY, heading);
    SDL_Surface* shown = headingSurfs ? headingSurfs[heading] : surface;
    SDL_Rect dest = pos;
    SDL_BlitSurface(shown, nullptr, dst, &dest);
}

void PathSprite::undraw(SDL_Surface* dst, unsigned int colour)
{
    SDL_Rect area = pos;
    SDL_FillRect(dst, &area, colour);
}

void PathSprite::show(SDL_Surface* dst)
{
    visible = true;
    draw(dst);
}

void PathSprite::remove(SDL_Surface* dst, unsigned int colour)
{
    undraw(dst, colour);
    visible = false;
    clearPath();
    setPos(0, 0);
    state = Inactive;
}

void PathSprite::clearPath()
{
    pathLen = 0;
    pathPos = 0;
    if (state == Routed)
        state = Flying;
}

bool PathSprite::addToPath(int x, int y)
{
    if (pathLen >= PATH_CAPACITY)
        return false;
    path[pathLen].x = x;
    path[pathLen].y = y;
    ++pathLen;
    return true;
}

bool PathSprite::addToPath(Coord* c)
{
    return addToPath(c->x, c->y);
}

void PathSprite::calcVelocity()
{
    if (pathLen == 0 || pathPos >= PATH_CAPACITY)
        return;

    // A waypoint counts as reached once it lies inside the sprite's rectangle.
    while (ptInRect(path[pathPos].x, path[pathPos].y, &pos)) {
        ++pathPos;
        if (pathPos >= pathLen) {
            clearPath();
            return;
        }
    }

    // 64-bit, as waypoints added through addToPath are not clipped to the screen.
    const long long dx = static_cast<long long>(path[pathPos].x) - cposX;
    const long long dy = static_cast<long long>(path[pathPos].y) - cposY;
    if (dx == 0 && dy == 0)
        return;  // only possible for a sprite without a surface
    const long long adx = dx < 0 ? -dx : dx;
    const long long ady = dy < 0 ? -dy : dy;

    // Straight along the major axis when it is at least three times the
    // minor distance, diagonal otherwise.
    if (adx > ady) {
        velX = signOf(dx);
        velY = (dy == 0 || adx / ady >= 3) ? 0 : signOf(dy);
    } else if (adx < ady) {
        velY = signOf(dy);
        velX = (dx == 0 || ady / adx >= 3) ? 0 : signOf(dx);
    } else {
        velX = signOf(dx);
        velY = signOf(dy);
    }
}

void PathSprite::move(SDL_Surface* dst, unsigned int colour)
{
    if (!visible)
        return;
    if (moveDelay != 0) {
        --moveDelay;
        return;
    }

    undraw(dst, colour);
    calcVelocity();

    stepAxis(&pos.x, &velX, dst->w - surface->w);
    stepAxis(&pos.y, &velY, dst->h - surface->h);
    updateCentre();
    draw(dst);
    moveDelay = MOVE_PERIOD - speed;
}

// Each axis bounces on its own, x first: at an edge the step is skipped, the
// direction reverses and the route is dropped. The last reachable position,
// limit - 1, is one pixel short of the far edge.
void PathSprite::stepAxis(Sint16* coordinate, Sint32* velocity, int limit)
{
    const int next = static_cast<Sint16>(*coordinate + *velocity);
    if (0 <= next && next < limit) {
        *coordinate = static_cast<Sint16>(next);
    } else {
        *velocity = -*velocity;
        clearPath();
    }
}

void PathSprite::updateCentre()
{
    cposX = pos.x + pos.w / 2;
    cposY = pos.y + pos.h / 2;
}

void PathSprite::drawPathRGBA(SDL_Surface* dst, Uint8 r, Uint8 g, Uint8 b, Uint8 a)
{
    // From the waypoint last reached (or the first one) to the route's end;
    // nothing is drawn from the sprite itself.
    const Uint32 first = pathPos > 1 ? pathPos : 1;
    for (Uint32 i = first; i < pathLen; ++i) {
        lineRGBA(dst, static_cast<Sint16>(path[i - 1].x), static_cast<Sint16>(path[i - 1].y),
                 static_cast<Sint16>(path[i].x), static_cast<Sint16>(path[i].y), r, g, b, a);
    }
}

bool PathSprite::checkPath(Target* t)
{
    if (type != t->getType())
        return false;
    // Searched from the end: a waypoint on the landing area directly after
    // one on the approach area.
    for (Uint32 i = pathLen; i > 1; --i) {
        const Coord& landing = path[i - 1];
        const Coord& approach = path[i - 2];
        if (t->inTarget(landing.x, landing.y) && t->inPreTarget(approach.x, approach.y))
            return true;
    }
    return false;
}

bool PathSprite::checkPath(Target** list, int n)
{
    for (int i = 0; i < n; ++i) {
        if (checkPath(list[i]))
            return true;
    }
    return false;
}

bool PathSprite::checkTarget(Target* t)
{
    // Reaching Final answers false, so an aircraft never becomes Final and
    // Landed in the same call.
    if (state == OnApproach) {
        if (type == t->getType() && collisionCheckOutline(&t->preRect))
            state = Final;
        return false;
    }
    if (state == Final) {
        if (type == t->getType() && collisionCheckInside(&t->rect)) {
            state = Landed;
            return true;
        }
        return false;
    }
    return false;
}

bool PathSprite::checkTarget(Target** list, int n)
{
    for (int i = 0; i < n; ++i) {
        if (checkTarget(list[i]))
            return true;
    }
    return false;
}

Target::Target(int x, int y, int w, int h, int preX, int preY, int preW, int preH, int type)
    : rect{static_cast<Sint16>(x), static_cast<Sint16>(y), static_cast<Uint16>(w),
           static_cast<Uint16>(h)},
      preRect{static_cast<Sint16>(preX), static_cast<Sint16>(preY), static_cast<Uint16>(preW),
              static_cast<Uint16>(preH)},
      type(type)
{
}

int Target::getType()
{
    return type;
}

bool Target::inTarget(int x, int y)
{
    return ptInRect(x, y, &rect);
}

bool Target::inPreTarget(int x, int y)
{
    return ptInRect(x, y, &preRect);
}

void Target::draw(SDL_Surface* s)
{
    SDL_Rect approach = preRect;
    SDL_FillRect(s, &approach, SDL_MapRGB(s->format, APPROACH_GREY, APPROACH_GREY, APPROACH_GREY));
    SDL_Rect landing = rect;
    SDL_FillRect(s, &landing, SDL_MapRGB(s->format, LANDING_WHITE, LANDING_WHITE, LANDING_WHITE));
}

Marker::Marker(PathSprite* sprite, unsigned int delay) : sprite(sprite), rect(), delay(0)
{
    sprite->state = Announced;
    rect.x = static_cast<Sint16>(sprite->getPosX());
    rect.y = static_cast<Sint16>(sprite->getPosY());
    rect.w = static_cast<Uint16>(sprite->getWidth());
    rect.h = static_cast<Uint16>(sprite->getHeight());
    this->delay = delay;
}

void Marker::draw(SDL_Surface* s, unsigned int color)
{
    SDL_Rect area = rect;
    SDL_FillRect(s, &area, color);
}

bool Marker::startSprite(SDL_Surface* s)
{
    if (delay != 0) {
        --delay;
        return false;
    }
    sprite->state = Flying;
    sprite->show(s);
    return true;
}
