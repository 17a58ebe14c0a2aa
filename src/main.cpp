#include <cstdio>
#include <cstring>

#include "top/game.h"

#ifndef KESTRUNE_VERSION
#define KESTRUNE_VERSION "unknown"
#endif

namespace {
constexpr const char* kHelp =
    "Usage: kestrune [--help | --version]\n"
    "\n"
    "Kestrune, a single-screen platform game: collect every gem, then the gold coin.\n"
    "Any other argument is ignored and the game starts.\n"
    "\n"
    "Controls (keys and pad buttons can be changed under CONTROLS in the game):\n"
    "  A, D or the arrow keys   run left and right (a pad's stick or hat too)\n"
    "  Space or Enter           jump, choose (pad button 0)\n"
    "  Escape                   pause (pad button 7)\n"
    "\n"
    "Settings are kept in gem_config.ini in $XDG_CONFIG_HOME/kestrune\n"
    "(normally ~/.config/kestrune), or in the folder named by USERPROFILE when it is set.\n";

// True when an argument asked for a text instead of the game; that text is on stdout then.
bool Answered(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kHelp, stdout);
            return true;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("Kestrune %s\n", KESTRUNE_VERSION);
            return true;
        }
    }
    return false;
}
}  // namespace

int main(int argc, char** argv) {
    if (Answered(argc, argv)) return 0;
    Startup();
    MainLoop();
}
