// The whole game played from the title to the ending with the solver's replays, through the real
// screens and the input handler, and a game that loses a life on the first stage before winning
// it. A failing replay says which stage, which tick and where the player was.

#include <gtest/gtest.h>

#include <sstream>

#include "actors/player.h"
#include "engine/input.h"
#include "shell/screen_manager.h"
#include "support/files.h"
#include "support/harness.h"
#include "support/replay.h"
#include "world/stage_actual.h"

namespace {

const std::string kReplays = std::string(KESTRUNE_SOURCE_DIR) + "/tests/data/replays/";

Replay ReplayFile(const std::string& name) {
    Replay r;
    std::string error;
    EXPECT_TRUE(ParseReplay(Slurp(kReplays + name), r, error)) << name << ": " << error;
    EXPECT_GT(r.TickCount(), 0) << name;
    return r;
}

std::string Where() {
    std::ostringstream s;
    s << "the player at (" << Player::X << ", " << Player::Y << ")";
    return s.str();
}

class WholeGame : public ::testing::Test {
  protected:
    WholeGame() : h(Options()) {}
    static HarnessOptions Options() {
        HarnessOptions o;
        o.recordAudio = true;
        return o;
    }
    // From the title menu to the ready screen of the first stage.
    void NewGame() {
        screenManager->Show("screen_titlescreen");
        h.RunFrames(2);
        h.Tap(vk::ENTER);
        ASSERT_EQ(h.ActiveScreen(), "screen_stage_ready");
    }
    // The ready screen's action, then every tick of the replay; returns the countdown left when
    // the coin was taken, or -1 after a failure naming the stage and the tick.
    float PlayStage(int stage, const Replay& replay, bool expectWin = true) {
        h.RunFor(600);
        h.Tap(vk::SPACE);
        EXPECT_EQ(h.ActiveScreen(), "screen_stage_play") << "stage " << stage;
        EXPECT_EQ(StageActual::StageNumber, stage);
        const std::vector<TickKeys> ticks = replay.Ticks();
        TickKeys last;
        const std::string rerun = "; re-run: solver " + std::to_string(stage) +
                                  " --out tests/data/replays/stage-" + std::to_string(stage) +
                                  ".txt";
        for (std::size_t t = 0; t < ticks.size(); ++t) {
            PostTickKeys(last, ticks[t]);
            last = ticks[t];
            h.RunFrames(1);
            if (Player::Dying && expectWin) {
                ADD_FAILURE() << "stage " << stage << ": hit on tick " << t + 1 << ", " << Where()
                              << rerun;
                return -1;
            }
            const bool won = StageActual::GoldCoin && StageActual::GoldCoin->Got == 1;
            if (won && t + 1 < ticks.size()) {
                ADD_FAILURE() << "stage " << stage << ": won early, on tick " << t + 1 << rerun;
                return -1;
            }
        }
        PostTickKeys(last, {});
        if (!expectWin) return 0;
        if (!StageActual::GoldCoin || StageActual::GoldCoin->Got != 1) {
            int left = 0;
            for (const auto& [key, gem] : StageActual::Gems) left += gem->Got == 0;
            ADD_FAILURE() << "stage " << stage << ": the coin was not taken by tick "
                          << ticks.size() << ", " << Where() << ", " << left << " gems left"
                          << rerun;
            return -1;
        }
        return StageActual::StageTimer->Value();
    }
    void UntilScreenChanges() {
        for (int i = 0; i < 900 && h.ActiveScreen() == "screen_stage_play"; ++i) h.RunFrames(1);
    }
    Harness h;
};

TEST_F(WholeGame, EveryStageIsWonFromTheTitleToTheEnding) {
    NewGame();
    for (int stage = 0; stage < 4; ++stage) {
        const float left = PlayStage(stage, ReplayFile("stage-" + std::to_string(stage) + ".txt"));
        ASSERT_GE(left, 5.0f) << "stage " << stage << " must be won with 5 s of its 25 to spare";
        EXPECT_EQ(Player::Lives, 3);
        UntilScreenChanges();
        if (stage < 3) {
            ASSERT_EQ(h.ActiveScreen(), "screen_stage_ready");
            EXPECT_TRUE(h.Drew("STAGE: 0" + std::to_string(stage + 2)));
            EXPECT_TRUE(h.Drew("x3"));
        }
    }
    ASSERT_EQ(h.ActiveScreen(), "screen_ending");
    EXPECT_TRUE(h.Drew("CONGRATULATIONS YOU MADE IT   "));
    h.RunFor(300);
    h.Tap(vk::SPACE);
    EXPECT_EQ(h.ActiveScreen(), "screen_titlescreen");
}

TEST_F(WholeGame, ALifeLostOnTheFirstStageThenTheStageWonAgain) {
    NewGame();
    PlayStage(0, ReplayFile("stage-0-death.txt"), false);
    ASSERT_EQ(Player::Dying, 1) << "the losing replay must end in an enemy's touch";
    UntilScreenChanges();
    ASSERT_EQ(h.ActiveScreen(), "screen_stage_ready");
    EXPECT_EQ(StageActual::State, StageActual::STATE_LOST);
    EXPECT_TRUE(h.Drew("STAGE: 01"));
    EXPECT_TRUE(h.Drew("x2"));
    const float left = PlayStage(0, ReplayFile("stage-0.txt"));
    EXPECT_GE(left, 5.0f);
    EXPECT_EQ(Player::Lives, 2);
    UntilScreenChanges();
    EXPECT_TRUE(h.Drew("STAGE: 02"));
    EXPECT_TRUE(h.Drew("x2"));
}

TEST_F(WholeGame, ARetriedStageComesBackWhole) {
    NewGame();
    PlayStage(0, ReplayFile("stage-0-death.txt"), false);
    UntilScreenChanges();
    h.RunFor(600);
    h.Tap(vk::SPACE);
    EXPECT_EQ(StageActual::Gems.size(), 13u);
    for (const auto& [key, gem] : StageActual::Gems) EXPECT_EQ(gem->Got, 0);
    EXPECT_EQ(StageActual::GoldCoin->Hidden, 1);
    EXPECT_EQ(StageActual::CoinReleased, 0);
    EXPECT_FLOAT_EQ(Player::X, -16);
}

TEST(ReplayFormat, RunsOfTicksWithTheirKeysAndComments) {
    Replay r;
    std::string error;
    ASSERT_TRUE(ParseReplay("# a comment\n39 -\n12 R\n3 RJ\n1 LRJ\n", r, error)) << error;
    EXPECT_EQ(r.comments, (std::vector<std::string>{" a comment"}));
    ASSERT_EQ(r.runs.size(), 4u);
    EXPECT_EQ(r.TickCount(), 55);
    EXPECT_TRUE(r.runs[2].keys.right && r.runs[2].keys.jump && !r.runs[2].keys.left);
    EXPECT_EQ(FormatReplay(r), "# a comment\n39 -\n12 R\n3 RJ\n1 LRJ\n");
    EXPECT_EQ(FormatReplay(Replay::FromTicks(r.Ticks())), "39 -\n12 R\n3 RJ\n1 LRJ\n");
    for (const char* bad : {"12", "x R", "3 JR", "0 R", "-2 L", "4 RR", "4 Q", "4 R J"})
        EXPECT_FALSE(ParseReplay(bad, r, error)) << bad;
}

}  // namespace
