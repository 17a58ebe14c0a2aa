#include <gtest/gtest.h>

#include "engine/input.h"
#include "support/fake_input.h"
#include "support/manual_clock.h"

namespace {

class InputTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetInput(); }
    void TearDown() override {
        DetachAllJoysticks();
        ResetInput();
    }
    static void Down(int key, bool repeat = false) {
        InputEvent e{InputEvent::KEY_DOWN, key};
        e.repeat = repeat;
        PostInputEvent(e);
    }
    static void Up(int key) { PostInputEvent({InputEvent::KEY_UP, key}); }
};

TEST_F(InputTest, HoldingAKeyThroughAutoRepeatGivesOneHit) {
    Down(vk::SPACE);
    for (int i = 0; i < 20; ++i) Down(vk::SPACE, true);
    EXPECT_EQ(KeyDown(vk::SPACE), 1);
    EXPECT_EQ(KeyHit(vk::SPACE), 1);
    EXPECT_EQ(KeyHit(vk::SPACE), 0);  // reading resets the count
    Up(vk::SPACE);
    EXPECT_EQ(KeyDown(vk::SPACE), 0);
    Down(vk::SPACE);
    Up(vk::SPACE);
    Down(vk::SPACE);
    EXPECT_EQ(KeyHit(vk::SPACE), 2);
}

TEST_F(InputTest, AKeyHeldAcrossAFlushIsNotAFreshHit) {
    Down(vk::ENTER);
    FlushKeys();
    EXPECT_EQ(KeyDown(vk::ENTER), 0);
    Down(vk::ENTER, true);  // the keyboard keeps repeating the held key
    EXPECT_EQ(KeyHit(vk::ENTER), 0);
    Up(vk::ENTER);
    Down(vk::ENTER);
    EXPECT_EQ(KeyHit(vk::ENTER), 1);
}

TEST_F(InputTest, KeyCodesOutsideTheTableReadAsNotPressed) {
    for (int code : {-1, 256, 9991, 9994, 1 << 30, -(1 << 30)}) {
        Down(code);
        EXPECT_EQ(KeyHit(code), 0) << code;
        EXPECT_EQ(KeyDown(code), 0) << code;
    }
    EXPECT_EQ(KeyHit(255), 0);
    Down(255);
    EXPECT_EQ(KeyHit(255), 1);
}

TEST_F(InputTest, TheCharacterQueueKeepsTheFirst256) {
    for (int i = 0; i < 300; ++i) PostInputEvent({InputEvent::CHAR, 'a' + i % 26});
    int count = 0;
    for (int c; (c = GetChar()) != 0; ++count) EXPECT_EQ(c, 'a' + count % 26);
    EXPECT_EQ(count, 256);
    PostInputEvent({InputEvent::CHAR, 'z'});
    EXPECT_EQ(GetChar(), 'z');  // the ring keeps working after it filled up
}

TEST_F(InputTest, ControlKeysQueueTheirCharacterAndFlushEmptiesTheQueue) {
    Down(vk::ENTER);
    Down(vk::ESCAPE);
    Down(vk::BACKSPACE);
    Down(vk::TAB);
    Down(vk::A);  // letters arrive as text, not from the key press
    EXPECT_EQ(GetChar(), 13);
    EXPECT_EQ(GetChar(), 27);
    EXPECT_EQ(GetChar(), 8);
    EXPECT_EQ(GetChar(), 9);
    EXPECT_EQ(GetChar(), 0);
    PostInputEvent({InputEvent::CHAR, 'q'});
    FlushKeys();
    EXPECT_EQ(GetChar(), 0);
    EXPECT_EQ(KeyHit(vk::A), 0);
}

TEST_F(InputTest, MouseButtonsCountLikeKeysAndFocusLossFlushes) {
    InputEvent move{InputEvent::MOUSE_MOVE};
    move.x = 300;
    move.y = 200;
    PostInputEvent(move);
    PostInputEvent({InputEvent::MOUSE_DOWN, 1});
    PostInputEvent({InputEvent::MOUSE_DOWN, 1});
    EXPECT_EQ(MouseX(), 300);
    EXPECT_EQ(MouseY(), 200);
    EXPECT_EQ(MouseDown(1), 1);
    EXPECT_EQ(MouseHit(1), 1);
    EXPECT_EQ(MouseDown(7), 0);
    Down(vk::LEFT);
    PostInputEvent({InputEvent::FOCUS_LOST});
    EXPECT_EQ(AppSuspended(), 1);
    EXPECT_EQ(MouseDown(1), 0);
    EXPECT_EQ(KeyDown(vk::LEFT), 0);
    EXPECT_EQ(KeyHit(vk::LEFT), 0);
    PostInputEvent({InputEvent::FOCUS_GAINED});
    EXPECT_EQ(AppSuspended(), 0);
}

TEST_F(InputTest, CloseRequestIsReportedOnce) {
    EXPECT_EQ(AppTerminate(), 0);
    PostInputEvent({InputEvent::CLOSE_REQUEST});
    EXPECT_EQ(AppTerminate(), 1);
    EXPECT_EQ(AppTerminate(), 0);
}

class JoystickTest : public InputTest {
  protected:
    FakeJoystick* Attach(int id) { return &AttachFakeJoystick(id); }
    ManualClock clock{5000};
};

TEST_F(JoystickTest, APressBetweenTwoSamplesLessThanTwoMillisecondsApartIsNoHit) {
    FakeJoystick* pad = Attach(1);
    EXPECT_EQ(JoyHit(0), 0);  // first sample: nothing held
    clock.Advance(1);
    pad->buttons = 1;
    EXPECT_EQ(JoyHit(0), 0);  // 1 ms later: the port is not read again
    pad->buttons = 0;
    clock.Advance(1);
    EXPECT_EQ(JoyHit(0), 0);  // 2 ms after the first sample the button is already up

    pad->buttons = 1;
    clock.Advance(2);
    EXPECT_EQ(JoyHit(0), 1);
    clock.Advance(2);
    EXPECT_EQ(JoyHit(0), 0);  // held, not pressed again
    EXPECT_EQ(JoyDown(0), 1);
}

TEST_F(JoystickTest, ButtonsOutsideTheTableAndMissingPortsReadAsNothing) {
    FakeJoystick* pad = Attach(1);
    pad->buttons = 0xffffffffu;
    for (int b : {-1, 16, 31, 9991}) {
        EXPECT_EQ(JoyHit(b), 0) << b;
        EXPECT_EQ(JoyDown(b), 0) << b;
    }
    EXPECT_EQ(JoyHit(15), 1);
    EXPECT_EQ(JoyHit(0, 1), 0);
    EXPECT_EQ(JoyHit(0, -1), 0);
    EXPECT_EQ(JoyX(3), 0.0f);
    EXPECT_EQ(JoyHat(3), -1.0f);
}

TEST_F(JoystickTest, AxesAndHatComeFromTheSample) {
    FakeJoystick* pad = Attach(7);
    pad->axes[0] = -1;
    pad->axes[1] = 0.5f;
    pad->hat = 0.25f;
    EXPECT_EQ(JoyCount(), 1);
    EXPECT_FLOAT_EQ(JoyX(), -1);
    EXPECT_FLOAT_EQ(JoyY(), 0.5f);
    EXPECT_FLOAT_EQ(JoyHat(), 0.25f);
}

TEST_F(JoystickTest, FlushClearsHitsAndAHeldButtonDoesNotComeBack) {
    FakeJoystick* pad = Attach(1);
    JoyHit(0);
    pad->buttons = 1 << 7;
    clock.Advance(5);
    FlushJoy(-1);
    clock.Advance(5);
    EXPECT_EQ(JoyHit(7), 0);
    pad->buttons = 0;
    clock.Advance(5);
    JoyHit(7);
    pad->buttons = 1 << 7;
    clock.Advance(5);
    EXPECT_EQ(JoyHit(7), 1);
}

TEST_F(JoystickTest, FlushMaskSelectsPorts) {
    FakeJoystick* a = Attach(1);
    FakeJoystick* b = Attach(2);
    JoyHit(0, 0);
    JoyHit(0, 1);
    a->buttons = b->buttons = 1;
    clock.Advance(5);
    JoyDown(0, 0);
    JoyDown(0, 1);  // both sampled: one hit waiting on each port
    FlushJoy(1 << 1);
    EXPECT_EQ(JoyHit(0, 0), 1);
    EXPECT_EQ(JoyHit(0, 1), 0);
}

TEST_F(JoystickTest, UnpluggingMovesLaterPortsDown) {
    Attach(10);
    FakeJoystick* second = Attach(20);
    second->axes[0] = 1;
    EXPECT_EQ(JoyCount(), 2);
    DetachJoystick(10);
    EXPECT_EQ(JoyCount(), 1);
    EXPECT_FLOAT_EQ(JoyX(0), 1);
    DetachJoystick(99);  // unknown id: nothing happens
    EXPECT_EQ(JoyCount(), 1);
}

TEST_F(JoystickTest, AKnownPadTakesPortZeroFromUntouchedJoysticksButNotFromOneInUse) {
    struct Pad : FakeJoystick {
        bool KnownLayout() const override { return true; }
    };
    // Something joystick-like listed first (an accelerometer, a wheel's pedals), then the pad.
    FakeJoystick* other = Attach(1);
    auto pad = std::make_unique<Pad>();
    Pad* known = pad.get();
    known->axes[0] = 0.75f;
    AttachJoystick(2, std::move(pad));
    EXPECT_FLOAT_EQ(JoyX(0), 0.75f);
    // Three devices: a second pad plugged in while the first is in use waits behind it, and
    // takes its place when it goes.
    auto second = std::make_unique<Pad>();
    second->axes[0] = -1;
    AttachJoystick(3, std::move(second));
    EXPECT_EQ(JoyCount(), 3);
    clock.Advance(3);
    EXPECT_FLOAT_EQ(JoyX(0), 0.75f);
    EXPECT_EQ(JoyLostHit(), 0);
    DetachJoystick(2);
    EXPECT_EQ(JoyLostHit(), 1);  // port 0 went: once
    EXPECT_EQ(JoyLostHit(), 0);
    clock.Advance(3);
    EXPECT_FLOAT_EQ(JoyX(0), -1);
    // A plain joystick in use keeps port 0 when a known pad arrives; losing another port is no
    // loss of port 0.
    DetachAllJoysticks();
    other = Attach(4);
    other->buttons = 1;
    EXPECT_EQ(JoyDown(0, 0), 1);
    AttachJoystick(5, std::make_unique<Pad>());
    EXPECT_EQ(JoyDown(0, 0), 1);
    DetachJoystick(5);
    EXPECT_EQ(JoyLostHit(), 0);
}

}  // namespace
