#include "x_session.h"

#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

namespace fs = std::filesystem;

const int TIMEOUT_MS = 60000;
const int POLL_MS = 20;

ChildProcess::ChildProcess(const std::vector<std::string>& argv,
                           const std::vector<std::string>& env, const std::string& workDir,
                           const std::string& stderrFile)
{
    pid = fork();
    if (pid != 0) {
        status = pid < 0 ? 127 : -1;  // as if the program could not be run
        return;
    }
    for (const std::string& assignment : env)  // lives until the exec, as putenv needs
        putenv(const_cast<char*>(assignment.c_str()));
    const int out = open(stderrFile.empty() ? "/dev/null" : stderrFile.c_str(),
                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(out, STDERR_FILENO);
    dup2(out, STDOUT_FILENO);
    std::vector<char*> args(argv.size() + 1, nullptr);  // ends with a null
    for (size_t i = 0; i < argv.size(); ++i)
        args[i] = const_cast<char*>(argv[i].c_str());
    if (workDir.empty() || chdir(workDir.c_str()) == 0)
        execvp(args[0], args.data());
    _exit(127);
}

ChildProcess::~ChildProcess()
{
    signal(SIGKILL);
    waitForExit(TIMEOUT_MS);
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

// Xvfb writes the free display it took to the pipe, once it accepts connections.
XServer::XServer(int width, int height)
{
    int fds[2];
    if (pipe(fds) != 0)
        return;
    server = std::make_unique<ChildProcess>(
        std::vector<std::string>{"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0",
                                 std::to_string(width) + "x" + std::to_string(height) + "x24",
                                 "-nolisten", "tcp", "-noreset"},
        std::vector<std::string>{}, "", "");
    close(fds[1]);
    char number[16] = {};
    if (read(fds[0], number, 15) > 0)
        display = ":" + std::to_string(std::strtol(number, nullptr, 10));
    close(fds[0]);
}

XServer::~XServer()
{
    if (server) {
        server->signal(SIGTERM);  // it removes its lock and socket files
        server->waitForExit(TIMEOUT_MS);
    }
}

int XServer::run(const std::vector<std::string>& argv, const std::string& outFile) const
{
    return ChildProcess(argv, {"DISPLAY=" + display}, "", outFile).waitForExit(TIMEOUT_MS);
}

SurfacePtr XServer::screenshot(const std::string& file) const
{
    const int status = run({"import", "-window", "root", "-type", "TrueColor", "bmp3:" + file});
    return SurfacePtr(status == 0 ? SDL_LoadBMP(file.c_str()) : nullptr);
}

Uint32 rgb565At(SDL_Surface* s, int x, int y)
{
    Uint8 rgb[3] = {};
    SDL_GetRGB(pixelAt(s, x, y), s->format, &rgb[0], &rgb[1], &rgb[2]);
    return (rgb[0] >> 3 << 11) | (rgb[1] >> 2 << 5) | (rgb[2] >> 3);
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

WorkFolder::WorkFolder(Bitmaps bitmaps)
{
    char pattern[] = "/tmp/corvane-run-XXXXXX";
    if (mkdtemp(pattern) == nullptr)
        throw std::runtime_error("no scratch folder in /tmp");
    path = pattern;
    fs::permissions(path, fs::perms::others_read | fs::perms::others_exec,
                    fs::perm_options::add);  // for nobody, whom a test may run the game as
    if (bitmaps == WITH_BITMAPS) {
        fs::copy(CORVANE_BITMAPS_DIR, file("bitmaps"));
        fs::copy(CORVANE_SOUNDS_DIR, file("sounds"));
    }
}

WorkFolder::~WorkFolder()
{
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(path);
}

bool onSdl12Compat()
{
    const char* libraryPath = getenv("LD_LIBRARY_PATH");
    return libraryPath != nullptr && strstr(libraryPath, "sdl12-compat") != nullptr;
}

std::vector<std::string> gameEnv(const std::string& driver, const std::string& suppressions)
{
    const std::string lsan = suppressions.empty() ? CORVANE_LSAN_SUPPRESSIONS : suppressions;
    return {"SDL_VIDEODRIVER=" + driver,
            std::string("LSAN_OPTIONS=") + (onSdl12Compat() ? "detect_leaks=0:" : "") +
                "print_suppressions=0:suppressions=" + lsan,
            "DISPLAY=", "SDL_AUDIODRIVER=dummy"};
}
