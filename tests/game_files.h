// The files the game reads, as the tests go through them.
#ifndef CORVANE_GAME_FILES_H
#define CORVANE_GAME_FILES_H

#include <string>
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

// The normal and approach looks in the seven headings besides north.
inline std::vector<std::string> headingBitmapFiles()
{
    std::vector<std::string> files;
    for (const AircraftClass& c : FLEET) {
        for (const char* look : {c.normalFile, c.approachFile}) {
            for (int h = HeadingNE; h < NUM_HEADINGS; ++h)
                files.push_back(headingFile(look, static_cast<Compass>(h)));
        }
    }
    return files;
}

#endif
