// Where a bitmap that the game reads as "bitmaps/NAME", or a sound it reads
// as "sounds/NAME", lies in a folder of our choosing.
#ifndef CORVANE_TOOLS_BITMAP_PATHS_H
#define CORVANE_TOOLS_BITMAP_PATHS_H

#include <string>

inline std::string bitmapPath(const std::string& dir, const char* gameFile)
{
    const std::string file = gameFile;
    return dir + "/" + file.substr(file.rfind('/') + 1);
}

#endif
