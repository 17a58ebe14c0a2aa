// Start-up and memory of the game beside the least any SDL2 game does (bench_startup_floor), in
// one run, on the X display in DISPLAY (Xvfb with no window manager, say):
//   - exec to window: from the exec until a new top-level window is viewable;
//   - exec to first picture: until a fifth of that window is lit;
//   - RSS in play, and its peak: the game is taken to stage 0 with key presses (xdotool) and
//     read 5 s into it; the floor is read at the same moment after its first picture.
// Runs each program RUNS times, alternating, and prints every run, the medians and the game's
// figures beside the floor's.
//   bench_startup GAME FLOOR [RUNS]     (default 5 runs)

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <vector>

extern char** environ;

namespace {

double Now() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

void Sleep(double seconds) {
    timespec ts{time_t(seconds), long((seconds - double(time_t(seconds))) * 1e9)};
    nanosleep(&ts, nullptr);
}

// A window that went away between two requests is no error here.
int IgnoreXErrors(Display*, XErrorEvent*) {
    return 0;
}

std::set<Window> TopLevel(Display* display) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    std::set<Window> windows;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
        windows.insert(children, children + count);
        XFree(children);
    }
    return windows;
}

// A new viewable window of at least 256 x 192, or 0.
Window NewViewable(Display* display, const std::set<Window>& before) {
    for (Window w : TopLevel(display)) {
        XWindowAttributes a{};
        if (before.count(w) || !XGetWindowAttributes(display, w, &a)) continue;
        if (a.map_state == IsViewable && a.width >= 256 && a.height >= 192) return w;
    }
    return 0;
}

// Whether at least a fifth of the window's pixels are lit.
bool Lit(Display* display, Window window) {
    XWindowAttributes a{};
    if (!XGetWindowAttributes(display, window, &a)) return false;
    XImage* image =
        XGetImage(display, window, 0, 0, unsigned(a.width), unsigned(a.height), AllPlanes, ZPixmap);
    if (!image) return false;
    long lit = 0;
    for (int y = 0; y < a.height; y += 2)
        for (int x = 0; x < a.width; x += 2) {
            const unsigned long p = XGetPixel(image, x, y);
            if ((p & 0xff) > 24 || ((p >> 8) & 0xff) > 24 || ((p >> 16) & 0xff) > 24) ++lit;
        }
    XDestroyImage(image);
    return lit * 5 >= long(a.width / 2) * long(a.height / 2);
}

long StatusKilobytes(pid_t pid, const std::string& field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field + ":", 0) == 0) return std::atol(line.c_str() + field.size() + 1);
    return -1;
}

struct Run {
    double window = -1;   // seconds from exec
    double picture = -1;  // seconds from exec
    double rssMb = -1;
    double peakMb = -1;
};

void Keys(const char* keys) {
    const std::string command = std::string("xdotool mousemove 512 384 key ") + keys;
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "xdotool failed: %s\n", keys);
}

Run Measure(Display* display, const std::string& program, bool game) {
    Run run;
    const std::set<Window> before = TopLevel(display);
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    const double start = Now();
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) return run;
    Window window = 0;
    while (Now() - start < 10 && run.picture < 0) {
        if (!window && (window = NewViewable(display, before))) run.window = Now() - start;
        if (window && Lit(display, window)) run.picture = Now() - start;
        Sleep(0.002);
    }
    if (run.picture >= 0) {
        // The game: the loading screen skipped, PLAY, then the ready screen's start.
        const double moment = Now();
        if (game) {
            Sleep(0.3);
            Keys("space");
            Sleep(1.5);
            Keys("Return");
            Sleep(1.2);
            Keys("space");
        }
        Sleep(moment + 3.0 + 5.0 - Now());
        run.rssMb = double(StatusKilobytes(pid, "VmRSS")) / 1024;
        run.peakMb = double(StatusKilobytes(pid, "VmHWM")) / 1024;
    }
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    return run;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_startup GAME FLOOR [RUNS]\n");
        return 2;
    }
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "no X display\n");
        return 2;
    }
    XSetErrorHandler(IgnoreXErrors);
    std::vector<Run> game, floor;
    std::printf("%-6s %4s %10s %12s %8s %8s\n", "", "run", "window s", "picture s", "RSS MB",
                "peak MB");
    for (int i = 0; i < runs; ++i) {
        for (bool isGame : {true, false}) {
            const Run r = Measure(display, isGame ? argv[1] : argv[2], isGame);
            (isGame ? game : floor).push_back(r);
            std::printf("%-6s %4d %10.3f %12.3f %8.1f %8.1f\n", isGame ? "game" : "floor", i + 1,
                        r.window, r.picture, r.rssMb, r.peakMb);
            std::fflush(stdout);
        }
    }
    auto median = [](const std::vector<Run>& v, double Run::*field) {
        std::vector<double> values;
        for (const Run& r : v) values.push_back(r.*field);
        return Median(values);
    };
    std::printf("\nmedians of %d runs       game    floor   game / floor\n", runs);
    const std::pair<const char*, double Run::*> rows[] = {
        {"exec to window, s", &Run::window},
        {"exec to first picture, s", &Run::picture},
        {"RSS in play, MB", &Run::rssMb},
        {"peak RSS, MB", &Run::peakMb}};
    for (const auto& [name, field] : rows) {
        const double g = median(game, field), f = median(floor, field);
        std::printf("%-24s %7.3f %8.3f %8.2f\n", name, g, f, f > 0 ? g / f : 0.0);
    }
    std::printf("RSS in play above the floor: %.1f MB (peak %.1f MB)\n",
                median(game, &Run::rssMb) - median(floor, &Run::rssMb),
                median(game, &Run::peakMb) - median(floor, &Run::peakMb));
    XCloseDisplay(display);
    return 0;
}
