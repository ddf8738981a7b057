// The command line: the options a player may give, checked and turned into
// the settings the game starts with. Answers --help and --version itself and
// says in one line what is wrong with an argument it refuses.
#ifndef CORVANE_COMMAND_LINE_H
#define CORVANE_COMMAND_LINE_H

// Exit statuses of the game.
const int EXIT_OK = 0;
const int EXIT_NO_SDL = 1;
const int EXIT_NO_VIDEO_MODE = 2;
const int EXIT_NO_BITMAP = 3;
const int EXIT_BAD_ARGUMENT = 64;  // as sysexits.h numbers a usage error

struct Settings {
    bool play = true;          // false when the command line asks for no game
    int exitStatus = EXIT_OK;  // what to end with when there is no game
    int scale = 0;             // of the window; 0 for the largest that fits
    bool fullscreen = false;
    bool mute = false;  // no sound at all
};

// Reads the arguments after the program's name. Prints the usage or the
// version when asked, or one line saying what is wrong on standard error.
Settings parseCommandLine(int argc, char* argv[]);

#endif
