// PNG files of the generator's canvases, for the icons of the desktop.
#ifndef CORVANE_TOOLS_PNG_FILE_H
#define CORVANE_TOOLS_PNG_FILE_H

#include <SDL.h>

#include <string>

// Writes the canvas as an 8-bit RGB PNG with libpng; prints one line and
// answers false when the file cannot be written.
bool savePng(SDL_Surface* canvas, const std::string& path);

#endif
