// The real binary: its SDL, its bad files and devices and their statuses, and the writer of its
// best score.
#include <csignal>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <thread>
#include <unistd.h>

#include "skyrel_main.h"
#include "x_session.h"

namespace fs = std::filesystem;

const int EXIT_TIMEOUT_MS = 20000;

TEST(SdlLeg, TheTestsAndTheGameRunAgainstTheSdlTheLegAsksFor)
{
    WorkFolder dir;  // the dynamic loader names the libraries that the game runs on
    ChildProcess game({CORVANE_BINARY}, {"LD_TRACE_LOADED_OBJECTS=1"}, "", dir.file("libraries"));
    ASSERT_EQ(game.waitForExit(EXIT_TIMEOUT_MS), 0);
    const std::string libraries = readFile(dir.file("libraries"));
    const size_t from = libraries.find("=> ", libraries.find("libSDL-1.2.so")) + 3;
    const std::string library = libraries.substr(from, libraries.find(" (", from) - from);
    const SDL_version* linked = SDL_Linked_Version();
    std::cout << (onSdl12Compat() ? "sdl12-compat" : "classic")
              << " leg: the tests ran against SDL " << int(linked->major) << "."
              << int(linked->minor) << "." << int(linked->patch) << ", the game against " << library
              << "\n";
    EXPECT_EQ(linked->patch >= 50, onSdl12Compat());  // the classic library ends at 1.2.15
    EXPECT_NE(library.find("libSDL-1.2.so"), std::string::npos) << libraries;
    EXPECT_EQ(library.find("/sdl12-compat/") != std::string::npos, onSdl12Compat()) << library;
}

// As root, the game runs as nobody, so that file permissions apply, from copies in dir.
std::vector<std::string> gameCommand(const WorkFolder& dir)
{
    if (geteuid() != 0)
        return {CORVANE_BINARY};
    const std::string game = dir.file("corvane");
    fs::copy_file(CORVANE_BINARY, game);
    fs::copy_file(CORVANE_LSAN_SUPPRESSIONS, dir.file("lsan.supp"));
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(dir.path))
        fs::permissions(entry.path(), fs::perms::others_read | fs::perms::others_exec,
                        fs::perm_options::add);
    const std::string lsan = gameEnv("", dir.file("lsan.supp"))[1];  // in place of gameEnv's
    return {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups", "env", lsan, game};
}

enum Change { UNREADABLE, FOLDER, REMOVE, CUT, GARBLE, NO_AUDIO, NO_DISPLAY };

// Changes a file of the game's folder, named as the game names it.
void changeFile(const WorkFolder& dir, const std::string& name, Change change,
                const std::string& content)
{
    const std::string file = dir.file(name);
    const std::string whole = change == CUT ? readFile(file) : "";
    if (!name.empty())
        fs::remove(file);
    if (change == FOLDER)
        fs::create_directory(file);
    else if (change == UNREADABLE)
        std::ofstream(file) << content;
    else if (change == CUT || change == GARBLE)
        std::ofstream(file) << (change == CUT ? whole.substr(0, whole.size() / 2) : "GIF89a\n");
    if (change == UNREADABLE)
        fs::permissions(file, fs::perms::none);
}

// A file changed, or no audio or display: said in one line, and the game plays on and leaves the
// best score as it was, or ends with 3 on a bitmap (one a way it is loaded) or 1 without a
// display (the driver named used as asked; none named, none that draws into the terminal).
TEST(BadInput, WithABadFileOrNoDeviceTheGamePlaysOnOrEndsWithTheStatusOfWhatFailed)
{
    const AircraftClass& c = FLEET[std::size(FLEET) - 1];  // the others loaded before it
    const std::string bitmap = "Couldn't load bitmap ";
    const std::tuple<std::string, Change, std::string, std::string> cases[] = {
        {HIGHSCORE_FILE, FOLDER, "", ""},
        {HIGHSCORE_FILE, UNREADABLE, "17", ""},
        {ICON_FILE, REMOVE, "", "Couldn't load window icon bitmaps/icon.bmp: "},
        {SOUND_FILES[EffectCrash], REMOVE, "", "Couldn't load sound sounds/crash.wav: "},
        {"", NO_AUDIO, "", "Couldn't open the audio device: "},
        {"", NO_DISPLAY, "x11", "Couldn't initialize SDL: "},
        {"", NO_DISPLAY, "", "Couldn't initialize SDL: no display found: DISPLAY is not set\n"},
        {DIGITS_FILE, REMOVE, "", bitmap + DIGITS_FILE},
        {c.normalFile, CUT, "", bitmap + c.normalFile},
        {c.approachFile, GARBLE, "", bitmap + c.approachFile}};
    for (const auto& [name, change, content, said] : cases) {
        WorkFolder dir(WorkFolder::WITH_BITMAPS);
        const std::vector<std::string> command = gameCommand(dir);
        const std::string file = dir.file(name);
        changeFile(dir, name, change, content);
        std::vector<std::string> env = gameEnv(change == NO_DISPLAY ? content : "dummy");
        if (change == NO_AUDIO)
            env.emplace_back("SDL_AUDIODRIVER=none");
        if (change == NO_DISPLAY && content.empty()) {
            env.front() = "SDL_VIDEODRIVER";               // unset
            env.push_back("XDG_RUNTIME_DIR=" + dir.path);  // as in a session, for SDL2's sake
        }
        ChildProcess game(command, env, dir.path, dir.file("err.txt"));
        const int status = said.rfind(bitmap, 0) == 0 ? EXIT_NO_BITMAP
                           : change == NO_DISPLAY     ? EXIT_NO_SDL
                                                      : EXIT_OK;
        if (status == EXIT_OK) {
            EXPECT_EQ(game.waitForExit(700), -1) << name << " ended the game";
            game.signal(SIGTERM);  // SDL turns it into a quit event
        }
        EXPECT_EQ(game.waitForExit(EXIT_TIMEOUT_MS), status) << name << change;
        if (change == UNREADABLE)
            fs::permissions(file, fs::perms::owner_read, fs::perm_options::add);
        EXPECT_TRUE(name != HIGHSCORE_FILE || change == FOLDER || readFile(file) == content);
        const std::string err = readFile(dir.file("err.txt"));
        EXPECT_TRUE(said.empty() ? err.empty()
                                 : err.rfind(said, 0) == 0 && err.find('\n') == err.size() - 1)
            << err;
    }
}

// The writer writes ever higher best scores until it is killed at moments spread over its loop.
TEST(BadInput, AKillWhileWritingTheBestScoreLeavesTheOldNumberOrANewOne)
{
    WorkFolder dir;
    const std::string file = dir.file(HIGHSCORE_FILE);
    std::ofstream(file) << "1000";
    unsigned long last = 1000;
    for (int kill = 0; kill < 40; ++kill) {
        ChildProcess writer({CORVANE_HIGHSCORE_WRITER, std::to_string(last + 1)}, {}, dir.path, "");
        for (int ms = 0; ms < EXIT_TIMEOUT_MS && readFile(file) == std::to_string(last); ++ms)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(std::chrono::microseconds(kill * 125));  // over 5 ms
        writer.signal(SIGKILL);
        EXPECT_EQ(writer.waitForExit(EXIT_TIMEOUT_MS), 128 + SIGKILL);
        const std::string content = readFile(file);
        ASSERT_EQ(content.find_first_not_of("0123456789"), std::string::npos) << content;
        ASSERT_GT(std::stoul(content), last) << "after kill " << kill;
        last = std::stoul(content);
    }
}
