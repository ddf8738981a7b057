#include "game_process.h"

#include <stdlib.h>
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

std::vector<std::string> gameEnv(const std::string& driver)
{
    return {"SDL_VIDEODRIVER=" + driver, "LSAN_OPTIONS=suppressions=" CORVANE_LSAN_SUPPRESSIONS};
}

std::vector<std::string> gameCommand(const std::string& binary)
{
    if (geteuid() != 0)
        return {binary};
    return {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups", binary};
}
