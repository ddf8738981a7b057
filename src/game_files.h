// The game's files: where its data and its best score live, loading a bitmap
// from the data folder, and reading and writing the best score. Knows
// nothing of the game: it is handed the numbers it writes.
#ifndef CORVANE_GAME_FILES_H
#define CORVANE_GAME_FILES_H

#include <SDL.h>

#include <cstdio>
#include <string>
#include <vector>

inline constexpr const char* HIGHSCORE_FILE = "highscore.txt";

// Where the game's files are, chosen once at start-up by locateGameFiles:
// the folder that holds bitmaps/ ("" for the working folder), and the
// high-score file ("" when the best score lives in memory only). Until then
// the game uses the working folder for both.
extern std::string dataFolder;
extern std::string highscorePath;
// The folder of the running program; "" when it cannot be told.
std::string programFolder();
// Chooses the data folder: the first of the working folder, the program's
// folder and the installed data folder beside the program whose bitmaps/
// holds fieldBitmap (a file named as "bitmaps/NAME"). The best score lives
// beside the data, but for an installed game, which keeps it with the
// player's data. Answers false, having said where it looked, when none does.
bool locateGameFiles(const std::string& program, const char* fieldBitmap);
// A file the game names as "bitmaps/NAME", in the data folder.
std::string dataPath(const char* file);

// Loads a bitmap from the data folder, black made transparent when keyed, and
// converts it to the screen's format. Prints "Couldn't load bitmap ..." and
// answers null when it cannot be loaded or converted.
SDL_Surface* loadBitmap(const char* file, bool keyed);
// Loads the files, keyed, into surfaces in turn; when one cannot be loaded,
// frees those loaded before it and answers false.
bool loadBitmaps(const std::vector<std::string>& files, SDL_Surface* surfaces[]);

// The leading decimal number of the file, after optional white space; 0 when
// there is none, when it is negative or when it does not fit 32 bits.
unsigned int parseHighscore(FILE* file);
// The best score in the high-score file; 0 when there is none.
unsigned int readBestScore();
// Keeps score as the best score unless the file already holds a higher one,
// which another game may have written meanwhile; answers the best score now.
// The file is replaced whole or not at all; a failure is said once.
unsigned int saveBestScore(unsigned int score);

#endif
