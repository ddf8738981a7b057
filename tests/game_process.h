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

// The environment of a game run: the video driver, and the suppressions of
// what X libraries keep allocated for the life of the process.
std::vector<std::string> gameEnv(const std::string& driver);

// The game's command line; as root it runs as an unprivileged user, so that
// file and folder permissions apply to it.
std::vector<std::string> gameCommand(const std::string& binary);

#endif
