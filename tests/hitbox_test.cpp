#include <gtest/gtest.h>

#include "engine/render2d.h"
#include "support/recording_driver.h"
#include "toolkit/hitbox.h"

namespace {

std::unique_ptr<THitBox> Box(float x, float y, float w = 16, float h = 16) {
    auto box = CreateHitBox(0, 0, 0, 0);
    box->Set(x, y, w, h);
    return box;
}

TEST(HitBox, PaddingShapesTheEffectiveBoxAndFollowsTheBase) {
    auto box = CreateHitBox(0, 0, 16, 16);
    box->Padding(2, 8, -2, 0);
    box->Update(100, 50);
    EXPECT_FLOAT_EQ(box->GetX(), 102);
    EXPECT_FLOAT_EQ(box->GetY(), 58);
    EXPECT_FLOAT_EQ(box->GetWidth(), 12);
    EXPECT_FLOAT_EQ(box->GetHeight(), 8);
    EXPECT_FLOAT_EQ(box->LeftSide(), 102);
    EXPECT_FLOAT_EQ(box->TopSide(), 58);
    EXPECT_FLOAT_EQ(box->RightSide(), 114);
    EXPECT_FLOAT_EQ(box->BottomSide(), 66);
    EXPECT_FLOAT_EQ(box->width, 16);
    EXPECT_FLOAT_EQ(box->padRight, -2);
}

TEST(HitBox, GamePaddingsGiveTheirBoxes) {
    struct Case {
        float l, t, r, b;
        float x, y, w, h;
    };
    const Case cases[] = {
        {0, 0, 0, -4, 0, 0, 16, 12},     // solid tile
        {3, 3, -3, -3, 3, 3, 10, 10},    // gem
        {2, 2, -2, 0, 2, 2, 12, 14},     // coin
        {3, 4, -2, 0, 3, 4, 11, 12},     // player against pickups and enemies
        {-2, -2, 2, 2, -2, -2, 20, 20},  // the other signs grow the box
    };
    for (const Case& c : cases) {
        auto box = CreateHitBox(0, 0, 16, 16);
        box->Padding(c.l, c.t, c.r, c.b);
        EXPECT_FLOAT_EQ(box->GetX(), c.x);
        EXPECT_FLOAT_EQ(box->GetY(), c.y);
        EXPECT_FLOAT_EQ(box->GetWidth(), c.w);
        EXPECT_FLOAT_EQ(box->GetHeight(), c.h);
    }
}

TEST(HitBox, SharedEdgesDoNotOverlap) {
    auto a = Box(0, 0);
    EXPECT_EQ(a->Overlaps(*Box(16, 0)), 0);
    EXPECT_EQ(a->Overlaps(*Box(-16, 0)), 0);
    EXPECT_EQ(a->Overlaps(*Box(0, 16)), 0);
    EXPECT_EQ(a->Overlaps(*Box(0, -16)), 0);
    EXPECT_EQ(a->Overlaps(*Box(16, 16)), 0);
    EXPECT_EQ(a->Overlaps(*Box(15.9f, 0)), 1);
    EXPECT_EQ(a->Overlaps(*Box(-15.9f, 15.9f)), 1);
    EXPECT_EQ(a->Overlaps(*Box(4, 4, 2, 2)), 1);
    EXPECT_EQ(Box(4, 4, 2, 2)->Overlaps(*a), 1);
    EXPECT_EQ(a->Overlaps(*Box(40, 0)), 0);
}

TEST(HitBox, OverlapUsesTheEffectiveBoxes) {
    auto tile = Box(0, 16);
    tile->Padding(0, 0, 0, -4);  // solid part ends at y 28
    auto feet = Box(0, 28);
    EXPECT_EQ(feet->Overlaps(*tile), 0);
    feet->Update(0, 27.5f);
    EXPECT_EQ(feet->Overlaps(*tile), 1);

    auto gem = Box(16, 0);
    gem->Padding(3, 3, -3, -3);  // starts at x 19
    auto player = Box(3, 0);
    EXPECT_EQ(player->Overlaps(*gem), 0);
    player->Update(3.5f, 0);
    EXPECT_EQ(player->Overlaps(*gem), 1);
}

TEST(HitBox, ActiveRecordsTheLastTestOfEachBox) {
    auto a = Box(0, 0), b = Box(100, 0), c = Box(8, 8);
    EXPECT_EQ(a->Overlaps(*c), 1);
    EXPECT_EQ(a->active, 1);
    EXPECT_EQ(c->active, 1);
    EXPECT_EQ(a->Overlaps(*b), 0);
    EXPECT_EQ(a->active, 0);
    EXPECT_EQ(b->active, 0);
    EXPECT_EQ(c->active, 1);  // not involved in the failed test
    EXPECT_EQ(b->Overlaps(*c), 0);
    EXPECT_EQ(c->active, 0);
}

class HitBoxRender : public ::testing::Test {
  protected:
    void SetUp() override {
        SetGraphicsDriver(&driver);
        ASSERT_TRUE(Graphics(256, 192, 0, 60));
        ResetGraphicsState();
        driver.Clear();
    }
    void TearDown() override {
        EndGraphics();
        SetGraphicsDriver(nullptr);
    }
    RecordingDriver driver;
};

struct Line {
    float x0, y0, x1, y1;
};

void ExpectLines(const std::vector<DrawCall>& lines, const std::vector<Line>& want, int r, int g,
                 int b) {
    ASSERT_EQ(lines.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE(i);
        const DrawCall& c = lines[i];
        EXPECT_FLOAT_EQ(c.MapX(c.x0, c.y0), want[i].x0);
        EXPECT_FLOAT_EQ(c.MapY(c.x0, c.y0), want[i].y0);
        EXPECT_FLOAT_EQ(c.MapX(c.x1, c.y1), want[i].x1);
        EXPECT_FLOAT_EQ(c.MapY(c.x1, c.y1), want[i].y1);
        EXPECT_EQ(c.r, r);
        EXPECT_EQ(c.g, g);
        EXPECT_EQ(c.b, b);
    }
}

void ExpectWhite() {
    int r = 0, g = 0, b = 0;
    GetColor(r, g, b);
    EXPECT_EQ(r, 255);
    EXPECT_EQ(g, 255);
    EXPECT_EQ(b, 255);
}

TEST_F(HitBoxRender, OutlineIsGreenUntilAnOverlapThenRedAndLeavesWhite) {
    auto box = CreateHitBox(10, 20, 16, 16);
    box->Padding(2, 8, -2, 0);  // 12..24 x 28..36
    const std::vector<Line> want = {
        {11, 27, 23, 35}, {23, 27, 11, 27}, {23, 35, 11, 35}, {23, 27, 23, 35}, {11, 27, 11, 35}};

    SetColor(1, 2, 3);
    box->DebugRender();
    ExpectLines(driver.Of(DrawCall::LINE), want, 0, 255, 0);
    ExpectWhite();

    driver.Clear();
    auto other = Box(20, 30);
    ASSERT_EQ(box->Overlaps(*other), 1);
    box->DebugRender();
    ExpectLines(driver.Of(DrawCall::LINE), want, 255, 0, 0);
    ExpectWhite();
}

}  // namespace
