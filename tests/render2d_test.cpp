#include <gtest/gtest.h>

#include <cmath>

#include "engine/render2d.h"
#include "engine/stream.h"
#include "support/manual_clock.h"
#include "support/recording_driver.h"
#include "support/temp_dir.h"

namespace {

class Render2DTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetGraphicsState();
        SetGraphicsDriver(&driver);
        ASSERT_TRUE(Graphics(1024, 768, 0, 60));
        driver.Clear();
    }
    void TearDown() override {
        EndGraphics();
        SetGraphicsDriver(nullptr);
        ResetGraphicsState();
    }
    ManualClock clock;
    RecordingDriver driver;
};

TEST_F(Render2DTest, TransformMatrixRotatesThenScales) {
    SetTransform(90, 2, 3);
    const TRender2DGraphics& s = GraphicsState();
    EXPECT_NEAR(s.tform_ix, 0, 1e-6);
    EXPECT_NEAR(s.tform_iy, -3, 1e-6);
    EXPECT_NEAR(s.tform_jx, 2, 1e-6);
    EXPECT_NEAR(s.tform_jy, 0, 1e-6);
    SetOrigin(5, 7);
    DrawRect(10, 20, 4, 1);
    const DrawCall& r = driver.calls.back();
    // The local corner (4, 1) lands at (4*0 + 1*-3 + 15, 4*2 + 1*0 + 27).
    EXPECT_NEAR(r.MapX(r.x1, r.y1), 12, 1e-5);
    EXPECT_NEAR(r.MapY(r.x1, r.y1), 35, 1e-5);
}

TEST_F(Render2DTest, SubImageHandleIsInSourcePixelsAndScalesWithTheStretch) {
    auto image = CreateImageFromPixmap(std::make_unique<TPixmap>(64, 64), 0);
    DrawSubImageRect(*image, 100, 50, 32, 48, 16, 0, 16, 16, 8, 8);
    const DrawCall& f = driver.calls.back();
    ASSERT_EQ(f.kind, DrawCall::FRAME);
    EXPECT_FLOAT_EQ(f.x0, -16);
    EXPECT_FLOAT_EQ(f.y0, -24);
    EXPECT_FLOAT_EQ(f.x1, 16);
    EXPECT_FLOAT_EQ(f.y1, 24);
    EXPECT_FLOAT_EQ(f.tx, 100);
    EXPECT_FLOAT_EQ(f.sx, 16);
    EXPECT_FLOAT_EQ(f.sw, 16);
    DrawSubImageRect(*image, 0, 0, 8, 8, 0, 0, 0, 0, 3, 3);  // empty source: no division by zero
    EXPECT_TRUE(std::isfinite(driver.calls.back().x0));
    EXPECT_EQ(image->Frame(1), nullptr);
    std::size_t before = driver.calls.size();
    DrawSubImageRect(*image, 0, 0, 8, 8, 0, 0, 8, 8, 0, 0, 3);  // a frame that does not exist
    EXPECT_EQ(driver.calls.size(), before);
}

TEST_F(Render2DTest, OvalSegmentCounts) {
    EXPECT_EQ(OvalSegments(2, 2, 1, 1), 12);  // a 4 x 4 oval still has 12
    EXPECT_EQ(OvalSegments(20, 15, 1, 1), 32);
    EXPECT_EQ(OvalSegments(20, 15, 4, 4), 140);
    EXPECT_EQ(OvalSegments(-20, 15, -1, 1), 32);
    EXPECT_EQ(OvalSegments(1e30f, 1e30f, 1, 1), 1000000);
}

TEST_F(Render2DTest, ViewportIsConvertedToWindowPixels) {
    SetVirtualResolution(341.3333f, 192);
    SetViewport(42, 0, 256, 192);
    const TRender2DGraphics& s = GraphicsState();
    EXPECT_EQ(s.viewport_x, 42);
    DrawRect(0, 0, 1, 1);
    const DrawCall& r = driver.calls.back();
    EXPECT_EQ(r.vpX, 126);  // 42 x 1024 / 341.33
    EXPECT_EQ(r.vpW, 768);
    EXPECT_EQ(r.vpH, 768);
}

TEST_F(Render2DTest, StateCallsAreClampedAndRepeatsDoNothing) {
    SetColor(300, -5, 128);
    int r, g, b;
    GetColor(r, g, b);
    EXPECT_EQ(r, 255);
    EXPECT_EQ(g, 0);
    EXPECT_EQ(b, 128);
    SetAlpha(2);
    EXPECT_FLOAT_EQ(GetAlpha(), 1);
    SetBlend(ALPHABLEND);
    SetBlend(99);
    EXPECT_EQ(GetBlend(), ALPHABLEND);
    SetVirtualResolution(0, 100);  // ignored rather than dividing by zero later
    EXPECT_FLOAT_EQ(VirtualResolutionWidth(), 1024);
}

TEST_F(Render2DTest, SoftwarePacingAt60HzSleeps16_17_17) {
    std::vector<int> gaps;
    int last = clock.Now();
    Flip(-1);
    EXPECT_EQ(clock.Now(), last);  // nothing before the first frame to wait for
    last = clock.Now();
    for (int i = 0; i < 6; ++i) {
        Flip(-1);
        gaps.push_back(clock.Now() - last);
        last = clock.Now();
    }
    EXPECT_EQ(gaps, (std::vector<int>{16, 17, 17, 16, 17, 17}));
    EXPECT_EQ(driver.lastSync, 0);
    clock.Advance(500);  // a late frame restarts the schedule instead of rushing to catch up
    Flip(-1);
    int after = clock.Now();
    Flip(-1);
    EXPECT_GE(clock.Now() - after, 16);
}

TEST_F(Render2DTest, FullScreenSwapsWithVerticalSyncAndZeroSwapsAtOnce) {
    ASSERT_TRUE(Graphics(1024, 768, 32, 60));
    int before = clock.Now();
    Flip(-1);
    EXPECT_EQ(driver.lastSync, 1);
    Flip(0);
    EXPECT_EQ(driver.lastSync, 0);
    EXPECT_EQ(clock.Now(), before);
}

TEST(PixmapTest, PowerOfTwoCanvasRepeatsTheEdgeOnce) {
    TPixmap p(3, 2);
    p.WritePixel(2, 0, 0x11111111u);
    p.WritePixel(2, 1, 0x22222222u);
    p.WritePixel(0, 1, 0x33333333u);
    auto c = PadToPowerOfTwo(p, 4096);
    ASSERT_EQ(c->width, 4);
    ASSERT_EQ(c->height, 2);
    EXPECT_EQ(c->ReadPixel(3, 0), 0x11111111u);
    EXPECT_EQ(c->ReadPixel(3, 1), 0x22222222u);
    TPixmap q(4, 3);
    q.WritePixel(0, 2, 0x44444444u);
    q.WritePixel(3, 2, 0x55555555u);
    auto d = PadToPowerOfTwo(q, 4096);
    ASSERT_EQ(d->height, 4);
    EXPECT_EQ(d->ReadPixel(0, 3), 0x44444444u);
    EXPECT_EQ(d->ReadPixel(3, 3), 0x55555555u);
    TPixmap square(8, 8);
    square.WritePixel(7, 7, 0x99999999u);
    auto s = PadToPowerOfTwo(square, 4096);
    EXPECT_EQ(s->width, 8);  // already powers of two: nothing repeated
    EXPECT_EQ(s->height, 8);
    EXPECT_EQ(PadToPowerOfTwo(TPixmap(0, 5), 4096), nullptr);
    auto big = PadToPowerOfTwo(TPixmap(600, 3), 256);
    EXPECT_EQ(big->width, 256);
}

TEST(PixmapTest, DecoderRefusesWhatIsNotAPng) {
    const std::uint8_t junk[] = {0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0, 0, 13, 'I', 'H'};
    EXPECT_EQ(DecodePNG(junk, sizeof junk), nullptr);
    EXPECT_EQ(DecodePNG(nullptr, 0), nullptr);
    EXPECT_EQ(LoadImage("incbin::nothing.png"), nullptr);
}

std::unique_ptr<TPixmap> DecodeFixture(const std::string& name, std::string* why = nullptr) {
    std::vector<std::uint8_t> bytes;
    EXPECT_TRUE(LoadBytes(std::string(KESTRUNE_SOURCE_DIR) + "/tests/data/" + name, bytes)) << name;
    return DecodePNG(bytes.data(), bytes.size(), why);
}

// libpng's simplified reader garbles interlaced 16-bit files and takes 16-bit files without gAMA
// as linear light; the decoder reads those at full depth and narrows them itself.
TEST(PixmapTest, SixteenBitFilesDecodeAsTheirTwinsAndWithoutGammaAsSrgb) {
    const std::pair<const char*, const char*> twins[] = {{"basi0g16", "basn0g16"},
                                                         {"basi2c16", "basn2c16"},
                                                         {"basi4a16", "basn4a16"},
                                                         {"basi6a16", "basn6a16"},
                                                         {"bgai4a16", "basn4a16"}};
    for (auto [interlaced, plain] : twins) {
        auto a = DecodeFixture("pngsuite/" + std::string(interlaced) + ".png");
        auto b = DecodeFixture("pngsuite/" + std::string(plain) + ".png");
        ASSERT_TRUE(a && b) << interlaced;
        EXPECT_EQ(a->pixels, b->pixels) << interlaced;
        EXPECT_EQ(a->hasAlpha, b->hasAlpha) << interlaced;
    }
    // basn0g16 carries gAMA 1.0: its 16-bit 512 is linear light, 28 in sRGB.
    EXPECT_EQ(DecodeFixture("pngsuite/basn0g16.png")->ReadPixel(0, 1), 0x1c1c1cffu);
    auto grey = DecodeFixture("png/grey16-no-gamma.png");
    ASSERT_NE(grey, nullptr);
    EXPECT_FALSE(grey->hasAlpha);
    const std::uint32_t expected[] = {0x000000ff, 0x808080ff, 0xffffffff, 0x404040ff};
    for (int x = 0; x < 4; ++x) EXPECT_EQ(grey->ReadPixel(x, 0), expected[x]) << x;
}

// A refusal says why: libpng's own message, or the decoder's.
TEST(PixmapTest, RefusedFilesNameTheReason) {
    const std::pair<const char*, const char*> corrupt[] = {
        {"pngsuite/xcsn0g01.png", "IDAT: CRC error"},
        {"pngsuite/xhdn0g08.png", "IHDR: CRC error"},
        {"pngsuite/xd0n2c08.png", "Invalid IHDR data"},
        {"pngsuite/xs1n0g01.png", "it is not a PNG file"}};
    for (auto [name, reason] : corrupt) {
        std::string why;
        EXPECT_EQ(DecodeFixture(name, &why), nullptr) << name;
        EXPECT_EQ(why, reason) << name;
    }
    std::vector<std::uint8_t> cut;
    ASSERT_TRUE(
        LoadBytes(std::string(KESTRUNE_SOURCE_DIR) + "/tests/data/pngsuite/basi2c16.png", cut));
    cut.resize(cut.size() / 2);  // the 16-bit reader's own error path
    std::string why;
    EXPECT_EQ(DecodePNG(cut.data(), cut.size(), &why), nullptr);
    EXPECT_FALSE(why.empty());
}

// A header is believed only as far as the file's bytes could hold the picture it claims.
TEST(PixmapTest, DecoderRefusesALyingHeaderBeforeAllocating) {
    TempDir dir;
    for (int side : {4096, 64}) {
        TPixmap small(side, side);
        ASSERT_TRUE(SavePixmapPNG(small, dir.File("p.png")));
        std::vector<std::uint8_t> bytes;
        ASSERT_TRUE(LoadBytes(dir.File("p.png"), bytes));
        EXPECT_NE(DecodePNG(bytes.data(), bytes.size()), nullptr) << side;
        // The same file claiming 16384 x 16384 (IHDR's width and height are bytes 16 to 23).
        for (int i : {16, 20}) {
            bytes[std::size_t(i)] = 0;
            bytes[std::size_t(i + 1)] = 0;
            bytes[std::size_t(i + 2)] = 0x40;
            bytes[std::size_t(i + 3)] = 0;
        }
        EXPECT_EQ(DecodePNG(bytes.data(), bytes.size()), nullptr) << side;
    }
}

}  // namespace
