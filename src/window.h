// The game's window: the video mode with its caption and icon, its scale and
// fullscreen, and the presenting of composed frames, sending only what changed
// since the frame shown before. The game composes every frame on a field of
// its own size; the window shows each field pixel as a square block of scale
// x scale pixels, centred in fullscreen with black around it. Knows nothing of
// the game: it is handed the frame it shows.
#ifndef CORVANE_WINDOW_H
#define CORVANE_WINDOW_H

#include <SDL.h>

#include <string>

const int ICON_SIZE = 32;  // the window icon's width and height
const int MAX_SCALE = 8;   // the largest whole-number scale of the window

struct WindowOptions {
    int width = 0;  // of the field, the frames the game composes
    int height = 0;
    int bpp = 0;
    const char* caption = "";
    const char* iconTitle = "";
    std::string iconPath;  // a bitmap; the window goes without one it cannot load
    int scale = 0;         // 1 to MAX_SCALE; 0 for the largest that fits the desktop
    bool fullscreen = false;
};

// Where the field lies on the video surface, and the size of that surface.
struct WindowLayout {
    int width;
    int height;
    int scale;
    int left;
    int top;
};

// A rectangle of SDL's, which keeps its corner in 16 bits and its size unsigned.
SDL_Rect rectAt(int x, int y, int w, int h);

// Starts SDL's video on a display, or on the driver the player names in
// SDL_VIDEODRIVER. Answers false, with SDL_GetError saying why, when it
// cannot: a driver that draws into the terminal or nowhere is no display.
bool startVideo();

// The layout for a desktop of the given size (0 x 0 when unknown). A window
// takes the largest scale at which it fits the desktop with room for panels
// and a title bar, unless one is asked for; fullscreen keeps the desktop's
// own size and centres the field at the largest scale that fits it.
WindowLayout layoutWindow(int desktopWidth, int desktopHeight, const WindowOptions& options);

// Sets the video mode, icon and caption. Answers the field, the surface the
// game composes its frames on (the video surface itself at scale 1 in a
// window), or null when the mode cannot be set (SDL_GetError says why).
SDL_Surface* openWindow(const WindowOptions& options);
// Takes the next event for the field into event, which keeps what it held
// when none is waiting. The window acts on its own events: F11 and Alt+Enter
// switch between the window and fullscreen, keeping the picture; an expose
// (a window that lost its picture, as sdl12-compat reports it) shows the field
// again at once, also in a halted game; a wheel notch is no press, nor is a
// press on the border around the field. Pointer positions come in field
// pixels, clamped to the field.
bool pollWindowEvent(SDL_Event* event);
// The surface the game composes its frames on from now on: a switch to or
// from fullscreen may give it a new one. Null when no video mode could be
// set any more.
SDL_Surface* windowField();
// Turns a point of the layout from window pixels into field pixels of a
// field of the given size, clamped to it; answers whether it lay on it.
bool mapPointToField(const WindowLayout& layout, int fieldWidth, int fieldHeight, int* x, int* y);

// Brings the window up to the frame, sending only the tiles that changed
// since the frame shown before; the whole frame when that is not known, or
// when nearly everything changed.
void presentFrame(SDL_Surface* frame);
// Sends the whole frame.
void presentWhole(SDL_Surface* frame);
// Sends one rectangle of the frame, clipped to it, as it is now.
void presentArea(SDL_Surface* frame, SDL_Rect area);
// What the window shows is unknown (a new video mode, or a frame to be sent
// whole): the next frame goes whole.
void forgetShownFrame();

#endif
