// The game's window: the video mode with its caption and icon, and the
// presenting of composed frames, sending only what changed since the frame
// shown before. Knows nothing of the game: it is handed the frame it shows.
#ifndef CORVANE_WINDOW_H
#define CORVANE_WINDOW_H

#include <SDL.h>

#include <string>

const int ICON_SIZE = 32;  // the window icon's width and height

struct WindowOptions {
    int width = 0;  // of the frames the game composes
    int height = 0;
    int bpp = 0;
    const char* caption = "";
    const char* iconTitle = "";
    std::string iconPath;  // a bitmap; the window goes without one it cannot load
};

// Sets the video mode, icon and caption. Answers the surface the game
// composes its frames on, or null when the mode cannot be set (SDL_GetError
// says why).
SDL_Surface* openWindow(const WindowOptions& options);

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
