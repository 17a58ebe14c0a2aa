#include <gtest/gtest.h>

#include "engine/audio.h"
#include "engine/input.h"
#include "engine/render2d.h"
#include "shell/settings.h"
#include "shell/sfx.h"
#include "support/audio_recording_driver.h"
#include "support/fake_input.h"
#include "support/manual_clock.h"
#include "support/toolkit_screen.h"
#include "toolkit/bitmap_font.h"
#include "toolkit/menu_item.h"

namespace {

// Menu labels drawn in the game font on the game's window, without the rest of the game.
class MenuItemRender : public ::testing::Test {
  protected:
    void SetUp() override { gameFont->SetStyle(0); }
    std::vector<DrawCall> Glyphs() const { return window.driver.Of(DrawCall::FRAME); }
    static int ColourSum() {
        int r = 0, g = 0, b = 0;
        GetColor(r, g, b);
        return r + g + b;
    }
    RecordedWindow window;
    EmbeddedFont font;
};

TEST_F(MenuItemRender, SelectedItemIsBlackTextOnAWhiteBarOfTheMeasuredWidth) {
    auto item = TMenuItem::Add(160, 50, "OPTIONS");
    EXPECT_EQ(item->Width, 58);
    EXPECT_EQ(item->Height, 9);
    item->Selected = 1;
    item->Render();

    std::vector<DrawCall> bars = window.driver.Of(DrawCall::RECT);
    ASSERT_EQ(bars.size(), 1u);
    // x 131 to 187, y 49 to 57.
    EXPECT_FLOAT_EQ(bars[0].Left(), 131);
    EXPECT_FLOAT_EQ(bars[0].Width(), 57);
    EXPECT_FLOAT_EQ(bars[0].Top(), 49);
    EXPECT_FLOAT_EQ(bars[0].Height(), 9);
    EXPECT_EQ(bars[0].r + bars[0].g + bars[0].b, 3 * 255);
    EXPECT_EQ(window.driver.calls.front().kind, DrawCall::RECT);  // under the text

    std::vector<DrawCall> glyphs = Glyphs();
    ASSERT_EQ(glyphs.size(), 7u);
    EXPECT_FLOAT_EQ(glyphs[0].Left(), 132);  // 160 - 7 * 8 / 2
    EXPECT_FLOAT_EQ(glyphs[0].Top(), 50);
    for (const DrawCall& g : glyphs) EXPECT_EQ(g.r + g.g + g.b, 0);
    EXPECT_EQ(ColourSum(), 3 * 255);
}

TEST_F(MenuItemRender, PlainItemIsLightGreyTextWithoutABar) {
    auto item = TMenuItem::Add(128, 100, "PLAY");
    SetColor(10, 20, 30);
    item->Render();
    EXPECT_TRUE(window.driver.Of(DrawCall::RECT).empty());
    std::vector<DrawCall> glyphs = Glyphs();
    ASSERT_EQ(glyphs.size(), 4u);
    EXPECT_FLOAT_EQ(glyphs[0].Left(), 112);
    for (const DrawCall& g : glyphs) EXPECT_EQ(g.r + g.g + g.b, 3 * 202);
    EXPECT_EQ(ColourSum(), 3 * 255);
}

TEST_F(MenuItemRender, MeasuresInTheCurrentStyleAndSetTextKeepsTheBox) {
    gameFont->SetStyle(6);
    auto small = TMenuItem::Add(100, 10, "MUSIC");
    EXPECT_EQ(small->Width, 5 * 6 + 2);
    EXPECT_EQ(small->Height, 7);
    // The empty text measures as one character.
    EXPECT_EQ(TMenuItem::Add(0, 0, "")->Width, 6 + 2);

    gameFont->SetStyle(0);
    auto item = TMenuItem::Add(160, 50, "ON");
    item->SetText("SOUND EFFECTS OFF");
    EXPECT_EQ(item->Text, "SOUND EFFECTS OFF");
    EXPECT_EQ(item->Width, 18);
    EXPECT_EQ(item->Height, 9);
    item->Selected = 1;
    item->Render();
    std::vector<DrawCall> bars = window.driver.Of(DrawCall::RECT);
    ASSERT_EQ(bars.size(), 1u);
    EXPECT_FLOAT_EQ(bars[0].Left(), 151);
    EXPECT_FLOAT_EQ(bars[0].Width(), 17);
    EXPECT_EQ(Glyphs().size(), 17u);
}

class MenuInput : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetInput();
        TMenuItem::Reset();
        SFX::Reset();
        audio_ = &InstallRecordingAudioDriver();
        SFX::UI1 = audio_->MakeSound("ui1");
        SFX::UI2 = audio_->MakeSound("ui2");
        SFX::ConnectMenus();
        cfgSound = 1;
        cfgJoyAction = 0;
    }
    void TearDown() override {
        DetachAllJoysticks();
        ResetInput();
        TMenuItem::Reset();
        SFX::Reset();
        ShutdownAudio();
        ResetConfig();
    }
    FakeJoystick* Attach() { return &AttachFakeJoystick(1); }
    // A new menu tick: the joystick is sampled again and the latch re-armed if centred.
    void Tick() {
        clock_.Advance(17);
        TMenuItem::Update();
    }
    // The names of the sounds played since the last call.
    std::vector<std::string> Played() {
        std::vector<std::string> names;
        for (const AudioCall& c : audio_->Calls("play"))
            names.push_back(c.sound == SFX::UI1.get()   ? "ui1"
                            : c.sound == SFX::UI2.get() ? "ui2"
                                                        : "other");
        audio_->Clear();
        return names;
    }
    using Names = std::vector<std::string>;

    ManualClock clock_{5000};
    AudioRecordingDriver* audio_ = nullptr;
};

TEST_F(MenuInput, FixedKeysMoveAndConfirmWithTheirSounds) {
    Tick();
    TapKey(vk::UP);
    TapKey(vk::LEFT);
    EXPECT_EQ(TMenuItem::Up(), 1);
    EXPECT_EQ(TMenuItem::Up(), 0);
    EXPECT_EQ(TMenuItem::Down(), 0);
    EXPECT_EQ(TMenuItem::Left(), 1);
    EXPECT_EQ(TMenuItem::Right(), 0);
    TapKey(vk::DOWN);
    TapKey(vk::RIGHT);
    EXPECT_EQ(TMenuItem::Down(), 1);
    EXPECT_EQ(TMenuItem::Right(), 1);
    EXPECT_EQ(Played(), (Names{"ui1", "ui1", "ui1", "ui1"}));

    // Space and enter in one tick: space answers, enter is still waiting for the next call.
    TapKey(vk::SPACE);
    TapKey(vk::ENTER);
    EXPECT_EQ(TMenuItem::Press(), 1);
    EXPECT_EQ(TMenuItem::Press(), 1);
    EXPECT_EQ(TMenuItem::Press(), 0);
    EXPECT_EQ(Played(), (Names{"ui2", "ui2"}));

    // The player's own bindings play no part in menus.
    cfgKeysAction = vk::A;
    TapKey(vk::A);
    EXPECT_EQ(TMenuItem::Press(), 0);
    EXPECT_TRUE(Played().empty());
}

TEST_F(MenuInput, HeldStickMovesOnceUntilItIsCentredAgain) {
    FakeJoystick* stick = Attach();
    stick->axes[1] = -1;
    Tick();
    EXPECT_EQ(TMenuItem::Up(), 1);
    EXPECT_EQ(TMenuItem::joyLatched, 1);
    EXPECT_EQ(Played(), (Names{"ui1"}));
    for (int i = 0; i < 5; ++i) {
        Tick();
        EXPECT_EQ(TMenuItem::Up(), 0);
    }
    // Swinging straight to another edge without passing the centre moves nothing either.
    stick->axes[1] = 0;
    stick->axes[0] = 1;
    Tick();
    EXPECT_EQ(TMenuItem::Right(), 0);
    EXPECT_TRUE(Played().empty());
    // The keyboard is never latched.
    TapKey(vk::DOWN);
    EXPECT_EQ(TMenuItem::Down(), 1);

    stick->axes[0] = 0;
    Tick();
    EXPECT_EQ(TMenuItem::joyLatched, 0);
    EXPECT_EQ(TMenuItem::Up(), 0);
    stick->axes[1] = 1;
    Tick();
    EXPECT_EQ(TMenuItem::Up(), 0);
    EXPECT_EQ(TMenuItem::Down(), 1);
    stick->axes[1] = 0;
    stick->axes[0] = -1;
    Tick();
    EXPECT_EQ(TMenuItem::Left(), 0);  // still latched: the tick saw the stick off-centre
    stick->axes[0] = 0;
    Tick();
    stick->axes[0] = -1;
    Tick();
    EXPECT_EQ(TMenuItem::Left(), 1);
}

TEST_F(MenuInput, HalfDeflectionAndTheHatMoveOncePerPush) {
    FakeJoystick* stick = Attach();
    // A worn stick that reaches 97% of its travel, or only half way, still moves the menu.
    stick->axes[1] = 0.49f;
    Tick();
    EXPECT_EQ(TMenuItem::Down(), 0);
    stick->axes[1] = 0.5f;
    Tick();
    EXPECT_EQ(TMenuItem::Down(), 1);
    // Held, or eased back to 0.4, it stays latched: one line per push.
    stick->axes[1] = 0.4f;
    Tick();
    EXPECT_EQ(TMenuItem::Down(), 0);
    stick->axes[1] = 0.97f;
    Tick();
    EXPECT_EQ(TMenuItem::Down(), 0);
    stick->axes[1] = 0.1f;
    Tick();
    stick->axes[1] = -0.97f;
    Tick();
    EXPECT_EQ(TMenuItem::Up(), 1);
    stick->axes[1] = 0;
    Tick();
    // The hat: each press moves once, the diagonals count for both their directions.
    struct Push {
        float hat;
        int (*move)();
    };
    for (Push p :
         {Push{0, TMenuItem::Up}, Push{0.5f, TMenuItem::Down}, Push{0.25f, TMenuItem::Right},
          Push{0.75f, TMenuItem::Left}, Push{0.125f, TMenuItem::Up}, Push{0.125f, TMenuItem::Right},
          Push{0.625f, TMenuItem::Left}}) {
        stick->hat = p.hat;
        Tick();
        EXPECT_EQ(p.move(), 1) << p.hat;
        Tick();
        EXPECT_EQ(p.move(), 0) << p.hat << " held";
        stick->hat = -1;
        Tick();
    }
    stick->hat = 0.5f;  // down is not up, left or right
    Tick();
    EXPECT_EQ(TMenuItem::Up() + TMenuItem::Left() + TMenuItem::Right(), 0);
}

TEST_F(MenuInput, ButtonZeroConfirmsSilentlyTheActionButtonWithSound) {
    FakeJoystick* stick = Attach();
    cfgJoyAction = 3;
    Tick();
    stick->buttons = 1u << 0;
    Tick();
    EXPECT_EQ(TMenuItem::Press(), 1);
    EXPECT_TRUE(Played().empty());
    stick->buttons = 0;
    Tick();
    EXPECT_EQ(TMenuItem::Press(), 0);

    stick->buttons = 1u << 3;
    Tick();
    EXPECT_EQ(TMenuItem::Press(), 1);
    EXPECT_EQ(Played(), (Names{"ui2"}));
    // Held, it does not confirm again.
    Tick();
    EXPECT_EQ(TMenuItem::Press(), 0);

    // Bound to button 0, the action button is the silent one.
    cfgJoyAction = 0;
    stick->buttons = 0;
    Tick();
    stick->buttons = 1;
    Tick();
    EXPECT_EQ(TMenuItem::Press(), 1);
    EXPECT_TRUE(Played().empty());
}

TEST_F(MenuInput, WithoutAJoystickOnlyTheKeysWork) {
    Tick();
    EXPECT_EQ(TMenuItem::Up(), 0);
    EXPECT_EQ(TMenuItem::Press(), 0);
    TMenuItem::joyLatched = 1;
    TapKey(vk::UP);
    EXPECT_EQ(TMenuItem::Up(), 1);
    // A latch taken earlier is let go once no stick reads off-centre.
    Tick();
    EXPECT_EQ(TMenuItem::joyLatched, 0);
}

}  // namespace
