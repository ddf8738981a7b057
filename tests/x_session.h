// Runs of the real game, and an X server of its own (Xvfb) to play it in.
#ifndef CORVANE_X_SESSION_H
#define CORVANE_X_SESSION_H

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include "test_surfaces.h"

// A child with NAME=value environment, a folder and an output file: only it signals or reaps it.
class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                 const std::string& workDir, const std::string& stderrFile);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool running();                  // reaps the child once it has ended
    void signal(int sig);            // only while it runs
    int waitForExit(int timeoutMs);  // the status, 128 + a signal, or -1 while it runs
    std::string procFile(const std::string& entry);  // /proc/<pid>/entry while it runs, or ""

private:
    pid_t pid = -1;  // > 0 only while the child is ours and not yet reaped
    int status = -1;
};

class XServer {  // Xvfb on a free display, of a size at 24 bits
public:
    explicit XServer(int width = 640, int height = 480);
    ~XServer();

    const std::string& name() const { return display; }  // ":N"
    // Runs a program (xdotool, xprop) on this display to its end; its status.
    int run(const std::vector<std::string>& argv, const std::string& outFile = "") const;
    SurfacePtr screenshot(const std::string& file) const;

private:
    std::unique_ptr<ChildProcess> server;
    std::string display;
};

// A pixel cut to the 5-6-5 bits of the game's screen, as screenshots compare.
Uint32 rgb565At(SDL_Surface* s, int x, int y);
std::string readFile(const std::string& path);

// A scratch working folder, removed afterwards, with a copy of the bitmaps and sounds if asked.
struct WorkFolder {
    enum Bitmaps { NO_BITMAPS, WITH_BITMAPS };
    explicit WorkFolder(Bitmaps bitmaps = NO_BITMAPS);
    ~WorkFolder();
    std::string file(const std::string& name) const { return path + "/" + name; }

    std::string path;
};

bool onSdl12Compat();  // whether LD_LIBRARY_PATH asks for sdl12-compat

// The video driver, no display, the leak suppressions (none on sdl12-compat: SDL2 unloads X),
// and a silent audio device.
std::vector<std::string> gameEnv(const std::string& driver, const std::string& suppressions = "");

#endif
