// The player's tick as a plain function, on rooms of boxes built here: no game, no stage, no
// input. The stage's side (twins past the edges, the timer, sounds, lives) is in player_test.cpp.

#include <gtest/gtest.h>

#include <deque>

#include "actors/player_step.h"
#include "shell/tuning.h"

namespace {

using tuning::Padding;

THitBox Box(float x, float y, Padding p) {
    THitBox box;
    box.Set(x, y, 16, 16);
    box.Padding(p.left, p.top, p.right, p.bottom);
    return box;
}

// Solid cells, gems and hurting things, as the stage would offer them.
struct Room {
    std::deque<THitBox> boxes;  // a deque keeps the pointers below valid as it grows
    std::vector<const THitBox*> solids, gems, deadly;
    const THitBox* coin = nullptr;

    // A tile's solid part is its upper 12 pixels.
    Room& TileAt(float x, int row) {
        solids.push_back(&boxes.emplace_back(Box(x, row * 16.0f, {0, 0, 0, -4})));
        return *this;
    }
    Room& Tile(int column, int row) { return TileAt(column * 16.0f, row); }
    Room& Floor(int row) {
        for (int c = 0; c < 12; ++c) Tile(c, row);
        return *this;
    }
    Room& Gem(int column, int row) {
        gems.push_back(&boxes.emplace_back(Box(column * 16.0f, row * 16.0f, tuning::gem::BOX)));
        return *this;
    }
    Room& Hurt(int column, int row, Padding p) {
        deadly.push_back(&boxes.emplace_back(Box(column * 16.0f, row * 16.0f, p)));
        return *this;
    }
    PlayerSurroundings View(GameTime now = 0) const { return {solids, gems, coin, deadly, now}; }
};

PlayerBody At(float x, float y) {
    PlayerBody body;
    body.x = x;
    body.y = y;
    body.worldBox = Box(x, y, tuning::player::WORLD_BOX);
    body.bodyBox = Box(x, y, tuning::player::BODY_BOX);
    return body;
}

// Runs ticks with the same controls; returns the events of the last one.
PlayerEvents Ticks(PlayerBody& body, const Room& room, int count, PlayerControls controls = {}) {
    PlayerEvents events;
    for (int i = 0; i < count; ++i) {
        PlayerStep step = StepPlayer(body, controls, room.View());
        body = step.body;
        events = step.events;
    }
    return events;
}

const PlayerControls kRight{true, false, false};
const PlayerControls kLeft{false, true, false};
const PlayerControls kJump{false, false, true};

TEST(PlayerStep, WalksInInThirtyNineTicksAtTwoThirdsOfHisSpeed) {
    Room room;
    room.Floor(9);
    PlayerBody body = At(-16, 128);
    body.entering = true;
    int ticks = 0;
    PlayerEvents events;
    while (body.entering && ticks < 100) {
        ++ticks;
        events = Ticks(body, room, 1, kJump);  // controls count for nothing during the walk-in
    }
    EXPECT_EQ(ticks, 39);
    EXPECT_TRUE(events.walkedIn);
    EXPECT_FALSE(events.jumped);
    EXPECT_NEAR(body.x, 16.5f, 1e-3);
    EXPECT_EQ(body.pose, PlayerPose::WALK);
    EXPECT_FLOAT_EQ(body.y, 128);
}

TEST(PlayerStep, StandsAndJumpsThirtyFivePixelsInSixteenTicks) {
    Room room;
    room.Floor(9);
    PlayerBody body = At(40, 128);
    Ticks(body, room, 3);
    EXPECT_FLOAT_EQ(body.y, 128);
    EXPECT_FLOAT_EQ(body.yVelocity, 0);  // the feet test zeroes it every tick
    EXPECT_TRUE(Ticks(body, room, 1, kJump).jumped);
    float top = body.y;
    int rising = 1;
    bool landed = false;
    for (int i = 0; i < 60 && !landed; ++i) {
        landed = Ticks(body, room, 1).landed;
        if (body.y < top) {
            top = body.y;
            ++rising;
        }
    }
    EXPECT_EQ(rising, 16);
    EXPECT_NEAR(128 - top, 35.5f, 0.05f);
    EXPECT_TRUE(landed);
    EXPECT_FLOAT_EQ(body.y, 128);
}

TEST(PlayerStep, WallsStopHimWhereHisBoxTouchesAndRightWinsOverLeft) {
    Room room;
    room.Floor(9).Tile(6, 8).Tile(6, 7);
    PlayerBody body = At(16.5f, 128);
    Ticks(body, room, 120, kRight);
    EXPECT_FLOAT_EQ(body.x, 82);
    EXPECT_EQ(body.facing, PlayerBody::FACE_RIGHT);
    EXPECT_EQ(body.pose, PlayerPose::WALK);
    Ticks(body, room, 10, kLeft);
    EXPECT_FLOAT_EQ(body.x, 82 - 12.5f);
    EXPECT_EQ(body.facing, PlayerBody::FACE_LEFT);
    Ticks(body, room, 4, {true, true, false});
    EXPECT_FLOAT_EQ(body.x, 82 - 12.5f + 5);
    Ticks(body, room, 1);
    EXPECT_EQ(body.pose, PlayerPose::IDLE);
}

TEST(PlayerStep, TheFieldWrapsAtTheSidesAndFromTheBottomToTheTop) {
    Room room;
    room.Floor(9);
    PlayerBody body = At(187.5f, 128);
    EXPECT_TRUE(Ticks(body, room, 1, kRight).wrapped);
    EXPECT_FLOAT_EQ(body.x, -12);  // past 188 he is back in at -12
    body = At(-11.5f, 128);
    Ticks(body, room, 1, kLeft);
    EXPECT_FLOAT_EQ(body.x, 188);
    // A wall past the far edge (the stage's twin of one in the last column) pushes him out.
    room.TileAt(-24, 8);
    body = At(2, 128);
    Ticks(body, room, 30, kLeft);
    EXPECT_FLOAT_EQ(body.x, -10);
    // No floor under him: out of the bottom, back in at the top at rest.
    Room open;
    body = At(40, 180);
    body.yVelocity = 5;
    EXPECT_TRUE(Ticks(body, open, 2).wrapped);
    EXPECT_FLOAT_EQ(body.y, -12);
    EXPECT_FLOAT_EQ(body.yVelocity, 0);
}

TEST(PlayerStep, BumpingTheHeadStopsTheRiseAndAFreshPressJumpsAgain) {
    // A ceiling two rows above the floor: the head meets its solid bottom 4 pixels above the
    // cell's.
    Room room;
    room.Floor(9).Tile(1, 6).Tile(2, 6);
    PlayerBody body = At(24, 128);
    Ticks(body, room, 1, kJump);
    for (int i = 0; i < 30 && body.yVelocity != 0; ++i) Ticks(body, room, 1);
    EXPECT_FLOAT_EQ(body.y, 96 + 12 - 8);
    // YVelocity is 0 in mid-air: a fresh press jumps again (into the same ceiling).
    EXPECT_TRUE(Ticks(body, room, 1, kJump).jumped);
    EXPECT_FLOAT_EQ(body.y, 100);
}

TEST(PlayerStep, TouchesAreReportedAndAHitStartsThePauseThenTheFloat) {
    Room room;
    room.Floor(9).Gem(3, 7).Gem(5, 7).Hurt(6, 8, tuning::death_block::LOWER);
    THitBox coinBox = Box(80, 112, tuning::coin::BOX);
    room.coin = &coinBox;
    PlayerBody body = At(80, 112);
    PlayerStep step = StepPlayer(body, {}, room.View(5000));
    EXPECT_EQ(step.events.gems, (std::vector<std::size_t>{1}));
    EXPECT_TRUE(step.events.coin);
    EXPECT_FALSE(step.events.hit);
    // Spikes on the floor: the upper six pixels of their cell are safe, the rest is not.
    body = At(96, 128 - 6 - 16 + 0.5f);
    EXPECT_FALSE(StepPlayer(body, {}, room.View(5000)).events.hit);
    body = At(96, 128 - 16 + 7);
    step = StepPlayer(body, {}, room.View(5000));
    ASSERT_TRUE(step.events.hit);
    body = step.body;
    EXPECT_TRUE(body.dying);
    EXPECT_EQ(body.dieTime, 5000 + tuning::player::DIE_PAUSE);
    const float y = body.y;
    step = StepPlayer(body, kRight, room.View(6000));
    EXPECT_TRUE(step.events.still);
    EXPECT_FLOAT_EQ(step.body.y, y);
    step = StepPlayer(step.body, kRight, room.View(6001));
    EXPECT_TRUE(step.events.floatStarted);
    EXPECT_FLOAT_EQ(step.body.y, y - 0.75f);
    EXPECT_EQ(step.body.pose, PlayerPose::DIE);
    int ticks = 1;
    while (!step.events.floatedAway && ticks < 1000) {
        step = StepPlayer(step.body, {}, room.View(6001 + ticks));
        EXPECT_FALSE(step.events.floatStarted);
        ++ticks;
    }
    EXPECT_LT(step.body.y, -32);
    EXPECT_EQ(ticks, int((y + 32) / 0.75f) + 1);
}

}  // namespace
