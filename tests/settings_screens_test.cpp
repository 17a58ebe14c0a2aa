// The options, controls and control configuration screens, by keyboard and by pad, and the
// settings file they leave behind.

#include <gtest/gtest.h>

#include "actors/player.h"
#include "engine/input.h"
#include "engine/render2d.h"
#include "screens/screen_config.h"
#include "screens/screen_controls.h"
#include "screens/screen_ctrl_config.h"
#include "shell/screen_manager.h"
#include "shell/settings.h"
#include "shell/sfx.h"
#include "support/audio_recording_driver.h"
#include "support/fake_input.h"
#include "support/files.h"
#include "support/harness.h"
#include "support/stage_helpers.h"
#include "world/stage_actual.h"

namespace {

class SettingsScreens : public ::testing::Test {
  protected:
    SettingsScreens() : h(HarnessSetup()) {
        screenManager->Show("screen_titlescreen");
        h.RunFrames(1);
        h.SoundsPlayed();
        h.MusicCued();
    }
    static HarnessOptions HarnessSetup() {
        HarnessOptions o;
        o.recordAudio = true;
        o.desktopWidth = 1920;
        o.desktopHeight = 1080;
        return o;
    }
    // A key as a keyboard sends it: the key, and the character it types.
    void TypeKey(int key, int character) {
        PostInputEvent({InputEvent::KEY_DOWN, key});
        if (character) PostInputEvent({InputEvent::CHAR, character});
        h.RunFrames(1);
        PostInputEvent({InputEvent::KEY_UP, key});
    }
    // Title menu item n (0 play .. 3 quit).
    void Choose(int item) {
        for (int i = 0; i < item; ++i) h.Tap(vk::RIGHT);
        h.Tap(vk::ENTER);
    }
    ScreenConfig& Options() const {
        return *static_cast<ScreenConfig*>(screenManager->Find("screen_config"));
    }
    ScreenControls& Controls() const {
        return *static_cast<ScreenControls*>(screenManager->Find("screen_controls"));
    }
    std::string Setting(const std::string& key) {
        const std::string file = Slurp(h.SettingsPath());
        const std::size_t at = file.find(key + "=");
        return at == std::string::npos ? "" : file.substr(at, file.find('\r', at) - at);
    }
    Harness h;
};

TEST_F(SettingsScreens, OptionsOpenOnExitWithTheCreationTextsForOneFrame) {
    Choose(2);
    ASSERT_EQ(h.ActiveScreen(), "screen_config");
    EXPECT_TRUE(h.Drew("--- OPTIONS ---"));
    EXPECT_TRUE(h.Drew("MUSIC     :    "));
    EXPECT_TRUE(h.Drew("WINDOWED  :    "));
    EXPECT_TRUE(h.Drew("      EXIT     "));
    EXPECT_EQ(Options().SelectedItemKey, 4);
    EXPECT_EQ(Options().MenuItems["4"]->Selected, 1);
    h.RunFrames(1);
    EXPECT_TRUE(h.Drew("MUSIC     : 50%"));
    EXPECT_TRUE(h.Drew("SFX       :  ON"));
    EXPECT_TRUE(h.Drew("SCANLINES :  ON"));
    EXPECT_TRUE(h.Drew("WINDOWED  :  ON"));
    // The cursor wraps both ways.
    h.Tap(vk::DOWN);
    EXPECT_EQ(Options().SelectedItemKey, 0);
    h.Tap(vk::UP);
    EXPECT_EQ(Options().SelectedItemKey, 4);
}

TEST_F(SettingsScreens, MusicStepsRoundFromFullToOffAndBack) {
    Choose(2);
    h.Tap(vk::DOWN);  // music
    h.Tap(vk::RIGHT);
    h.Tap(vk::RIGHT);
    EXPECT_TRUE(h.Drew("MUSIC     :100%"));
    EXPECT_FLOAT_EQ(static_cast<RecordedChannel*>(SFX::MusicChannel.get())->volume, 0.5f);
    h.MusicCued();
    h.Tap(vk::RIGHT);
    EXPECT_TRUE(h.Drew("MUSIC     : OFF"));
    EXPECT_EQ(cfgMusic, 0);
    EXPECT_EQ(SFX::MusicChannel, nullptr);
    // Left from off: full volume, the last track again from its beginning.
    h.Tap(vk::LEFT);
    EXPECT_TRUE(h.Drew("MUSIC     :100%"));
    EXPECT_EQ(h.MusicCued(), (std::vector<std::string>{"music_title"}));
    auto* channel = static_cast<RecordedChannel*>(SFX::MusicChannel.get());
    ASSERT_NE(channel, nullptr);
    EXPECT_FLOAT_EQ(channel->volume, 0.5f);
    EXPECT_TRUE(channel->Playing());
    h.Tap(vk::SPACE);  // press steps up like right
    EXPECT_TRUE(h.Drew("MUSIC     : OFF"));
}

TEST_F(SettingsScreens, TogglesAndTheWindowSwitchAtOnceButReachTheFileOnlyOnLeaving) {
    Choose(2);
    h.Tap(vk::UP);  // windowed
    EXPECT_EQ(Options().SelectedItemKey, 3);
    h.Tap(vk::SPACE);
    // Full screen at the desktop size with bars at once, the pointer hidden.
    EXPECT_EQ(GraphicsWidth(), 1920);
    EXPECT_EQ(GraphicsDepth(), 32);
    EXPECT_EQ(MouseVisible(), 0);
    EXPECT_TRUE(h.Drew("WINDOWED  : OFF"));
    EXPECT_EQ(GetBlend(), ALPHABLEND);
    EXPECT_EQ(Setting("Fullscreen"), "Fullscreen=1");
    // Pictures and the font are made again for the new display: the title still draws.
    h.Tap(vk::LEFT);
    EXPECT_EQ(GraphicsWidth(), 1024);
    EXPECT_EQ(MouseVisible(), 1);
    h.Tap(vk::UP);  // scan lines
    h.Tap(vk::LEFT);
    EXPECT_TRUE(h.Drew("SCANLINES : OFF"));
    EXPECT_TRUE(h.driver.Of(DrawCall::LINE).empty());
    h.Tap(vk::UP);  // effects
    h.Tap(vk::RIGHT);
    EXPECT_TRUE(h.Drew("SFX       : OFF"));
    EXPECT_EQ(Setting("Sound"), "Sound=1");
    h.Tap(vk::UP);
    h.Tap(vk::UP);  // exit
    h.Tap(vk::ENTER);
    EXPECT_EQ(h.ActiveScreen(), "screen_titlescreen");
    EXPECT_EQ(Setting("Sound"), "Sound=0");
    EXPECT_EQ(Setting("ScanLines"), "ScanLines=0");
    EXPECT_EQ(Setting("Fullscreen"), "Fullscreen=1");
    EXPECT_FALSE(h.driver.Of(DrawCall::FRAME).empty());
}

TEST_F(SettingsScreens, ControlsSkipTheJoystickLineWithoutAPad) {
    Choose(1);
    ASSERT_EQ(h.ActiveScreen(), "screen_controls");
    EXPECT_TRUE(h.Drew("--- CONTROLS ---"));
    EXPECT_EQ(Controls().SelectedItemKey, 2);
    h.RunFrames(1);
    EXPECT_TRUE(h.Drew("<!NO JOYSTICK DETECTED!>"));
    h.Tap(vk::UP);
    EXPECT_EQ(Controls().SelectedItemKey, 0);
    h.Tap(vk::DOWN);
    EXPECT_EQ(Controls().SelectedItemKey, 2);
    // Plugged in: the line reads as it should and can be chosen.
    FakeJoystick& pad = AttachFakeJoystick();
    (void)pad;
    h.RunFrames(1);
    EXPECT_TRUE(h.Drew("CONFIG JOYSTICK"));
    h.Tap(vk::UP);
    EXPECT_EQ(Controls().SelectedItemKey, 1);
    // Unplugged while highlighted: the cursor moves to EXIT in the next frame.
    DetachAllJoysticks();
    h.RunFrames(1);
    EXPECT_EQ(Controls().SelectedItemKey, 2);
    std::remove(h.SettingsPath().c_str());
    h.Tap(vk::ENTER);
    EXPECT_EQ(h.ActiveScreen(), "screen_titlescreen");
    EXPECT_EQ(Setting("Music"), "Music=2");  // written on the way out
}

TEST_F(SettingsScreens, KeyboardConfigurationStoresCodesOfTypedKeysAndArrows) {
    Choose(1);
    h.Tap(vk::UP);
    h.Tap(vk::ENTER);
    ASSERT_EQ(h.ActiveScreen(), "screen_ctrl_config");
    h.RunFrames(1);
    EXPECT_TRUE(h.Drew("PRESS A KEY TO"));
    EXPECT_TRUE(h.Drew("MOVE RIGHT"));
    h.SoundsPlayed();
    TypeKey(vk::RIGHT, 0);                       // an arrow: its special code
    TypeKey(65, 'a');                            // lower case: the upper-case code
    PostInputEvent({InputEvent::CHAR, 0x263A});  // no 8-bit code: the question stays open
    h.RunFrames(1);
    EXPECT_EQ(ScreenCtrlConfig::ctrlStep, 2);
    TypeKey(49, '1');        // a digit
    TypeKey(vk::ESCAPE, 0);  // escape types its own character
    EXPECT_EQ(cfgKeysRight, 9992);
    EXPECT_EQ(cfgKeysLeft, 65);
    EXPECT_EQ(cfgKeysAction, 49);
    EXPECT_EQ(cfgKeysPause, 27);
    EXPECT_EQ(h.SoundsPlayed(), (std::vector<std::string>(4, "ui2")));
    h.RunFrames(1);
    EXPECT_TRUE(h.Drew("CONFIGURATION SAVED"));
    TypeKey(75, 'K');
    h.RunFrames(1);
    EXPECT_EQ(h.ActiveScreen(), "screen_controls");
    EXPECT_EQ(Setting("Keys Right"), "Keys Right=9992");
    EXPECT_EQ(Setting("Keys Action"), "Keys Action=49");
    // The lines stay for the next visit, and the cursor is back on EXIT.
    EXPECT_EQ(ScreenCtrlConfig::ctrlLines[0], "Configuration saved");
    EXPECT_EQ(Controls().SelectedItemKey, 2);
}

TEST_F(SettingsScreens, EveryKeyBindsItselfAndAKeyWithNoCodeIsRefusedAloud) {
    Choose(1);
    h.Tap(vk::UP);
    h.Tap(vk::ENTER);
    ASSERT_EQ(h.ActiveScreen(), "screen_ctrl_config");
    // A key the game has no code for: the question line says so and the question stays.
    PostInputEvent({InputEvent::KEY_DOWN, -1});
    h.RunFrames(1);
    EXPECT_TRUE(h.Drew("THAT KEY CANNOT BE BOUND"));
    EXPECT_EQ(ScreenCtrlConfig::ctrlStep, 0);
    // Punctuation binds the key that typed it, not its character's code: "," is the comma key
    // (188), not 44 (no key); "-" not Insert, "." not Delete; "%" is shift and 5, not the left
    // arrow (37).
    TypeKey(vk::COMMA, ',');
    EXPECT_FALSE(h.Drew("THAT KEY CANNOT BE BOUND"));
    TypeKey(vk::MINUS, '-');
    TypeKey(vk::PERIOD, '.');
    PostInputEvent({InputEvent::KEY_DOWN, vk::SHIFT});
    h.RunFrames(1);  // shift alone is a key too, but it is still held when 5 comes
    EXPECT_EQ(cfgKeysPause, vk::SHIFT);
    EXPECT_EQ(cfgKeysRight, vk::COMMA);
    EXPECT_EQ(cfgKeysLeft, vk::MINUS);
    EXPECT_EQ(cfgKeysAction, vk::PERIOD);
    TypeKey(75, 'K');  // "press any key" on the saved line
    h.RunFrames(1);
    ASSERT_EQ(h.ActiveScreen(), "screen_controls");
    EXPECT_EQ(Setting("Keys Right"), "Keys Right=188");
    EXPECT_EQ(Setting("Keys Left"), "Keys Left=189");
    EXPECT_EQ(Setting("Keys Action"), "Keys Action=190");
    // Letters and digits keep the codes stored files have always had; "%" binds its digit key.
    h.Tap(vk::UP);
    h.Tap(vk::ENTER);
    ASSERT_EQ(h.ActiveScreen(), "screen_ctrl_config");
    TypeKey('Q', 'q');
    TypeKey('7', '7');
    PostInputEvent({InputEvent::KEY_DOWN, vk::SHIFT});
    TypeKey('5', '%');
    PostInputEvent({InputEvent::KEY_UP, vk::SHIFT});
    TypeKey(vk::SPACE, ' ');
    TypeKey(75, 'K');
    h.RunFrames(1);
    EXPECT_EQ(Setting("Keys Right"), "Keys Right=81");
    EXPECT_EQ(Setting("Keys Left"), "Keys Left=55");
    EXPECT_EQ(Setting("Keys Action"), "Keys Action=53");
    EXPECT_EQ(Setting("Keys Pause"), "Keys Pause=32");
}

TEST_F(SettingsScreens, TheDefaultsTypedAgainGiveTheDefaultFile) {
    const std::string before = Slurp(h.SettingsPath());
    Choose(1);
    h.Tap(vk::UP);
    h.Tap(vk::ENTER);
    TypeKey(68, 'd');
    TypeKey(65, 'A');
    TypeKey(vk::SPACE, ' ');
    TypeKey(vk::ESCAPE, 0);
    TypeKey(vk::ENTER, 0);
    h.RunFrames(1);
    h.Tap(vk::ENTER);  // exit the controls
    EXPECT_EQ(Slurp(h.SettingsPath()), before);
}

TEST_F(SettingsScreens, JoystickConfigurationTakesTheLowestButton) {
    FakeJoystick& pad = AttachFakeJoystick();
    Choose(1);
    h.Tap(vk::UP);
    EXPECT_EQ(Controls().SelectedItemKey, 1);
    h.Tap(vk::ENTER);
    ASSERT_EQ(h.ActiveScreen(), "screen_ctrl_config");
    h.RunFrames(1);
    EXPECT_TRUE(h.Drew("PRESS A BUTTON TO"));
    auto press = [&](std::initializer_list<int> buttons) {
        for (int b : buttons) pad.Hold(b);
        h.RunFrames(1);
        pad.buttons = 0;
        h.RunFrames(1);
    };
    press({5, 3});
    // Two buttons together answer one question, not two.
    EXPECT_EQ(ScreenCtrlConfig::ctrlStep, 1);
    EXPECT_EQ(cfgJoyPause, 7);
    press({9});
    EXPECT_EQ(cfgJoyAction, 3);
    EXPECT_EQ(cfgJoyPause, 9);
    // Keys do not answer in this mode.
    TypeKey(68, 'd');
    EXPECT_EQ(h.ActiveScreen(), "screen_ctrl_config");
    press({0});
    h.RunFrames(1);
    EXPECT_EQ(h.ActiveScreen(), "screen_controls");
    EXPECT_EQ(Setting("Joy Action"), "Joy Action=3");
    EXPECT_EQ(Setting("Joy Pause"), "Joy Pause=9");
}

TEST_F(SettingsScreens, APadUnpluggedDuringTheQuestionsLeadsBackKeepingTheAnswers) {
    FakeJoystick& pad = AttachFakeJoystick();
    Choose(1);
    h.Tap(vk::UP);
    h.Tap(vk::ENTER);
    pad.Hold(2);
    h.RunFrames(2);
    EXPECT_EQ(cfgJoyAction, 2);
    DetachAllJoysticks();
    h.RunFrames(2);
    EXPECT_EQ(h.ActiveScreen(), "screen_controls");
    EXPECT_EQ(cfgJoyAction, 2);
    EXPECT_EQ(cfgJoyPause, 7);
    EXPECT_EQ(Setting("Joy Action"), "Joy Action=2");
    // Never plugged in at all: straight back too.
    ScreenCtrlConfig::ctrlMode = ScreenCtrlConfig::JOYPAD;
    screenManager->Show("screen_ctrl_config");
    h.RunFrames(2);
    EXPECT_EQ(h.ActiveScreen(), "screen_controls");
}

TEST(SettingsFlow, NewBindingsMoveJumpAndPauseThePlayer) {
    HarnessOptions o = StageHarnessOptions({StageLine(Floor(9), Gem(9, 2) + Coin(3))});
    Harness h(o);
    screenManager->Show("screen_titlescreen");
    h.RunFrames(1);
    h.Tap(vk::RIGHT);
    h.Tap(vk::ENTER);  // controls
    h.Tap(vk::UP);
    h.Tap(vk::ENTER);                   // keyboard
    for (int key : {76, 74, 75, 80}) {  // L right, J left, K jump, P pause
        PostInputEvent({InputEvent::KEY_DOWN, key});
        PostInputEvent({InputEvent::CHAR, key + 32});
        h.RunFrames(1);
        PostInputEvent({InputEvent::KEY_UP, key});
    }
    h.Tap(vk::ENTER);
    h.RunFrames(1);
    h.Tap(vk::ENTER);  // exit the controls
    ASSERT_EQ(h.ActiveScreen(), "screen_titlescreen");
    h.StartGame();
    h.RunUntilPlaying();
    const float x = Player::X;
    h.Hold(76, 20);
    EXPECT_FLOAT_EQ(Player::X, x + 25);
    h.Hold(74, 8);
    EXPECT_FLOAT_EQ(Player::X, x + 15);
    h.Hold(68, 8);  // the old binding does nothing
    EXPECT_FLOAT_EQ(Player::X, x + 15);
    h.Tap(75);
    EXPECT_LT(Player::YVelocity, 0);
    h.RunFor(1000);
    h.Tap(80);
    EXPECT_EQ(h.ActiveScreen(), "screen_pause");
}

}  // namespace

namespace {
// Values the screens never write, put in the file by hand.
TEST(SettingsOutOfRange, HandEditedValuesShowAndCycleAsTheScreensOwn) {
    HarnessOptions o;
    o.recordAudio = true;
    o.settings = {{"Music", 999}, {"Sound", 7}, {"ScanLines", -3}, {"Fullscreen", 5}};
    Harness h(o);
    screenManager->Show("screen_titlescreen");
    h.RunFrames(2);
    // The title music plays at no more than full volume.
    auto* channel = static_cast<RecordedChannel*>(SFX::MusicChannel.get());
    ASSERT_NE(channel, nullptr);
    EXPECT_LE(channel->volume, 1.0f);
    h.Tap(vk::RIGHT);
    h.Tap(vk::RIGHT);
    h.Tap(vk::ENTER);
    h.RunFrames(1);
    EXPECT_TRUE(h.Drew("MUSIC     :100%"));
    EXPECT_TRUE(h.Drew("SFX       :  ON"));
    EXPECT_TRUE(h.Drew("SCANLINES :  ON"));
    EXPECT_TRUE(h.Drew("WINDOWED  :  ON"));
    h.Tap(vk::DOWN);  // music
    h.Tap(vk::LEFT);
    EXPECT_EQ(cfgMusic, 3);
    h.Tap(vk::DOWN);  // effects: on, so one step turns them off
    h.Tap(vk::RIGHT);
    EXPECT_EQ(cfgSound, 0);
    h.Tap(vk::DOWN);
    h.Tap(vk::LEFT);
    EXPECT_EQ(cfgScanLines, 0);
    h.Tap(vk::DOWN);  // windowed: 5 opens a window, so one step goes full screen
    h.Tap(vk::SPACE);
    EXPECT_EQ(cfgFullscreen, 0);
    EXPECT_EQ(GraphicsDepth(), 32);
}
}  // namespace
