// The files the game reads, as the tests go through them.
#ifndef CORVANE_GAME_FILES_H
#define CORVANE_GAME_FILES_H

#include <vector>

#include "skyrel_main.h"

// The sixteen bitmaps: the four interface ones, then each class's three looks.
inline std::vector<const char*> allBitmapFiles()
{
    std::vector<const char*> files = {BACKGROUND_FILE, DIGITS_FILE, PAUSE_TEXT_FILE,
                                      PRESSKEY_TEXT_FILE};
    for (const AircraftClass& c : FLEET)
        files.insert(files.end(), {c.normalFile, c.approachFile, c.crashedFile});
    return files;
}

#endif
