#include <gtest/gtest.h>

#include "engine/input.h"
#include "screens/screen_intro_load.h"
#include "shell/screen_manager.h"
#include "support/harness.h"
#include "toolkit/anim.h"
#include "toolkit/bitmap_font.h"

namespace {

// The loading screen comes up at start-up; the game clock then runs with the frames.
class IntroScreenTest : public ::testing::Test {
  protected:
    ScreenIntroLoad& Intro() {
        return *static_cast<ScreenIntroLoad*>(screenManager->Find("screen_introload"));
    }
    Harness h;
};

TEST_F(IntroScreenTest, ThirtyFiveStripesAndTheTextsOfThePanel) {
    ASSERT_EQ(Intro().LoadBars.size(), 35u);
    EXPECT_EQ(Intro().LoadBars.back()->BaseY, 204);
    for (const auto& bar : Intro().LoadBars) {
        EXPECT_GE(bar->Height, 1);
        EXPECT_LE(bar->Height, 5);
        EXPECT_GE(bar->Y, -2);
        EXPECT_LE(bar->Y, 2);
    }
    EXPECT_EQ(gameFont->fntStyle, 6);
    h.RunFrames(1);
    auto rects = h.driver.Of(DrawCall::RECT);
    ASSERT_GE(rects.size(), 37u);
    EXPECT_EQ(rects[0].b, 255);  // blue field first
    EXPECT_FLOAT_EQ(rects[0].Width(), 257);
    EXPECT_EQ(rects[1].r, 202);  // then yellow stripes
    EXPECT_EQ(rects[1].b, 0);
    EXPECT_EQ(rects[36].g, 202);  // then the grey panel
    EXPECT_FLOAT_EQ(rects[36].Left(), 16);
    EXPECT_FLOAT_EQ(rects[36].Width(), 224);
    auto glyphs = h.driver.Of(DrawCall::FRAME);
    ASSERT_FALSE(glyphs.empty());
    EXPECT_FLOAT_EQ(glyphs[0].Left(), 20);  // "Program: Kestrune"
    EXPECT_FLOAT_EQ(glyphs[0].Top(), 20);
    EXPECT_EQ(glyphs[0].r + glyphs[0].g + glyphs[0].b, 0);  // black text
}

TEST_F(IntroScreenTest, StripesFlickerEveryTickOnceTheirTimeHasCome) {
    std::vector<int> before;
    for (const auto& bar : Intro().LoadBars) before.push_back(bar->Height * 10 + bar->Y);
    h.RunFor(200);
    std::vector<int> after;
    for (const auto& bar : Intro().LoadBars) after.push_back(bar->Height * 10 + bar->Y);
    EXPECT_NE(before, after);
}

TEST_F(IntroScreenTest, DarkAfterSixSecondsTitleOnTheFirstTickAfterSixAndAHalf) {
    const int start = Intro().DarkTime - 6000;
    // A frame is drawn at the time the previous one ended, up to 17 ms before the next.
    while (GameMilliSecs() < start + 5980) h.RunFrames(1);
    h.RunFrames(1);
    EXPECT_FALSE(h.driver.Of(DrawCall::RECT).empty());
    while (GameMilliSecs() < start + 6000) h.RunFrames(1);
    h.RunFrames(1);
    EXPECT_TRUE(h.driver.Of(DrawCall::RECT).empty());  // only the scan lines and the label
    while (GameMilliSecs() <= start + 6500) {
        h.RunFrames(1);
        EXPECT_EQ(h.ActiveScreen(), "screen_introload") << GameMilliSecs() - start;
    }
    h.RunFrames(1);  // the first tick after 6500 ms
    EXPECT_EQ(h.ActiveScreen(), "screen_titlescreen");
}

TEST_F(IntroScreenTest, EverySkipKeyLeadsToTheTitleAndIsFlushed) {
    for (int key : {27, 32, 13}) {
        screenManager->Show("screen_introload");
        h.RunFrames(2);
        ASSERT_EQ(h.ActiveScreen(), "screen_introload");
        h.Press(key);
        PostInputEvent({InputEvent::CHAR, 'x'});
        h.RunFrames(1);
        EXPECT_EQ(h.ActiveScreen(), "screen_titlescreen") << key;
        EXPECT_EQ(KeyHit(key), 0) << "the title must not see the press";
        EXPECT_EQ(GetChar(), 0);
        h.Release(key);
    }
}

TEST_F(IntroScreenTest, AKeyHeldFromBeforeTheScreenDoesNotSkipIt) {
    h.Press(32);
    screenManager->Show("screen_introload");  // Start flushes the pending hit
    h.RunFrames(5);
    EXPECT_EQ(h.ActiveScreen(), "screen_introload");
    h.Release(32);
}

TEST_F(IntroScreenTest, RendererLabelReadsGLInTheTopLeftOnEveryFrame) {
    h.RunFrames(1);
    auto frames = h.driver.Of(DrawCall::FRAME);
    ASSERT_GE(frames.size(), 2u);
    const DrawCall& g = frames[frames.size() - 2];
    const DrawCall& l = frames.back();
    EXPECT_FLOAT_EQ(g.Left(), 0);
    EXPECT_FLOAT_EQ(g.Top(), 0);
    EXPECT_FLOAT_EQ(l.Left(), 8);  // style 0 advance
    // "G" and "L" in style 0: frames 39 and 44.
    EXPECT_FLOAT_EQ(g.sx, 2 + 7 * 12 + 2);
    EXPECT_FLOAT_EQ(l.sx, 2 + 12 * 12 + 2);
    EXPECT_FLOAT_EQ(l.sy, 2 + 1 * 12 + 2);
    EXPECT_EQ(gameFont->fntStyle, 6);  // the screen's style is left as it was
    auto lines = h.driver.Of(DrawCall::LINE);
    ASSERT_FALSE(lines.empty());
    std::size_t lastLine = 0, firstLabel = 0;
    for (std::size_t i = 0; i < h.driver.calls.size(); ++i) {
        if (h.driver.calls[i].kind == DrawCall::LINE) lastLine = i;
        if (h.driver.calls[i].kind == DrawCall::FRAME && h.driver.calls[i].sx == g.sx &&
            h.driver.calls[i].Left() == 0)
            firstLabel = i;
    }
    EXPECT_GT(firstLabel, lastLine);  // above the scan lines
}

}  // namespace
