#include "x_session.h"

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

const int START_TIMEOUT_MS = 10000;
const int TOOL_TIMEOUT_MS = 60000;
const int POLL_MS = 20;

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv,
                           const std::vector<std::string>& env, const std::string& workDir,
                           const std::string& stderrFile)
{
    pid = fork();
    if (pid != 0) {
        status = pid < 0 ? 127 : -1;  // as if the program could not be run
        return;
    }
    for (const std::string& assignment : env) {  // lives until the exec, as putenv needs
        if (assignment.find('=') == std::string::npos)
            unsetenv(assignment.c_str());
        else
            putenv(const_cast<char*>(assignment.c_str()));
    }
    const int out = open(stderrFile.empty() ? "/dev/null" : stderrFile.c_str(),
                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(out, STDERR_FILENO);
    dup2(out, STDOUT_FILENO);
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    if (workDir.empty() || chdir(workDir.c_str()) == 0)
        execvp(args[0], args.data());
    _exit(127);
}

ChildProcess::~ChildProcess()
{
    signal(SIGKILL);
    waitForExit(TOOL_TIMEOUT_MS);
}

bool ChildProcess::running()
{
    int waitStatus = 0;
    if (pid > 0 && waitpid(pid, &waitStatus, WNOHANG) == pid) {
        pid = -1;
        status = WIFSIGNALED(waitStatus) ? 128 + WTERMSIG(waitStatus) : WEXITSTATUS(waitStatus);
    }
    return pid > 0;
}

void ChildProcess::signal(int sig)
{
    if (running())  // an ended child is reaped first: its pid is no longer ours
        kill(pid, sig);
}

int ChildProcess::waitForExit(int timeoutMs)
{
    for (int waited = 0; running() && waited < timeoutMs; waited += POLL_MS)
        std::this_thread::sleep_for(std::chrono::milliseconds(POLL_MS));
    return running() ? -1 : status;
}

std::string ChildProcess::procFile(const std::string& entry)
{
    return running() ? "/proc/" + std::to_string(pid) + "/" + entry : "";
}

// Xvfb picks a free display and writes its number to the pipe once it
// accepts connections.
XServer::XServer()
{
    int fds[2];
    if (pipe(fds) != 0)
        return;
    server = std::make_unique<ChildProcess>(
        std::vector<std::string>{"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0",
                                 "640x480x24", "-nolisten", "tcp", "-noreset"},
        std::vector<std::string>{}, "", "");
    close(fds[1]);
    displayPipe = fds[0];
    pollfd started{fds[0], POLLIN, 0};
    char number[16] = {};  // the number, and its newline in a write of its own
    if (poll(&started, 1, START_TIMEOUT_MS) == 1 && read(fds[0], number, 15) > 0)
        display = ":" + std::to_string(std::strtol(number, nullptr, 10));
}

XServer::~XServer()
{
    if (server) {
        server->signal(SIGTERM);  // it removes its lock and socket files
        server->waitForExit(START_TIMEOUT_MS);
    }
    close(displayPipe);
}

int XServer::xdotool(const std::vector<std::string>& args) const
{
    std::vector<std::string> argv = {"xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    return ChildProcess(argv, {"DISPLAY=" + display}, "", "").waitForExit(TOOL_TIMEOUT_MS);
}

std::string XServer::waitForWindow(const std::string& title, int timeoutMs) const
{
    const std::string out = "/tmp/corvane-xdotool-" + std::to_string(getpid()) + ".txt";
    ChildProcess search({"xdotool", "search", "--sync", "--name", title}, {"DISPLAY=" + display},
                        "", out);
    const std::string found = search.waitForExit(timeoutMs) == 0 ? readFile(out) : "";
    unlink(out.c_str());
    return found.substr(0, found.find('\n'));
}

SurfacePtr XServer::screenshot(const std::string& file) const
{
    ChildProcess import({"import", "-window", "root", "-type", "TrueColor", "bmp3:" + file},
                        {"DISPLAY=" + display}, "", "");
    return SurfacePtr(import.waitForExit(TOOL_TIMEOUT_MS) == 0 ? SDL_LoadBMP(file.c_str())
                                                               : nullptr);
}

Uint32 rgb565At(SDL_Surface* s, int x, int y)
{
    Uint8 r = 0;
    Uint8 g = 0;
    Uint8 b = 0;
    SDL_GetRGB(pixelAt(s, x, y), s->format, &r, &g, &b);
    return (static_cast<Uint32>(r >> 3) << 11) | (static_cast<Uint32>(g >> 2) << 5) | (b >> 3);
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}
