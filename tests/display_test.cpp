#include <gtest/gtest.h>

#include <cmath>

#include "engine/input.h"
#include "engine/render2d.h"
#include "shell/display.h"
#include "support/fake_input.h"
#include "support/manual_clock.h"
#include "support/notify_sink.h"
#include "support/recording_driver.h"

namespace {

class DisplayTest : public ::testing::Test {
  protected:
    void Open(int desktopW, int desktopH, int gW, int gH, bool fullScreen) {
        driver = std::make_unique<RecordingDriver>(desktopW, desktopH);
        SetGraphicsDriver(driver.get());
        if (fullScreen)
            d.FullScreen("Kestrune");
        else
            d.Windowed("Kestrune");
        d.RefreshRate(59);
        d.SetGraphics(gW, gH, 256, 192, 0);
    }
    void TearDown() override {
        EndGraphics();
        SetGraphicsDriver(nullptr);
        ResetGraphicsState();
        VirtualGfx::currentVG.reset();
        ResetInput();
    }
    void MouseAt(int x, int y) { MouseToWindow(x, y); }
    ManualClock clock;
    std::unique_ptr<RecordingDriver> driver;
    DisplayClass d;
};

struct Worked {
    int w, h;
    float scale, vresW, vresH, xoff, yoff;
    int clipX, clipY;
};

TEST_F(DisplayTest, WorkedFits) {
    const Worked cases[] = {{1024, 768, 4, 256, 192, 0, 0, 0, 0},
                            {1920, 1080, 5.625f, 341.333f, 192, 42.667f, 0, 42, 0},
                            {1280, 1024, 5, 256, 204.8f, 0, 6.4f, 0, 6}};
    for (const Worked& c : cases) {
        Open(c.w, c.h, c.w, c.h, true);
        const VirtualGfx& vg = *VirtualGfx::currentVG;
        EXPECT_FLOAT_EQ(vg.vscale, c.scale) << c.w;
        EXPECT_NEAR(VirtualResolutionWidth(), c.vresW, 0.001) << c.w;
        EXPECT_NEAR(VirtualResolutionHeight(), c.vresH, 0.001) << c.w;
        EXPECT_NEAR(vg.vxoff, c.xoff, 0.001) << c.w;
        EXPECT_NEAR(vg.vyoff, c.yoff, 0.001) << c.w;
        int x, y, w, h;
        GetViewport(x, y, w, h);
        EXPECT_EQ(x, c.clipX);
        EXPECT_EQ(y, c.clipY);
        EXPECT_EQ(w, 256);
        EXPECT_EQ(h, 192);
        float ox, oy;
        GetOrigin(ox, oy);
        EXPECT_FLOAT_EQ(ox, vg.vxoff);
        EXPECT_FLOAT_EQ(oy, vg.vyoff);
        EXPECT_EQ(d.Width(), 256);
        EXPECT_EQ(d.Height(), 192);
        EndGraphics();
    }
}

// A window gets the largest whole scale, centred with bars of whole pixels equal to within one;
// a window too small for 1x gets the largest uniform scale. Checked in real pixels.
TEST(VirtualFitTest, WindowsGetWholeScalesAndEvenBars) {
    struct Case {
        int w, h;
        float scale;
    };
    const Case cases[] = {{1024, 768, 4},
                          {1280, 800, 4},
                          {1366, 768, 4},
                          {1366, 738, 3},
                          {1920, 1080, 5},
                          {3840, 2160, 11},
                          {1280, 1024, 5},
                          {257, 193, 1},
                          {10000, 100, 100.0f / 192},
                          {1, 1, 1.0f / 256},
                          {255, 10000, 255.0f / 256}};
    for (const Case& c : cases) {
        const VirtualFit f = FitVirtualScreen(c.w, c.h, 256, 192, true);
        EXPECT_FLOAT_EQ(f.scale, c.scale) << c.w << "x" << c.h;
        const double left = f.xoff * f.scale, top = f.yoff * f.scale;
        const double right = c.w - left - 256 * f.scale, bottom = c.h - top - 192 * f.scale;
        // The whole picture is visible and centred.
        EXPECT_GE(left, -1e-3) << c.w;
        EXPECT_GE(top, -1e-3) << c.w;
        EXPECT_NEAR(left, right, 1.0) << c.w << "x" << c.h;
        EXPECT_NEAR(top, bottom, 1.0) << c.w << "x" << c.h;
        EXPECT_NEAR(f.areaWidth * f.scale, c.w, 0.01) << c.w;
        EXPECT_NEAR(f.areaHeight * f.scale, c.h, 0.01) << c.h;
        // With a whole scale the picture starts on a whole real pixel.
        if (f.scale >= 1) {
            EXPECT_DOUBLE_EQ(left, std::floor(left)) << c.w;
            EXPECT_DOUBLE_EQ(top, std::floor(top)) << c.h;
        }
    }
    // Full screen keeps the uniform fit: 1920 x 1080 at 5.625 with bars of 240 each side.
    const VirtualFit full = FitVirtualScreen(1920, 1080, 256, 192, false);
    EXPECT_FLOAT_EQ(full.scale, 5.625f);
    EXPECT_NEAR(full.xoff * full.scale, 240, 1e-3);
    // Nothing to fit into gives nothing, not a division by zero.
    EXPECT_EQ(FitVirtualScreen(0, 768, 256, 192, true).scale, 0);
}

TEST(VirtualFitTest, TheWindowIs4xWhereItFitsTheDesktop) {
    EXPECT_EQ(WindowScaleFor(1920, 1050, 256, 192, 4), 4);
    EXPECT_EQ(WindowScaleFor(3840, 2130, 256, 192, 4), 4);
    // 1366 x 768 and 1280 x 800 with a 30 px panel: 768 rows and a title bar do not fit.
    EXPECT_EQ(WindowScaleFor(1366, 738, 256, 192, 4), 3);
    EXPECT_EQ(WindowScaleFor(1280, 770, 256, 192, 4), 3);
    EXPECT_EQ(WindowScaleFor(800, 500, 256, 192, 4), 2);
    EXPECT_EQ(WindowScaleFor(200, 100, 256, 192, 4), 1);
    EXPECT_EQ(WindowScaleFor(0, 0, 256, 192, 4), 4);  // no desktop known
}

TEST_F(DisplayTest, FullScreenClipEndsExactlyAtThePicturesEdges) {
    Open(1920, 1080, 1920, 1080, true);
    DrawRect(0, 0, 1, 1);
    const DrawCall& screen = driver->calls.back();
    EXPECT_EQ(screen.vpX, 240);
    EXPECT_EQ(screen.vpW, 1440);  // the right column of the border is not cut
    // The play field's clip, 32 virtual pixels in: 240 + 32 x 5.625.
    d.SetViewport(32, 16, 192, 160);
    DrawRect(0, 0, 1, 1);
    EXPECT_EQ(driver->calls.back().vpX, 420);
    EXPECT_EQ(driver->calls.back().vpW, 1080);
}

TEST_F(DisplayTest, AResizedWindowIsFittedAgainAndTheMouseFollows) {
    Open(3840, 2160, 1024, 768, false);
    GraphicsResized(1920, 1080);  // maximised, say
    d.FollowWindowSize();
    const VirtualGfx& vg = *VirtualGfx::currentVG;
    EXPECT_FLOAT_EQ(vg.vscale, 5);
    EXPECT_FLOAT_EQ(vg.vxoff * 5, 320);
    EXPECT_FLOAT_EQ(vg.vyoff * 5, 60);
    MouseAt(320 + 5 * 100, 60 + 5 * 50);
    EXPECT_NEAR(d.MouseX(), 100, 0.01);
    EXPECT_NEAR(d.MouseY(), 50, 0.01);
    DrawRect(0, 0, 1, 1);
    EXPECT_EQ(driver->calls.back().vpX, 320);
    EXPECT_EQ(driver->calls.back().vpW, 1280);
    // Dragged smaller than the picture: the uniform fit, the whole picture still visible.
    GraphicsResized(300, 100);
    d.FollowWindowSize();
    EXPECT_NEAR(VirtualGfx::currentVG->vscale, 100.0f / 192, 1e-5);
    EXPECT_EQ(d.Width(), 256);
}

TEST_F(DisplayTest, OpeningShowsThreeBlackFramesAndKeepsTheClearColour) {
    driver = std::make_unique<RecordingDriver>(1024, 768);
    SetGraphicsDriver(driver.get());
    SetClsColor(10, 20, 30);
    d.Windowed("Kestrune");
    d.SetGraphics(1024, 768, 256, 192, 0);
    auto cls = driver->Of(DrawCall::CLS);
    EXPECT_EQ(cls.size(), 3u);
    EXPECT_EQ(driver->flips, 3);
    EXPECT_EQ(driver->clsR, 10);  // restored afterwards
    EXPECT_EQ(GraphicsDepth(), 0);
    EXPECT_EQ(GraphicsHertz(), 60);
    EXPECT_EQ(AppTitle(), "Kestrune");
}

TEST_F(DisplayTest, OriginAndViewportGoThroughTheBarOffsets) {
    Open(1920, 1080, 1920, 1080, true);
    d.SetOrigin(32, 16);
    float ox, oy;
    GetOrigin(ox, oy);
    EXPECT_NEAR(ox, 32 + 42.667, 0.001);
    EXPECT_FLOAT_EQ(oy, 16);
    d.SetViewport(32, 16, 192, 160);
    int x, y, w, h;
    GetViewport(x, y, w, h);
    EXPECT_EQ(x, 74);
    EXPECT_EQ(y, 16);
    EXPECT_EQ(w, 192);
    EXPECT_EQ(h, 160);
    d.ClearViewPort();
    GetViewport(x, y, w, h);
    EXPECT_EQ(w, 1920);
    EXPECT_EQ(h, 1080);
}

TEST_F(DisplayTest, MouseIsClampedToTheVisibleScreen) {
    Open(1920, 1080, 1920, 1080, true);
    MouseAt(1919, 500);  // in the right bar
    EXPECT_FLOAT_EQ(d.MouseX(), 255);
    MouseAt(100, 0);  // in the left bar
    EXPECT_FLOAT_EQ(d.MouseX(), 0);
    MouseAt(960, 1000);
    EXPECT_NEAR(d.MouseX(), 960 / 5.625 - 42.667, 0.01);
    EXPECT_NEAR(d.MouseY(), 1000 / 5.625, 0.01);
    EndGraphics();
    Open(1024, 768, 1024, 768, false);
    MouseAt(-50, 5000);
    EXPECT_FLOAT_EQ(d.MouseX(), 0);
    EXPECT_FLOAT_EQ(d.MouseY(), 191);
}

TEST_F(DisplayTest, NoVirtualScreenMeansRealPixels) {
    driver = std::make_unique<RecordingDriver>(1024, 768);
    SetGraphicsDriver(driver.get());
    d.SetGraphics(640, 480, 0, 0, 0);
    EXPECT_EQ(d.useVirtualRes, 0);
    EXPECT_EQ(d.Width(), 640);
    MouseAt(600, 10);
    EXPECT_FLOAT_EQ(d.MouseX(), 600);
}

TEST_F(DisplayTest, RefreshReopensTheSameMode) {
    Open(1920, 1080, 1024, 768, false);
    d.Refresh();
    EXPECT_EQ(driver->openCount, 2);
    EXPECT_EQ(GraphicsWidth(), 1024);
    EXPECT_FLOAT_EQ(VirtualGfx::currentVG->vscale, 4);
}

// A display that cannot open is a failure, said once with its cause: not the programmer message
// that would follow it, and not exit code 0.
TEST(DisplayDeathTest, ADisplayThatCannotOpenEndsWithItsCauseAndAFailureCode) {
    EXPECT_EXIT(
        {
            RecordingNotifySink sink;
            RecordingDriver driver;
            driver.refuseGraphics = true;
            SetGraphicsDriver(&driver);
            DisplayClass d;
            d.SetGraphics(1024, 768, 256, 192, 0);
        },
        testing::ExitedWithCode(1),
        "Kestrune cannot open its window: the display refused a 1024 x 768 mode");
}

TEST(DisplayDeathTest, SettingTheVirtualScreenWithoutADisplayIsTheProgrammersError) {
    EXPECT_EXIT(
        {
            RecordingNotifySink sink;
            VirtualGfx::SetVirtualGraphics(256, 192, 0);
        },
        testing::ExitedWithCode(0),
        "2222 Programmer error! Must call Graphics before SetVirtualGraphics");
}

}  // namespace
