// The player in the running game, on small stages written for each case: the walk-in against
// the curtains and the countdown, the twins that make a wall in the last column stand at both
// edges, and dying with its sound and lives. His controls are tested on the input tables alone,
// and his movement on the plain step in player_step_test.cpp; neither starts the game.

#include <gtest/gtest.h>

#include <climits>

#include "actors/player.h"
#include "engine/input.h"
#include "shell/settings.h"
#include "support/fake_input.h"
#include "support/harness.h"
#include "support/manual_clock.h"
#include "support/stage_helpers.h"
#include "toolkit/anim.h"
#include "world/stage_actual.h"

namespace {

constexpr int kKeyD = 68;
constexpr int kKeyA = 65;

class PlayerOnAStage : public ::testing::Test {
  protected:
    void Play(const std::string& line, const std::map<std::string, int>& settings = {}) {
        h.reset();
        h = std::make_unique<Harness>(StageHarnessOptions({line, line}, settings));
        h->StartGame();
        h->SoundsPlayed();
    }
    void Walk(int key, int frames) { h->Hold(key, frames); }
    // The frames it takes until `until` holds, at most `limit`.
    int Frames(const std::function<bool()>& until, int limit = 600) {
        int n = 0;
        for (; !until() && n < limit; ++n) h->RunFrames(1);
        return n;
    }
    std::unique_ptr<Harness> h;
};

TEST_F(PlayerOnAStage, WalksInFromTheLeftInThirtyNineTicksThrowingInputAway) {
    Play(StageLine(Floor(9), Gem(9, 2) + Coin(2)));
    Frames([] { return StageActual::Curtains->Action != TStageCurtins::OPEN; });
    EXPECT_FLOAT_EQ(Player::X, -16);
    Frames([] { return StageActual::Curtains->Action == TStageCurtins::FIN; });
    // The walk-in starts in the tick the curtains finish opening.
    EXPECT_NEAR(Player::X, -16 + 1.25f / 1.5f, 1e-4);
    h->Press(kKeyA);  // held through the walk-in: flushed every tick, it moves nothing
    int ticks = 1 + Frames([] { return Player::Entering == 0; });
    h->Release(kKeyA);
    EXPECT_EQ(ticks, 39);
    EXPECT_NEAR(Player::X, 16.5f, 1e-3);
    EXPECT_FLOAT_EQ(Player::Y, 128);
    EXPECT_EQ(StageActual::StageTimer->isActive, 1);
    h->RunFrames(5);
    EXPECT_NEAR(Player::X, 16.5f, 1e-3);
}

TEST_F(PlayerOnAStage, AWallInTheLastColumnStandsAtBothEdges) {
    Play(StageLine(Floor(9) + Tile(11, 8), Gem(9, 2) + Coin(2)));
    h->RunUntilPlaying();
    Player::X = 2;
    Walk(kKeyA, 30);
    // Through the left edge into the wall, and pushed back out by its twin past the far edge.
    EXPECT_FLOAT_EQ(Player::X, -10);
    EXPECT_TRUE(StageActual::Tiles.count("908"));
}

TEST_F(PlayerOnAStage, AnEnemyTouchFreezesTheFieldThenHeFloatsUpAndLosesALife) {
    Play(StageLine(Floor(9), Gem(9, 2) + Block(4, 8, 12) + Coin(2)));
    h->RunUntilPlaying();
    h->Press(kKeyD);
    Frames([] { return Player::Dying == 1; }, 100);
    h->Release(kKeyD);
    ASSERT_EQ(Player::Dying, 1);
    EXPECT_EQ(StageActual::StageTimer->isActive, 0);
    const float y = Player::Y, x = Player::X;
    const int hit = GameMilliSecs();
    h->SoundsPlayed();
    while (Player::Y == y) h->RunFrames(1);
    EXPECT_GE(GameMilliSecs() - hit, 1000);
    EXPECT_LE(GameMilliSecs() - hit, 1020);
    EXPECT_EQ(h->SoundsPlayed(), (std::vector<std::string>{"player_die"}));
    EXPECT_FLOAT_EQ(Player::Y, y - 0.75f);
    EXPECT_FLOAT_EQ(Player::X, x);
    Frames([] { return StageActual::Curtains->Action != TStageCurtins::FIN; });
    EXPECT_LT(Player::Y, -32);
    EXPECT_EQ(Player::Lives, 2);
    EXPECT_EQ(StageActual::State, StageActual::STATE_LOST);
    EXPECT_TRUE(h->SoundsPlayed().empty());  // the die sound plays once
}

TEST_F(PlayerOnAStage, ThreeLivesMeanTheFourthDeathEndsTheGame) {
    // A mine where the walk-in ends: every life ends on it.
    Play(StageLine(Floor(9), Gem(9, 2) + Block(1, 8, 12) + Coin(2)));
    const int states[] = {StageActual::STATE_LOST, StageActual::STATE_LOST, StageActual::STATE_LOST,
                          StageActual::STATE_GAMEOVER};
    for (int death = 0; death < 4; ++death) {
        Frames([&] { return h->ActiveScreen() == "screen_stage_ready"; }, 600);
        EXPECT_EQ(Player::Lives, 2 - death);
        EXPECT_EQ(StageActual::State, states[death]);
        h->RunFor(600);
        h->Tap(vk::SPACE);
    }
    EXPECT_EQ(h->ActiveScreen(), "screen_titlescreen");
}

// The controls alone: the input tables and the bindings, without a game around them.
class PlayerControlsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetInput();
        DefaultConfig();
    }
    void TearDown() override {
        DetachAllJoysticks();
        ResetInput();
        ResetConfig();
    }
    ManualClock clock_{5000};
};

TEST_F(PlayerControlsTest, KeysOfTheBindingsAndTheFixedKeysMoveAndJump) {
    for (int key : {int(vk::RIGHT), kKeyD}) {
        PostInputEvent({InputEvent::KEY_DOWN, key});
        EXPECT_EQ(Player::Control_Right(), 1) << key;
        PostInputEvent({InputEvent::KEY_UP, key});
    }
    for (int key : {int(vk::LEFT), kKeyA}) {
        PostInputEvent({InputEvent::KEY_DOWN, key});
        EXPECT_EQ(Player::Control_Left(), 1) << key;
        PostInputEvent({InputEvent::KEY_UP, key});
    }
    // Space and enter always jump; up only when the jump is bound to the up arrow's code.
    for (int key : {int(vk::SPACE), int(vk::ENTER)}) {
        TapKey(key);
        EXPECT_EQ(Player::Control_Action(), 1) << key;
        EXPECT_EQ(Player::Control_Action(), 0) << key;
    }
    TapKey(vk::UP);
    EXPECT_EQ(Player::Control_Action(), 0);
    cfgKeysAction = 9991;
    TapKey(vk::UP);
    EXPECT_EQ(Player::Control_Action(), 1);
    cfgKeysAction = 74;  // J
    TapKey(74);
    EXPECT_EQ(Player::Control_Action(), 1);
    // Codes of 125 and more are never asked of the keyboard.
    cfgKeysRight = 9992;
    cfgKeysLeft = INT_MAX;
    EXPECT_EQ(Player::Control_Right(), 0);
    EXPECT_EQ(Player::Control_Left(), 0);
}

TEST_F(PlayerControlsTest, TheStickAndTheHatMoveHimAndTheActionButtonJumps) {
    FakeJoystick& pad = AttachFakeJoystick();
    struct Case {
        float x, hat;
        int right, left;
    };
    // Straight down or up on the hat is not asking to run; its diagonals keep their side.
    const Case cases[] = {{0.26f, -1, 1, 0}, {0.25f, -1, 0, 0}, {-0.26f, -1, 0, 1},
                          {0, 0.25f, 1, 0},  {0, 0.75f, 0, 1},  {0, 0.5f, 0, 0},
                          {0, 0, 0, 0},      {0, 0.125f, 1, 0}, {0, 0.875f, 0, 1},
                          {0, 0.375f, 1, 0}, {0, 0.625f, 0, 1}};
    for (const Case& c : cases) {
        pad.axes[0] = c.x;
        pad.hat = c.hat;
        clock_.Advance(3);  // past the 2 ms between samples
        EXPECT_EQ(Player::Control_Right(), c.right) << c.x << " " << c.hat;
        EXPECT_EQ(Player::Control_Left(), c.left) << c.x << " " << c.hat;
    }
    pad.hat = -1;
    pad.axes[0] = 0;
    cfgJoyAction = 2;
    pad.Hold(2);
    clock_.Advance(3);
    EXPECT_EQ(Player::Control_Action(), 1);
    EXPECT_EQ(Player::Control_Action(), 0);
}

}  // namespace
