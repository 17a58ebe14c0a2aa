#include <gtest/gtest.h>

#include "shell/logic_controller.h"
#include "support/manual_clock.h"
#include "toolkit/anim.h"
#include "toolkit/tween.h"
#include "toolkit/tween_equations.h"

namespace {

class AnimTest : public ::testing::Test {
  protected:
    void SetUp() override { InitGameClock(); }
    // Most tests start a second into the game, as the game's own animations do.
    void Later() { clock.Advance(1000); }
    ManualClock clock{50000};
};

TEST_F(AnimTest, GameClockCountsFromStartUpAndBackwardStepsAddTheirSize) {
    EXPECT_EQ(GameMilliSecs(), 0);
    clock.Advance(120);
    EXPECT_EQ(GameMilliSecs(), 120);
    clock.Advance(-5);
    EXPECT_EQ(GameMilliSecs(), 125);
    clock.Advance(10);
    EXPECT_EQ(GameMilliSecs(), 135);
}

TEST_F(AnimTest, GameClockSurvivesTheTickCounterWrapping) {
    clock.Set(2147483640);
    InitGameClock();
    clock.Set(-2147483640);  // sixteen milliseconds later, after the 32-bit counter wrapped
    EXPECT_EQ(GameMilliSecs(), 16);
}

TEST_F(AnimTest, LoopsForeverOneStepPerFrameTime) {
    Later();
    auto a = CreateAnim({0, 1, 2, 3}, 100);
    EXPECT_EQ(a->Value(), 0);
    a->Update();  // the timer starts at 0, so the first update steps at once
    EXPECT_EQ(a->Value(), 1);
    a->Update();
    EXPECT_EQ(a->Value(), 1);
    int expected[] = {2, 3, 0, 1, 2};
    for (int e : expected) {
        clock.Advance(99);
        a->Update();
        clock.Advance(2);
        a->Update();
        EXPECT_EQ(a->Value(), e);
    }
}

TEST_F(AnimTest, OnePassStopsOnTheLastEntry) {
    Later();
    auto a = CreateAnim({0, 1, 2, 3}, 100);
    a->Restart(1);
    for (int i = 0; i < 10; ++i) {
        a->Update();
        clock.Advance(101);
    }
    EXPECT_EQ(a->stopped, 1);
    EXPECT_EQ(a->Value(), 3);
    EXPECT_EQ(a->loop_count, 1);
}

TEST_F(AnimTest, ZeroLoopsStopsAtTheFirstDueStepWithoutChangingFrame) {
    Later();
    auto a = CreateAnim({5, 6, 7}, 50);
    a->Restart(0);
    a->Update();
    EXPECT_EQ(a->stopped, 1);
    EXPECT_EQ(a->Value(), 0);
    clock.Advance(60);
    a->Update();
    EXPECT_EQ(a->Value(), 0);
    a->Restart(2);  // two passes of a one-entry sequence, then rest on it
    auto b = CreateAnim({9}, 50);
    b->Restart(2);
    for (int i = 0; i < 3; ++i) {
        b->Update();
        clock.Advance(60);
    }
    EXPECT_EQ(b->stopped, 1);
    EXPECT_EQ(b->Value(), 9);
}

TEST_F(AnimTest, SetValueShowsAtOnceAndPauseFreezes) {
    Later();
    auto a = CreateAnim({0, 1, 2, 3}, 100);
    a->SetValue(2);
    EXPECT_EQ(a->Value(), 2);
    a->Update();
    EXPECT_EQ(a->Value(), 2);
    clock.Advance(101);
    a->Update();
    EXPECT_EQ(a->Value(), 3);
    a->Pause();
    clock.Advance(500);
    a->Update();
    EXPECT_EQ(a->Value(), 3);
    a->Resume();
    a->Update();  // the overdue step is taken at once, one step only
    EXPECT_EQ(a->Value(), 0);
}

TEST_F(AnimTest, OddInputsStayInsideTheSequence) {
    Later();
    auto empty = CreateAnim({}, 10);
    empty->Update();
    EXPECT_EQ(empty->Value(), 0);
    auto a = CreateAnim({4, 5}, 10);
    a->SetValue(-7);
    clock.Advance(20);
    a->Update();
    EXPECT_EQ(a->Value(), 4);
    a->SetValue(40);
    clock.Advance(20);
    a->Update();
    EXPECT_EQ(a->Value(), 4);
}

TEST_F(AnimTest, LogicControllerGatesTicks) {
    TFixedRateLogicController c;
    c.Init(60);
    EXPECT_EQ(c.SkipTicks, 16);
    c.Init(30);
    EXPECT_EQ(c.SkipTicks, 33);
    c.Init(0);  // no rate: unchanged, and no division by zero
    EXPECT_EQ(c.SkipTicks, 33);
    clock.Advance(100);
    c.Start();
    EXPECT_EQ(c.Ready(), 0);  // strictly later is needed
    clock.Advance(1);
    EXPECT_EQ(c.Ready(), 1);
    clock.Advance(100000);
    int ticks = 0;
    c.Reset();
    while (c.Ready()) {
        ++ticks;
        c.Update();
    }
    EXPECT_EQ(ticks, 10);
    c.Reset();
    EXPECT_EQ(c.Ready(), 1);  // the ticks still due carry over to the next frame
}

}  // namespace

namespace {
// A game that has run for 24.8 days: the clock goes past 2^31 ms while timers, a tween and an
// animation run. With int sums "now + delay" would overflow there.
TEST(GameClockCrossing, TimersTweensAndAnimationsCarryOnPastTwoToThe31Milliseconds) {
    ManualClock clock{7000};
    InitTweenEquations();
    const GameTime start = (GameTime{1} << 31) - 300;
    InitGameClock(start);
    EXPECT_EQ(GameMilliSecs(), start);
    auto anim = CreateAnim({0, 1, 2, 3}, 100);
    anim->Update();
    auto tween = CreateTween(tweenLinear.get(), 0, 100, 1000);
    UpdateTweenTime();
    tween->Start();
    const GameTime due = GameMilliSecs() + 500;  // a timer as the screens set them
    int steps = 0;
    for (int ms = 0; ms < 1000; ms += 10) {
        clock.Advance(10);
        UpdateTweenTime();
        tween->Update();
        const int before = anim->seq_frame;
        anim->Update();
        steps += anim->seq_frame != before;
        EXPECT_EQ(GameMilliSecs() > due, ms + 10 > 500) << ms;
    }
    EXPECT_GT(GameMilliSecs(), GameTime{1} << 31);
    EXPECT_EQ(steps, 9);  // one step every 100 ms, 110 ms apart at these 10 ms ticks
    EXPECT_NEAR(tween->Value(), 100, 1.0);
    // The logic controller's schedule runs on as well.
    TFixedRateLogicController controller;
    controller.Init(60);
    controller.Start();
    EXPECT_EQ(controller.Ready(), 0);
    clock.Advance(1);
    EXPECT_EQ(controller.Ready(), 1);
    controller.Update();
    EXPECT_EQ(controller.Ready(), 0);
}
}  // namespace
