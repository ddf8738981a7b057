#include "game_process.h"

#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include <filesystem>

namespace fs = std::filesystem;

WorkFolder::WorkFolder()
{
    char pattern[] = "/tmp/corvane-run-XXXXXX";
    path = mkdtemp(pattern);
    // Open to the unprivileged user that the game may run as.
    fs::permissions(path, fs::perms::others_read | fs::perms::others_exec, fs::perm_options::add);
}

WorkFolder::~WorkFolder()
{
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(path);
}

void WorkFolder::copyBitmaps()
{
    fs::copy(CORVANE_BITMAPS_DIR, file("bitmaps"));
}

void WorkFolder::linkBitmaps()
{
    fs::create_directory_symlink(CORVANE_BITMAPS_DIR, file("bitmaps"));
}

bool onSdl12Compat()
{
    const char* libraryPath = getenv("LD_LIBRARY_PATH");
    return libraryPath != nullptr && strstr(libraryPath, "sdl12-compat") != nullptr;
}

std::vector<std::string> gameEnv(const std::string& driver, const char* suppressions)
{
    return {"SDL_VIDEODRIVER=" + driver,
            std::string("LSAN_OPTIONS=") + (onSdl12Compat() ? "detect_leaks=0:" : "") +
                "suppressions=" + (suppressions ? suppressions : CORVANE_LSAN_SUPPRESSIONS)};
}

std::vector<std::string> gameCommand(const std::string& binary, WorkFolder& dir)
{
    if (geteuid() != 0) {
        dir.linkBitmaps();
        return {binary};
    }
    dir.copyBitmaps();
    fs::copy_file(binary, dir.file("corvane"));
    fs::copy_file(CORVANE_LSAN_SUPPRESSIONS, dir.file("lsan.supp"));
    // The copies keep the modes of the build tree, which may be private.
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(dir.path))
        fs::permissions(entry.path(), fs::perms::others_read, fs::perm_options::add);
    for (const char* name : {"bitmaps", "corvane"})
        fs::permissions(dir.file(name), fs::perms::others_exec, fs::perm_options::add);
    // env puts the copied suppressions in place of those of gameEnv.
    std::vector<std::string> command = {"setpriv", "--reuid=nobody", "--regid=nogroup",
                                        "--clear-groups", "env"};
    command.push_back(gameEnv("", dir.file("lsan.supp").c_str())[1]);
    command.push_back(dir.file("corvane"));
    return command;
}
