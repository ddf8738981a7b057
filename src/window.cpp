#include "window.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Height of the desktop kept free of a window for panels and a title bar.
const int PANEL_ROOM = 120;
const int MAX_DRIVER_NAME = 32;
const Uint8 LAST_CLASSIC_PATCH = 15;  // SDL 1.2.15; sdl12-compat counts from 1.2.50

// The window is brought up to date in tiles: only the tiles in which a frame
// differs from the one shown before are sent. At or above WHOLE_UPDATE_PERCENT
// of changed tiles, or beyond MAX_UPDATE_RECTS rectangles, the whole frame
// goes in one update: nearly all of it would be converted and sent anyway,
// and one update saves the cost of each piece.
const int TILE_WIDTH = 32;
const int TILE_HEIGHT = 16;
const size_t PERCENT = 100;
const size_t WHOLE_UPDATE_PERCENT = 75;
const size_t MAX_UPDATE_RECTS = 64;

// The open window. The field is the video surface when it needs no scaling,
// else the canvas, a surface of the video's format that the window owns.
struct Window {
    WindowOptions options;
    int desktopWidth = 0;  // as it was before the first video mode
    int desktopHeight = 0;
    WindowLayout layout{};
    SDL_Surface* video = nullptr;
    SDL_Surface* canvas = nullptr;
};
Window window;

// What the window shows: a copy of the frame's pixels as they were sent, row
// for row at the frame's pitch. Empty while unknown.
struct ShownFrame {
    std::vector<Uint8> pixels;
    const SDL_Surface* surface = nullptr;
    int pitch = 0;
    int h = 0;
};
ShownFrame shown;

// A window icon that cannot be loaded is not worth refusing to start for.
// Set before the video mode, as SDL asks.
void setWindowIcon(const std::string& path)
{
    SDL_Surface* icon = SDL_LoadBMP(path.c_str());
    if (!icon || icon->w != ICON_SIZE || icon->h != ICON_SIZE) {
        fprintf(stderr, "Couldn't load window icon %s: %s; starting without it\n", path.c_str(),
                icon ? "not 32 x 32" : SDL_GetError());
        SDL_FreeSurface(icon);
        return;
    }
    SDL_WM_SetIcon(icon, nullptr);  // no mask: the icon is opaque
    SDL_FreeSurface(icon);
}

bool isShownFrameKnown(const SDL_Surface* frame)
{
    return shown.surface == frame && shown.pitch == frame->pitch && shown.h == frame->h &&
           !shown.pixels.empty();
}

// Copies a rectangle of the frame into the shown frame. Frames are software
// surfaces: their pixels are read without a lock.
void keepShownArea(const SDL_Surface* frame, const SDL_Rect& area)
{
    const auto bytesPerPixel = static_cast<size_t>(frame->format->BytesPerPixel);
    const size_t offset = static_cast<size_t>(area.x) * bytesPerPixel;
    const size_t length = static_cast<size_t>(area.w) * bytesPerPixel;
    const auto* from = static_cast<const Uint8*>(frame->pixels);
    for (int y = area.y; y < area.y + area.h; ++y) {
        const size_t row = static_cast<size_t>(y) * static_cast<size_t>(frame->pitch) + offset;
        memcpy(&shown.pixels[row], from + row, length);
    }
}

size_t countTileColumns(const SDL_Surface* frame)
{
    return static_cast<size_t>((frame->w + TILE_WIDTH - 1) / TILE_WIDTH);
}

// The index of the first tile of the tile row that holds frame row y.
size_t firstTileOfRow(const SDL_Surface* frame, int y)
{
    return static_cast<size_t>(y / TILE_HEIGHT) * countTileColumns(frame);
}

// Marks the tiles of the band of rows [y, y + h) in which the frame differs
// from the shown frame, in changed from the band's first column on. Most
// rows do not change at all, so each row is compared whole first, and tile
// by tile only when it differs.
void markChangedTiles(const SDL_Surface* frame, int y, int h, Uint8* changed)
{
    const auto bytesPerPixel = static_cast<size_t>(frame->format->BytesPerPixel);
    const size_t rowBytes = static_cast<size_t>(frame->w) * bytesPerPixel;
    const size_t tileBytes = static_cast<size_t>(TILE_WIDTH) * bytesPerPixel;
    const size_t columns = countTileColumns(frame);
    for (int row = y; row < y + h; ++row) {
        const size_t start = static_cast<size_t>(row) * static_cast<size_t>(frame->pitch);
        const Uint8* now = static_cast<const Uint8*>(frame->pixels) + start;
        const Uint8* was = &shown.pixels[start];
        if (memcmp(now, was, rowBytes) == 0)
            continue;
        for (size_t column = 0; column < columns; ++column) {
            const size_t offset = column * tileBytes;
            const size_t length = std::min(tileBytes, rowBytes - offset);
            if (!changed[column] && memcmp(now + offset, was + offset, length) != 0)
                changed[column] = 1;
        }
    }
}

// Adds a changed tile to the rectangles to send: it widens the rectangle of
// its own tile row that ends at its left, or starts a new one. rowStart is
// the first rectangle of the current tile row.
void addChangedTile(const SDL_Rect& tile, size_t rowStart, std::vector<SDL_Rect>* rects)
{
    if (rects->size() > rowStart) {
        SDL_Rect& last = rects->back();
        if (last.y == tile.y && last.x + last.w == tile.x) {
            last.w = static_cast<Uint16>(last.w + tile.w);
            return;
        }
    }
    rects->push_back(tile);
}

// Once a tile row is done, each of its rectangles that spans exactly the
// columns of a rectangle ending just above it makes that one taller instead.
void mergeRowIntoAbove(size_t rowStart, std::vector<SDL_Rect>* rects)
{
    size_t kept = rowStart;
    for (size_t r = rowStart; r < rects->size(); ++r) {
        const SDL_Rect piece = (*rects)[r];
        bool merged = false;
        for (size_t a = 0; a < rowStart && !merged; ++a) {
            SDL_Rect& above = (*rects)[a];
            if (above.x == piece.x && above.w == piece.w && above.y + above.h == piece.y) {
                above.h = static_cast<Uint16>(above.h + piece.h);
                merged = true;
            }
        }
        if (!merged)
            (*rects)[kept++] = piece;
    }
    rects->resize(kept);
}

// Takes the changed tiles (flags as presentFrame keeps them) into the shown
// frame and gathers them into as few rectangles as the merging finds.
void takeChangedTiles(const SDL_Surface* frame, const std::vector<Uint8>& changed,
                      std::vector<SDL_Rect>* rects)
{
    const size_t columns = countTileColumns(frame);
    rects->clear();
    for (int y = 0; y < frame->h; y += TILE_HEIGHT) {
        const size_t rowStart = rects->size();
        const Uint8* rowChanged = &changed[firstTileOfRow(frame, y)];
        for (size_t column = 0; column < columns; ++column) {
            if (!rowChanged[column])
                continue;
            const int x = static_cast<int>(column) * TILE_WIDTH;
            const SDL_Rect tile = rectAt(x, y, std::min(TILE_WIDTH, frame->w - x),
                                         std::min(TILE_HEIGHT, frame->h - y));
            keepShownArea(frame, tile);
            addChangedTile(tile, rowStart, rects);
        }
        mergeRowIntoAbove(rowStart, rects);
    }
}

// The largest scale up to MAX_SCALE at which the field fits width x height;
// 1 when none does.
int largestScale(int width, int height, const WindowOptions& options)
{
    int scale = 1;
    while (scale < MAX_SCALE && options.width * (scale + 1) <= width &&
           options.height * (scale + 1) <= height)
        ++scale;
    return scale;
}

SDL_Surface* field()
{
    return window.canvas ? window.canvas : window.video;
}

void freeCanvas()
{
    SDL_FreeSurface(window.canvas);
    window.canvas = nullptr;
}

// Sets the video mode of the window or of fullscreen, black all over, and
// gives the field a canvas of its own when it is scaled or framed.
bool setVideoMode(bool fullscreen)
{
    WindowOptions wanted = window.options;
    wanted.fullscreen = fullscreen;
    const WindowLayout layout = layoutWindow(window.desktopWidth, window.desktopHeight, wanted);
    SDL_Surface* video = SDL_SetVideoMode(layout.width, layout.height, wanted.bpp,
                                          SDL_SWSURFACE | (fullscreen ? SDL_FULLSCREEN : 0));
    if (!video)
        return false;
    window.options = wanted;
    window.layout = layout;
    window.video = video;
    SDL_FillRect(video, nullptr, 0);
    const bool framed =
        layout.scale > 1 || layout.width > wanted.width || layout.height > wanted.height;
    if (!framed) {
        freeCanvas();
    } else if (!window.canvas) {
        const SDL_PixelFormat* f = video->format;
        window.canvas = SDL_CreateRGBSurface(SDL_SWSURFACE, wanted.width, wanted.height,
                                             f->BitsPerPixel, f->Rmask, f->Gmask, f->Bmask, 0);
    }
    forgetShownFrame();
    return field() != nullptr;
}

// Copies a rectangle of the field onto the video surface, each pixel a block
// of scale x scale pixels: the first row of a block pixel by pixel, the
// others as copies of it. BYTES is the depth of both surfaces, which the
// canvas takes from the video surface.
template <int BYTES> void scaleRows(const SDL_Surface* from, SDL_Surface* to, const SDL_Rect& area)
{
    const WindowLayout& l = window.layout;
    const auto rowBytes = static_cast<size_t>(area.w) * static_cast<size_t>(l.scale) * BYTES;
    for (int y = area.y; y < area.y + area.h; ++y) {
        const Uint8* in = static_cast<const Uint8*>(from->pixels) +
                          static_cast<ptrdiff_t>(y) * from->pitch +
                          static_cast<ptrdiff_t>(area.x) * BYTES;
        Uint8* first = static_cast<Uint8*>(to->pixels) +
                       static_cast<ptrdiff_t>(l.top + y * l.scale) * to->pitch +
                       static_cast<ptrdiff_t>(l.left + area.x * l.scale) * BYTES;
        Uint8* out = first;
        for (int x = 0; x < area.w; ++x, in += BYTES) {
            for (int copy = 0; copy < l.scale; ++copy, out += BYTES)
                memcpy(out, in, BYTES);
        }
        for (int copy = 1; copy < l.scale; ++copy)
            memcpy(first + static_cast<ptrdiff_t>(copy) * to->pitch, first, rowBytes);
    }
}

void scaleArea(const SDL_Surface* frame, const SDL_Rect& area)
{
    SDL_Surface* video = window.video;
    if (SDL_MUSTLOCK(video) && SDL_LockSurface(video) < 0)
        return;
    switch (video->format->BytesPerPixel) {
    case 1:
        scaleRows<1>(frame, video, area);
        break;
    case 2:
        scaleRows<2>(frame, video, area);
        break;
    case 3:
        scaleRows<3>(frame, video, area);
        break;
    default:
        scaleRows<4>(frame, video, area);
        break;
    }
    if (SDL_MUSTLOCK(video))
        SDL_UnlockSurface(video);
}

// Puts rectangles of the frame on the window: as they are when the frame is
// the video surface, scaled onto it otherwise.
void sendAreas(SDL_Surface* frame, int count, SDL_Rect* rects)
{
    if (frame != window.canvas) {
        SDL_UpdateRects(frame, count, rects);
        return;
    }
    const WindowLayout& l = window.layout;
    for (int i = 0; i < count; ++i) {
        scaleArea(frame, rects[i]);
        rects[i] = rectAt(l.left + rects[i].x * l.scale, l.top + rects[i].y * l.scale,
                          rects[i].w * l.scale, rects[i].h * l.scale);
    }
    SDL_UpdateRects(window.video, count, rects);
}

void sendWhole(SDL_Surface* frame)
{
    if (frame != window.canvas) {
        SDL_Flip(frame);
        return;
    }
    scaleArea(frame, rectAt(0, 0, frame->w, frame->h));
    SDL_Flip(window.video);
}

bool isFullscreenKey(const SDL_keysym& key)
{
    return key.sym == SDLK_F11 ||
           ((key.sym == SDLK_RETURN || key.sym == SDLK_KP_ENTER) && (key.mod & KMOD_ALT) != 0);
}

bool isWheelNotch(const SDL_Event& event)
{
    return (event.type == SDL_MOUSEBUTTONDOWN || event.type == SDL_MOUSEBUTTONUP) &&
           (event.button.button == SDL_BUTTON_WHEELUP ||
            event.button.button == SDL_BUTTON_WHEELDOWN);
}

// A new video mode may free the field's pixels with the old surface: the
// picture is copied aside first. When the other mode cannot be set the
// window stays as it was; when not even that can be set, it has no field.
void toggleFullscreen()
{
    if (!field())
        return;  // no window to switch
    SDL_Surface* picture = SDL_ConvertSurface(field(), field()->format, SDL_SWSURFACE);
    const bool fullscreen = !window.options.fullscreen;
    if (!setVideoMode(fullscreen) && !setVideoMode(!fullscreen)) {
        freeCanvas();
        window.video = nullptr;
    }
    SDL_Surface* now = field();
    if (now) {
        SDL_BlitSurface(picture, nullptr, now, nullptr);
        presentWhole(now);
    }
    SDL_FreeSurface(picture);
}

// Turns the pointer position of a mouse event into field pixels; answers
// false when it lay on the border around the field.
bool mapPointerToField(SDL_Event* event)
{
    if (window.layout.scale < 1)
        return true;  // no window is open
    Uint16* x = nullptr;
    Uint16* y = nullptr;
    if (event->type == SDL_MOUSEMOTION) {
        x = &event->motion.x;
        y = &event->motion.y;
    } else if (event->type == SDL_MOUSEBUTTONDOWN || event->type == SDL_MOUSEBUTTONUP) {
        x = &event->button.x;
        y = &event->button.y;
    } else {
        return true;
    }
    int fieldX = *x;
    int fieldY = *y;
    const bool onField = mapPointToField(window.layout, window.options.width, window.options.height,
                                         &fieldX, &fieldY);
    *x = static_cast<Uint16>(fieldX);
    *y = static_cast<Uint16>(fieldY);
    return onField;
}

// Where a display was looked for, for a message that says none was found.
std::string displayLookedFor()
{
    const char* display = getenv("DISPLAY");
    return display && display[0] != '\0' ? std::string("none answers at DISPLAY=") + display
                                         : "DISPLAY is not set";
}

}  // namespace

SDL_Rect rectAt(int x, int y, int w, int h)
{
    return SDL_Rect{static_cast<Sint16>(x), static_cast<Sint16>(y), static_cast<Uint16>(w),
                    static_cast<Uint16>(h)};
}

// Without a display SDL falls back on drivers that draw into the terminal
// (classic SDL 1.2) or nowhere (SDL2 under sdl12-compat). The classic
// library's start drawing as they start, so unless the player names a
// driver it is handed in turn those that show a window: X11, then the
// console's framebuffer. What SDL2 chose is refused when it shows nothing.
bool startVideo()
{
    const char* named = getenv("SDL_VIDEODRIVER");
    if (named && named[0] != '\0')
        return SDL_Init(SDL_INIT_VIDEO) == 0;
    bool started = false;
    if (SDL_Linked_Version()->patch <= LAST_CLASSIC_PATCH) {
        for (const char* driver : {"x11", "fbcon"}) {
            setenv("SDL_VIDEODRIVER", driver, 1);
            started = SDL_Init(SDL_INIT_VIDEO) == 0;
            if (started)
                break;
        }
        unsetenv("SDL_VIDEODRIVER");
    } else {
        char driver[MAX_DRIVER_NAME] = "";
        started = SDL_Init(SDL_INIT_VIDEO) == 0 &&
                  SDL_VideoDriverName(driver, sizeof driver) != nullptr &&
                  strcmp(driver, "offscreen") != 0 && strcmp(driver, "dummy") != 0;
        if (!started)
            SDL_Quit();
    }
    if (!started)
        SDL_SetError("no display found: %s", displayLookedFor().c_str());
    return started;
}

WindowLayout layoutWindow(int desktopWidth, int desktopHeight, const WindowOptions& options)
{
    if (options.fullscreen && desktopWidth >= options.width && desktopHeight >= options.height) {
        const int scale = largestScale(desktopWidth, desktopHeight, options);
        return {desktopWidth, desktopHeight, scale, (desktopWidth - options.width * scale) / 2,
                (desktopHeight - options.height * scale) / 2};
    }
    const int scale = options.scale > 0
                          ? options.scale
                          : largestScale(desktopWidth, desktopHeight - PANEL_ROOM, options);
    return {options.width * scale, options.height * scale, scale, 0, 0};
}

// The desktop's size can be read only before the first video mode is set.
SDL_Surface* openWindow(const WindowOptions& options)
{
    freeCanvas();
    window = Window();
    window.options = options;
    const SDL_VideoInfo* desktop = SDL_GetVideoInfo();
    window.desktopWidth = desktop ? desktop->current_w : 0;
    window.desktopHeight = desktop ? desktop->current_h : 0;
    setWindowIcon(options.iconPath);
    if (!setVideoMode(options.fullscreen))
        return nullptr;
    SDL_WM_SetCaption(options.caption, options.iconTitle);
    return field();
}

SDL_Surface* windowField()
{
    return field();
}

bool pollWindowEvent(SDL_Event* event)
{
    SDL_Event next;
    while (SDL_PollEvent(&next)) {
        if (next.type == SDL_KEYDOWN && isFullscreenKey(next.key.keysym)) {
            toggleFullscreen();
            continue;
        }
        if (next.type == SDL_VIDEOEXPOSE) {
            if (field())  // the window lost its picture; the field still holds it
                presentWhole(field());
            continue;
        }
        const bool onField = mapPointerToField(&next);
        if (isWheelNotch(next) || (next.type == SDL_MOUSEBUTTONDOWN && !onField))
            continue;
        *event = next;
        return true;
    }
    return false;
}

bool mapPointToField(const WindowLayout& layout, int fieldWidth, int fieldHeight, int* x, int* y)
{
    const bool onField = *x >= layout.left && *y >= layout.top &&
                         (*x - layout.left) / layout.scale < fieldWidth &&
                         (*y - layout.top) / layout.scale < fieldHeight;
    *x = *x < layout.left ? 0 : std::min((*x - layout.left) / layout.scale, fieldWidth - 1);
    *y = *y < layout.top ? 0 : std::min((*y - layout.top) / layout.scale, fieldHeight - 1);
    return onField;
}

// Between two ticks only a few small areas change: the aircraft move a
// pixel, a route loses a segment, a counter turns. Sending the whole frame
// every tick would convert and copy all of it to the window each time.
void presentFrame(SDL_Surface* frame)
{
    if (!isShownFrameKnown(frame)) {
        presentWhole(frame);
        return;
    }
    // One flag per tile, row by row of tiles; tiles at the right and bottom
    // edges may be cut short.
    static std::vector<Uint8> changed;
    changed.assign(firstTileOfRow(frame, frame->h + TILE_HEIGHT - 1), 0);  // to the last tile row
    for (int y = 0; y < frame->h; y += TILE_HEIGHT)
        markChangedTiles(frame, y, std::min(TILE_HEIGHT, frame->h - y),
                         &changed[firstTileOfRow(frame, y)]);
    const auto changedTiles = static_cast<size_t>(std::count(changed.begin(), changed.end(), 1));
    if (changedTiles * PERCENT >= changed.size() * WHOLE_UPDATE_PERCENT) {
        presentWhole(frame);
        return;
    }
    static std::vector<SDL_Rect> rects;
    takeChangedTiles(frame, changed, &rects);
    if (rects.size() > MAX_UPDATE_RECTS)
        presentWhole(frame);
    else if (!rects.empty())
        sendAreas(frame, static_cast<int>(rects.size()), rects.data());
}

// Sends the whole frame and keeps it as the shown frame.
void presentWhole(SDL_Surface* frame)
{
    sendWhole(frame);
    shown.surface = frame;
    shown.pitch = frame->pitch;
    shown.h = frame->h;
    shown.pixels.resize(static_cast<size_t>(frame->pitch) * static_cast<size_t>(frame->h));
    keepShownArea(frame, rectAt(0, 0, frame->w, frame->h));
}

void presentArea(SDL_Surface* frame, SDL_Rect area)
{
    const int left = std::max(0, static_cast<int>(area.x));
    const int top = std::max(0, static_cast<int>(area.y));
    const int right = std::min(frame->w, area.x + area.w);
    const int bottom = std::min(frame->h, area.y + area.h);
    if (right <= left || bottom <= top)
        return;
    const SDL_Rect clipped = rectAt(left, top, right - left, bottom - top);
    SDL_Rect sent = clipped;
    sendAreas(frame, 1, &sent);
    if (isShownFrameKnown(frame))
        keepShownArea(frame, clipped);
}

void forgetShownFrame()
{
    shown = ShownFrame();
}
