#include "command_line.h"

#include <cstdio>
#include <cstring>

namespace {

const char* const VERSION_TEXT = "Corvane 1.01";
const char* const USAGE_TEXT =
    "Usage: corvane [--help | --version]\n"
    "Land the aircraft: press on one and drag its route onto a landing area of its\n"
    "colour. Any key pauses, Escape quits.\n";

Settings noGame(int status)
{
    Settings settings;
    settings.play = false;
    settings.exitStatus = status;
    return settings;
}

}  // namespace

Settings parseCommandLine(int argc, char* argv[])
{
    if (argc < 2)
        return {};
    const bool help = strcmp(argv[1], "--help") == 0;
    const bool version = strcmp(argv[1], "--version") == 0;
    if (argc == 2 && help) {
        fputs(USAGE_TEXT, stdout);
        return noGame(EXIT_OK);
    }
    if (argc == 2 && version) {
        printf("%s\n", VERSION_TEXT);
        return noGame(EXIT_OK);
    }
    const char* unknown = (help || version) ? argv[2] : argv[1];
    fprintf(stderr, "corvane: unknown argument '%s'\n%s", unknown, USAGE_TEXT);
    return noGame(EXIT_BAD_ARGUMENT);
}
