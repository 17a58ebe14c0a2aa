#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "actors/enemy_kinds.h"
#include "engine/render2d.h"
#include "engine/stream.h"
#include "shell/embedded_assets.h"
#include "shell/image.h"
#include "support/notify_sink.h"
#include "support/temp_dir.h"
#include "support/toolkit_screen.h"
#include "toolkit/atlas.h"
#include "toolkit/atlas_description.h"

namespace {

std::string Group(const std::string& name, int x, int y, int w, int h) {
    std::ostringstream s;
    s << name << "\n  rotate: false\n  xy: " << x << ", " << y << "\n  size: " << w << ", " << h
      << "\n  orig: " << w << ", " << h << "\n  offset: 0, 0\n  index: -1\n";
    return s.str();
}

// A small atlas of our own under the embedded names the reader uses.
class AtlasTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearIncbins();
        description = "atlas0.png\nformat: RGBA8888\nfilter: Linear,Linear\nrepeat: none\n" +
                      Group("poof", 388, 2, 120, 20) + Group("wide", 0, 40, 250, 20) +
                      Group("my region", 10, 20, 30, 40) + Group("poof", 1, 2, 120, 40) +
                      Group("title_gfx", 0, 100, 256, 104);
        TPixmap page(512, 512);
        ASSERT_TRUE(SavePixmapPNG(page, dir.File("page.png")));
        ASSERT_TRUE(LoadBytes(dir.File("page.png"), pageBytes));
        RegisterIncbin("../assets/images/atlas0.txt",
                       reinterpret_cast<const std::uint8_t*>(description.data()),
                       description.size());
        RegisterIncbin("../assets/images/atlas0.png", pageBytes.data(), pageBytes.size());
        atlasFile = std::make_unique<AtlasFileClass>();
        atlasFile->LoadFile("", "atlas0.txt", 0);
    }
    void TearDown() override {
        atlasFile.reset();
        ClearIncbins();
    }
    TempDir dir;
    std::string description;
    std::vector<std::uint8_t> pageBytes;
    RecordingNotifySink sink;
};

TEST_F(AtlasTest, RegionsAreReadByPositionWithSpacesRemovedAndLaterDuplicatesWinning) {
    ASSERT_EQ(atlasFile->sourceImage.size(), 1u);
    EXPECT_EQ(atlasFile->sourceImage[0]->width, 512);
    EXPECT_EQ(atlasFile->sourceImage[0]->flags, 9);  // masked and dynamic, unfiltered
    EXPECT_EQ(atlasFile->eachImage.size(), 4u);
    EXPECT_EQ(atlasFile->GetEachImageX("poof"), 1);  // the second "poof" replaced the first
    EXPECT_EQ(atlasFile->GetEachImageHeight("poof"), 40);
    EXPECT_EQ(atlasFile->GetEachImageExists("myregion"), 0);  // the name lost its space
    EXPECT_EQ(atlasFile->GetEachImageY("myregion"), 20);
    EXPECT_EQ(atlasFile->GetEachImageWidth("myregion"), 30);
    EXPECT_EQ(atlasFile->GetEachImageSource("myregion"), atlasFile->sourceImage[0].get());
    EXPECT_EQ(atlasFile->GetEachImageX("absent"), 0);
    EXPECT_EQ(atlasFile->GetEachImageSource("absent"), nullptr);
}

std::vector<std::string> LinesOf(const std::string& url) {
    std::vector<std::string> lines;
    std::unique_ptr<TStream> in = ReadStream(url);
    while (in && !in->Eof()) lines.push_back(in->ReadLine());
    return lines;
}

std::vector<std::string> LinesOfText(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Descriptions in other tools' layouts (tests/data/atlas/README.md): the extra lines of the
// older layout are read right; anything else is refused at its line and makes no entry.
TEST_F(AtlasTest, DescriptionsOutsideTheLayoutAreRefusedAtTheirLine) {
    const std::string dir = std::string(KESTRUNE_SOURCE_DIR) + "/tests/data/atlas/";
    AtlasDescription legacy =
        ReadAtlasDescription(LinesOf(dir + "legacy-size-and-nine-patch.atlas"));
    EXPECT_EQ(legacy.error, "");
    ASSERT_EQ(legacy.regions.size(), 2u);
    EXPECT_EQ(legacy.regions[0].name, "button");
    EXPECT_EQ(legacy.regions[0].width, 20);
    EXPECT_EQ(legacy.regions[1].x, 24);  // the nine-patch lines did not shift the next region
    EXPECT_EQ(legacy.pageWidth, 64);
    EXPECT_EQ(legacy.pageSizeLine, 2);
    AtlasDescription crlf =
        ReadAtlasDescription(LinesOf(dir + "crlf-and-trailing-blank-lines.atlas"));
    EXPECT_EQ(crlf.error, "");
    EXPECT_EQ(crlf.regions.size(), 1u);
    const std::pair<const char*, const char*> refused[] = {
        {"blank-first-line", "line 1 \"\": expected no blank line before the end"},
        {"two-pages", "line 13 \"\": expected no blank line before the end"},
        {"bounds-layout", "line 3 \"filter:Nearest,Nearest\": expected \"format:\" with 1 value"},
        {"rotated-region", "line 6 \"  rotate: true\": expected \"rotate: false\""},
        {"cut-short", "line 15 \"  size: 8\": expected \"size:\" with 2 values"},
        {"short-split", "line 9 \"  split: 1, 1, 1\": expected \"split:\" with 4 values"}};
    for (auto [name, error] : refused) {
        AtlasDescription d = ReadAtlasDescription(LinesOf(dir + name + ".atlas"));
        EXPECT_TRUE(d.error.starts_with(error)) << name << ": " << d.error;
        EXPECT_TRUE(d.regions.empty()) << name;
    }
    // Lines that used to become entries: a key taken for a name, numbers that are not numbers.
    const std::string header = "atlas0.png\nformat: RGBA8888\nfilter: Linear,Linear\n";
    EXPECT_EQ(ReadAtlasDescription(LinesOfText(header + "repeat: none\nrepeat: none\n")).error,
              "line 5 \"repeat: none\": expected a name");
    EXPECT_EQ(ReadAtlasDescription(
                  LinesOfText(header + "repeat: none\n" + "a\n  rotate: false\n  xy: 1x, 2\n"))
                  .error,
              "line 7 \"  xy: 1x, 2\": expected \"xy:\" with 2 whole numbers");
    AtlasDescription cut = ReadAtlasDescription(
        LinesOfText(header + "repeat: none\n" + Group("a", 1, 2, 3, 4) + "b\n"));
    EXPECT_EQ(cut.error,
              "line 13 \"\": expected \"rotate:\" with 1 value, not the end of the description");
}

// A refused description ends the game with the fixed message and the line; a page whose size
// the header gets wrong is refused too, and neither leaves an entry behind.
TEST_F(AtlasTest, ARefusedDescriptionAddsNothingAndEndsTheGame) {
    AtlasFileClass a;
    a.sourceImage.push_back(LoadImage(dir.File("page.png"), 9));
    const std::string head =
        "atlas0.png\nsize: 256, 256\nformat: RGBA8888\nfilter: Linear,Linear\nrepeat: none\n";
    EXPECT_EQ(a.ParseDescription(LinesOfText(head + Group("a", 1, 2, 3, 4)), 0),
              "line 2 gives the page's size as 256 x 256, but it is 512 x 512");
    EXPECT_TRUE(a.eachImage.empty());
    EXPECT_EQ(a.ParseDescription(LinesOfText(head + Group("a", 1, 2, 3, 4)), 1), "");
    EXPECT_EQ(a.eachImage.size(), 1u);  // no page 1 loaded, so nothing to check the size with
    description = "repeat: none\n" + description;
    ClearIncbins();
    RegisterIncbin("../assets/images/atlas0.png", pageBytes.data(), pageBytes.size());
    RegisterIncbin("../assets/images/atlas0.txt",
                   reinterpret_cast<const std::uint8_t*>(description.data()), description.size());
    EXPECT_EXIT(
        AtlasFileClass().LoadFile("", "atlas0.txt", 0), testing::ExitedWithCode(0),
        " Unable to load atlas file \"atlas0.txt\": line 1 \"repeat: none\": expected a name");
}

TEST_F(AtlasTest, FramesAreCutRowByRowInsideTheirPadding) {
    auto poof = CreateAtlasTile("poof", 20, 20, 12, 2);  // 6 columns x 2 rows
    EXPECT_EQ(poof->Count(), 12);
    EXPECT_EQ(poof->Width(), 16);
    EXPECT_EQ(poof->frameList[7], "7");
    EXPECT_EQ(poof->frameData["0"], (std::array<int, 2>{3, 4}));
    EXPECT_EQ(poof->frameData["5"], (std::array<int, 2>{103, 4}));
    EXPECT_EQ(poof->frameData["7"], (std::array<int, 2>{23, 24}));
    auto wide = CreateAtlasTile("wide", 20, 20, 12, 2);  // 250 wide: 12 columns, 10 pixels spare
    EXPECT_EQ(wide->frameData["11"], (std::array<int, 2>{222, 42}));
}

TEST_F(AtlasTest, PicturesTrimTheirPaddingButWidthAddsItBack) {
    auto title = CreateAtlasImage("title_gfx", 0);
    EXPECT_EQ(title->Width(), 256);
    EXPECT_EQ(title->Height(), 104);
    auto padded = CreateAtlasImage("myregion", 2);
    EXPECT_EQ(padded->srcX, 12);
    EXPECT_EQ(padded->srcWidth, 26);
    EXPECT_EQ(padded->Width(), 28);
    padded->MidHandle();
    EXPECT_EQ(padded->handleX, 13);
    EXPECT_EQ(padded->handleY, 18);
}

TEST_F(AtlasTest, RenderDrawsTheFrameAndResetsTheTransform) {
    RecordingDriver driver;
    SetGraphicsDriver(&driver);
    ASSERT_TRUE(Graphics(256, 192, 0, 60));
    auto poof = CreateAtlasTile("poof", 20, 20, 6, 2);
    poof->Render(50, 60, 4, 45, 2, 2);
    const TRender2DGraphics& s = GraphicsState();
    EXPECT_FLOAT_EQ(s.tform_rot, 0);
    EXPECT_FLOAT_EQ(s.tform_scale_x, 1);
    DrawCall f = driver.Of(DrawCall::FRAME).back();
    EXPECT_FLOAT_EQ(f.sx, 83);
    EXPECT_FLOAT_EQ(f.sy, 4);
    EXPECT_FLOAT_EQ(f.sw, 16);
    EXPECT_NEAR(f.ix, 2 * 0.7071, 1e-3);  // drawn rotated and scaled
    poof->MidHandle();
    poof->RenderSize(50, 60, 0, 32, 48, 0);
    f = driver.Of(DrawCall::FRAME).back();
    EXPECT_FLOAT_EQ(f.ix, 2);
    EXPECT_FLOAT_EQ(f.jy, 3);
    EXPECT_FLOAT_EQ(f.x0, -8);  // centred on the position
    EXPECT_FLOAT_EQ(f.y0, -8);
    auto title = CreateAtlasImage("title_gfx", 0);
    SetTransform(30, 3, 3);
    title->Render(0, 0, 0, 1, 1);
    EXPECT_FLOAT_EQ(driver.Of(DrawCall::FRAME).back().ix, 1);
    EXPECT_FLOAT_EQ(GraphicsState().tform_scale_y, 1);
    EndGraphics();
    SetGraphicsDriver(nullptr);
}

TEST_F(AtlasTest, MoreFramesThanCellsEndTheProgram) {
    EXPECT_EXIT(CreateAtlasTile("wide", 20, 20, 13, 2), testing::ExitedWithCode(0),
                "Not enough tiles/frames in soruce image");
    EXPECT_EXIT(CreateAtlasTile("poof", 0, 20, 1, 2), testing::ExitedWithCode(0),
                "Not enough tiles/frames in soruce image");
}

// Region numbers near the int limits must neither overflow nor pass: the fixed messages instead.
TEST_F(AtlasTest, HugeRegionNumbersAreRefusedWithoutOverflow) {
    const std::string head = "atlas0.png\nformat: RGBA8888\nfilter: Linear,Linear\nrepeat: none\n";
    ASSERT_EQ(
        atlasFile->ParseDescription(LinesOfText(head + Group("huge", 0, 0, 2147483647, 2147483647) +
                                                Group("far", 2147483647, 2147483647, 40, 40)),
                                    0),
        "");
    // 1 x 1 cells of a huge region: columns times rows is far past the int range, and fine.
    auto huge = CreateAtlasTile("huge", 1, 1, 4, 0);
    EXPECT_EQ(huge->frameData["3"][0], 3);
    EXPECT_EXIT(CreateAtlasTile("far", 20, 20, 4, 2), testing::ExitedWithCode(0),
                " Unable to load atlas image \"far\"");
    EXPECT_EXIT(CreateAtlasImage("far", 2), testing::ExitedWithCode(0),
                " Unable to load atlas image \"far\"");
    // Past the int range, or below zero, a number is not read at all.
    EXPECT_NE(atlasFile->ParseDescription(
                  LinesOfText(head + "big\n  rotate: false\n  xy: 0, 0\n  size: 2147483648, 1\n  "
                                     "orig: 1, 1\n  offset: 0, 0\n  index: -1\n"),
                  0),
              "");
    EXPECT_NE(atlasFile->ParseDescription(LinesOfText(head + Group("lost", 0, 0, -40, -40)), 0),
              "");
    EXPECT_EQ(atlasFile->GetEachImageExists("huge"), 0);
    EXPECT_EQ(atlasFile->eachImage.count("lost"), 0u);
}

TEST_F(AtlasTest, FailureMessages) {
    EXPECT_EXIT(CreateAtlasTile("nowhere", 20, 20, 1, 2), testing::ExitedWithCode(0),
                " Unable to load atlas image \"nowhere\"");
    EXPECT_EXIT(CreateAtlasImage("nowhere", 0), testing::ExitedWithCode(0),
                " Unable to load atlas image \"nowhere\"");
    auto poof = CreateAtlasTile("poof", 20, 20, 6, 2);
    EXPECT_EXIT(poof->Render(0, 0, 6, 0, 1, 1), testing::ExitedWithCode(0),
                " Tile frame out of bounds, not enough frames");
    EXPECT_EXIT(poof->Render(0, 0, -1, 0, 1, 1), testing::ExitedWithCode(0),
                " Tile frame out of bounds, frame cannot be < 0");
    ClearIncbins();
    EXPECT_EXIT(AtlasFileClass().LoadFile("", "atlas0.txt", 0), testing::ExitedWithCode(0),
                " Unable to load atlas file \"atlas0.txt\"");
}

// The game's pictures cut from the embedded atlas on the game's window, without the rest of the
// game.
class ImageRegistryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        RegisterEmbeddedAssets();
        AddEnemyPictures();
        Image::Load();
    }
    void TearDown() override {
        Image::Reset();
        atlasFile.reset();
        ClearIncbins();
    }
    RecordedWindow window;
};

TEST_F(ImageRegistryTest, EveryStripHasItsFramesAndSizes) {
    struct Want {
        AtlasTile* strip;
        int frames;
    };
    const Want strips[] = {
        {Image::Tiles.get(), 72}, {Image::Items.get(), 72},     {Image::Player.get(), 8},
        {Image::Gems.get(), 24},  {Image::GoldCoin.get(), 4},   {Image::Bones.get(), 4},
        {Image::Bat.get(), 4},    {Image::ChaseSkull.get(), 3}, {Image::Spider.get(), 3},
        {Image::Crab.get(), 3},   {Image::Poof.get(), 6}};
    for (const Want& w : strips) {
        ASSERT_NE(w.strip, nullptr);
        EXPECT_EQ(w.strip->Count(), w.frames);
        EXPECT_EQ(w.strip->Width(), 16);
        EXPECT_EQ(w.strip->Height(), 16);
    }
    for (const auto& b : Image::Borders) {
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->Count(), 9);
    }
    EXPECT_EQ(Image::Font->Count(), 672);
    EXPECT_EQ(Image::Font->Width(), 8);
    EXPECT_EQ(Image::Font->frameData["33"], (std::array<int, 2>{16, 16}));
    EXPECT_EQ(Image::Title->Width(), 256);
    EXPECT_EQ(Image::Title->Height(), 104);
    EXPECT_EQ(Image::Borders[2]->srcX, 2);  // "border3" is the third
    EXPECT_EQ(Image::Borders[2]->srcY, 396);
    EXPECT_EXIT(CreateAtlasTile("poof", 20, 20, 7, 2), testing::ExitedWithCode(0),
                "Not enough tiles/frames in soruce image");
}

}  // namespace
