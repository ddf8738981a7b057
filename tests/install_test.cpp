// The installed game: `cmake --install` into a scratch prefix, and the Debian
// package unpacked with dpkg-deb, each started from an unrelated folder with
// the player's folders in scratch space. Also where start-up puts the files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

#include "game_process.h"
#include "skyrel_main.h"
#include "x_session.h"

namespace fs = std::filesystem;

namespace {

const int EXIT_TIMEOUT_MS = 20000;
const int SCREEN_TIMEOUT_MS = 10000;
const double FIELD_SHARE = 0.9;  // of the screen that shows the background

struct InstalledTree {
    const char* how;
    std::string prefix;
    std::string data() const { return prefix + "/share/games/corvane/"; }
};

void writeText(const std::string& path, const std::string& text)
{
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path) << text;
}

// Every file of the tree with its size and time of last change.
std::map<std::string, std::pair<uintmax_t, fs::file_time_type>> listTree(const std::string& root)
{
    std::map<std::string, std::pair<uintmax_t, fs::file_time_type>> files;
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(root))
        files[e.path()] = {e.is_regular_file() ? e.file_size() : 0, e.last_write_time()};
    return files;
}

double shareOfBackground(SDL_Surface* shot, SDL_Surface* background)
{
    int same = 0;
    for (int y = 0; y < SCREEN_HEIGHT; ++y)
        for (int x = 0; x < SCREEN_WIDTH; ++x)
            same += rgb565At(shot, x, y) == rgb565At(background, x, y);
    return double(same) / (SCREEN_WIDTH * SCREEN_HEIGHT);
}

// Whether the four cells of the counter at x hold the glyphs of value's digits.
bool counterShows(SDL_Surface* shot, SDL_Surface* digits, int x, unsigned int value)
{
    for (int cell = 3; cell >= 0; --cell, value /= 10)
        for (int dy = 0; dy < DIGIT_HEIGHT; ++dy)
            for (int dx = 0; dx < DIGIT_WIDTH; ++dx)
                if (rgb565At(shot, x + cell * DIGIT_WIDTH + dx, COUNTER_Y + dy) !=
                    rgb565At(digits, int(value % 10) * DIGIT_WIDTH + dx, dy))
                    return false;
    return true;
}

}  // namespace

class InstalledGame : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        scratch = new WorkFolder;
        const std::string debs = scratch->file("debs");
        installed = runCommand({CMAKE_COMMAND_PATH, "--install", CORVANE_BUILD_DIR, "--prefix",
                                scratch->file("prefix")},
                               {}) == 0 &&
                    runCommand({CPACK_COMMAND_PATH, "-G", "DEB", "--config",
                                CORVANE_BUILD_DIR "/CPackConfig.cmake", "-B", debs},
                               {}) == 0 &&
                    runCommand({"sh", "-c", "dpkg-deb -x \"$0\"/corvane_*.deb \"$1\"", debs,
                                scratch->file("root")},
                               {}) == 0;
    }
    static void TearDownTestSuite() { delete scratch; }
    void SetUp() override { ASSERT_TRUE(installed) << "cmake --install, cpack or dpkg-deb failed"; }

    static std::vector<InstalledTree> trees()
    {
        return {{"cmake --install", scratch->file("prefix")},
                {"the package", scratch->file("root/usr")}};
    }
    // The environment of a run with the player's folders in dir.
    static std::vector<std::string> playerEnv(const std::string& driver, const WorkFolder& dir)
    {
        std::vector<std::string> env = gameEnv(driver);
        env.insert(env.end(), {"HOME=" + dir.file("home"), "XDG_DATA_HOME=" + dir.file("xdg")});
        return env;
    }

    static inline WorkFolder* scratch = nullptr;
    static inline bool installed = false;
};

TEST_F(InstalledGame, ShowsTheFieldAndTheBestScoreOfTheXdgFolderAndWritesNothingIntoItsTree)
{
    for (const InstalledTree& tree : trees()) {
        SCOPED_TRACE(tree.how);
        WorkFolder dir;
        writeText(dir.file("xdg/corvane/highscore.txt"), "42");
        const auto before = listTree(tree.prefix);
        XServer x;
        ASSERT_TRUE(x.ready());
        std::vector<std::string> env = playerEnv("x11", dir);
        env.push_back("DISPLAY=" + x.name());
        ChildProcess game({tree.prefix + "/games/corvane"}, env, dir.path, dir.file("err.txt"));
        ASSERT_NE(x.waitForWindow("^Corvane", SCREEN_TIMEOUT_MS), "")
            << readFile(dir.file("err.txt"));

        SurfacePtr background(SDL_LoadBMP((tree.data() + BACKGROUND_FILE).c_str()));
        SurfacePtr digits(SDL_LoadBMP((tree.data() + DIGITS_FILE).c_str()));
        ASSERT_TRUE(background && digits);
        SurfacePtr shot;
        for (int waited = 0; waited < SCREEN_TIMEOUT_MS; waited += 200) {
            shot = x.screenshot(dir.file("shot.bmp"));
            if (shot && shareOfBackground(shot.get(), background.get()) >= FIELD_SHARE &&
                counterShows(shot.get(), digits.get(), HIGHSCORE_X, 42))
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        ASSERT_TRUE(shot);
        EXPECT_GE(shareOfBackground(shot.get(), background.get()), FIELD_SHARE);
        EXPECT_TRUE(counterShows(shot.get(), digits.get(), HIGHSCORE_X, 42)) << "not 0042";

        ASSERT_EQ(x.xdotool({"key", "Escape"}), 0);
        EXPECT_EQ(game.waitForExit(EXIT_TIMEOUT_MS), EXIT_OK) << readFile(dir.file("err.txt"));
        EXPECT_EQ(readFile(dir.file("err.txt")).find("Couldn't"), std::string::npos);  // icon
        EXPECT_TRUE(listTree(tree.prefix) == before) << "the game wrote into " << tree.prefix;
        EXPECT_FALSE(fs::exists(dir.file("highscore.txt")));
    }
}

TEST_F(InstalledGame, AMissingInstalledBitmapEndsWithStatusThreeNamingItsInstalledPath)
{
    for (const InstalledTree& tree : trees()) {
        SCOPED_TRACE(tree.how);
        WorkFolder dir;
        const std::string bitmap = tree.data() + FLEET[0].crashedFile;
        fs::rename(bitmap, dir.file("aside.bmp"));
        ChildProcess game({tree.prefix + "/games/corvane"}, playerEnv("dummy", dir), dir.path,
                          dir.file("err.txt"));
        EXPECT_EQ(game.waitForExit(EXIT_TIMEOUT_MS), EXIT_NO_BITMAP);
        EXPECT_EQ(readFile(dir.file("err.txt")).rfind("Couldn't load bitmap " + bitmap + ": ", 0),
                  0u)
            << readFile(dir.file("err.txt"));
        fs::rename(dir.file("aside.bmp"), bitmap);
    }
}

// With the X11 driver and no display, a run that opened a window would end
// with status 1: these end before SDL starts.
TEST_F(InstalledGame, HelpVersionAndUnknownArgumentsAnswerWithoutAWindow)
{
    const std::string usage = "Usage: corvane [--help | --version]\n";
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string out, errStart;
    } cases[] = {
        {{"--help"}, EXIT_OK, usage, ""},
        {{"--version"}, EXIT_OK, "Corvane 1.01\n", ""},
        {{"--fly"}, EXIT_BAD_ARGUMENT, "", "corvane: unknown argument '--fly'\n" + usage},
        {{"--version", "now"}, EXIT_BAD_ARGUMENT, "", "corvane: unknown argument 'now'\n" + usage},
    };
    const std::string binary = trees()[1].prefix + "/games/corvane";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0]);
        WorkFolder dir;
        // sh keeps standard error apart; the child's output file takes standard output.
        std::vector<std::string> argv = {"sh", "-c", "exec \"$0\" \"$@\" 2>err.txt", binary};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        std::vector<std::string> env = playerEnv("x11", dir);
        env.push_back("DISPLAY");
        ChildProcess run(argv, env, dir.path, dir.file("out.txt"));
        EXPECT_EQ(run.waitForExit(EXIT_TIMEOUT_MS), c.status);
        const std::string out = readFile(dir.file("out.txt"));
        EXPECT_EQ(c.status == EXIT_OK ? out.substr(0, c.out.size()) : out, c.out);
        const std::string err = readFile(dir.file("err.txt"));
        EXPECT_EQ(c.status == EXIT_OK ? err : err.substr(0, c.errStart.size()), c.errStart);
    }
}

// Start-up, in this process: the working folder when it holds bitmaps/,
// else the data beside the program and the best score in the player's data.
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
        locateGameFiles();
        EXPECT_EQ(highscorePath, c.highscore);
        EXPECT_EQ(dataFolder, c.data);
        EXPECT_EQ(dataPath(DIGITS_FILE), c.data + (c.bitmaps ? "" : "/") + DIGITS_FILE);
    }
}

// The first better score makes the player's folders, private to the player;
// with no path the best score stays in memory and no file is read or written.
TEST(GameFiles, TheBestScoreMakesItsFoldersOrStaysInMemory)
{
    WorkFolder dir;
    ASSERT_EQ(chdir(dir.path.c_str()), 0);
    highscorePath = dir.file("xdg/corvane/highscore.txt");
    highscore = 7;
    writeHighscore();
    EXPECT_EQ(readFile(highscorePath), "7");
    EXPECT_EQ(fs::status(dir.file("xdg")).permissions(), fs::perms::owner_all);
    readHighscore();
    EXPECT_EQ(highscore, 7u);

    writeText(dir.file(HIGHSCORE_FILE), "5");
    highscorePath = "";
    readHighscore();
    EXPECT_EQ(highscore, 0u);
    highscore = 9;
    writeHighscore();
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 2);
    EXPECT_EQ(readFile(dir.file(HIGHSCORE_FILE)), "5");
}
