// Drawing through the real OpenGL driver (llvmpipe in an offscreen or virtual X display), read
// back from the frame before it is presented.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "engine/gl_driver.h"
#include "engine/render2d.h"
#include "shell/display.h"
#include "shell/settings.h"
#include "support/manual_clock.h"
#include "support/temp_dir.h"
#include "top/game.h"

namespace {

struct RGB {
    int r, g, b;
};

class GLRenderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetGraphicsState();
        SetGraphicsDriver(&GLMax2DDriver());
        if (!Graphics(1024, 768, 0, 60)) GTEST_SKIP() << "no OpenGL display here";
        SetVirtualResolution(256, 192);
        SetViewport(0, 0, 256, 192);
        SetBlend(ALPHABLEND);
        SetClsColor(0, 0, 0);
        Cls();
    }
    void TearDown() override {
        GLMax2DDriver().SetBatching(true);
        EndGraphics();
        SetGraphicsDriver(nullptr);
        ResetGraphicsState();
    }
    // Window pixel at (x, y) of the frame being drawn.
    static RGB At(int x, int y) {
        auto p = GrabPixmap(x, y, 1, 1);
        std::uint32_t v = p->ReadPixel(0, 0);
        return {int(v >> 24), int((v >> 16) & 255), int((v >> 8) & 255)};
    }
    static void ExpectRGB(int x, int y, int r, int g, int b, int tolerance = 1) {
        RGB c = At(x, y);
        EXPECT_NEAR(c.r, r, tolerance) << "at " << x << "," << y;
        EXPECT_NEAR(c.g, g, tolerance) << "at " << x << "," << y;
        EXPECT_NEAR(c.b, b, tolerance) << "at " << x << "," << y;
    }
    ManualClock clock;
};

TEST_F(GLRenderTest, RectanglesLandOnTheScaledPixels) {
    SetColor(255, 0, 0);
    DrawRect(10, 20, 5, 3);
    ExpectRGB(40, 80, 255, 0, 0);
    ExpectRGB(59, 91, 255, 0, 0);
    ExpectRGB(60, 91, 0, 0, 0);
    ExpectRGB(59, 92, 0, 0, 0);
    ExpectRGB(39, 80, 0, 0, 0);
    SetClsColor(0, 0, 300);  // clamped
    Cls();
    ExpectRGB(500, 500, 0, 0, 255);
}

TEST_F(GLRenderTest, BlendModes) {
    SetClsColor(200, 100, 50);
    Cls();
    SetColor(0, 0, 0);
    SetAlpha(0.5f);
    DrawRect(0, 0, 10, 10);  // alpha: halfway to black
    ExpectRGB(5, 5, 100, 50, 25, 2);
    SetBlend(LIGHTBLEND);
    SetColor(40, 40, 40);
    DrawRect(20, 0, 10, 10);  // light: adds colour times alpha
    ExpectRGB(85, 5, 220, 120, 70, 2);
    SetBlend(SHADEBLEND);
    SetColor(128, 255, 0);
    SetAlpha(1);
    DrawRect(40, 0, 10, 10);  // shade: multiplies
    ExpectRGB(165, 5, 100, 100, 0, 2);
    SetBlend(SOLIDBLEND);
    SetColor(10, 20, 30);
    SetAlpha(0.1f);
    DrawRect(60, 0, 10, 10);  // solid: alpha ignored
    ExpectRGB(245, 5, 10, 20, 30);
}

TEST_F(GLRenderTest, MaskBlendDrawsOnlyTexelsOfHalfAlphaOrMore) {
    auto pm = std::make_unique<TPixmap>(2, 1);
    pm->WritePixel(0, 0, 0xff000066u);  // alpha 0.4
    pm->WritePixel(1, 0, 0x00ff0099u);  // alpha 0.6
    auto image = CreateImageFromPixmap(std::move(pm), 0);
    SetBlend(MASKBLEND);
    DrawImage(*image, 0, 0);
    ExpectRGB(1, 1, 0, 0, 0);
    ExpectRGB(5, 1, 0, 255, 0);  // drawn whole, not blended
}

TEST_F(GLRenderTest, ViewportClipsAndTheWholeDisplaySwitchesClippingOff) {
    SetViewport(10, 10, 20, 20);
    SetColor(255, 255, 255);
    DrawRect(0, 0, 256, 192);
    ExpectRGB(39, 39, 0, 0, 0);
    ExpectRGB(40, 40, 255, 255, 255);
    ExpectRGB(119, 119, 255, 255, 255);
    ExpectRGB(120, 120, 0, 0, 0);
    Cls();  // clearing ignores the clip
    ExpectRGB(40, 40, 0, 0, 0);
    SetViewport(0, 0, 256, 192);
    DrawRect(0, 0, 256, 192);
    ExpectRGB(1023, 767, 255, 255, 255);
}

TEST_F(GLRenderTest, ScanLinesDarkenEveryFourthRealRowAtAlpha022) {
    display = std::make_unique<DisplayClass>();
    VirtualGfx::CreateVG(256, 192);
    cfgScanLines = 1;
    SetClsColor(255, 255, 255);
    Cls();
    GameClass().ScanLines();
    auto frame = GrabPixmap(0, 0, 1024, 768);
    int dark = 0;
    for (int y = 0; y < 768; ++y) {
        for (int x : {0, 1, 511, 1022, 1023}) {
            int v = int(frame->ReadPixel(x, y) >> 24);
            if (y % 4 == 2) {
                EXPECT_NEAR(v, 199, 1) << x << "," << y;  // 255 x (1 - 0.22)
                ++dark;
            } else {
                EXPECT_EQ(v, 255) << x << "," << y;
            }
        }
    }
    EXPECT_EQ(dark, 192 * 5);
    cfgScanLines = 0;
    display.reset();
    VirtualGfx::currentVG.reset();
}

TEST_F(GLRenderTest, LinesDrawTheirLastPixelOnlyWhenAsked) {
    SetVirtualResolution(1024, 768);
    SetViewport(0, 0, 1024, 768);
    SetColor(255, 255, 255);
    DrawLine(10, 10, 20, 10, 0);
    ExpectRGB(10, 10, 255, 255, 255);
    ExpectRGB(19, 10, 255, 255, 255);
    ExpectRGB(20, 10, 0, 0, 0);
    ExpectRGB(15, 9, 0, 0, 0);
    ExpectRGB(15, 11, 0, 0, 0);
    DrawLine(10, 30, 20, 30, 1);
    ExpectRGB(20, 30, 255, 255, 255);
    ExpectRGB(21, 30, 0, 0, 0);
    DrawLine(50, 50, 50, 50, 1);  // a line of no length is its one pixel
    ExpectRGB(50, 50, 255, 255, 255);
    Plot(70, 70);
    ExpectRGB(70, 70, 255, 255, 255);
    ExpectRGB(71, 70, 0, 0, 0);
}

// Level and upright lines are filled as strips, and must light the pixels a GL line would: the
// first pixel and not the last, whichever way the line runs, clipped to the window.
TEST_F(GLRenderTest, LevelAndUprightLinesLightTheSamePixelsAsAGLLine) {
    struct Case {
        float res;  // virtual width (height in proportion)
        float x0, y0, x1, y1;
        int lastPixel;
        int left, top, right, bottom, count;
    };
    const Case cases[] = {
        {1024, 10, 10, 20, 10, 0, 10, 10, 19, 10, 10},             // rightwards
        {1024, 20, 40, 10, 40, 0, 11, 40, 20, 40, 10},             // leftwards
        {1024, 30, 60, 30, 50, 0, 30, 51, 30, 60, 10},             // upwards
        {1024, 30, 70, 30, 80, 1, 30, 70, 30, 80, 11},             // downwards with the last pixel
        {1024, -50, 100, 2000, 100, 1, 0, 100, 1023, 100, 1024},   // over both edges
        {1024, 1023, 767, 1023, 900, 1, 1023, 767, 1023, 767, 1},  // off the bottom
        {1024, 100.7f, 120.7f, 110.2f, 120.7f, 0, 101, 121, 110, 121, 10},  // between pixels
        {256, 10, 10.5f, 20, 10.5f, 0, 40, 42, 79, 42, 40},  // one window row of a 4x row
        {256, 5.5f, 2, 5.5f, 3, 1, 22, 8, 22, 12, 5},        // one window column, last pixel
    };
    for (const Case& c : cases) {
        SetVirtualResolution(c.res, c.res * 0.75f);
        SetViewport(0, 0, int(c.res), int(c.res * 0.75f));
        SetColor(255, 255, 255);
        Cls();
        DrawLine(c.x0, c.y0, c.x1, c.y1, c.lastPixel);
        auto frame = GrabPixmap(0, 0, 1024, 768);
        int left = 1024, top = 768, right = -1, bottom = -1, count = 0;
        for (int y = 0; y < 768; ++y)
            for (int x = 0; x < 1024; ++x)
                if ((frame->ReadPixel(x, y) >> 24) > 128) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                    ++count;
                }
        SCOPED_TRACE(::testing::Message() << "line " << c.x0 << "," << c.y0 << " to " << c.x1 << ","
                                          << c.y1 << " at " << c.res);
        EXPECT_EQ(left, c.left);
        EXPECT_EQ(top, c.top);
        EXPECT_EQ(right, c.right);
        EXPECT_EQ(bottom, c.bottom);
        EXPECT_EQ(count, c.count);
    }
}

TEST_F(GLRenderTest, ImagesDrawTheirSourceRectangleWithTransformAndHandle) {
    auto pm = std::make_unique<TPixmap>(3, 2);
    pm->WritePixel(0, 0, 0xff0000ffu);
    pm->WritePixel(1, 0, 0x00ff00ffu);
    pm->WritePixel(2, 0, 0x0000ffffu);
    pm->WritePixel(0, 1, 0xffffffffu);
    pm->WritePixel(1, 1, 0x808080ffu);
    pm->WritePixel(2, 1, 0xffff00ffu);
    TempDir dir;
    ASSERT_TRUE(SavePixmapPNG(*pm, dir.File("p.png")));
    auto image = LoadImage(dir.File("p.png"), 0);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, 3);
    DrawImage(*image, 0, 0);
    ExpectRGB(1, 1, 255, 0, 0);
    ExpectRGB(9, 2, 0, 0, 255);
    ExpectRGB(5, 6, 128, 128, 128);
    DrawSubImageRect(*image, 20, 0, 4, 4, 2, 1, 1, 1);  // the yellow texel, stretched
    ExpectRGB(80, 0, 255, 255, 0);
    ExpectRGB(95, 15, 255, 255, 0);
    SetTransform(0, -1, 1);  // mirrored about the drawing position
    DrawSubImageRect(*image, 40, 10, 3, 2, 0, 0, 3, 2);
    SetTransform();
    ExpectRGB(4 * 40 - 2, 41, 255, 0, 0);
    ExpectRGB(4 * 40 - 10, 41, 0, 0, 255);
    SetColor(255, 0, 0);  // colour tints textures
    DrawSubImageRect(*image, 60, 0, 1, 1, 0, 1, 1, 1, 0.5f, 0.5f);
    ExpectRGB(4 * 60 - 2, 1, 255, 0, 0);  // centred on the position: 2 real pixels each way
    ExpectRGB(4 * 60 + 1, 0, 255, 0, 0);
    ExpectRGB(4 * 60 - 3, 1, 0, 0, 0);
    ExpectRGB(4 * 60 + 2, 1, 0, 0, 0);
}

TEST_F(GLRenderTest, ImagesSurviveTheDisplayBeingReopened) {
    auto pm = std::make_unique<TPixmap>(1, 1);
    pm->WritePixel(0, 0, 0x00ffffffu);
    auto image = CreateImageFromPixmap(std::move(pm), 0);
    DrawImage(*image, 0, 0);
    ExpectRGB(0, 0, 0, 255, 255);
    ASSERT_TRUE(Graphics(640, 480, 0, 60));
    Cls();
    DrawImage(*image, 2, 2);
    ExpectRGB(2, 2, 0, 255, 255);
}

// A picture of one colour; a see-through one would not be drawn at all.
std::unique_ptr<TImage> Filled(int w, int h, std::uint32_t rgba) {
    auto pm = std::make_unique<TPixmap>(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) pm->WritePixel(x, y, rgba);
    return CreateImageFromPixmap(std::move(pm), 0);
}

TEST_F(GLRenderTest, OneDrawCallPerRunOfSharedTextureAndState) {
    auto a = Filled(16, 16, 0xffffff80u);
    auto b = Filled(16, 16, 0xffffff80u);
    TGLRender2DDriver& gl = GLMax2DDriver();
    Flip(0);
    for (int i = 0; i < 300; ++i) {
        SetColor(i % 255, 255, 255);
        DrawImage(*a, float(i % 16) * 16, float(i / 16) * 10);
    }
    SetColor(0, 0, 0);
    SetAlpha(0.22f);
    for (int y = 0; y < 192; ++y) DrawLine(-1, y + 0.5f, 256, y + 0.5f, 1);
    SetAlpha(1);
    Flip(0);
    EXPECT_EQ(gl.LastFrameDrawCalls(), 2);  // the sprites' run and the lines' run

    for (int i = 0; i < 10; ++i) DrawImage(i % 2 ? *a : *b, 0, 0);
    Flip(0);
    EXPECT_EQ(gl.LastFrameDrawCalls(), 10);

    DrawRect(0, 0, 1, 1);
    SetBlend(LIGHTBLEND);
    DrawRect(0, 0, 1, 1);
    SetViewport(0, 0, 100, 100);
    DrawRect(0, 0, 1, 1);
    Flip(0);
    EXPECT_EQ(gl.LastFrameDrawCalls(), 3);

    SetViewport(0, 0, 256, 192);
    SetBlend(ALPHABLEND);
    DrawImage(*a, 0, 0);
    DrawRect(0, 0, 1, 1);  // colour-only quads are a run of their own
    DrawImage(*a, 0, 0);
    DrawImage(*a, 8, 0);
    Flip(0);
    EXPECT_EQ(gl.LastFrameDrawCalls(), 3);

    gl.SetBatching(false);
    for (int i = 0; i < 50; ++i) DrawImage(*a, 0, 0);
    Flip(0);
    EXPECT_EQ(gl.LastFrameDrawCalls(), 50);
}

TEST_F(GLRenderTest, OpaquePiecesDrawnAheadOfTheBlendedOnesLookTheSame) {
    auto pm = std::make_unique<TPixmap>(3, 1);
    pm->WritePixel(0, 0, 0xff0000ffu);
    pm->WritePixel(1, 0, 0x00ff0080u);  // half see-through
    pm->WritePixel(2, 0, 0x0000ffffu);
    auto image = CreateImageFromPixmap(std::move(pm), 0);
    TGLRender2DDriver& gl = GLMax2DDriver();
    Flip(0);
    DrawSubImageRect(*image, 0, 0, 4, 4, 0, 0, 1, 1);   // red
    DrawSubImageRect(*image, 2, 0, 4, 4, 1, 0, 1, 1);   // green over half the red
    DrawSubImageRect(*image, 4, 0, 4, 4, 2, 0, 1, 1);   // blue over half the green: stays on top
    DrawSubImageRect(*image, 20, 0, 4, 4, 0, 0, 1, 1);  // red, clear of everything
    SetAlpha(0.5f);
    DrawSubImageRect(*image, 40, 0, 4, 4, 2, 0, 1, 1);  // blue made see-through by the colour
    SetAlpha(1);
    DrawSubImageRect(*image, 42, 0, 4, 4, 0, 0, 1, 1);  // red over it
    ExpectRGB(4, 1, 255, 0, 0);
    ExpectRGB(10, 1, 127, 128, 0, 2);
    ExpectRGB(17, 1, 0, 0, 255);
    ExpectRGB(30, 1, 0, 0, 255);
    ExpectRGB(81, 1, 255, 0, 0);
    ExpectRGB(161, 1, 0, 0, 128, 2);
    ExpectRGB(170, 1, 255, 0, 0);
    Flip(0);
    EXPECT_EQ(gl.LastFrameDrawCalls(), 2);
}

TEST_F(GLRenderTest, AMirroredOpaquePieceKeepsTheSeeThroughTexelPastItsEdgeBlended) {
    // A mirrored picture's left edge maps to the far side of its source rectangle: a pixel
    // centre lying exactly on that edge samples the texel beyond it, here a see-through one,
    // which must leave the background alone rather than be written as it is.
    auto pm = std::make_unique<TPixmap>(2, 1);
    pm->WritePixel(0, 0, 0xff0000ffu);
    pm->WritePixel(1, 0, 0x00ff0000u);
    auto image = CreateImageFromPixmap(std::move(pm), 0);
    Flip(0);
    for (float sx : {-1.0f, 1.0f}) {
        SetTransform(0, sx, 1);
        // Window x 40.5 (a pixel centre) is the left edge either way.
        DrawSubImageRect(*image, sx < 0 ? 14.125f : 10.125f, sx < 0 ? 0 : 10, 4, 4, 0, 0, 1, 1);
    }
    SetTransform(0, 1, 1);
    ExpectRGB(40, 1, 0, 0, 0);
    ExpectRGB(41, 1, 255, 0, 0);
    ExpectRGB(40, 41, 255, 0, 0);
}

TEST_F(GLRenderTest, TexelsThatDoNotShowLeaveTheScreenAloneExceptWhereShadingReadsThem) {
    auto pm = std::make_unique<TPixmap>(4, 1);
    pm->WritePixel(0, 0, 0x00ff0000u);  // see-through, green underneath
    pm->WritePixel(1, 0, 0xff0000ffu);
    pm->WritePixel(2, 0, 0x0000ff80u);  // half see-through blue
    pm->WritePixel(3, 0, 0x00ff0000u);
    auto image = CreateImageFromPixmap(std::move(pm), 0);
    auto nothing = Filled(4, 4, 0x00ff0000u);
    TGLRender2DDriver& gl = GLMax2DDriver();
    Flip(0);
    SetClsColor(255, 255, 255);
    Cls();
    DrawImage(*nothing, 0, 20);
    Flip(0);
    EXPECT_EQ(gl.LastFrameDrawCalls(), 0) << "a picture that shows nothing costs nothing";
    Cls();
    DrawImage(*image, 10, 0);  // window x 40 .. 56, four pixels a texel
    SetTransform(0, -1, 1);
    DrawImage(*image, 26, 0);  // mirrored into window x 88 .. 104
    SetTransform(0, 1, 1);
    SetBlend(SHADEBLEND);
    DrawImage(*image, 40, 0);  // multiplies by every texel's colour, shown or not
    SetBlend(ALPHABLEND);
    for (int x : {40, 43, 52, 55, 88, 91, 100, 103}) ExpectRGB(x, 1, 255, 255, 255);
    ExpectRGB(44, 1, 255, 0, 0);
    ExpectRGB(47, 1, 255, 0, 0);
    ExpectRGB(51, 1, 127, 127, 255, 2);
    ExpectRGB(99, 1, 255, 0, 0);
    ExpectRGB(93, 1, 127, 127, 255, 2);
    ExpectRGB(161, 1, 0, 255, 0);
    ExpectRGB(165, 1, 255, 0, 0);
    ExpectRGB(175, 1, 0, 255, 0);
}

TEST_F(GLRenderTest, OvalsAndPolygonsFill) {
    SetColor(255, 255, 255);
    DrawOval(0, 0, 20, 10);
    ExpectRGB(40, 20, 255, 255, 255);
    ExpectRGB(1, 1, 0, 0, 0);
    ExpectRGB(78, 38, 0, 0, 0);
    DrawPoly({100, 0, 120, 0, 100, 20});
    ExpectRGB(404, 4, 255, 255, 255);
    ExpectRGB(476, 76, 0, 0, 0);
}

TEST(GLDisplayTest, FullScreenAtTheDesktopSize) {
    ManualClock clock;
    SetGraphicsDriver(&GLMax2DDriver());
    int w = DesktopWidth(), h = DesktopHeight();
    if (w <= 0) GTEST_SKIP() << "no display";
    ASSERT_TRUE(Graphics(w, h, 32, 59));
    EXPECT_EQ(GraphicsWidth(), w);
    EXPECT_EQ(GraphicsHeight(), h);
    EndGraphics();
    SetGraphicsDriver(nullptr);
}

}  // namespace
