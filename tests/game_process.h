// Runs of the real corvane binary in scratch working folders.
#ifndef CORVANE_GAME_PROCESS_H
#define CORVANE_GAME_PROCESS_H

#include <string>
#include <vector>

// A scratch working folder, removed afterwards.
class WorkFolder {
public:
    WorkFolder();
    ~WorkFolder();
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    void copyBitmaps();  // for a test to damage
    void linkBitmaps();
    std::string file(const std::string& name) const { return path + "/" + name; }

    std::string path;
};

// Whether this run asks for sdl12-compat (through LD_LIBRARY_PATH).
bool onSdl12Compat();

// The video driver, and the suppressions of what X libraries keep allocated
// (leaks go unchecked on sdl12-compat: SDL2 unloads the X libraries when SDL
// quits, and what they keep comes from unknown modules no suppression names).
std::vector<std::string> gameEnv(const std::string& driver, const char* suppressions = nullptr);

// The command of a run of binary in dir. As root the game runs as nobody,
// so that file permissions apply to it, from a copy in dir of the game, its
// bitmaps and the leak suppressions (nobody may not reach the checkout).
// Otherwise it runs as it is, with dir's bitmaps linked to the built ones.
std::vector<std::string> gameCommand(const std::string& binary, WorkFolder& dir);

#endif
