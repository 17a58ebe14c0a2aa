// Frame cost of the OpenGL renderer on this machine: a synthetic frame of 300 16 x 16 sprites from
// one texture plus the 192 scan lines, drawn batched and with one draw call per quad, beside the
// present-only floor; and the time from process start to the first presented frame.
//
// Run it with a display: `SDL_VIDEODRIVER=offscreen bench_render_frame` or under xvfb-run.

#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "engine/gl_driver.h"
#include "engine/random.h"
#include "engine/render2d.h"
#include "engine/system.h"
#include "shell/settings.h"
#include "top/game.h"

namespace {

double Seconds(clockid_t clock) {
    timespec ts;
    clock_gettime(clock, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

// Seconds since this process was started by the kernel (to its 10 ms tick).
double SinceProcessStart() {
    std::ifstream stat("/proc/self/stat");
    std::string field;
    for (int i = 1; i <= 22 && stat >> field; ++i) {
    }
    double started = std::stod(field) / double(sysconf(_SC_CLK_TCK));
    return Seconds(CLOCK_BOOTTIME) - started;
}

struct Cost {
    double cpuMs;     // the whole process, the renderer's own threads included
    double threadMs;  // the game's thread alone
    double wallMs;
    long long calls;
};

template <typename Draw>
Cost Measure(int frames, Draw draw) {
    TGLRender2DDriver& gl = GLMax2DDriver();
    for (int i = 0; i < 20; ++i) {  // warm up caches and the driver's buffers
        draw();
        Flip(0);
    }
    double cpu0 = Seconds(CLOCK_PROCESS_CPUTIME_ID), wall0 = Seconds(CLOCK_MONOTONIC);
    double thread0 = Seconds(CLOCK_THREAD_CPUTIME_ID);
    long long calls0 = gl.TotalDrawCalls();
    for (int i = 0; i < frames; ++i) {
        draw();
        Flip(0);
    }
    double cpu = Seconds(CLOCK_PROCESS_CPUTIME_ID) - cpu0, wall = Seconds(CLOCK_MONOTONIC) - wall0;
    double thread = Seconds(CLOCK_THREAD_CPUTIME_ID) - thread0;
    return {cpu * 1000 / frames, thread * 1000 / frames, wall * 1000 / frames,
            (gl.TotalDrawCalls() - calls0) / frames};
}

}  // namespace

int main(int argc, char** argv) {
    const double mainAt = SinceProcessStart();
    const double mainMono = Seconds(CLOCK_MONOTONIC);
    int frames = argc > 1 ? std::atoi(argv[1]) : 300;
    if (frames <= 0) frames = 300;

    char folder[] = "/tmp/kestrune-bench-XXXXXX";
    if (!mkdtemp(folder)) return 1;
    setenv("USERPROFILE", folder, 1);

    Startup();
    RunFrame();
    const double firstFrame = mainAt + (Seconds(CLOCK_MONOTONIC) - mainMono);
    std::printf("start-up: first frame presented %.1f ms after process start (%.1f ms in main)\n",
                firstFrame * 1000, (Seconds(CLOCK_MONOTONIC) - mainMono) * 1000);

    TGLRender2DDriver& gl = GLMax2DDriver();
    auto pixmap = std::make_unique<TPixmap>(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            pixmap->WritePixel(x, y, 0x20000000u * unsigned(x % 8) + 0x00ff0000u + 0xffu);
    auto sprite = CreateImageFromPixmap(std::move(pixmap), 0);
    float pos[300][2];
    SeedRnd(7);
    for (auto& p : pos) {
        p[0] = float(Rand(0, 240));
        p[1] = float(Rand(0, 176));
    }
    cfgScanLines = 1;
    auto synthetic = [&] {
        Cls();
        for (auto& p : pos) DrawImage(*sprite, p[0], p[1]);
        game->ScanLines();
    };

    Cost floor = Measure(frames, [] { Cls(); });
    gl.SetBatching(true);
    Cost batched = Measure(frames, synthetic);
    gl.SetBatching(false);
    Cost single = Measure(frames, synthetic);
    gl.SetBatching(true);

    std::printf("%d frames at %d x %d on %s\n", frames, GraphicsWidth(), GraphicsHeight(),
                gl.Name().c_str());
    std::printf("%-28s %10s %10s %10s %12s\n", "", "cpu ms", "thread ms", "wall ms", "draw calls");
    auto row = [](const char* name, const Cost& c) {
        std::printf("%-28s %10.3f %10.3f %10.3f %12lld\n", name, c.cpuMs, c.threadMs, c.wallMs,
                    c.calls);
    };
    row("present only (clear, swap)", floor);
    row("synthetic frame, batched", batched);
    row("synthetic, call per quad", single);
    std::printf("batched / 16.7 ms budget: %.3f process, %.3f game thread (target under 0.25)\n",
                batched.cpuMs / 16.7, batched.threadMs / 16.7);
    std::printf(
        "batched / present floor: %.2f; call per quad / batched: %.2f process, %.2f thread\n",
        batched.cpuMs / floor.cpuMs, single.cpuMs / batched.cpuMs,
        single.threadMs / batched.threadMs);
    std::string rm = std::string("rm -rf ") + folder;
    if (std::system(rm.c_str()) != 0) return 1;
    End();
}
