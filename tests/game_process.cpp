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
    fs::permissions(path, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
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

namespace {

std::string leakOptions(const std::string& suppressions)
{
    // Under sdl12-compat, SDL2 unloads the X libraries it opened when SDL
    // quits, so what they keep is reported from unknown modules that no
    // suppression can name. The game's own leaks are checked on the classic
    // library, which runs the same code of ours.
    const std::string leaks = onSdl12Compat() ? "detect_leaks=0:" : "";
    return "LSAN_OPTIONS=" + leaks + "suppressions=" + suppressions;
}

}  // namespace

std::vector<std::string> gameEnv(const std::string& driver)
{
    return {"SDL_VIDEODRIVER=" + driver, leakOptions(CORVANE_LSAN_SUPPRESSIONS)};
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
    // fs::copy keeps the modes of the build tree, which may be private.
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(dir.path)) {
        fs::permissions(entry.path(),
                        fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read,
                        fs::perm_options::add);
    }
    fs::permissions(dir.file("bitmaps"), fs::perms::others_exec, fs::perm_options::add);
    fs::permissions(dir.file("corvane"), fs::perms::others_exec, fs::perm_options::add);
    // env puts the suppressions of the copy in place of those gameEnv names.
    return {"setpriv",
            "--reuid=nobody",
            "--regid=nogroup",
            "--clear-groups",
            "env",
            leakOptions(dir.file("lsan.supp")),
            dir.file("corvane")};
}
