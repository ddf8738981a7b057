// The preview sheet of the generated bitmaps.
#ifndef CORVANE_TOOLS_PREVIEW_H
#define CORVANE_TOOLS_PREVIEW_H

#include <string>

// Composes the bitmaps of bitmapsDir as the game's screen would show them
// and writes the sheet; prints one line and answers false on failure.
bool renderPreview(const std::string& bitmapsDir, const std::string& sheetPath);

#endif
