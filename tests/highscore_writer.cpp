// Writes ever higher high scores through the game's own writer until it is
// killed: the crash test for the high-score file.
#include <cstdlib>

#include "skyrel_main.h"

int main(int argc, char* argv[])
{
    unsigned int next =
        argc > 1 ? static_cast<unsigned int>(std::strtoul(argv[1], nullptr, 10)) : 1;
    for (;;) {
        highscore = next++;
        writeHighscore();
    }
}
