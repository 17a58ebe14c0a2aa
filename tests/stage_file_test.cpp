// The stage file: the committed file against its designs and its layout, the store's reading of
// lines, and the loader's reading of records, including hand-edited and broken lines.

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "actors/bat.h"
#include "actors/bones.h"
#include "actors/crab.h"
#include "actors/death_block.h"
#include "actors/patrol_enemy.h"
#include "actors/spider.h"
#include "engine/text.h"
#include "support/files.h"
#include "support/harness.h"
#include "support/stage_helpers.h"
#include "world/stage_actual.h"
#include "world/stage_record.h"
#include "world/stage_store.h"

namespace {

const std::string kRoot = KESTRUNE_SOURCE_DIR;
const std::string kStageFile = kRoot + "/assets/stage.dat";

std::vector<std::string> Lines(const std::string& file) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < file.size()) {
        const std::size_t end = file.find("\r\n", at);
        if (end == std::string::npos) break;
        lines.push_back(file.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

StageRecord Stage(const std::vector<std::string>& lines, int n) {
    return ParseStageLine(lines.at(std::size_t(n)));
}

TEST(StageFileBuild, CommittedFileIsWhatTheDesignsBuild) {
    TempDir dir;
    const std::string cmd = std::string("\"") + STAGE_BUILDER_EXE + "\" \"" + kRoot +
                            "/tools/stages/designs\" \"" + dir.File("stage.dat") + "\" 2>\"" +
                            dir.File("err.txt") + "\"";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << Slurp(dir.File("err.txt"));
    EXPECT_TRUE(Slurp(dir.File("stage.dat")) == Slurp(kStageFile))
        << "run: cmake --build build --target stages";
}

TEST(StageFileBuild, RejectsDesignsThatCannotBeBuilt) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"unknown tile", "stage 5\nmap\n............  ............\n#...........  ............\n"},
        {"short row", "stage 5\nfamily earth\nmap\n.... ............\n"},
        {"unknown thing", "stage 5\nfamily earth\nmap\n............  .....Q......\n"},
        {"enemy kind", "stage 5\nenemy a dragon 0.5 1 1\n"},
        {"first names an empty cell",
         "stage 5\nfirst tiles 3,3\nmap\n" + std::string("............  ............\n")},
    };
    for (const auto& [what, text] : cases) {
        TempDir dir;
        std::system(("mkdir -p \"" + dir.File("d") + "\"").c_str());
        { std::ofstream(dir.File("d/stage05.txt")) << text; }
        const std::string cmd = std::string("\"") + STAGE_BUILDER_EXE + "\" \"" + dir.File("d") +
                                "\" \"" + dir.File("out.dat") + "\" 2>\"" + dir.File("err.txt") +
                                "\"";
        EXPECT_NE(std::system(cmd.c_str()), 0) << what;
        EXPECT_FALSE(std::ifstream(dir.File("out.dat")).good()) << what;
        EXPECT_NE(Slurp(dir.File("err.txt")).find("stage05.txt"), std::string::npos) << what;
    }
}

TEST(StageFileLayout, HundredAndFourLinesEveryOneEndedByCrLf) {
    const std::string file = Slurp(kStageFile);
    const std::vector<std::string> lines = Lines(file);
    ASSERT_EQ(lines.size(), 104u);
    std::size_t total = 0;
    for (const std::string& l : lines) {
        total += l.size() + 2;
        EXPECT_EQ(l.find('\r'), std::string::npos);
        EXPECT_EQ(l.find('\n'), std::string::npos);
    }
    EXPECT_EQ(total, file.size());
    for (int n = 4; n <= 97; ++n) EXPECT_EQ(lines[std::size_t(n)], "&&") << n;
    EXPECT_EQ(lines[98], "&&3");
    EXPECT_EQ(lines[103], "&&");
}

// The one write gives back every shipped line as it stands: the file has one format.
TEST(StageFileLayout, EveryLineReadsIntoRecordsThatWriteItBackAsItStands) {
    for (const std::string& line : Lines(Slurp(kStageFile)))
        EXPECT_EQ(WriteStageLine(ParseStageLine(line)), line);
    const EntityRecord crab = ParseStageLine("&8,2,27,32,h,0.5,2,3/&").entities.at(0);
    EXPECT_EQ(crab, (EntityRecord{8, 2, 27, "32", true, "h", "0.5", 2, 3}));
    EXPECT_FLOAT_EQ(crab.Speed(), 0.5f);
}

TEST(StageFileLayout, PlayedStagesKeepTheirCountsThemesAndOneCoin) {
    const std::vector<std::string> lines = Lines(Slurp(kStageFile));
    const int themes[4] = {2, 0, 1, 2};
    std::set<int> kinds;
    for (int n = 0; n < 4; ++n) {
        const StageRecord stage = Stage(lines, n);
        int gems = 0, coins = 0;
        for (const EntityRecord& e : stage.entities) {
            gems += e.type >= GEM_FIRST && e.type <= GEM_LAST;
            coins += e.type == GOLD_COIN;
            kinds.insert(e.type);
            EXPECT_EQ(e.key, CellKey(e.x, e.y));
        }
        for (const TileRecord& t : stage.tiles) EXPECT_EQ(t.key, CellKey(t.x, t.y));
        EXPECT_GE(stage.tiles.size(), 46u) << n;
        EXPECT_LE(stage.tiles.size(), 66u) << n;
        EXPECT_GE(stage.entities.size(), 16u) << n;
        EXPECT_LE(stage.entities.size(), 22u) << n;
        EXPECT_GE(gems, 10) << n;
        EXPECT_LE(gems, 14) << n;
        EXPECT_EQ(coins, 1) << n;
        EXPECT_EQ(stage.Theme(), themes[n]);
    }
    // Every enemy and death-block kind appears somewhere in the game.
    for (int kind : {12, 13, 14, 15, 16, 24, 25, 26, 27}) EXPECT_TRUE(kinds.count(kind)) << kind;
}

TEST(StageFileLayout, StageZeroBeginsAsItAlwaysHas) {
    const std::vector<std::string> pieces = Split(Lines(Slurp(kStageFile))[0], "&");
    EXPECT_EQ(pieces[0].rfind("4,8,71,100/5,8,31,101/6,8,28,102/", 0), 0u);
    EXPECT_EQ(pieces[1].rfind("7,1,4,19,,,,/2,0,36,2,,,,/8,1,2,20,,,,/", 0), 0u);
    EXPECT_EQ(pieces[2], "2");
}

TEST(StageFileLayout, TestRoomsHoldTilesAndMinesOnly) {
    const std::vector<std::string> lines = Lines(Slurp(kStageFile));
    const StageRecord room = Stage(lines, 99);
    EXPECT_EQ(room.tiles.size(), 21u);
    EXPECT_TRUE(room.entities.empty());
    EXPECT_EQ(room.theme, "3");
    const int themes[3] = {2, 0, 1};
    for (int n = 100; n <= 102; ++n) {
        const StageRecord stage = Stage(lines, n);
        EXPECT_FALSE(stage.tiles.empty());
        EXPECT_FALSE(stage.entities.empty());
        for (const EntityRecord& e : stage.entities) EXPECT_EQ(e.type, 12) << n;
        EXPECT_EQ(stage.Theme(), themes[n - 100]);
    }
}

// The store and the loader over stage files written for the test.
class StageRead : public ::testing::Test {
  protected:
    void Use(const std::vector<std::string>& lines) {
        h.reset();  // one game at a time: the old one goes before the new one starts
        h = std::make_unique<Harness>(StageHarnessOptions(lines));
    }
    void LoadStage(int n) {
        StageActual::StageNumber = n;
        StageActual::Load();
    }
    std::unique_ptr<Harness> h;
};

TEST_F(StageRead, LinesAreStagesAndStagesSplitIntoThreePieces) {
    Use({"1,2,3,26/&&2", "&&", "&&3"});
    EXPECT_EQ(MapCount(StageStore::StageData), 3);
    const auto pieces = StageStore::GetStageString(0);
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[2], "2");
    EXPECT_EQ(StageStore::GetStageString(1), (std::vector<std::string>{"", "", ""}));
    EXPECT_EQ(StageStore::GetStageString(7), (std::vector<std::string>{""}));
    LoadStage(2);
    EXPECT_TRUE(StageActual::Tiles.empty());
    EXPECT_TRUE(StageActual::Gems.empty());
    EXPECT_TRUE(StageActual::Enemies.empty());
    EXPECT_EQ(StageActual::Theme, 3);
    LoadStage(1);
    EXPECT_EQ(StageActual::Theme, 0);
}

TEST_F(StageRead, TheShippedFileHasStageZeroFirstAndStageHundredThreeLast) {
    h = std::make_unique<Harness>();
    EXPECT_EQ(MapCount(StageStore::StageData), 104);
    EXPECT_EQ(StageStore::GetStageString(0)[2], "2");
    EXPECT_EQ(StageStore::StageData.at("103"), "&&");
    // Keys are text, so "100" comes before "19".
    EXPECT_LT(std::distance(StageStore::StageData.begin(), StageStore::StageData.find("100")),
              std::distance(StageStore::StageData.begin(), StageStore::StageData.find("19")));
}

TEST_F(StageRead, SolidTilesAtTheEdgesGetTwinsPastTheFarEdge) {
    Use({"11,5,3,71/0,5,3,60/0,6,65,72/11,7,62,95/5,8,31,101/&&0"});
    LoadStage(0);
    ASSERT_TRUE(StageActual::Tiles.count("905"));
    ASSERT_TRUE(StageActual::Tiles.count("705"));
    EXPECT_FLOAT_EQ(StageActual::Tiles["905"]->X, -24);
    EXPECT_EQ(StageActual::Tiles["905"]->Value, 7);
    EXPECT_FLOAT_EQ(StageActual::Tiles["905"]->HitBox->LeftSide(), -24);
    EXPECT_FLOAT_EQ(StageActual::Tiles["905"]->HitBox->RightSide(), -8);
    EXPECT_FLOAT_EQ(StageActual::Tiles["705"]->X, 200);
    // Scenery at the edges blocks nothing and gets no twin.
    EXPECT_FALSE(StageActual::Tiles.count("906"));
    EXPECT_FALSE(StageActual::Tiles.count("907"));
    EXPECT_EQ(StageActual::Tiles["72"]->HitBox, nullptr);
    const TWorldTile& t = *StageActual::Tiles["101"];
    EXPECT_FLOAT_EQ(t.X, 80);
    EXPECT_EQ(t.Y, 128);
    EXPECT_EQ(t.Value, 31);
    EXPECT_FLOAT_EQ(t.HitBox->TopSide(), 128);
    EXPECT_FLOAT_EQ(t.HitBox->BottomSide(), 140);
    EXPECT_FLOAT_EQ(t.HitBox->RightSide(), 96);
    EXPECT_EQ(StageActual::Tiles.size(), 7u);
}

TEST_F(StageRead, EntityRecordsMakeGemsBlocksEnemiesAndTheCoin) {
    Use(
        {"&7,1,4,19,,,,/8,2,27,32,h,0.5,2,3/8,3,27,44,v,0.5,2,3/3,4,6,52,,,,/1,5,13,61,,,,/"
         "2,0,36,2,,,,/5,7,36,89,,,,/&2",
         "&9,9,1,117,,,,/4,4,2,52,,,,&0"});
    LoadStage(0);
    ASSERT_EQ(StageActual::Gems.size(), 1u);
    const TGem& gem = *StageActual::Gems["19"];
    EXPECT_FLOAT_EQ(gem.X, 112);
    EXPECT_FLOAT_EQ(gem.Y, 16);
    EXPECT_EQ(gem.Color, 4);
    ASSERT_EQ(StageActual::Enemies.size(), 3u);
    auto* crab = dynamic_cast<TCrab*>(StageActual::Enemies[0].get());
    ASSERT_NE(crab, nullptr);
    EXPECT_FLOAT_EQ(crab->X, 128);
    EXPECT_FLOAT_EQ(crab->Y, 32);
    EXPECT_FLOAT_EQ(crab->Speed, 0.5f);
    EXPECT_EQ(crab->PointA, 96);
    EXPECT_EQ(crab->PointB, 176);
    // The axis letter is for readers of the file only.
    auto* crab2 = dynamic_cast<TCrab*>(StageActual::Enemies[1].get());
    ASSERT_NE(crab2, nullptr);
    EXPECT_EQ(crab2->PointA, 96);
    EXPECT_NE(dynamic_cast<TDeathBlock*>(StageActual::Enemies[2].get()), nullptr);
    // Type 6 makes nothing; the later of two coins is the coin.
    ASSERT_NE(StageActual::GoldCoin, nullptr);
    EXPECT_FLOAT_EQ(StageActual::GoldCoin->X, 80);
    EXPECT_FLOAT_EQ(StageActual::GoldCoin->Y, -16);
    // A section without its final "/" loses its last record.
    LoadStage(1);
    EXPECT_EQ(StageActual::Gems.size(), 1u);
    EXPECT_TRUE(StageActual::Gems.count("117"));
}

TEST_F(StageRead, BrokenLinesReadMissingPiecesAsEmpty) {
    Use({"1,2", "3,9/&1,1/4/&", "&7,1,4,19/,,27/&", "&1,1,24,13,h/&99", "&1,1,25,13,h,1e39,2,2/&"});
    LoadStage(0);  // one section: a tile list without a single complete record
    EXPECT_TRUE(StageActual::Tiles.empty());
    LoadStage(1);  // short records: the missing fields are empty, so 0
    ASSERT_EQ(StageActual::Tiles.size(), 1u);
    EXPECT_EQ(StageActual::Tiles.begin()->second->Value, 0);
    EXPECT_EQ(StageActual::Tiles.begin()->first, "");
    // Both short entity records are gems of colour 0 under the empty key: the later one stays.
    ASSERT_EQ(StageActual::Gems.size(), 1u);
    EXPECT_FLOAT_EQ(StageActual::Gems[""]->X, 64);
    LoadStage(2);
    EXPECT_EQ(StageActual::Gems.size(), 1u);
    ASSERT_EQ(StageActual::Enemies.size(), 1u);
    EXPECT_FLOAT_EQ(StageActual::Enemies[0]->Speed, 0);
    LoadStage(3);
    EXPECT_EQ(StageActual::Theme, 99);
    ASSERT_EQ(StageActual::Enemies.size(), 1u);
    EXPECT_EQ(StageActual::Enemies[0]->PointA, 16);
    LoadStage(4);  // a speed past a float's range is held at the largest float
    EXPECT_GT(StageActual::Enemies[0]->Speed, 3e38f);
    LoadStage(40);  // past the end of the file: an empty stage
    EXPECT_TRUE(StageActual::Tiles.empty());
    EXPECT_EQ(StageActual::Theme, 0);
    LoadStage(-3);
    EXPECT_TRUE(StageActual::Gems.empty());
    EXPECT_NE(StageActual::ChaseSkull, nullptr);
}

TEST_F(StageRead, HugeNumbersInRecordsSaturateInsteadOfOverflowing) {
    Use(
        {"2147483647,-2147483648,5,1/11,2147483647,3,2/&2147483647,5,0,7,,,,/"
         "1,1,27,13,h,0.5,2147483647,-2147483648/1,1,26,13,v,0.5,-2147483648,2147483647/"
         "-2147483648,2147483647,36,0,,,,/&2"});
    LoadStage(0);
    EXPECT_EQ(StageActual::Tiles.size(), 3u);  // the record at column 11 has its twin
    EXPECT_TRUE(StageActual::Tiles.count("2147484547"));
    EXPECT_EQ(StageActual::Enemies[0]->PointA, INT_MIN);
    EXPECT_EQ(StageActual::Enemies[0]->PointB, INT_MIN);
    EXPECT_EQ(StageActual::Enemies[1]->PointA, INT_MAX);
    EXPECT_EQ(StageActual::Enemies[1]->PointB, INT_MAX);
    h->RunFrames(2);  // drawing far outside the field is harmless
}

}  // namespace
