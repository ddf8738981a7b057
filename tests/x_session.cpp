#include "x_session.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

const int XVFB_START_TIMEOUT_MS = 10000;
const int POLL_INTERVAL_MS = 20;

// In the child: applies the environment, folder and output, then execs.
[[noreturn]] void execChild(const std::vector<std::string>& argv,
                            const std::vector<std::string>& env, const std::string& workDir,
                            const std::string& stderrFile)
{
    for (const std::string& assignment : env) {
        const size_t eq = assignment.find('=');
        const std::string name = assignment.substr(0, eq);
        if (eq == std::string::npos)
            unsetenv(name.c_str());
        else
            setenv(name.c_str(), assignment.substr(eq + 1).c_str(), 1);
    }
    if (!workDir.empty() && chdir(workDir.c_str()) != 0)
        _exit(126);
    const int out = open(stderrFile.empty() ? "/dev/null" : stderrFile.c_str(),
                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out >= 0) {
        dup2(out, STDERR_FILENO);
        dup2(out, STDOUT_FILENO);
    }
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
}

int statusOf(int waitStatus)
{
    if (WIFEXITED(waitStatus))
        return WEXITSTATUS(waitStatus);
    if (WIFSIGNALED(waitStatus))
        return 128 + WTERMSIG(waitStatus);
    return -1;
}

void sleepMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv,
                           const std::vector<std::string>& env, const std::string& workDir,
                           const std::string& stderrFile)
{
    pid = fork();
    if (pid == 0)
        execChild(argv, env, workDir, stderrFile);
    if (pid < 0)
        status = 127;  // as if the program could not be run
}

ChildProcess::~ChildProcess()
{
    if (running()) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

bool ChildProcess::running()
{
    int waitStatus = 0;
    if (pid > 0 && waitpid(pid, &waitStatus, WNOHANG) == pid) {
        pid = -1;
        status = statusOf(waitStatus);
    }
    return pid > 0;
}

void ChildProcess::signal(int sig)
{
    // An ended child is reaped first: its pid is no longer ours to signal.
    if (running())
        kill(pid, sig);
}

int ChildProcess::waitForExit(int timeoutMs)
{
    for (int waited = 0; running(); waited += POLL_INTERVAL_MS) {
        if (waited >= timeoutMs)
            return -1;
        sleepMs(POLL_INTERVAL_MS);
    }
    return status;
}

std::string ChildProcess::procFile(const std::string& entry)
{
    return running() ? "/proc/" + std::to_string(pid) + "/" + entry : "";
}

XServer::XServer()
{
    // Xvfb picks a free display itself and writes its number to the pipe
    // once it accepts connections.
    int fds[2];
    if (pipe(fds) != 0)
        return;
    pid = fork();
    if (pid == 0) {
        close(fds[0]);
        const std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "640x480x24", "-nolisten",
               "tcp", "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    pollfd ready{fds[0], POLLIN, 0};
    std::string number;
    if (pid > 0 && poll(&ready, 1, XVFB_START_TIMEOUT_MS) == 1) {
        char buffer[32];
        const ssize_t n = read(fds[0], buffer, sizeof buffer - 1);
        for (ssize_t i = 0; i < n && buffer[i] >= '0' && buffer[i] <= '9'; ++i)
            number += buffer[i];
    }
    displayPipe = fds[0];
    if (!number.empty())
        display = ":" + number;
}

XServer::~XServer()
{
    if (pid > 0) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    if (displayPipe >= 0)
        close(displayPipe);
}

int XServer::xdotool(const std::vector<std::string>& args) const
{
    std::vector<std::string> argv = {"xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    return ChildProcess(argv, {"DISPLAY=" + display}, "", "").waitForExit(60000);
}

std::string XServer::waitForWindow(const std::string& title, int timeoutMs) const
{
    const std::string out = "/tmp/corvane-xdotool-" + std::to_string(getpid()) + ".txt";
    std::string id;
    for (int waited = 0; id.empty() && waited < timeoutMs; waited += 100) {
        ChildProcess search({"xdotool", "search", "--name", title}, {"DISPLAY=" + display}, "",
                            out);
        if (search.waitForExit(10000) == 0)
            id = readFile(out).substr(0, readFile(out).find('\n'));
        else
            sleepMs(100);
    }
    unlink(out.c_str());
    return id;
}

SurfacePtr XServer::screenshot(const std::string& file) const
{
    ChildProcess import({"import", "-window", "root", "-type", "TrueColor", "bmp3:" + file},
                        {"DISPLAY=" + display}, "", "");
    if (import.waitForExit(60000) != 0)
        return nullptr;
    return SurfacePtr(SDL_LoadBMP(file.c_str()));
}

Uint32 rgb565At(SDL_Surface* s, int x, int y)
{
    Uint8 r, g, b;
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
