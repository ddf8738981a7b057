// The installed game: `cmake --install` into a scratch prefix and the Debian
// package unpacked, each run from an unrelated folder with the player's
// folders in scratch space (the play-through plays the installed game under X).
#include <csignal>
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "game_process.h"
#include "skyrel_main.h"
#include "x_session.h"

namespace fs = std::filesystem;

const int TIMEOUT_MS = 20000;

// Every file and folder of the tree with the time it last changed.
std::string listTree(const std::string& root)
{
    std::ostringstream list;
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(root))
        list << e.path() << e.last_write_time().time_since_epoch().count() << '\n';
    return list.str();
}

TEST(InstalledGame, RunsFromAnyFolderWritesNothingIntoItsTreeAndNamesAMissingBitmapThere)
{
    WorkFolder scratch;
    const char* steps = "cd \"$0\" && \"$1\" --install \"$3\" --prefix prefix && "
                        "\"$2\" -G DEB --config \"$3\"/CPackConfig.cmake -B debs && "
                        "dpkg-deb -x debs/corvane_*.deb root";
    ChildProcess install({"sh", "-c", steps, scratch.path, CMAKE_COMMAND_PATH, CPACK_COMMAND_PATH,
                          CORVANE_BUILD_DIR},
                         {}, "", "");
    ASSERT_EQ(install.waitForExit(240000), 0) << "cmake --install or cpack failed";
    for (const std::string tree : {"prefix", "root/usr"}) {
        const std::string game = scratch.file(tree + "/games/corvane");
        const std::string bitmap = scratch.file(tree + "/share/games/corvane/") + DIGITS_FILE;
        const std::string before = listTree(scratch.file(tree));
        WorkFolder dir;
        std::vector<std::string> env = gameEnv("dummy");
        env.insert(env.end(), {"HOME=" + dir.path, "XDG_DATA_HOME=" + dir.file("xdg")});
        ChildProcess run({game}, env, dir.path, dir.file("err.txt"));
        EXPECT_EQ(run.waitForExit(700), -1) << tree << " ended with " << run.exitStatus();
        run.signal(SIGTERM);  // SDL turns it into a quit event
        EXPECT_EQ(run.waitForExit(TIMEOUT_MS), EXIT_OK) << tree;
        EXPECT_EQ(readFile(dir.file("err.txt")), "") << tree;  // the icon too was found
        EXPECT_EQ(listTree(scratch.file(tree)), before) << tree;
        EXPECT_FALSE(fs::exists(dir.file(HIGHSCORE_FILE))) << tree;

        fs::rename(bitmap, dir.file("aside.bmp"));
        ChildProcess broken({game}, env, dir.path, dir.file("err.txt"));
        EXPECT_EQ(broken.waitForExit(TIMEOUT_MS), EXIT_NO_BITMAP) << tree;
        EXPECT_EQ(readFile(dir.file("err.txt")).rfind("Couldn't load bitmap " + bitmap + ": ", 0),
                  0u);
        fs::rename(dir.file("aside.bmp"), bitmap);
    }
}

// With the X11 driver and no display, a run that starts SDL ends with status
// 1; arguments are answered before.
TEST(InstalledGame, ArgumentsAreAnsweredWithoutAWindowAndNoDisplayEndsWithStatusOne)
{
    const std::string usage = "Usage: corvane [--help | --version]\n";
    const std::tuple<std::vector<std::string>, int, std::string> cases[] = {
        {{"--help"}, EXIT_OK, usage},
        {{"--version"}, EXIT_OK, "Corvane 1.01\n"},
        {{"--fly"}, EXIT_BAD_ARGUMENT, "corvane: unknown argument '--fly'\n" + usage},
        {{"--version", "now"}, EXIT_BAD_ARGUMENT, "corvane: unknown argument 'now'\n" + usage},
        {{}, EXIT_NO_SDL, "Couldn't initialize SDL: "}};  // the start of what it says
    for (const auto& [args, status, start] : cases) {
        WorkFolder dir;
        // Standard error goes to err.txt, standard output to out.txt.
        std::vector<std::string> argv = {"sh", "-c", R"(exec "$0" "$@" 2>err.txt)", CORVANE_BINARY};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<std::string> env = gameEnv("x11");
        env.emplace_back("DISPLAY");  // unset
        ChildProcess run(argv, env, dir.path, dir.file("out.txt"));
        EXPECT_EQ(run.waitForExit(TIMEOUT_MS), status) << start;
        const std::string out = readFile(dir.file("out.txt"));
        const std::string err = readFile(dir.file("err.txt"));
        const std::string& said = status == EXIT_OK ? out : err;
        EXPECT_EQ(said.substr(0, start.size()) + (status == EXIT_OK ? err : out), start);
    }
}
