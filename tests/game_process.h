// Runs of the real corvane binary in scratch working folders.
#ifndef CORVANE_GAME_PROCESS_H
#define CORVANE_GAME_PROCESS_H

#include <string>
#include <vector>

// A scratch working folder for one run of the game, removed afterwards.
class WorkFolder {
public:
    WorkFolder();
    ~WorkFolder();
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    // A full copy of the game's bitmaps, for a test to damage.
    void copyBitmaps();
    void linkBitmaps();
    std::string file(const std::string& name) const { return path + "/" + name; }

    std::string path;
};

// Whether this run of the tests asks for sdl12-compat (through
// LD_LIBRARY_PATH) in place of the classic SDL 1.2.
bool onSdl12Compat();

// The environment of a game run: the video driver, and the suppressions of
// what X libraries keep allocated for the life of the process.
std::vector<std::string> gameEnv(const std::string& driver);

// The command line of a run of binary, the game, in dir. As root the game runs as an
// unprivileged user, so that file and folder permissions apply to it. That
// user may not reach the checkout (a private home folder, say), so the game,
// its bitmaps and the leak suppressions are then copied into dir, readable
// by all, and the command runs the copies. Otherwise the game runs as it is,
// with dir's bitmaps linked to the built ones.
std::vector<std::string> gameCommand(const std::string& binary, WorkFolder& dir);

#endif
