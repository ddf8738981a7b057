#include "window.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

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

// What the window shows: a copy of the frame's pixels as they were sent, row
// for row at the frame's pitch. Empty while unknown.
struct ShownFrame {
    std::vector<Uint8> pixels;
    const SDL_Surface* surface = nullptr;
    int pitch = 0;
    int h = 0;
};
ShownFrame shown;

SDL_Rect rectAt(int x, int y, int w, int h)
{
    return SDL_Rect{static_cast<Sint16>(x), static_cast<Sint16>(y), static_cast<Uint16>(w),
                    static_cast<Uint16>(h)};
}

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
        for (size_t column = 0; column < columns; ++column) {
            if (!changed[firstTileOfRow(frame, y) + column])
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

}  // namespace

SDL_Surface* openWindow(const WindowOptions& options)
{
    setWindowIcon(options.iconPath);
    SDL_Surface* video =
        SDL_SetVideoMode(options.width, options.height, options.bpp, SDL_SWSURFACE);
    if (!video)
        return nullptr;
    SDL_WM_SetCaption(options.caption, options.iconTitle);
    forgetShownFrame();
    return video;
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
        SDL_UpdateRects(frame, static_cast<int>(rects.size()), rects.data());
}

// Sends the whole frame and keeps it as the shown frame.
void presentWhole(SDL_Surface* frame)
{
    SDL_Flip(frame);
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
    SDL_Rect clipped = rectAt(left, top, right - left, bottom - top);
    SDL_UpdateRects(frame, 1, &clipped);
    if (isShownFrameKnown(frame))
        keepShownArea(frame, clipped);
}

void forgetShownFrame()
{
    shown = ShownFrame();
}
