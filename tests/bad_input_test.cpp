// Damaged bitmaps and high-score files, and a kill in the middle of writing
// the high score, met by the real binary.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <random>
#include <thread>

#include "game_files.h"
#include "game_process.h"
#include "skyrel_main.h"
#include "x_session.h"

namespace fs = std::filesystem;

namespace {

const int EXIT_TIMEOUT_MS = 20000;
const int PLAY_MS = 700;  // how long the game plays before it is asked to quit

void writeBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

struct Damage {
    const char* name;
    std::function<void(const std::string& path)> apply;
};

const std::vector<Damage> BITMAP_DAMAGES = {
    {"missing", [](const std::string& path) { fs::remove(path); }},
    {"empty", [](const std::string& path) { writeBytes(path, ""); }},
    {"truncated",
     [](const std::string& path) {
         const std::string whole = readFile(path);
         writeBytes(path, whole.substr(0, whole.size() / 2));
     }},
    {"not a BMP", [](const std::string& path) { writeBytes(path, "GIF89a, or anything else\n"); }},
    {"a directory",
     [](const std::string& path) {
         fs::remove(path);
         fs::create_directory(path);
     }},
};

}  // namespace

TEST(BadBitmaps, EveryDamagedBitmapEndsTheGameWithStatusThreeNamingTheFile)
{
    // Of the heading looks, which load after the others, the first and the last.
    const std::vector<const char*> sixteen = allBitmapFiles();
    const std::vector<std::string> headings = headingBitmapFiles();
    std::vector<std::string> files(sixteen.begin(), sixteen.end());
    files.push_back(headings.front());
    files.push_back(headings.back());
    for (const std::string& file : files) {
        for (const Damage& damage : BITMAP_DAMAGES) {
            WorkFolder dir;
            dir.copyBitmaps();
            damage.apply(dir.file(file));
            ChildProcess game({CORVANE_BINARY}, gameEnv("dummy"), dir.path, dir.file("stderr.txt"));
            EXPECT_EQ(game.waitForExit(EXIT_TIMEOUT_MS), EXIT_NO_BITMAP)
                << file << " " << damage.name;
            const std::string message = readFile(dir.file("stderr.txt"));
            EXPECT_EQ(message.rfind("Couldn't load bitmap " + file + ": ", 0), 0u)
                << damage.name << ": " << message;
            EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
            EXPECT_FALSE(fs::exists(dir.file(HIGHSCORE_FILE)));
        }
    }
}

TEST(BadHighscoreFiles, TheGameStartsPlaysAndQuitsAndLeavesTheFileAsItWas)
{
    struct Case {
        const char* name;
        std::string content;  // written as the file unless the folder or file is changed below
        std::function<void(WorkFolder&)> prepare;
    };
    const auto makeDirectory = [](WorkFolder& dir) {
        fs::remove(dir.file(HIGHSCORE_FILE));
        fs::create_directory(dir.file(HIGHSCORE_FILE));
    };
    const auto makeUnreadable = [](WorkFolder& dir) {
        fs::permissions(dir.file(HIGHSCORE_FILE), fs::perms::none);
    };
    const auto makeFolderReadOnly = [](WorkFolder& dir) {
        fs::permissions(dir.path,
                        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
    };
    const std::vector<Case> cases = {
        {"empty", "", nullptr},
        {"white space only", " \n\t \r\n", nullptr},
        {"negative", "-42", nullptr},
        {"beyond 32 bits", "4294967296", nullptr},
        {"binary garbage", std::string("\x7f\x45\x4c\x46\x00\xff\xfe\x01\x80", 9), nullptr},
        {"a directory", "", makeDirectory},
        {"unreadable", "17", makeUnreadable},
        {"in a read-only folder", "17", makeFolderReadOnly},
    };
    for (const Case& c : cases) {
        WorkFolder dir;
        const std::vector<std::string> command = gameCommand(CORVANE_BINARY, dir);
        writeBytes(dir.file(HIGHSCORE_FILE), c.content);
        if (c.prepare)
            c.prepare(dir);

        ChildProcess game(command, gameEnv("dummy"), dir.path, "");
        EXPECT_EQ(game.waitForExit(PLAY_MS), -1)
            << c.name << ": the game ended with status " << game.exitStatus()
            << " before it was asked to quit";
        game.signal(SIGTERM);  // SDL turns it into a quit event
        EXPECT_EQ(game.waitForExit(EXIT_TIMEOUT_MS), EXIT_OK) << c.name;

        fs::permissions(dir.path, fs::perms::owner_all, fs::perm_options::add);
        if (fs::is_directory(dir.file(HIGHSCORE_FILE))) {
            EXPECT_TRUE(c.prepare != nullptr) << c.name;
        } else {
            fs::permissions(dir.file(HIGHSCORE_FILE), fs::perms::owner_read, fs::perm_options::add);
            EXPECT_EQ(readFile(dir.file(HIGHSCORE_FILE)), c.content) << c.name;
        }
    }
}

TEST(HighscoreCrash, AKillWhileWritingLeavesTheOldNumberOrANewOneNeverLess)
{
    const int KILLS = 40;
    const int MAX_WAIT_MS = 5;
    WorkFolder dir;
    writeBytes(dir.file(HIGHSCORE_FILE), "1000");
    std::mt19937 random(20261206);
    unsigned long last = 1000;
    for (int kill = 0; kill < KILLS; ++kill) {
        ChildProcess writer({CORVANE_HIGHSCORE_WRITER, std::to_string(last + 1)}, {}, dir.path, "");
        // Once it has written, it is in its loop: kill it at a random moment of it.
        for (int waited = 0;
             waited < EXIT_TIMEOUT_MS && readFile(dir.file(HIGHSCORE_FILE)) == std::to_string(last);
             ++waited)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(std::chrono::microseconds(random() % (MAX_WAIT_MS * 1000)));
        writer.signal(SIGKILL);
        EXPECT_EQ(writer.waitForExit(EXIT_TIMEOUT_MS), 128 + SIGKILL);

        const std::string content = readFile(dir.file(HIGHSCORE_FILE));
        ASSERT_FALSE(content.empty()) << "after kill " << kill;
        ASSERT_EQ(content.find_first_not_of("0123456789"), std::string::npos)
            << "after kill " << kill << ": \"" << content << "\"";
        const unsigned long value = std::stoul(content);
        EXPECT_GE(value, last) << "after kill " << kill;
        last = value;
    }
    EXPECT_GE(last, 1000u + KILLS);  // each writer wrote before it was killed

    // A kill between creating and renaming the temporary file leaves it behind.
    int leftovers = 0;
    for (const auto& entry : fs::directory_iterator(dir.path))
        leftovers += entry.path().filename() != HIGHSCORE_FILE;
    std::cout << KILLS << " kills, " << leftovers << " of them in the middle of a write\n";
}
