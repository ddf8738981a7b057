// The high-score file: what any content reads as, and a write that never
// leaves a damaged file behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "game_fixture.h"

namespace {

void writeFile(const std::string& content)
{
    std::ofstream out(HIGHSCORE_FILE, std::ios::binary);
    out << content;
}

std::string fileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Files in the working folder other than the bitmaps and the high score.
int strayFiles(const std::string& dir)
{
    int stray = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        stray += name != "bitmaps" && name != HIGHSCORE_FILE;
    }
    return stray;
}

}  // namespace

using HighscoreFile = GameTest;

TEST_F(HighscoreFile, ReadsTheLeadingNumberAfterWhiteSpaceOrZero)
{
    const std::vector<std::pair<std::string, unsigned int>> contents = {
        {"42", 42},
        {"  \n\t42\n", 42},
        {"42abc", 42},
        {"0042", 42},
        {"+7", 7},
        {"7 8", 7},
        {"4294967295", 4294967295u},
        {"00000000000000000000000000000000000000012", 12},
        {"", 0},
        {" \n\t ", 0},
        {"abc42", 0},
        {"-5", 0},
        {"-0", 0},
        {"+", 0},
        {"+-3", 0},
        {"4294967296", 0},
        {"99999999999999999999999999", 0},
        {std::string("\0\x01\xff\x80", 4), 0},
        {std::string("12\0"
                     "34",
                     5),
         12},
    };
    for (const auto& [content, expected] : contents) {
        writeFile(content);
        highscore = 99;
        readHighscore();
        EXPECT_EQ(highscore, expected) << "content \"" << content << "\"";
    }
}

TEST_F(HighscoreFile, AMissingFileOrADirectoryInItsPlaceReadsAsZero)
{
    highscore = 99;
    readHighscore();
    EXPECT_EQ(highscore, 0u);

    std::filesystem::create_directory(HIGHSCORE_FILE);
    highscore = 99;
    readHighscore();
    EXPECT_EQ(highscore, 0u);
}

TEST_F(HighscoreFile, WritingReplacesTheFileWithTheBareNumber)
{
    writeFile("123\n");
    highscore = 7;
    writeHighscore();
    EXPECT_EQ(fileText(HIGHSCORE_FILE), "7");

    highscore = 4000000000u;  // beyond the range of a signed number
    writeHighscore();
    EXPECT_EQ(fileText(HIGHSCORE_FILE), "4000000000");
    highscore = 0;
    readHighscore();
    EXPECT_EQ(highscore, 4000000000u);
    EXPECT_EQ(strayFiles(work.path), 0);

    struct stat info;
    ASSERT_EQ(stat(HIGHSCORE_FILE, &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
}

TEST_F(HighscoreFile, AFailedWriteLeavesTheOldFileAndNoTemporaryFile)
{
    // Something that cannot be replaced by a file stands in its place.
    std::filesystem::create_directory(HIGHSCORE_FILE);
    highscore = 12;
    writeHighscore();
    EXPECT_TRUE(std::filesystem::is_directory(HIGHSCORE_FILE));
    EXPECT_EQ(strayFiles(work.path), 0);
    EXPECT_EQ(highscore, 12u);

    // The working folder itself has gone: nothing can be written at all.
    const std::string gone = work.file("gone");
    std::filesystem::create_directory(gone);
    ASSERT_EQ(chdir(gone.c_str()), 0);
    std::filesystem::remove(gone);
    writeHighscore();
    EXPECT_EQ(highscore, 12u);
    ASSERT_EQ(chdir(work.path.c_str()), 0);
}
