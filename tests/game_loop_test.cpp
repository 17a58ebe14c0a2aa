#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>

#include <fstream>
#include <sstream>

#include "engine/input.h"
#include "engine/render2d.h"
#include "engine/system.h"
#include "shell/display.h"
#include "shell/screen_manager.h"
#include "shell/settings.h"
#include "support/files.h"
#include "support/harness.h"
#include "toolkit/anim.h"
#include "top/game.h"

namespace {

std::string SettingsWith(const std::string& fullscreen, const std::string& scanlines = "1") {
    return "Music=2\r\nSound=1\r\nScanLines=" + scanlines + "\r\nFullscreen=" + fullscreen +
           "\r\nKeys Left=65\r\nKeys Right=68\r\nKeys Action=32\r\nKeys Pause=27\r\n"
           "Joy Action=0\r\nJoy Pause=7\r\nPlayer Lives=3\r\nStage Start=0\r\nStage Final=4\r\n"
           "Stage Time=25\r\n";
}

TEST(GameLoopTest, FirstRunCreatesTheSettingsFileAndOpensTheWindow) {
    Harness h;
    EXPECT_EQ(Slurp(h.SettingsPath()), SettingsWith("1"));
    EXPECT_EQ(GraphicsWidth(), 1024);
    EXPECT_EQ(GraphicsHeight(), 768);
    EXPECT_EQ(GraphicsDepth(), 0);
    EXPECT_EQ(AppTitle(), "Kestrune");
    EXPECT_EQ(MouseVisible(), 1);
    EXPECT_EQ(GetBlend(), ALPHABLEND);
    EXPECT_EQ(display->GetRefreshRate(), 59);
    EXPECT_EQ(h.ActiveScreen(), "screen_introload");
    EXPECT_EQ(screenManager->screens.size(), 9u);
}

TEST(GameLoopTest, FullscreenZeroOpensAtTheDesktopSizeWithBars) {
    HarnessOptions o;
    o.desktopWidth = 1920;
    o.desktopHeight = 1080;
    o.settingsFile = SettingsWith("0");
    Harness h(o);
    EXPECT_EQ(GraphicsWidth(), 1920);
    EXPECT_EQ(GraphicsHeight(), 1080);
    EXPECT_EQ(GraphicsDepth(), 32);
    EXPECT_EQ(MouseVisible(), 0);
    EXPECT_NEAR(VirtualGfx::currentVG->vxoff, 42.667, 0.001);
    EXPECT_EQ(display->Width(), 256);
}

TEST(GameLoopTest, UnknownFullscreenValueOpensTheWindow) {
    HarnessOptions o;
    o.settingsFile = SettingsWith("7");
    Harness h(o);
    EXPECT_EQ(GraphicsWidth(), 1024);
    EXPECT_EQ(GraphicsDepth(), 0);
    EXPECT_EQ(cfgFullscreen, 7);
}

TEST(GameLoopDeathTest, ClosingTheWindowEndsWithCodeZeroAndLeavesTheFileAlone) {
    HarnessOptions o;
    o.settingsFile = SettingsWith("1", "0");
    Harness h(o);
    struct stat before;
    ASSERT_EQ(stat(h.SettingsPath().c_str(), &before), 0);
    cfgScanLines = 1;  // changed in memory only: closing must not write it
    EXPECT_EXIT(
        {
            h.RunFrames(2);
            PostInputEvent({InputEvent::CLOSE_REQUEST});
            h.RunFrames(1);
            std::fprintf(stderr, "still running\n");
            std::abort();
        },
        testing::ExitedWithCode(0), "");
    struct stat after;
    ASSERT_EQ(stat(h.SettingsPath().c_str(), &after), 0);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    EXPECT_EQ(Slurp(h.SettingsPath()), SettingsWith("1", "0"));
}

// The way out: what was printed is flushed before any hook runs, the hooks go in their stages
// whatever the order they were added in (the display's before the sound's), each once, and a hook
// that hangs is cut off after a second, saying so, with the code the program was ending with.
TEST(GameLoopDeathTest, LeavingFlushesFirstRunsTheHooksByStageAndCutsOffAHang) {
    const std::string out = testing::TempDir() + "kestrune-leaving.txt";
    EXPECT_EXIT(
        {
            if (!std::freopen(out.c_str(), "w", stdout)) std::_Exit(9);
            std::printf("printed before closing");  // no newline: still in the buffer
            AddExitHook([] { std::fprintf(stderr, "platform\n"); }, ExitStage::Platform);
            AddExitHook([] { std::fprintf(stderr, "sound\n"); }, ExitStage::Sound);
            static void (*const display)() = [] { std::fprintf(stderr, "display\n"); };
            AddExitHook(display, ExitStage::Display);
            AddExitHook(display, ExitStage::Display);  // waiting already: runs once
            AddExitHook([] { std::fprintf(stderr, "game\n"); }, ExitStage::Game);
            AddExitHook(
                [] {
                    std::fprintf(stderr, "hanging\n");
                    for (;;) pause();
                },
                ExitStage::Platform);
            EndWithError(4);
        },
        testing::ExitedWithCode(4),
        "game\ndisplay\nsound\nhanging\nKestrune: closing took over a second; ending now.\n");
    EXPECT_EQ(Slurp(out), "printed before closing");
}

// A hook that throws instead of ending (a fuzzer's, a test's) gives back the caller's alarm: a
// caller's timer firing the moment it is given back, again and again, still reaches the caller's
// handler and never ends the process as a hung close would.
volatile std::sig_atomic_t g_callerAlarms = 0;
TEST(GameLoopDeathTest, AThrowingHookGivesTheCallerItsAlarmBackWhateverItsTiming) {
    EXPECT_EXIT(
        {
            struct sigaction caller {};
            caller.sa_handler = [](int) { g_callerAlarms = g_callerAlarms + 1; };
            sigemptyset(&caller.sa_mask);
            sigaction(SIGALRM, &caller, nullptr);
            itimerval often{};
            often.it_value.tv_usec = 20;
            often.it_interval.tv_usec = 20;
            setitimer(ITIMER_REAL, &often, nullptr);
            struct Thrown {};
            for (int i = 0; i < 20000; ++i) {
                AddExitHook([] { throw Thrown{}; }, ExitStage::Game);
                try {
                    End();
                } catch (const Thrown&) {
                }
            }
            std::_Exit(g_callerAlarms > 0 ? 7 : 8);
        },
        testing::ExitedWithCode(7), "");
}

// Counts the updates the loop runs in one second of the game clock.
int UpdatesInOneSecond(Harness& h) {
    h.RunFrames(3);  // let the pacing settle
    int start = GameMilliSecs();
    int frames = 0;
    while (GameMilliSecs() - start < 1000) {
        h.RunFrames(1);
        ++frames;
    }
    return frames;
}

TEST(GameLoopTest, InstantSwapsStillRunAtSixtyFramesASecond) {
    Harness h;
    EXPECT_EQ(UpdatesInOneSecond(h), 60);
    EXPECT_EQ(h.driver.lastSync, 1);
}

TEST(GameLoopTest, A144HertzDisplayStillRunsAtSixtyFramesASecond) {
    Harness h;
    // Each swap waits for the display's next vertical blank, 1000 / 144 ms apart.
    h.driver.onFlip = [&h](int sync) {
        if (sync != 1) return;
        int now = h.clock.Now();
        int next = static_cast<int>((static_cast<long long>(now) * 144 / 1000 + 1) * 1000 / 144);
        if (next > now) h.clock.Set(next);
    };
    int frames = UpdatesInOneSecond(h);
    EXPECT_GE(frames, 59);
    EXPECT_LE(frames, 60);
}

TEST(GameLoopTest, ScanLinesDarkenEveryVirtualRowInBlackAtAlpha022) {
    Harness h;
    h.RunFrames(1);
    auto lines = h.driver.Of(DrawCall::LINE);
    ASSERT_EQ(lines.size(), 192u);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const DrawCall& l = lines[i];
        EXPECT_FLOAT_EQ(l.Left(), -1);
        EXPECT_FLOAT_EQ(l.Top(), float(i) + 0.5f);
        EXPECT_FLOAT_EQ(l.MapX(l.x1, l.y1), 256);
        EXPECT_FLOAT_EQ(l.MapY(l.x1, l.y1), float(i) + 0.5f);
        EXPECT_TRUE(l.lastPixel);
        EXPECT_EQ(l.r + l.g + l.b, 0);
        EXPECT_FLOAT_EQ(l.alpha, 0.22f);
        EXPECT_EQ(l.blend, ALPHABLEND);
    }
    int r, g, b;
    GetColor(r, g, b);
    EXPECT_EQ(r + g + b, 3 * 255);
    EXPECT_FLOAT_EQ(GetAlpha(), 1);

    cfgScanLines = 0;
    h.RunFrames(1);
    EXPECT_TRUE(h.driver.Of(DrawCall::LINE).empty());
}

TEST(GameLoopTest, RendererKeysKeepTheOnlyRendererWithoutReopening) {
    Harness h;
    int opened = h.driver.openCount;
    for (int key : {49, 50, 51}) {
        h.Press(key);
        h.RunFrames(1);
        h.Release(key);
    }
    EXPECT_EQ(h.driver.openCount, opened);
    EXPECT_EQ(RendererLabel(), "GL");
    EXPECT_EQ(h.ActiveScreen(), "screen_introload");
}

}  // namespace
