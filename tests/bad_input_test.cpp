// Damaged bitmaps and high-score files met by the real binary, and a kill in
// the middle of writing the best score.
#include <csignal>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "game_process.h"
#include "skyrel_main.h"
#include "x_session.h"

namespace fs = std::filesystem;

namespace {

const int EXIT_TIMEOUT_MS = 20000;
const int PLAY_MS = 700;  // how long the game plays before it is asked to quit

}  // namespace

TEST(BadBitmaps, EveryDamagedBitmapEndsTheGameWithStatusThreeNamingTheFile)
{
    std::vector<std::string> files = {BACKGROUND_FILE, DIGITS_FILE, PAUSE_TEXT_FILE,
                                      PRESSKEY_TEXT_FILE};
    for (const AircraftClass& c : FLEET)
        files.insert(files.end(), {c.normalFile, c.approachFile, c.crashedFile});
    // Of the heading looks, which load after the others, the first and the last.
    files.push_back(headingFile(FLEET[0].normalFile, HeadingNE));
    files.push_back(headingFile(FLEET[NUM_AIRCRAFT_CLASSES - 1].approachFile, HeadingNW));
    const std::vector<std::string> damages = {"", "half", "GIF89a, or anything else\n"};
    for (size_t n = 0; n < files.size(); ++n) {
        WorkFolder dir;
        dir.copyBitmaps();
        const std::string whole = readFile(dir.file(files[n]));
        const std::string& damage = damages[n % damages.size()];
        std::ofstream(dir.file(files[n]))
            << (damage == "half" ? whole.substr(0, whole.size() / 2) : damage);
        ChildProcess game({CORVANE_BINARY}, gameEnv("dummy"), dir.path, dir.file("stderr.txt"));
        EXPECT_EQ(game.waitForExit(EXIT_TIMEOUT_MS), EXIT_NO_BITMAP) << files[n];
        const std::string message = readFile(dir.file("stderr.txt"));
        EXPECT_EQ(message.rfind("Couldn't load bitmap " + files[n] + ": ", 0), 0u) << message;
        EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
        EXPECT_FALSE(fs::exists(dir.file(HIGHSCORE_FILE)));
    }
}

TEST(BadHighscoreFiles, TheGameStartsPlaysAndQuitsAndLeavesTheFileAsItWas)
{
    // The file's content, and whether it is made a directory, unreadable or
    // kept in a folder the game cannot write to.
    enum Change { NONE, DIRECTORY, UNREADABLE, READ_ONLY_FOLDER };
    const std::vector<std::pair<std::string, Change>> cases = {
        {"", NONE},      {"4294967296", NONE}, {std::string("\x7f\x45\x4c\x46\x00\xff", 6), NONE},
        {"", DIRECTORY}, {"17", UNREADABLE},   {"17", READ_ONLY_FOLDER}};
    for (const auto& [content, change] : cases) {
        WorkFolder dir;
        const std::vector<std::string> command = gameCommand(CORVANE_BINARY, dir);
        const std::string file = dir.file(HIGHSCORE_FILE);
        if (change == DIRECTORY)
            fs::create_directory(file);
        else
            std::ofstream(file) << content;
        if (change == UNREADABLE)
            fs::permissions(file, fs::perms::none);
        if (change == READ_ONLY_FOLDER) {
            fs::permissions(
                dir.path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                fs::perm_options::remove);
        }
        ChildProcess game(command, gameEnv("dummy"), dir.path, "");
        EXPECT_EQ(game.waitForExit(PLAY_MS), -1) << change << ": ended with " << game.exitStatus();
        game.signal(SIGTERM);  // SDL turns it into a quit event
        EXPECT_EQ(game.waitForExit(EXIT_TIMEOUT_MS), EXIT_OK) << change;
        fs::permissions(dir.path, fs::perms::owner_all, fs::perm_options::add);
        fs::permissions(file, fs::perms::owner_read, fs::perm_options::add);
        EXPECT_EQ(fs::is_directory(file) ? "" : readFile(file), content) << change;
    }
}

// The best score goes to a temporary file, flushed and renamed over the old
// one: a kill at any moment leaves the old number or a newer one, whole.
TEST(HighscoreCrash, AKillWhileWritingLeavesTheOldNumberOrANewOneNeverLess)
{
    const int KILLS = 40;
    WorkFolder dir;
    std::ofstream(dir.file(HIGHSCORE_FILE)) << "1000";
    std::mt19937 random(20261206);  // NOLINT(cert-msc51-cpp): the same kill moments each run
    unsigned long last = 1000;
    for (int kill = 0; kill < KILLS; ++kill) {
        ChildProcess writer({CORVANE_HIGHSCORE_WRITER, std::to_string(last + 1)}, {}, dir.path, "");
        // Once it has written, it is in its loop: kill it at a random moment of it.
        for (int waited = 0;
             waited < EXIT_TIMEOUT_MS && readFile(dir.file(HIGHSCORE_FILE)) == std::to_string(last);
             ++waited)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 5000));
        writer.signal(SIGKILL);
        EXPECT_EQ(writer.waitForExit(EXIT_TIMEOUT_MS), 128 + SIGKILL);
        const std::string content = readFile(dir.file(HIGHSCORE_FILE));
        ASSERT_TRUE(!content.empty() &&
                    content.find_first_not_of("0123456789") == std::string::npos)
            << "after kill " << kill << ": \"" << content << "\"";
        EXPECT_GE(std::stoul(content), last) << "after kill " << kill;
        last = std::stoul(content);
    }
    EXPECT_GE(last, 1000u + KILLS);  // each writer wrote before it was killed
}
