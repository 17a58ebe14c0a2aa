#include "shell/game.h"

int main() {
    Startup();
    MainLoop();
}
