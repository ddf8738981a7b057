// Runs the real game the way a player meets it: in an X server of its own
// (Xvfb), driven through X input (xdotool) and read from screenshots.
#ifndef CORVANE_X_SESSION_H
#define CORVANE_X_SESSION_H

#include <sys/types.h>

#include <string>
#include <vector>

#include "test_surfaces.h"

// A child process with extra environment variables (NAME=value sets, NAME
// unsets), a working folder and its output kept in a file. It owns its pid:
// only this class signals or reaps the child, and only while it has not been
// reaped, so a signal never reaches a process the test did not start.
class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                 const std::string& workDir, const std::string& stderrFile);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool running();        // reaps the child once it has ended
    void signal(int sig);  // only while it runs
    // Waits up to timeoutMs for the end; answers the exit status, 128 + the
    // signal that ended it, or -1 while it runs.
    int waitForExit(int timeoutMs);
    int exitStatus() const { return status; }        // -1 while it runs
    std::string procFile(const std::string& entry);  // /proc/<pid>/entry, or ""

private:
    pid_t pid = -1;   // > 0 only while the child is ours and not yet reaped
    int status = -1;  // set when it is reaped
};

// An Xvfb server on a free display, 640 x 480 at 24 bits.
class XServer {
public:
    XServer();
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    bool ready() const { return !display.empty(); }
    const std::string& name() const { return display; }  // ":N"

    int xdotool(const std::vector<std::string>& args) const;  // answers its status
    // Waits up to timeoutMs for a window whose name matches; answers its id or "".
    std::string waitForWindow(const std::string& title, int timeoutMs) const;
    SurfacePtr screenshot(const std::string& file) const;  // of the whole screen

private:
    pid_t pid = -1;
    int displayPipe = -1;  // kept open: the server writes to it again when it resets
    std::string display;
};

// The red, green and blue of a pixel, cut to the 5-6-5 precision of the
// game's 16-bit screen, so screenshots and bitmaps compare exactly.
Uint32 rgb565At(SDL_Surface* s, int x, int y);

std::string readFile(const std::string& path);

#endif
