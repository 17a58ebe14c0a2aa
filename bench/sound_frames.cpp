// The game's frames while its sound output changes under it, for bench/sound-frames.sh: the real
// start-up and frame loop on the title screen with its music playing, for the seconds given
// (default 20). Prints one line a frame: when it began (wall-clock seconds) and how long it took
// (milliseconds: update, render and the wait for the next frame's turn, as a player sees it).

#include <stdlib.h>
#include <time.h>

#include <cstdio>

#include "screens/screen_names.h"
#include "shell/screen_manager.h"
#include "top/game.h"

namespace {
double Seconds(clockid_t clock) {
    timespec ts;
    clock_gettime(clock, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}
}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 && std::atof(argv[1]) > 0 ? std::atof(argv[1]) : 20;
    char folder[] = "/tmp/kestrune-bench-XXXXXX";
    if (!mkdtemp(folder)) return 1;
    setenv("USERPROFILE", folder, 1);
    Startup();
    // Leaving the loading screen starts the title music.
    screenManager->Show(SCREEN_TITLE);
    const double until = Seconds(CLOCK_MONOTONIC) + seconds;
    while (Seconds(CLOCK_MONOTONIC) < until) {
        const double began = Seconds(CLOCK_REALTIME), at = Seconds(CLOCK_MONOTONIC);
        RunFrame();
        std::printf("%.4f %.3f\n", began, (Seconds(CLOCK_MONOTONIC) - at) * 1000);
    }
    std::fflush(stdout);
    ShutdownGame();
    return 0;
}
