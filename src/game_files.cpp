#include "game_files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <system_error>

// The data folder of an installed game, relative to the folder of its
// program; the build sets it from the install layout.
#ifndef CORVANE_DATA_FROM_BINARY
#define CORVANE_DATA_FROM_BINARY "../share/games/corvane"
#endif

std::string dataFolder;
// NOLINTNEXTLINE(cert-err58-cpp): a failed allocation before main leaves nothing to run
std::string highscorePath = HIGHSCORE_FILE;

namespace {

const unsigned int DECIMAL_BASE = 10;
const char* const LOCK_SUFFIX = ".lock";
const int LOCK_TRIES = 100;  // a second of waiting for another game's write
const long LOCK_RETRY_NS = 10000000;
const mode_t READABLE_BY_ALL = 0644;  // the best score's file and its lock file

bool exists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

// $XDG_DATA_HOME/corvane/highscore.txt, by default under ~/.local/share; ""
// when neither variable is set. A relative XDG_DATA_HOME counts as unset, as
// the XDG base directory rules ask.
std::string playerHighscorePath()
{
    const char* dataHome = getenv("XDG_DATA_HOME");
    const char* home = getenv("HOME");
    std::string base;
    if (dataHome && dataHome[0] == '/')
        base = dataHome;
    else if (home && home[0] != '\0')
        base = std::string(home) + "/.local/share";
    else
        return "";
    return base + "/corvane/" + HIGHSCORE_FILE;
}

// Creates the missing folders on the way to file, private to the player as the
// XDG rules ask. Answers false when one cannot be made.
bool createFoldersFor(const std::string& file)
{
    const mode_t PRIVATE_FOLDER = 0700;
    for (size_t slash = file.find('/', 1); slash != std::string::npos;
         slash = file.find('/', slash + 1)) {
        const std::string folder = file.substr(0, slash);
        if (mkdir(folder.c_str(), PRIVATE_FOLDER) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

void reportBitmapFailure(const std::string& path)
{
    fprintf(stderr, "Couldn't load bitmap %s: %s\n", path.c_str(), SDL_GetError());
}

// Two games may end at once: the one that writes holds an exclusive lock on a
// file beside the high-score file, so that it reads and replaces the file
// with no other write in between. Answers the locked descriptor, or -1 when
// the lock file cannot be made, or when the lock is not had within about a
// second, which is said once.
int lockBestScore()
{
    const std::string lockPath = highscorePath + LOCK_SUFFIX;
    const int fd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, READABLE_BY_ALL);
    if (fd < 0)
        return -1;
    const timespec retry{0, LOCK_RETRY_NS};
    for (int tries = 0; tries < LOCK_TRIES; ++tries) {
        if (flock(fd, LOCK_EX | LOCK_NB) == 0)
            return fd;
        if (errno != EWOULDBLOCK && errno != EINTR)
            break;
        nanosleep(&retry, nullptr);
    }
    fprintf(stderr, "Couldn't lock %s: saving the best score without it\n", lockPath.c_str());
    close(fd);
    return -1;
}

// Writes to a fresh file beside the old one and renames it over the old one
// only once it is complete, so the file always holds the old number or the
// new one. Answers 0, or the errno of what failed; then the old file stays.
int replaceBestScore(unsigned int score)
{
    std::string tempName = highscorePath + ".XXXXXX";
    const int fd = mkstemp(tempName.data());
    if (fd < 0)
        return errno;
    FILE* file = fdopen(fd, "w");
    if (!file) {
        const int failure = errno;
        close(fd);
        unlink(tempName.c_str());
        return failure;
    }
    const bool written = fchmod(fd, READABLE_BY_ALL) == 0 && fprintf(file, "%u", score) > 0 &&
                         fflush(file) == 0 && fsync(fd) == 0;
    int failure = written ? 0 : errno;
    if (fclose(file) != 0 && failure == 0)
        failure = errno;
    if (failure == 0 && rename(tempName.c_str(), highscorePath.c_str()) != 0)
        failure = errno;
    if (failure != 0)
        unlink(tempName.c_str());
    return failure;
}

}  // namespace

std::string programFolder()
{
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? "" : program.parent_path().string();
}

// The working folder is how a game run from its own folder (./play.sh, an
// unpacked portable copy) has always found its data, a damaged bitmap
// included; the program's folder serves a build or portable copy started
// from elsewhere. An installed game writes nothing into its installation.
bool locateGameFiles(const std::string& program, const char* fieldBitmap)
{
    if (exists(fieldBitmap)) {
        dataFolder = "";
        highscorePath = HIGHSCORE_FILE;
        return true;
    }
    if (!program.empty() && exists(program + "/" + fieldBitmap)) {
        dataFolder = program;
        highscorePath = program + "/" + HIGHSCORE_FILE;
        return true;
    }
    const std::string installed =
        (std::filesystem::path(program) / CORVANE_DATA_FROM_BINARY).lexically_normal().string();
    if (program.empty() || !exists(installed + "/" + fieldBitmap)) {
        std::error_code error;
        const std::string working = std::filesystem::current_path(error).string();
        fprintf(stderr, "Couldn't load bitmap %s: not in %s/, %s/ or %s/\n", fieldBitmap,
                working.c_str(), program.c_str(), installed.c_str());
        return false;
    }
    dataFolder = installed;
    highscorePath = playerHighscorePath();
    if (highscorePath.empty())
        fprintf(stderr, "Neither XDG_DATA_HOME nor HOME is set: the best score is kept in "
                        "memory only\n");
    return true;
}

std::string dataPath(const char* file)
{
    return dataFolder.empty() ? file : dataFolder + "/" + file;
}

SDL_Surface* loadBitmap(const char* file, bool keyed)
{
    const std::string path = dataPath(file);
    SDL_Surface* loaded = SDL_LoadBMP(path.c_str());
    if (!loaded) {
        reportBitmapFailure(path);
        return nullptr;
    }
    // Keyed before the conversion, so the converted copy keeps black transparent.
    if (keyed)
        SDL_SetColorKey(loaded, SDL_SRCCOLORKEY, SDL_MapRGB(loaded->format, 0, 0, 0));
    SDL_Surface* converted = SDL_DisplayFormat(loaded);
    if (!converted)
        reportBitmapFailure(path);
    SDL_FreeSurface(loaded);
    return converted;
}

bool loadBitmaps(const std::vector<std::string>& files, SDL_Surface* surfaces[])
{
    for (size_t i = 0; i < files.size(); ++i) {
        surfaces[i] = loadBitmap(files[i].c_str(), true);
        if (!surfaces[i]) {
            std::for_each(surfaces, surfaces + i, SDL_FreeSurface);
            return false;
        }
    }
    return true;
}

unsigned int parseHighscore(FILE* file)
{
    int c = fgetc(file);
    while (c != EOF && isspace(c))
        c = fgetc(file);
    if (c == '+')
        c = fgetc(file);
    if (c == EOF || !isdigit(c))
        return 0;  // nothing, a sign of a negative number, or no number at all

    const unsigned long long limit = 0xFFFFFFFFull;  // 32 bits, as the counter holds
    unsigned long long value = 0;
    while (c != EOF && isdigit(c)) {
        value = value * DECIMAL_BASE + static_cast<unsigned int>(c - '0');
        if (value > limit)
            return 0;
        c = fgetc(file);
    }
    return static_cast<unsigned int>(value);
}

unsigned int readBestScore()
{
    FILE* file = fopen(highscorePath.c_str(), "r");  // an empty path opens nothing
    if (!file)
        return 0;
    const unsigned int score = parseHighscore(file);
    fclose(file);
    return score;
}

// The folders on the way to the file are made when missing. Without a file,
// as said at start-up, the best score lives in memory only.
unsigned int saveBestScore(unsigned int score)
{
    if (highscorePath.empty())
        return score;
    int failure = createFoldersFor(highscorePath) ? 0 : errno;
    const int lock = failure == 0 ? lockBestScore() : -1;
    const unsigned int kept = readBestScore();
    if (failure == 0 && kept < score)
        failure = replaceBestScore(score);
    if (lock >= 0)
        close(lock);  // and with it the lock
    if (failure != 0)
        fprintf(stderr, "Couldn't save the best score to %s: %s\n", highscorePath.c_str(),
                strerror(failure));
    return std::max(kept, score);
}
