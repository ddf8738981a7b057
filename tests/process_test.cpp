// The real binary: its SDL, arguments, bitmaps, high-score files and writer.
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

// Without a display the driver named is used as asked; none named, no driver that draws into
// the terminal stands in, and the one line says where a display was looked for.
TEST(CommandLine, ArgumentsAreAnsweredWithoutAWindowAndNoDisplayEndsWithStatusOne)
{
    const std::string usage = "Usage: corvane [--scale N] [--fullscreen] [--mute]\n";
    const std::tuple<std::vector<std::string>, const char*, int, std::string, std::string> cases[] =
        {{{"--help"}, "x11", EXIT_OK, usage, "-h, --help"},  // how it starts, what it holds
         {{"--version"}, "x11", EXIT_OK, "Corvane 1.01\n", ""},
         {{"--fly"}, "x11", EXIT_BAD_ARGUMENT, "corvane: unknown argument '--fly' (", "\n"},
         {{}, "x11", EXIT_NO_SDL, "Couldn't initialize SDL: ", "\n"},
         {{},
          "",
          EXIT_NO_SDL,
          "Couldn't initialize SDL: ",
          "no display found: DISPLAY is not set\n"}};
    for (const auto& [args, driver, status, start, holds] : cases) {
        WorkFolder dir;
        std::vector<std::string> argv = {"sh", "-c", R"(exec "$0" "$@" 2>err)", CORVANE_BINARY};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<std::string> env = gameEnv(driver);  // no DISPLAY
        if (*driver == '\0') {
            env.front() = "SDL_VIDEODRIVER";               // unset
            env.push_back("XDG_RUNTIME_DIR=" + dir.path);  // as in a session, for SDL2's sake
        }
        ChildProcess run(argv, env, dir.path, dir.file("out"));
        EXPECT_EQ(run.waitForExit(EXIT_TIMEOUT_MS), status) << start;
        const std::string said = readFile(dir.file(status == EXIT_OK ? "out" : "err"));
        EXPECT_TRUE(said.rfind(start, 0) == 0 && said.find(holds) != std::string::npos &&
                    (status == EXIT_OK || said.find('\n') == said.size() - 1))
            << said;
        EXPECT_EQ(readFile(dir.file(status == EXIT_OK ? "err" : "out")), "");
    }
}

// One damage (removed, cut short, not a bitmap) for each way a bitmap is loaded.
TEST(BadInput, EachDamagedBitmapEndsTheGameWithStatusThreeNamingTheFile)
{
    const AircraftClass& c = FLEET[std::size(FLEET) - 1];  // the others loaded before it
    std::vector<std::string> files = {DIGITS_FILE, c.normalFile, c.approachFile, c.crashedFile};
    files.insert(files.end(),
                 {headingFile(c.normalFile, HeadingNE), headingFile(c.approachFile, HeadingNW)});
    for (size_t n = 0; n < files.size(); ++n) {
        WorkFolder dir(WorkFolder::WITH_BITMAPS);
        const std::string whole = readFile(dir.file(files[n]));
        fs::remove(dir.file(files[n]));
        if (n % 3 != 0)
            std::ofstream(dir.file(files[n]))
                << (n % 3 == 1 ? whole.substr(0, whole.size() / 2) : "GIF89a\n");
        ChildProcess game({CORVANE_BINARY}, gameEnv("dummy"), dir.path, dir.file("err.txt"));
        EXPECT_EQ(game.waitForExit(EXIT_TIMEOUT_MS), EXIT_NO_BITMAP) << files[n];
        const std::string said = readFile(dir.file("err.txt"));
        EXPECT_EQ(said.rfind("Couldn't load bitmap " + files[n] + ": ", 0), 0u) << said;
        EXPECT_EQ(said.find('\n'), said.size() - 1) << said;
    }
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

// What is wrong, as changed in the game's folder; the game plays, quits and says it in one line.
TEST(BadInput, WithABadHighscoreFileIconOrAudioTheGamePlaysQuitsAndLeavesTheFileAsItWas)
{
    enum Change { NONE, FOLDER, UNREADABLE, READ_ONLY_FOLDER, NO_ICON, NO_AUDIO, NO_SOUND };
    const std::tuple<std::string, Change, std::string> cases[] = {
        {"", NONE, ""},
        {"4294967296", NONE, ""},
        {std::string("\x7f\x45\x4c\x46\x00\xff", 6), NONE, ""},
        {"", FOLDER, ""},
        {"17", UNREADABLE, ""},
        {"17", READ_ONLY_FOLDER, ""},
        {"5", NO_ICON, "Couldn't load window icon bitmaps/icon.bmp: "},
        {"5", NO_AUDIO, "Couldn't open the audio device: "},
        {"5", NO_SOUND, "Couldn't load sound sounds/crash.wav: "}};
    for (const auto& [content, change, said] : cases) {
        WorkFolder dir(WorkFolder::WITH_BITMAPS);
        const std::vector<std::string> command = gameCommand(dir);
        const std::string file = dir.file(HIGHSCORE_FILE);
        if (change == FOLDER)
            fs::create_directory(file);
        else
            std::ofstream(file) << content;
        if (change == UNREADABLE)
            fs::permissions(file, fs::perms::none);
        if (change == READ_ONLY_FOLDER)
            fs::permissions(dir.path, fs::perms::owner_write, fs::perm_options::remove);
        if (change == NO_ICON || change == NO_SOUND)
            fs::remove(dir.file(change == NO_ICON ? ICON_FILE : SOUND_FILES[EffectCrash]));
        std::vector<std::string> env = gameEnv("dummy");
        if (change == NO_AUDIO)
            env.emplace_back("SDL_AUDIODRIVER=none");
        ChildProcess game(command, env, dir.path, dir.file("err.txt"));
        EXPECT_EQ(game.waitForExit(700), -1) << change << " ended the game";
        game.signal(SIGTERM);  // SDL turns it into a quit event
        EXPECT_EQ(game.waitForExit(EXIT_TIMEOUT_MS), EXIT_OK) << change;
        fs::permissions(file, fs::perms::owner_read, fs::perm_options::add);
        EXPECT_EQ(change == FOLDER ? "" : readFile(file), content) << change;
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
