#include <gtest/gtest.h>

#include "support/toolkit_screen.h"
#include "toolkit/bitmap_font.h"
#include "toolkit/shape.h"

namespace {

// The game font and the shapes on the game's window, without the rest of the game.
class FontShapeTest : public ::testing::Test {
  protected:
    std::vector<float> GlyphXs() const {
        std::vector<float> xs;
        for (const DrawCall& c : window.driver.Of(DrawCall::FRAME)) xs.push_back(c.Left());
        return xs;
    }
    RecordedWindow window;
    EmbeddedFont font;
};

TEST_F(FontShapeTest, AlignmentShiftsByTheAdvanceWidth) {
    gameFont->SetStyle(0);
    gameFont->Draw("PLAY", 160, 50, TBitMapFont::ALIGN_CENTER);
    EXPECT_EQ(GlyphXs(), (std::vector<float>{144, 152, 160, 168}));
    EXPECT_FLOAT_EQ(window.driver.calls.back().Top(), 50);
    window.driver.Clear();
    gameFont->Draw("PLAY", 160, 50, TBitMapFont::ALIGN_RIGHT);
    EXPECT_EQ(GlyphXs().front(), 128);
    window.driver.Clear();
    gameFont->Draw("PLAY", 160, 50, TBitMapFont::ALIGN_LEFT);
    EXPECT_EQ(GlyphXs().front(), 160);
    window.driver.Clear();
    gameFont->Draw("PLAY", 160, 50, 42);  // any other value aligns left
    EXPECT_EQ(GlyphXs().front(), 160);
    window.driver.Clear();
    gameFont->Draw("ABCDE", 100, 0, TBitMapFont::ALIGN_CENTER);
    EXPECT_EQ(GlyphXs().front(), 80);
    window.driver.Clear();
    gameFont->SetStyle(1);
    gameFont->Draw("ABCDE", 100, 0, TBitMapFont::ALIGN_CENTER);
    EXPECT_EQ(GlyphXs(), (std::vector<float>{83, 90, 97, 104, 111}));
}

TEST_F(FontShapeTest, GlyphFramesFollowStyleAndCode) {
    gameFont->SetStyle(2);
    gameFont->Draw("A", 0, 0, TBitMapFont::ALIGN_LEFT);
    const DrawCall& a = window.driver.calls.back();
    // Frame 33 + 192 = 225: column 1, row 7 of the 12 x 12 cells.
    EXPECT_FLOAT_EQ(a.sx, 2 + 1 * 12 + 2);
    EXPECT_FLOAT_EQ(a.sy, 2 + 7 * 12 + 2);
    window.driver.Clear();
    gameFont->SetStyle(0);
    gameFont->Draw(
        "a\tb\xc8"
        "c",
        10, 0, TBitMapFont::ALIGN_LEFT);  // tab and 200 stay blank
    EXPECT_EQ(GlyphXs(), (std::vector<float>{10, 26, 42}));
    gameFont->Draw(std::string("x\0y", 3), 0, 0, TBitMapFont::ALIGN_LEFT);
}

TEST_F(FontShapeTest, WidthsAndHeights) {
    gameFont->SetStyle(0);
    EXPECT_EQ(gameFont->Width(""), 8);
    EXPECT_EQ(gameFont->Height(), 8);
    gameFont->SetStyle(6);
    EXPECT_EQ(gameFont->Width(""), 6);
    EXPECT_EQ(gameFont->Width("AB"), 12);
    EXPECT_EQ(gameFont->Height(), 6);
    gameFont->SetStyle(5);
    EXPECT_EQ(gameFont->Height(), 8);
}

TEST_F(FontShapeTest, StylesOutsideTheRangeEndTheProgram) {
    EXPECT_EXIT(gameFont->SetStyle(7), testing::ExitedWithCode(0),
                "BitMapFont.SetStyle - Error! - styles valid between 0-6");
    EXPECT_EXIT(gameFont->SetStyle(-1), testing::ExitedWithCode(0),
                "BitMapFont.SetStyle - Error! - styles valid between 0-6");
}

struct Box {
    float x, y, w, h;
    bool operator==(const Box& o) const { return x == o.x && y == o.y && w == o.w && h == o.h; }
};
std::ostream& operator<<(std::ostream& o, const Box& b) {
    return o << "(" << b.x << ", " << b.y << ", " << b.w << ", " << b.h << ")";
}

std::vector<Box> Rects(const RecordingDriver& d) {
    std::vector<Box> out;
    for (const DrawCall& c : d.Of(DrawCall::RECT))
        out.push_back({c.Left(), c.Top(), c.Width(), c.Height()});
    return out;
}

TEST_F(FontShapeTest, FramedRectanglesLieOutsideTheBox) {
    Shape::DrawRect(10, 10, 20, 5, 0, 2);
    EXPECT_EQ(Rects(window.driver),
              (std::vector<Box>{{8, 8, 24, 2}, {8, 8, 2, 9}, {30, 8, 2, 9}, {8, 15, 24, 2}}));
    window.driver.Clear();
    Shape::DrawRect(10, 10, 20, 5, 1, 7);
    EXPECT_EQ(Rects(window.driver), (std::vector<Box>{{10, 10, 20, 5}}));
    window.driver.Clear();
    Shape::DrawDot(5, 5, 3);
    EXPECT_EQ(Rects(window.driver), (std::vector<Box>{{4, 4, 3, 3}}));
}

TEST_F(FontShapeTest, OutlinedOvalsUseTheirSegmentCount) {
    Shape::DrawOval(0, 0, 6, 6, 0);
    EXPECT_EQ(window.driver.Of(DrawCall::LINE).size(), 12u);
    window.driver.Clear();
    Shape::DrawOval(0, 0, 40, 30, 0);
    auto lines = window.driver.Of(DrawCall::LINE);
    ASSERT_EQ(lines.size(), 32u);
    EXPECT_FLOAT_EQ(lines.front().Left(), 40);  // starts at the right-hand end
    EXPECT_NEAR(lines.back().MapX(lines.back().x1, lines.back().y1), 40, 1e-4);  // and closes
    window.driver.Clear();
    Shape::DrawCircle(50, 50, 10, 1);
    const DrawCall& oval = window.driver.calls.back();
    EXPECT_EQ(oval.kind, DrawCall::OVAL);
    EXPECT_FLOAT_EQ(oval.Left(), 45);
    EXPECT_FLOAT_EQ(oval.Width(), 10);
}

TEST_F(FontShapeTest, DottedLinesSpreadTheirDotsEvenly) {
    Shape::DrawDottedLine(0, 0, 10, 0, 4, 1);
    auto rects = Rects(window.driver);
    ASSERT_EQ(rects.size(), 4u);
    EXPECT_NEAR(rects[1].x, 10.0f / 3, 1e-5);
    EXPECT_NEAR(rects[2].x, 20.0f / 3, 1e-5);
    EXPECT_NEAR(rects[3].x, 10, 1e-5);
    window.driver.Clear();
    Shape::DrawDottedLine(0, 0, 10, 0, 2.5f, 1);
    EXPECT_EQ(Rects(window.driver).size(), 5u);
    for (float spacing : {4.0f, 0.0f, -1.0f}) {  // no length, or no spacing: the first dot alone
        window.driver.Clear();
        Shape::DrawDottedLine(3, 3, 3, 3, spacing, 1);
        EXPECT_EQ(Rects(window.driver).size(), 1u);
    }
    window.driver.Clear();
    Shape::DrawDottedLine(0, 0, 1, 0, 4, 1);  // shorter than half the spacing
    EXPECT_EQ(Rects(window.driver).size(), 1u);
    EXPECT_EQ(Shape::Round(1.49f), 1);
    EXPECT_EQ(Shape::Round(1.5f), 2);
    EXPECT_EQ(Shape::Round(2.5f), 3);
    EXPECT_EQ(Shape::Round(-2.5f), -2);
}

}  // namespace
