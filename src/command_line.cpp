#include "command_line.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "window.h"

namespace {

const int DECIMAL = 10;
const char* const VERSION_TEXT = "Corvane 1.01";
const char* const USAGE_TEXT =
    "Usage: corvane [--scale N] [--fullscreen] [--mute]\n"
    "       corvane --help | --version\n"
    "Land the aircraft: press on one and drag its route onto a landing area of its\n"
    "colour. Any key pauses, Escape quits, F11 or Alt+Enter switches fullscreen.\n"
    "A soft beep announces an aircraft, rising notes a route to land, a chime a\n"
    "landing and a burst a crash.\n"
    "\n"
    "  --scale N     show each pixel as a block of N x N, N from 1 to 8; by default\n"
    "                the largest at which the window fits the desktop\n"
    "  --fullscreen  start in fullscreen\n"
    "  --mute        play without sound\n"
    "  -h, --help    print this help and exit\n"
    "  --version     print the version and exit\n";

Settings noGame(int status)
{
    Settings settings;
    settings.play = false;
    settings.exitStatus = status;
    return settings;
}

Settings refuse(const std::string& what)
{
    fprintf(stderr, "corvane: %s (corvane --help tells the options)\n", what.c_str());
    return noGame(EXIT_BAD_ARGUMENT);
}

// The whole of text as a number from 1 to MAX_SCALE, or 0.
int scaleOf(const char* text)
{
    char* end = nullptr;
    const long value = strtol(text, &end, DECIMAL);
    const bool whole = end != text && *end == '\0';
    return whole && value >= 1 && value <= MAX_SCALE ? static_cast<int>(value) : 0;
}

}  // namespace

// --help and --version stand alone; the other options may come in any order.
Settings parseCommandLine(int argc, char* argv[])
{
    Settings settings;
    const char* alone = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "-h" || argument == "--help" || argument == "--version") {
            alone = argv[i];
        } else if (argument == "--fullscreen") {
            settings.fullscreen = true;
        } else if (argument == "--mute") {
            settings.mute = true;
        } else if (argument == "--scale") {
            if (i + 1 == argc)
                return refuse("--scale needs a number");
            settings.scale = scaleOf(argv[++i]);
            if (settings.scale == 0)
                return refuse("--scale takes a whole number from 1 to " +
                              std::to_string(MAX_SCALE) + ", not '" + argv[i] + "'");
        } else {
            return refuse("unknown argument '" + argument + "'");
        }
    }
    if (alone && argc > 2)
        return refuse(std::string(alone) + " takes no other argument");
    if (alone && strcmp(alone, "--version") == 0) {
        printf("%s\n", VERSION_TEXT);
        return noGame(EXIT_OK);
    }
    if (alone) {
        fputs(USAGE_TEXT, stdout);
        return noGame(EXIT_OK);
    }
    return settings;
}
