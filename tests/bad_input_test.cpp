// Damaged bitmaps and high-score files met by the real binary, and a kill in
// the middle of writing the best score.
#include <csignal>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "game_process.h"
#include "skyrel_main.h"
#include "x_session.h"

namespace fs = std::filesystem;

const int EXIT_TIMEOUT_MS = 20000;

TEST(BadInput, EachDamagedBitmapEndsTheGameWithStatusThreeNamingTheFile)
{
    std::vector<std::string> files = {BACKGROUND_FILE, DIGITS_FILE, PAUSE_TEXT_FILE,
                                      PRESSKEY_TEXT_FILE};
    for (const AircraftClass& c : FLEET) {
        files.insert(files.end(), {c.normalFile, c.approachFile, c.crashedFile,
                                   headingFile(c.normalFile, HeadingNE),
                                   headingFile(c.approachFile, HeadingNW)});
    }
    for (size_t n = 0; n < files.size(); ++n) {
        WorkFolder dir;
        dir.copyBitmaps();
        const std::string whole = readFile(dir.file(files[n]));
        const std::string damages[] = {"", whole.substr(0, whole.size() / 2), "GIF89a, or else\n"};
        std::ofstream(dir.file(files[n])) << damages[n % 3];
        ChildProcess game({CORVANE_BINARY}, gameEnv("dummy"), dir.path, dir.file("err.txt"));
        EXPECT_EQ(game.waitForExit(EXIT_TIMEOUT_MS), EXIT_NO_BITMAP) << files[n];
        const std::string said = readFile(dir.file("err.txt"));
        EXPECT_TRUE(said.rfind("Couldn't load bitmap " + files[n] + ": ", 0) == 0 &&
                    said.find('\n') == said.size() - 1)
            << said;
    }
}

TEST(BadInput, WithABadHighscoreFileTheGamePlaysQuitsAndLeavesTheFileAsItWas)
{
    // The content, and whether the file is a folder, unreadable, or in a
    // folder the game cannot write to.
    enum Change { NONE, FOLDER, UNREADABLE, READ_ONLY_FOLDER };
    const std::pair<std::string, Change> cases[] = {
        {"", NONE},   {"4294967296", NONE}, {std::string("\x7f\x45\x4c\x46\x00\xff", 6), NONE},
        {"", FOLDER}, {"17", UNREADABLE},   {"17", READ_ONLY_FOLDER}};
    for (const auto& [content, change] : cases) {
        WorkFolder dir;
        const std::vector<std::string> command = gameCommand(CORVANE_BINARY, dir);
        const std::string file = dir.file(HIGHSCORE_FILE);
        if (change == FOLDER)
            fs::create_directory(file);
        else
            std::ofstream(file) << content;
        if (change == UNREADABLE)
            fs::permissions(file, fs::perms::none);
        if (change == READ_ONLY_FOLDER)
            fs::permissions(dir.path, fs::perms::owner_write, fs::perm_options::remove);
        ChildProcess game(command, gameEnv("dummy"), dir.path, "");
        EXPECT_EQ(game.waitForExit(700), -1) << change << ": ended with " << game.exitStatus();
        game.signal(SIGTERM);  // SDL turns it into a quit event
        EXPECT_EQ(game.waitForExit(EXIT_TIMEOUT_MS), EXIT_OK) << change;
        fs::permissions(file, fs::perms::owner_read, fs::perm_options::add);
        EXPECT_EQ(change == FOLDER ? "" : readFile(file), content) << change;
    }
}

// The best score goes to a temporary file, flushed and renamed over the old
// one: a kill at any moment leaves the old number or a newer one, whole.
TEST(BadInput, AKillWhileWritingTheBestScoreLeavesTheOldNumberOrANewOne)
{
    WorkFolder dir;
    const std::string file = dir.file(HIGHSCORE_FILE);
    std::ofstream(file) << "1000";
    std::mt19937 random(20261206);  // NOLINT(cert-msc51-cpp): the same kill moments each run
    unsigned long last = 1000;
    for (int kill = 0; kill < 40; ++kill) {
        ChildProcess writer({CORVANE_HIGHSCORE_WRITER, std::to_string(last + 1)}, {}, dir.path, "");
        // Once it has written, it is in its loop: kill it at a random moment of it.
        for (int ms = 0; ms < EXIT_TIMEOUT_MS && readFile(file) == std::to_string(last); ++ms)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 5000));
        writer.signal(SIGKILL);
        EXPECT_EQ(writer.waitForExit(EXIT_TIMEOUT_MS), 128 + SIGKILL);
        const std::string content = readFile(file);
        ASSERT_TRUE(!content.empty() &&
                    content.find_first_not_of("0123456789") == std::string::npos)
            << "after kill " << kill << ": \"" << content << "\"";
        ASSERT_GT(std::stoul(content), last) << "after kill " << kill;
        last = std::stoul(content);
    }
}
