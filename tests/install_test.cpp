// The installed game: `cmake --install` into a scratch prefix, and the Debian
// package unpacked with dpkg-deb, each started from an unrelated folder with
// the player's folders in scratch space. Also where start-up puts the files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "game_process.h"
#include "skyrel_main.h"
#include "x_session.h"

namespace fs = std::filesystem;

namespace {

const int EXIT_TIMEOUT_MS = 20000;
const int SCREEN_TIMEOUT_MS = 10000;
const int INSTALL_TIMEOUT_MS = 240000;  // cmake --install, cpack and dpkg-deb
const double FIELD_SHARE = 0.9;         // of the screen that shows the background

struct InstalledTree {
    std::string prefix;
    std::string data() const { return prefix + "/share/games/corvane/"; }
    std::string game() const { return prefix + "/games/corvane"; }
};

// Every file and folder of the tree with the time it last changed.
std::string listTree(const std::string& root)
{
    std::ostringstream list;
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(root))
        list << e.path() << e.last_write_time().time_since_epoch().count() << '\n';
    return list.str();
}

// Whether the shot shows the background, but for a few aircraft, with the
// glyphs of best's four digits in the best score's counter.
bool showsFieldWithBest(SDL_Surface* shot, SDL_Surface* background, SDL_Surface* digits,
                        unsigned int best)
{
    int same = 0;
    for (int y = 0; y < SCREEN_HEIGHT; ++y)
        for (int x = 0; x < SCREEN_WIDTH; ++x)
            same += rgb565At(shot, x, y) == rgb565At(background, x, y);
    for (int cell = 3; cell >= 0; --cell, best /= 10)
        for (int dy = 0; dy < DIGIT_HEIGHT; ++dy)
            for (int dx = 0; dx < DIGIT_WIDTH; ++dx)
                if (rgb565At(shot, HIGHSCORE_X + cell * DIGIT_WIDTH + dx, COUNTER_Y + dy) !=
                    rgb565At(digits, int(best % 10) * DIGIT_WIDTH + dx, dy))
                    return false;
    return same >= FIELD_SHARE * SCREEN_WIDTH * SCREEN_HEIGHT;
}

// A run's environment, with the player's folders in dir.
std::vector<std::string> playerEnv(const std::string& driver, const WorkFolder& dir)
{
    std::vector<std::string> env = gameEnv(driver);
    env.insert(env.end(), {"HOME=" + dir.file("home"), "XDG_DATA_HOME=" + dir.file("xdg")});
    return env;
}

}  // namespace

class InstalledGame : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        scratch = new WorkFolder;
        const char* steps = "cd \"$0\" && \"$1\" --install \"$3\" --prefix prefix && "
                            "\"$2\" -G DEB --config \"$3\"/CPackConfig.cmake -B debs && "
                            "dpkg-deb -x debs/corvane_*.deb root";
        ChildProcess install({"sh", "-c", steps, scratch->path, CMAKE_COMMAND_PATH,
                              CPACK_COMMAND_PATH, CORVANE_BUILD_DIR},
                             {}, "", "");
        if (install.waitForExit(INSTALL_TIMEOUT_MS) == 0)
            trees = {{scratch->file("prefix")}, {scratch->file("root/usr")}};
    }
    static void TearDownTestSuite() { delete scratch; }
    void SetUp() override { ASSERT_EQ(trees.size(), 2u) << "cmake --install or cpack failed"; }

    static inline WorkFolder* scratch = nullptr;
    static inline std::vector<InstalledTree> trees;
};

TEST_F(InstalledGame, ShowsTheFieldAndTheBestScoreOfTheXdgFolderAndWritesNothingIntoItsTree)
{
    for (const InstalledTree& tree : trees) {
        SCOPED_TRACE(tree.prefix);
        WorkFolder dir;
        fs::create_directories(dir.file("xdg/corvane"));
        std::ofstream(dir.file("xdg/corvane/highscore.txt")) << "42";
        const std::string before = listTree(tree.prefix);
        XServer x;
        ASSERT_TRUE(x.ready());
        std::vector<std::string> env = playerEnv("x11", dir);
        env.push_back("DISPLAY=" + x.name());
        ChildProcess game({tree.game()}, env, dir.path, dir.file("err.txt"));
        ASSERT_NE(x.waitForWindow("^Corvane", SCREEN_TIMEOUT_MS), "");

        SurfacePtr background(SDL_LoadBMP((tree.data() + BACKGROUND_FILE).c_str()));
        SurfacePtr digits(SDL_LoadBMP((tree.data() + DIGITS_FILE).c_str()));
        ASSERT_TRUE(background && digits);
        bool seen = false;
        for (int waited = 0; !seen && waited < SCREEN_TIMEOUT_MS; waited += 200) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            SurfacePtr shot = x.screenshot(dir.file("shot.bmp"));
            seen = shot && showsFieldWithBest(shot.get(), background.get(), digits.get(), 42);
        }
        EXPECT_TRUE(seen) << "no field with a best score of 0042";

        ASSERT_EQ(x.xdotool({"key", "Escape"}), 0);
        EXPECT_EQ(game.waitForExit(EXIT_TIMEOUT_MS), EXIT_OK) << readFile(dir.file("err.txt"));
        EXPECT_EQ(readFile(dir.file("err.txt")).find("Couldn't"), std::string::npos);  // icon
        EXPECT_EQ(listTree(tree.prefix), before);
        EXPECT_FALSE(fs::exists(dir.file(HIGHSCORE_FILE)));
    }
}

TEST_F(InstalledGame, AMissingInstalledBitmapEndsWithStatusThreeNamingItsInstalledPath)
{
    for (const InstalledTree& tree : trees) {
        WorkFolder dir;
        const std::string bitmap = tree.data() + FLEET[0].crashedFile;
        fs::rename(bitmap, dir.file("aside.bmp"));
        ChildProcess game({tree.game()}, playerEnv("dummy", dir), dir.path, dir.file("err.txt"));
        EXPECT_EQ(game.waitForExit(EXIT_TIMEOUT_MS), EXIT_NO_BITMAP) << tree.prefix;
        EXPECT_EQ(readFile(dir.file("err.txt")).rfind("Couldn't load bitmap " + bitmap + ": ", 0),
                  0u);
        fs::rename(dir.file("aside.bmp"), bitmap);
    }
}

// With the X11 driver and no display, a run that started SDL would end with
// status 1: these answer before.
TEST_F(InstalledGame, HelpVersionAndUnknownArgumentsAnswerWithoutAWindow)
{
    const std::string usage = "Usage: corvane [--help | --version]\n";
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string start;  // of standard output after 0, else of standard error
    } cases[] = {
        {{"--help"}, EXIT_OK, usage},
        {{"--version"}, EXIT_OK, "Corvane 1.01\n"},
        {{"--fly"}, EXIT_BAD_ARGUMENT, "corvane: unknown argument '--fly'\n" + usage},
        {{"--version", "now"}, EXIT_BAD_ARGUMENT, "corvane: unknown argument 'now'\n" + usage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.back());
        WorkFolder dir;
        // sh sends standard error to err.txt; the child's output file takes the rest.
        std::vector<std::string> argv = {"sh", "-c", "exec \"$0\" \"$@\" 2>err.txt",
                                         trees[1].game()};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        std::vector<std::string> env = playerEnv("x11", dir);
        env.push_back("DISPLAY");
        ChildProcess run(argv, env, dir.path, dir.file("out.txt"));
        EXPECT_EQ(run.waitForExit(EXIT_TIMEOUT_MS), c.status);
        std::string shown = readFile(dir.file("out.txt"));
        std::string silent = readFile(dir.file("err.txt"));
        if (c.status != EXIT_OK)
            std::swap(shown, silent);
        EXPECT_EQ(shown.substr(0, c.start.size()), c.start);
        EXPECT_EQ(silent, "");
    }
}

// In this process: the working folder when it holds bitmaps/, else the data
// beside the program and the best score in the player's data, or in memory.
TEST(GameFiles, StartUpChoosesTheWorkingFolderOrThePlayersDataFolder)
{
    const fs::path programDir = fs::read_symlink("/proc/self/exe").parent_path();
    const std::string installed = (programDir.parent_path() / "share/games/corvane").string();
    struct Case {
        bool bitmaps;
        const char *dataHome, *home;
        std::string highscore, data;
    } cases[] = {
        {true, "/x", "/h", HIGHSCORE_FILE, ""},
        {false, "/x", "/h", "/x/corvane/highscore.txt", installed},
        {false, nullptr, "/h", "/h/.local/share/corvane/highscore.txt", installed},
        {false, "relative", "/h", "/h/.local/share/corvane/highscore.txt", installed},
        {false, nullptr, nullptr, "", installed},
    };
    WorkFolder dir;
    fs::create_directory(dir.file("bitmaps"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.highscore);
        ASSERT_EQ(chdir(c.bitmaps ? dir.path.c_str() : "/"), 0);
        c.dataHome ? setenv("XDG_DATA_HOME", c.dataHome, 1) : unsetenv("XDG_DATA_HOME");
        c.home ? setenv("HOME", c.home, 1) : unsetenv("HOME");
        testing::internal::CaptureStderr();
        locateGameFiles();
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(said.find("in memory only") != std::string::npos, c.highscore.empty()) << said;
        EXPECT_EQ(highscorePath, c.highscore);
        EXPECT_EQ(dataPath(DIGITS_FILE), c.data + (c.bitmaps ? "" : "/") + DIGITS_FILE);
    }
}

// The first better score makes its folders, private to the player.
TEST(GameFiles, TheFirstBetterScoreMakesItsFoldersPrivateToThePlayer)
{
    WorkFolder dir;
    highscorePath = dir.file("xdg/corvane/highscore.txt");
    highscore = 7;
    writeHighscore();
    EXPECT_EQ(readFile(highscorePath), "7");
    EXPECT_EQ(fs::status(dir.file("xdg")).permissions(), fs::perms::owner_all);
    EXPECT_EQ(fs::status(dir.file("xdg/corvane")).permissions(), fs::perms::owner_all);
}
