// The running stage: what moves in which order, the curtains, the countdown, the border, gems in
// flight, the coin, and winning; played through the real screens on stages written for the test.

#include <gtest/gtest.h>

#include <cmath>

#include "actors/player.h"
#include "engine/input.h"
#include "shell/image.h"
#include "shell/screen_manager.h"
#include "support/harness.h"
#include "support/stage_helpers.h"
#include "toolkit/anim.h"
#include "world/stage_actual.h"

namespace {

class StageTest : public ::testing::Test {
  protected:
    void Play(const std::vector<std::string>& lines,
              const std::map<std::string, int>& settings = {}) {
        h.reset();  // one game at a time: the old one goes before the new one starts
        h = std::make_unique<Harness>(StageHarnessOptions(lines, settings));
        h->StartGame();
        // What the title and the ready screen played is not the stage's business.
        h->SoundsPlayed();
        h->MusicCued();
    }
    // Runs until the player has walked in and the countdown runs.
    void UntilPlaying() { h->RunUntilPlaying(); }
    int Frames(const std::function<bool()>& until, int limit = 5000) {
        int n = 0;
        while (!until() && n < limit) {
            h->RunFrames(1);
            ++n;
        }
        return n;
    }
    std::unique_ptr<Harness> h;
};

TEST_F(StageTest, CurtainsOpenInHalfASecondWhileNothingMoves) {
    Play({StageLine(Floor(9), Gem(5, 8) + Patrol(8, 8, 27, "0.5", 1, 1) + Coin(2))});
    ASSERT_EQ(h->ActiveScreen(), "screen_stage_play");
    EXPECT_EQ(StageActual::Curtains->Action, TStageCurtins::OPEN);
    EXPECT_TRUE(h->MusicCued().empty());
    const int start = GameMilliSecs();
    float last = 129;
    while (StageActual::Curtains->Action != TStageCurtins::FIN) {
        h->RunFrames(1);
        if (StageActual::Curtains->Action == TStageCurtins::FIN) break;
        const float w = StageActual::Curtains->Width->Value();
        EXPECT_LE(w, last);
        last = w;
        EXPECT_FLOAT_EQ(Player::X, -16);
        EXPECT_EQ(StageActual::Enemies[0]->Hidden, 1);
        EXPECT_TRUE(h->Drew("25"));
        // Both curtains, black, from the edges towards the middle.
        auto rects = h->driver.Of(DrawCall::RECT);
        ASSERT_GE(rects.size(), 2u);
        const DrawCall& right = rects.back();
        EXPECT_EQ(right.r + right.g + right.b, 0);
        EXPECT_FLOAT_EQ(right.Left() + right.Width(), 256 - w);
    }
    // Opened on the first tick after the 500 ms: enemies appear, the stage's music starts.
    EXPECT_GE(GameMilliSecs() - start, 500);
    EXPECT_LE(GameMilliSecs() - start, 550);
    EXPECT_EQ(StageActual::Enemies[0]->Hidden, 0);
    EXPECT_EQ(h->MusicCued(), (std::vector<std::string>{"music_track1"}));
    EXPECT_EQ(h->SoundsPlayed(), (std::vector<std::string>{}));
}

TEST_F(StageTest, CountdownShowsWholeSecondsThenEekAndLetsTheSkullLoose) {
    Play({StageLine(Floor(9), Gem(8, 2) + Coin(2))}, {{"Stage Time", 3}});
    UntilPlaying();
    EXPECT_EQ(StageActual::StageTimeText(), "03");
    h->RunFrames(1);
    EXPECT_TRUE(h->Drew("02"));
    EXPECT_EQ(StageActual::ChaseSkull->Hidden, 1);
    h->MusicCued();
    Frames([] { return StageActual::StageTimeText() == "00"; });
    EXPECT_EQ(StageActual::ChaseSkull->Hidden, 1);
    Frames([] { return StageActual::StageTimeText() == "EEK!"; }, 100);
    EXPECT_TRUE(h->Drew("EEK!"));
    EXPECT_EQ(StageActual::ChaseSkull->Hidden, 0);
    EXPECT_EQ(h->MusicCued(), (std::vector<std::string>{"music_chase"}));
    h->RunFrames(30);
    // Activated every tick from then on, but the music switched once.
    EXPECT_TRUE(h->MusicCued().empty());
}

TEST_F(StageTest, DawdlingEndsWithTheSkullReachingTheStandingPlayer) {
    Play({StageLine(Floor(9), Gem(8, 2) + Coin(2))}, {{"Stage Time", 3}});
    UntilPlaying();
    const int frames = Frames([] { return Player::Dying == 1; }, 60 * 20);
    EXPECT_LT(frames, 60 * 20);
    EXPECT_EQ(StageActual::ChaseSkull->Hidden, 0);
    Frames([] { return StageActual::Curtains->Action != TStageCurtins::FIN; }, 60 * 5);
    EXPECT_EQ(StageActual::State, StageActual::STATE_LOST);
    EXPECT_EQ(Player::Lives, 2);
}

TEST_F(StageTest, NoStageTimeMeansTheSkullAtOnceWithoutNonsense) {
    for (int seconds : {0, -5}) {
        Play({StageLine(Floor(9), Gem(8, 2) + Coin(2))}, {{"Stage Time", seconds}});
        EXPECT_EQ(StageActual::StageTimeText(), "EEK!");
        EXPECT_FALSE(std::isnan(StageActual::StageTimer->Value()));
        UntilPlaying();
        h->RunFrames(1);  // the timer, started as the walk-in ends, is over on its next tick
        EXPECT_EQ(StageActual::ChaseSkull->Hidden, 0);
        EXPECT_EQ(StageActual::StageTimeText(), "EEK!");
    }
}

TEST_F(StageTest, DrawsTheFieldClippedThenTheBorderThenTheTimeThenTheCurtains) {
    Play({StageLine(Tile(3, 9, 5) + Tile(4, 9, 6), Gem(6, 8, 1) + Block(9, 8, 13) + Coin(2), 1)});
    UntilPlaying();
    h->RunFrames(1);
    const TImageFrame* atlas = nullptr;
    std::vector<DrawCall> frames = h->driver.Of(DrawCall::FRAME);
    ASSERT_GE(frames.size(), 5u);
    atlas = frames[0].frame;
    // Tiles (key order "111" before "112"), gem, death block, player: inside the field's clip.
    const float expected[][2] = {{48, 144}, {64, 144}, {96, 128}, {144, 128}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(frames[std::size_t(i)].Left(), expected[i][0] + 32) << i;
        EXPECT_FLOAT_EQ(frames[std::size_t(i)].Top(), expected[i][1] + 16) << i;
        EXPECT_EQ(frames[std::size_t(i)].vpX, 128) << i;  // 32 virtual pixels on the 4x window
        EXPECT_EQ(frames[std::size_t(i)].vpW, 768) << i;
        EXPECT_EQ(frames[std::size_t(i)].vpH, 640) << i;
    }
    EXPECT_FLOAT_EQ(frames[4].Left(), Player::X + 32);
    // Then the border, unclipped: 48 pieces of the second theme's strip round the field.
    std::vector<DrawCall> border(frames.begin() + 5, frames.begin() + 5 + 48);
    EXPECT_FLOAT_EQ(border.front().Left(), 16);
    EXPECT_FLOAT_EQ(border.front().Top(), 0);
    EXPECT_FLOAT_EQ(border.back().Left(), 224);
    EXPECT_FLOAT_EQ(border.back().Top(), 176);
    for (const DrawCall& b : border) {
        EXPECT_GE(b.vpW, 1024);  // the clip is lifted
        EXPECT_EQ(b.frame, atlas);
        EXPECT_FALSE(b.Left() > 16 && b.Left() < 224 && b.Top() > 0 && b.Top() < 176);
    }
    // Then the time, on the virtual screen.
    EXPECT_TRUE(h->Drew("25") || h->Drew("24"));
}

TEST_F(StageTest, BorderMapIsCornersEdgesAndAnInsideThatIsNeverDrawn) {
    EXPECT_EQ(StageActual::BorderMap[0], 0);
    EXPECT_EQ(StageActual::BorderMap[1], 1);
    EXPECT_EQ(StageActual::BorderMap[13], 2);
    EXPECT_EQ(StageActual::BorderMap[14], 3);
    EXPECT_EQ(StageActual::BorderMap[15], 4);
    EXPECT_EQ(StageActual::BorderMap[27], 5);
    EXPECT_EQ(StageActual::BorderMap[154], 6);
    EXPECT_EQ(StageActual::BorderMap[160], 7);
    EXPECT_EQ(StageActual::BorderMap[167], 8);
}

TEST_F(StageTest, AThemeWithoutArtDrawsNoBorderAndStartsNoMusic) {
    Play({StageLine(Floor(9), Gem(8, 2) + Coin(2), 7)});
    UntilPlaying();
    h->RunFrames(1);
    EXPECT_TRUE(h->MusicCued().empty());
    // Everything but the text is drawn inside the field's clip: no border pieces outside it.
    for (const DrawCall& f : h->driver.Of(DrawCall::FRAME)) {
        if (f.sw == 16) {
            EXPECT_EQ(f.vpW, 768);
        }
    }
}

TEST_F(StageTest, ACollectedGemFliesOffAndLeavesTheTableWhileTheStageWalksIt) {
    // Two gems right above the walk-in's end, so both are got in the same tick and both leave the
    // table in the same walk.
    Play({StageLine(Floor(9), Gem(1, 8, 2) + Gem(1, 7, 3) + Gem(9, 2) + Coin(2))});
    UntilPlaying();
    h->RunFrames(1);
    ASSERT_TRUE(StageActual::Gems.count("97"));
    const TGem& low = *StageActual::Gems["97"];
    EXPECT_EQ(low.Got, 1);
    EXPECT_EQ(StageActual::Gems["85"]->Got, 0);
    EXPECT_EQ(h->SoundsPlayed(), (std::vector<std::string>{"gem_collect"}));
    // It flies in the tick it is got.
    EXPECT_NEAR(low.Speed, 2.03f, 1e-5);
    const float y0 = low.Y;
    h->RunFrames(1);
    EXPECT_NEAR(low.Speed, 2.06f, 1e-5);
    EXPECT_LT(low.Y, y0);
    const int frames = Frames([] { return StageActual::Gems.count("97") == 0; }, 200);
    EXPECT_LT(frames, 200);
    EXPECT_EQ(StageActual::Gems.size(), 2u);
}

TEST_F(StageTest, AGemTouchedAtTheMiddleFliesStraightUp) {
    Play({StageLine(Floor(9), Gem(9, 2) + Coin(2))});
    TGem& g = *StageActual::Gems["33"];
    g.X = 88;
    g.Y = 100;
    g.Collected();
    EXPECT_NEAR(g.Directionx, 0, 1e-6);
    EXPECT_NEAR(g.Directiony, -1, 1e-6);
    g.Collected();  // the second touch does nothing
    EXPECT_EQ(h->SoundsPlayed(), (std::vector<std::string>{"gem_collect"}));
    for (int n = 1; n <= 10; ++n) {
        g.Update();
        EXPECT_NEAR(g.Speed, 2 + 0.03f * n, 1e-5);
    }
}

TEST_F(StageTest, TheLastGemSendsTheEnemiesAwayAndDropsTheCoinWhichWinsTheStage) {
    Play({StageLine(Floor(9),
                    Gem(6, 8) + Patrol(10, 4, 24, "0.5", 1, 1) + Block(10, 2, 12) + Coin(3))});
    UntilPlaying();
    h->RunFor(1200);  // the bat has spawned and moves
    h->SoundsPlayed();
    EXPECT_EQ(StageActual::CoinReleased, 0);
    Player::X = 96;  // onto the gem
    h->RunFrames(1);
    EXPECT_EQ(StageActual::CoinReleased, 1);
    EXPECT_EQ(StageActual::Enemies[0]->Hidden, 1);  // the bat vanishes in a cloud
    EXPECT_NE(StageActual::Enemies[0]->DefeatPoof, nullptr);
    EXPECT_EQ(StageActual::Enemies[1]->Hidden, 0);  // the death block stays
    EXPECT_EQ(StageActual::GoldCoin->Hidden, 0);
    EXPECT_EQ(h->SoundsPlayed(), (std::vector<std::string>{"gem_collect", "enemy_poof"}));
    // The coin falls, bounces on the floor with two thirds of its speed and comes to rest.
    Frames([] { return StageActual::GoldCoin->stop == 1; }, 600);
    EXPECT_FLOAT_EQ(StageActual::GoldCoin->Y, 128);
    int bounces = 0;
    for (const std::string& s : h->SoundsPlayed()) bounces += s == "coin_bounce";
    EXPECT_GE(bounces, 3);
    // Walk onto it: the stage is won in the tick it is taken.
    h->Press(68);
    Frames([] { return StageActual::GoldCoin->Got == 1; }, 300);
    h->Release(68);
    EXPECT_EQ(StageActual::State, StageActual::STATE_WON);
    EXPECT_EQ(StageActual::StageNumber, 1);
    EXPECT_EQ(StageActual::Curtains->Action, TStageCurtins::CLOSE);
    EXPECT_EQ(StageActual::StageTimer->isActive, 0);
    // Closed in half a second, then the ready screen.
    h->RunFor(500);
    EXPECT_EQ(h->ActiveScreen(), "screen_stage_play");
    Frames([&] { return h->ActiveScreen() == "screen_stage_ready"; }, 5);
    EXPECT_EQ(h->ActiveScreen(), "screen_stage_ready");
}

// A record of a type the game does not know is left out and named on stderr, once however
// often the stage is set up again.
TEST_F(StageTest, AnUnknownEntityTypeIsLeftOutAndNamedOnce) {
    testing::internal::CaptureStderr();
    Play({StageLine(Floor(9), Gem(9, 2) + "4,8,99,100,,,,/" + Coin(1))});
    StageActual::Load();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err,
              "Stage 0 holds an entity of type 99, which the game does not know: it is left "
              "out.\n");
    EXPECT_TRUE(StageActual::Enemies.empty());
    EXPECT_EQ(StageActual::Gems.size(), 1u);
}

TEST_F(StageTest, CoinBounceValuesAndItsHiddenRules) {
    Play({StageLine(Floor(9), Gem(9, 2) + Coin(1))});
    TGoldCoin& coin = *StageActual::GoldCoin;
    EXPECT_FLOAT_EQ(coin.Y, -16);
    EXPECT_EQ(coin.Hidden, 1);
    // Hidden: not offered to the player to collect; out, it is.
    EXPECT_EQ(StageActual::Surroundings().coin, nullptr);
    coin.Activate();
    EXPECT_EQ(StageActual::Surroundings().coin, coin.HitBox.get());
    coin.Y = 130;
    coin.YVelocity = 2.95f;
    coin.Update();  // 3.0 on contact: back up at 2.0
    EXPECT_FLOAT_EQ(coin.Y, 128);
    EXPECT_NEAR(coin.YVelocity, -2.0f, 1e-5);
    EXPECT_EQ(coin.stop, 0);
    coin.Y = 129;
    coin.YVelocity = 0.07f;
    coin.Update();  // 0.12: too slow to leave the floor
    EXPECT_NEAR(coin.YVelocity, -0.08f, 1e-5);
    EXPECT_EQ(coin.stop, 1);
    // Falling speed is held at 4.
    coin.stop = 0;
    coin.Y = -200;
    coin.YVelocity = 3.98f;
    coin.Update();
    EXPECT_FLOAT_EQ(coin.YVelocity, 4.0f);
}

TEST_F(StageTest, AStageWithoutACoinIsLostToTheSkullNotACrash) {
    Play({StageLine(Floor(9), Gem(1, 8)), StageLine(Floor(9), "")}, {{"Stage Time", 2}});
    UntilPlaying();
    h->RunFrames(2);
    EXPECT_EQ(StageActual::CoinReleased, 1);
    EXPECT_EQ(StageActual::GoldCoin, nullptr);
    Frames([] { return Player::Dying == 1; }, 60 * 20);
    EXPECT_EQ(Player::Dying, 1);
    Frames([&] { return h->ActiveScreen() == "screen_stage_ready"; }, 60 * 5);
    EXPECT_EQ(StageActual::State, StageActual::STATE_LOST);
}

TEST_F(StageTest, WithoutGemsTheCoinIsReleasedAsTheCurtainsFinishOpening) {
    Play({StageLine(Floor(9), Coin(4))});
    Frames([] { return StageActual::Curtains->Action == TStageCurtins::FIN; }, 60);
    EXPECT_EQ(StageActual::CoinReleased, 1);
    EXPECT_EQ(StageActual::GoldCoin->Hidden, 0);
}

}  // namespace
