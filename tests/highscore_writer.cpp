// Writes ever higher best scores through the game's own writer until it is
// killed, for the killed-writer test.
#include <cstdlib>

#include "skyrel_main.h"

int main(int argc, char* argv[])
{
    for (highscore = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1;; ++highscore)
        writeHighscore();
}
