// SDL 1.2 brings no entry shim on this platform: the process entry hands
// over to the game.
#include "skyrel_main.h"

int main(int argc, char* argv[])
{
    return SDL_main(argc, argv);
}
