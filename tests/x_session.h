// The real game as a player meets it: in an X server of its own (Xvfb),
// driven through X input (xdotool) and read from screenshots.
#ifndef CORVANE_X_SESSION_H
#define CORVANE_X_SESSION_H

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include "test_surfaces.h"

// A child with extra environment (NAME=value sets, NAME unsets), a working
// folder and its output in a file. It owns its pid: only it signals or reaps
// the child, and only before it is reaped, so no signal reaches a process
// the test did not start.
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
    int exitStatus() const { return status; }
    std::string procFile(const std::string& entry);  // /proc/<pid>/entry while it runs, or ""

private:
    pid_t pid = -1;  // > 0 only while the child is ours and not yet reaped
    int status = -1;
};

// An Xvfb server on a free display, 640 x 480 at 24 bits.
class XServer {
public:
    XServer();
    ~XServer();

    bool ready() const { return !display.empty(); }
    const std::string& name() const { return display; }                        // ":N"
    int xdotool(const std::vector<std::string>& args) const;                   // its exit status
    std::string waitForWindow(const std::string& title, int timeoutMs) const;  // its id, or ""
    SurfacePtr screenshot(const std::string& file) const;  // of the whole screen

private:
    std::unique_ptr<ChildProcess> server;  // and so not copyable
    int displayPipe = -1;  // kept open: the server writes to it again when it resets
    std::string display;
};

// A pixel's colour cut to the 5-6-5 bits of the game's screen, so that
// screenshots and bitmaps compare exactly.
Uint32 rgb565At(SDL_Surface* s, int x, int y);

std::string readFile(const std::string& path);

#endif
