// Writes ever higher best scores through the game's own writer until killed.
#include "skyrel_main.h"

int main(int argc, char* argv[])
{
    for (highscore = argc > 1 ? std::stoul(argv[1]) : 1;; ++highscore)
        writeHighscore();
}
