// WAV files of the generator's sound effects.
#ifndef CORVANE_TOOLS_WAV_FILE_H
#define CORVANE_TOOLS_WAV_FILE_H

#include <SDL.h>

#include <string>
#include <vector>

// The one format the game's effects come in: 16-bit mono PCM at this rate.
const int WAV_SAMPLE_RATE = 22050;

// Writes the samples as a RIFF/WAVE file of that format, little-endian
// whatever the machine; prints one line and answers false when the file
// cannot be written.
bool saveWav(const std::vector<Sint16>& samples, const std::string& path);

#endif
