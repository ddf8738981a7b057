// Runs the real game the way a player meets it: in an X server of its own
// (Xvfb), driven through X input (xdotool) and read from screenshots.
#ifndef CORVANE_X_SESSION_H
#define CORVANE_X_SESSION_H

#include <sys/types.h>

#include <string>
#include <vector>

#include "test_surfaces.h"

// A child process with extra environment variables, a working folder and
// its standard error kept in a file. It owns its pid: only this class
// signals or reaps the child, and only while it has not been reaped, so a
// signal can never reach a process the test did not start. Killed when
// still running at the end.
class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                 const std::string& workDir, const std::string& stderrFile);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Whether the child still runs; reaps it when it has ended.
    bool running();
    // Sends sig to the child while it runs; does nothing once it has ended,
    // or when it never started.
    void signal(int sig);
    // Waits up to timeoutMs for the process to end; answers its exit status,
    // 128 + the signal when a signal ended it, or -1 when it still runs.
    int waitForExit(int timeoutMs);
    // The status it ended with, as waitForExit answers it; -1 while it runs.
    int exitStatus() const { return status; }
    // The path of /proc/<pid>/<entry> while the child runs, else "".
    std::string procFile(const std::string& entry);

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

    // Runs xdotool with the given arguments on this display; answers its status.
    int xdotool(const std::vector<std::string>& args) const;
    // Waits up to timeoutMs for a window with this name; answers its id or "".
    std::string waitForWindow(const std::string& title, int timeoutMs) const;
    // Takes a screenshot of the whole screen, kept in file.
    SurfacePtr screenshot(const std::string& file) const;

private:
    pid_t pid = -1;
    int displayPipe = -1;  // kept open: the server writes to it again when it resets
    std::string display;
};

// Runs a command to its end with extra environment variables; answers its status.
int runCommand(const std::vector<std::string>& argv, const std::vector<std::string>& env);

// The red, green and blue of a pixel, cut to the 5-6-5 precision of the
// game's 16-bit screen, so screenshots and bitmaps compare exactly.
Uint32 rgb565At(SDL_Surface* s, int x, int y);

std::string readFile(const std::string& path);

#endif
