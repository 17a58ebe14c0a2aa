// Cost of a real stage frame on this machine: stage 0 with every enemy patrolling, the player
// running to and fro, the chase skull after him and the scan lines on, drawn by the OpenGL driver
// in a 1024 x 768 window; beside the present-only floor, and the cost of one stage tick with no
// drawing at all.
//
// Run it with a display: `SDL_VIDEODRIVER=offscreen bench_stage_frame` or under xvfb-run.

#include <stdlib.h>
#include <time.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "actors/player.h"
#include "engine/gl_driver.h"
#include "engine/input.h"
#include "engine/render2d.h"
#include "engine/system.h"
#include "engine/timing.h"
#include "shell/screen_manager.h"
#include "toolkit/anim.h"
#include "toolkit/tween.h"
#include "top/game.h"
#include "world/stage_actual.h"

namespace {

double Seconds(clockid_t clock) {
    timespec ts;
    clock_gettime(clock, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

struct Cost {
    double cpuMs;
    double threadMs;
    double calls;
};

// A 60 Hz clock that moves only when told, for the ticks measured without drawing.
class TickClock : public TClockSource {
  public:
    explicit TickClock(int start) : now_(start) {}
    int MilliSecs() override { return now_; }
    void Delay(int ms) override { now_ += ms > 0 ? ms : 0; }
    void Tick() { now_ += kSteps[step_++ % 3]; }

  private:
    static constexpr int kSteps[3] = {16, 17, 17};
    int now_;
    int step_ = 0;
};

void Key(int key, bool down) {
    PostInputEvent({down ? InputEvent::KEY_DOWN : InputEvent::KEY_UP, key, 0, 0, down});
}

// The player runs to and fro on the right-hand ledge; a skull that has caught him starts again
// from its corner, so the chase never ends.
void KeepPlaying(int frame) {
    const bool right = (frame / 40) % 2 == 0;
    Key(68, right);
    Key(65, !right);
    if (Player::Dying) {
        Player::Dying = 0;
        Player::X = 150;
        Player::Y = 96;
    }
    if (frame % 150 == 0) {
        StageActual::ChaseSkull->X = 0;
        StageActual::ChaseSkull->Y = -16;
    }
}

template <typename Step>
Cost Measure(int frames, Step step) {
    TGLRender2DDriver& gl = GLMax2DDriver();
    const double cpu0 = Seconds(CLOCK_PROCESS_CPUTIME_ID);
    const double thread0 = Seconds(CLOCK_THREAD_CPUTIME_ID);
    const long long calls0 = gl.TotalDrawCalls();
    for (int i = 0; i < frames; ++i) step(i);
    return {(Seconds(CLOCK_PROCESS_CPUTIME_ID) - cpu0) * 1000 / frames,
            (Seconds(CLOCK_THREAD_CPUTIME_ID) - thread0) * 1000 / frames,
            double(gl.TotalDrawCalls() - calls0) / frames};
}

void Tap(int key) {
    PostInputEvent({InputEvent::KEY_DOWN, key});
    RunFrame();
    PostInputEvent({InputEvent::KEY_UP, key});
}

void RunMs(int ms) {
    const int until = GameMilliSecs() + ms;
    while (GameMilliSecs() < until) RunFrame();
}

// From the title to stage 0 in play, every enemy out, the skull out and the player on the ledge.
void ReachTheChase() {
    screenManager->Show("screen_titlescreen");
    RunFrame();
    Tap(vk::ENTER);
    RunMs(600);
    Tap(vk::SPACE);
    RunMs(3000);
    Player::X = 150;
    Player::Y = 96;
    StageActual::ChaseSkull->Activate();
}

}  // namespace

int main(int argc, char** argv) {
    int frames = argc > 1 ? std::atoi(argv[1]) : 600;
    if (frames <= 0) frames = 600;
    char folder[] = "/tmp/kestrune-bench-XXXXXX";
    if (!mkdtemp(folder)) return 1;
    setenv("USERPROFILE", folder, 1);
    Startup();
    ReachTheChase();

    TGLRender2DDriver& gl = GLMax2DDriver();
    // Vertical sync and the 60 Hz pacing sleep between frames; sleeping costs no CPU time.
    const Cost floor = Measure(frames, [](int) {
        Cls();
        Flip(1);
    });
    const Cost stage = Measure(frames, [](int i) {
        KeepPlaying(i);
        RunFrame();
    });
    const bool chasing = StageActual::ChaseSkull->Hidden == 0 && !StageActual::Enemies.empty();

    // The simulation alone, on a clock that moves 1/60 s per tick.
    TickClock clock(MilliSecs());
    SetClockSource(&clock);
    const int ticks = 20 * frames;
    const double t0 = Seconds(CLOCK_THREAD_CPUTIME_ID);
    for (int i = 0; i < ticks; ++i) {
        KeepPlaying(i);
        UpdateTweenTime();
        StageActual::Update();
        clock.Tick();
    }
    const double tickUs = (Seconds(CLOCK_THREAD_CPUTIME_ID) - t0) * 1e6 / ticks;
    SetClockSource(nullptr);

    std::printf("%d frames of stage 0 at %d x %d on %s (%s)\n", frames, GraphicsWidth(),
                GraphicsHeight(), gl.Name().c_str(), chasing ? "skull chasing" : "NOT CHASING");
    std::printf("%-28s %10s %10s %12s\n", "", "cpu ms", "thread ms", "draw calls");
    std::printf("%-28s %10.3f %10.3f %12.1f\n", "present only (clear, swap)", floor.cpuMs,
                floor.threadMs, floor.calls);
    std::printf("%-28s %10.3f %10.3f %12.1f\n", "stage frame", stage.cpuMs, stage.threadMs,
                stage.calls);
    std::printf(
        "stage frame / 16.7 ms budget: %.3f process, %.3f game thread (target under 0.25)\n",
        stage.cpuMs / 16.7, stage.threadMs / 16.7);
    std::printf(
        "stage frame / present floor: %.2f process; draw calls per frame %.1f (target at "
        "most 10)\n",
        stage.cpuMs / floor.cpuMs, stage.calls);
    std::printf(
        "one stage tick without drawing: %.2f us, %.5f of the 16.7 ms budget (target under "
        "20 us)\n",
        tickUs, tickUs / 16700);
    std::string rm = std::string("rm -rf ") + folder;
    if (std::system(rm.c_str()) != 0) return 1;
    End();
}
