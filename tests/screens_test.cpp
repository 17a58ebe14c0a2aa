// The title, stage-ready, play, pause and ending screens, and the flows between them as a player
// goes through them.

#include <gtest/gtest.h>

#include "actors/player.h"
#include "engine/input.h"
#include "engine/text.h"
#include "screens/menu_screen.h"
#include "screens/screen_ending.h"
#include "screens/screen_pause.h"
#include "screens/screen_stage_ready.h"
#include "screens/screen_title.h"
#include "shell/screen_manager.h"
#include "shell/settings.h"
#include "shell/sfx.h"
#include "support/fake_input.h"
#include "support/harness.h"
#include "support/stage_helpers.h"
#include "toolkit/anim.h"
#include "world/stage_actual.h"

namespace {

// A stage the player wins by walking right: a gem at the walk-in's end, the coin dropping in
// front of him.
const std::string kQuickStage = StageLine(Floor(9), Gem(1, 8) + Coin(3));
// A stage he loses at once: a mine where the walk-in ends.
const std::string kDeadlyStage = StageLine(Floor(9), Gem(9, 2) + Block(1, 8, 12) + Coin(3));

class Screens : public ::testing::Test {
  protected:
    void Start(const std::vector<std::string>& lines,
               const std::map<std::string, int>& settings = {}) {
        h.reset();
        h = std::make_unique<Harness>(StageHarnessOptions(lines, settings));
        screenManager->Show("screen_titlescreen");
        h->RunFrames(1);
    }
    int Until(const std::function<bool()>& done, int limit = 1200) {
        int n = 0;
        for (; !done() && n < limit; ++n) h->RunFrames(1);
        return n;
    }
    void UntilScreen(const std::string& name) {
        Until([&] { return h->ActiveScreen() == name; });
        ASSERT_EQ(h->ActiveScreen(), name);
    }
    // Wins the quick stage from the moment it is loaded.
    void WinQuickStage() {
        h->RunUntilPlaying();
        Until([] { return StageActual::GoldCoin->stop == 1; });
        h->Press(68);
        Until([] { return StageActual::GoldCoin->Got == 1; });
        h->Release(68);
        Until([&] { return h->ActiveScreen() != "screen_stage_play"; });
    }
    ScreenStageReady& Ready() {
        return *static_cast<ScreenStageReady*>(screenManager->Find("screen_stage_ready"));
    }
    std::unique_ptr<Harness> h;
};

TEST_F(Screens, TitleMenuWrapsBothWaysAndPlayStartsANewGame) {
    Start({kQuickStage, kQuickStage}, {{"Player Lives", 5}, {"Stage Start", 1}});
    auto& title = *static_cast<ScreenTitle*>(screenManager->Find("screen_titlescreen"));
    EXPECT_EQ(title.SelectedItemKey, 0);
    EXPECT_TRUE(h->Drew("PLAY") && h->Drew("CONTROLS") && h->Drew("OPTIONS") && h->Drew("QUIT"));
    h->Tap(vk::LEFT);
    EXPECT_EQ(title.SelectedItemKey, 3);
    EXPECT_EQ(title.MenuItems["3"]->Selected, 1);
    EXPECT_EQ(title.MenuItems["0"]->Selected, 0);
    h->Tap(vk::RIGHT);
    EXPECT_EQ(title.SelectedItemKey, 0);
    h->Tap(vk::UP);
    h->Tap(vk::DOWN);
    EXPECT_EQ(title.SelectedItemKey, 0);
    StageActual::Curtains->Action = TStageCurtins::FIN;
    h->Tap(vk::SPACE);
    EXPECT_EQ(h->ActiveScreen(), "screen_stage_ready");
    EXPECT_EQ(Player::Lives, 5);
    EXPECT_EQ(StageActual::StageNumber, 1);
    EXPECT_EQ(StageActual::State, StageActual::STATE_NEWGAME);
    // Closed at once, whatever the curtains were doing; opening again once the ready screen goes.
    EXPECT_FLOAT_EQ(StageActual::Curtains->Width->Value(), 128);
}

// A menu whose highlight is moved from outside, as its keys would move it.
class OpenMenu : public TMenuScreen {
  public:
    using TMenuScreen::Select;
};

TEST_F(Screens, AMenuHighlightsExactlyOneLineWhateverKeyItWasLeftOn) {
    Start({kQuickStage});
    OpenMenu menu;
    menu.Select(2);
    EXPECT_EQ(menu.SelectedItemKey, 0) << "a menu without lines has nothing to move to";
    for (int i = 0; i < 3; ++i) menu.MenuItems[FromInt(i)] = TMenuItem::Add(0, 10 * i, "LINE");
    // Left on a line a longer menu had: it must not be looked up into an empty new line.
    menu.SelectedItemKey = 7;
    menu.Select(-4);
    EXPECT_EQ(menu.SelectedItemKey, 2);
    ASSERT_EQ(menu.MenuItems.size(), 3u);
    int lit = 0;
    for (auto& [key, item] : menu.MenuItems) lit += item->Selected;
    EXPECT_EQ(lit, 1);
    EXPECT_EQ(menu.MenuItems["2"]->Selected, 1);
}

TEST_F(Screens, TheTitleSpiderDropsFortyPixelsAndClimbsBackInACycle) {
    Start({kQuickStage});
    auto spiderY = [&] {
        for (const DrawCall& c : h->driver.Of(DrawCall::FRAME))
            if (c.Left() == 218 && c.sw == 16) return c.Top();
        return -1.0f;
    };
    EXPECT_FLOAT_EQ(spiderY(), 70);
    h->RunFor(4100);
    EXPECT_NEAR(spiderY(), 110, 0.5);
    h->RunFor(6000);
    EXPECT_NEAR(spiderY(), 70, 0.5);
}

TEST(ScreensDeathTest, QuitEndsTheProgramWithoutSaving) {
    EXPECT_EXIT(
        {
            Harness h;
            screenManager->Show("screen_titlescreen");
            h.Tap(vk::LEFT);
            h.Tap(vk::ENTER);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(Screens, ReadyScreenShowsTheInstructionsLivesAndABlinkingPromptAfterASecond) {
    Start({kQuickStage});
    h->Tap(vk::SPACE);
    ASSERT_EQ(h->ActiveScreen(), "screen_stage_ready");
    EXPECT_TRUE(h->Drew("COLLECT THE GEMS AND GOLD COINS WHILE"));
    EXPECT_TRUE(h->Drew("AVOIDING ENEMIES AND HAZARDS, BEWARE "));
    EXPECT_TRUE(h->Drew("THE RED SKULL OF DEATH IF YOU DAWDLE."));
    EXPECT_TRUE(h->Drew("x3"));
    EXPECT_FALSE(h->Drew("PRESS ANY KEY TO BEGIN"));
    // The first line sits at y 60 in style 6, centred.
    for (const DrawnText& t : h->Texts())
        if (t.text[0] == 'C') {
            EXPECT_FLOAT_EQ(t.y, 60);
        }
    std::vector<int> shown;
    for (int i = 0; i < 180; ++i) {
        h->RunFrames(1);
        shown.push_back(h->Drew("PRESS ANY KEY TO BEGIN"));
    }
    // Hidden for the first second, then on for half a second and off for half a second.
    EXPECT_EQ(std::count(shown.begin(), shown.begin() + 55, 1), 0);
    EXPECT_GT(std::count(shown.begin() + 62, shown.begin() + 90, 1), 25);
    EXPECT_EQ(std::count(shown.begin() + 95, shown.begin() + 118, 1), 0);
}

TEST_F(Screens, ReadyScreenIgnoresTheActionForHalfASecondAndOtherKeysAlways) {
    Start({kQuickStage});
    h->Tap(vk::SPACE);
    h->RunFor(400);
    h->Tap(vk::SPACE);  // too soon: used up and ignored
    EXPECT_EQ(h->ActiveScreen(), "screen_stage_ready");
    h->RunFor(200);
    for (int key : {65, 68, 27, 40}) h->Tap(key);
    EXPECT_EQ(h->ActiveScreen(), "screen_stage_ready");
    h->Tap(vk::ENTER);
    EXPECT_EQ(h->ActiveScreen(), "screen_stage_play");
    EXPECT_EQ(StageActual::Curtains->Action, TStageCurtins::OPEN);
}

TEST_F(Screens, ReadyScreenTextsForEveryOutcome) {
    Start({kQuickStage});
    auto& ready = Ready();
    struct Case {
        int state, stage, final, lives;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {StageActual::STATE_WON, 3, 4, 2, {"", "STAGE: 04", "", "PRESS ANY KEY TO CONTINUE"}},
        {StageActual::STATE_WON, 12, 12, 2, {"", "STAGE: 12", "", "PRESS ANY KEY TO CONTINUE"}},
        {StageActual::STATE_LOST, 0, 4, 1, {"", "STAGE: 01", "", "PRESS ANY KEY TO TRY AGAIN"}},
        {StageActual::STATE_GAMEOVER,
         1,
         4,
         -1,
         {"GAME OVER!", "", "YOU GOT TO STAGE 2 0F 4", "PRESS ANY KEY"}},
        {7, 1, 4, 1, {"", "", "", ""}},
    };
    for (const Case& c : cases) {
        StageActual::State = c.state;
        StageActual::StageNumber = c.stage;
        StageActual::FinalStage = c.final;
        Player::Lives = c.lives;
        const auto lines = ready.Lines();
        EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.end()), c.lines) << c.state;
    }
    StageActual::StageNumber = 8;
    EXPECT_EQ(ready.FormatedStageNumber(0), "09");
    StageActual::StageNumber = 9;
    EXPECT_EQ(ready.FormatedStageNumber(0), "10");
    EXPECT_EQ(ready.FormatedStageNumber(1), "9");
    // No lives counter after the game is over.
    StageActual::State = StageActual::STATE_GAMEOVER;
    screenManager->Show("screen_stage_ready");
    h->RunFrames(1);
    EXPECT_TRUE(h->Drew("GAME OVER!"));
    for (const DrawnText& t : h->Texts()) EXPECT_NE(t.text[0], 'x');
}

TEST_F(Screens, PauseOnlyWhenTheStageRunsAndItKeepsTheStageExactly) {
    Start({kQuickStage}, {{"Keys Pause", 80}});
    h->Tap(vk::SPACE);
    h->RunFor(600);
    h->SoundsPlayed();
    h->Tap(vk::SPACE);
    // While the curtains open the press is used up and dropped.
    h->Tap(vk::ESCAPE);
    h->RunUntilPlaying();
    EXPECT_EQ(h->ActiveScreen(), "screen_stage_play");
    h->RunFor(1000);
    const float time = StageActual::StageTimer->Value();
    const float x = Player::X;
    h->Tap(80);  // the bound pause key
    ASSERT_EQ(h->ActiveScreen(), "screen_pause");
    auto& pause = *static_cast<ScreenPause*>(screenManager->Find("screen_pause"));
    EXPECT_EQ(pause.SelectedItemKey, 0);
    EXPECT_TRUE(h->Drew("--- PAUSED ---"));
    EXPECT_TRUE(h->Drew("CONTINUE") && h->Drew("END GAME"));
    EXPECT_EQ(StageActual::StageTimer->isActive, 0);
    h->RunFor(5000);
    h->Tap(vk::UP);
    EXPECT_EQ(pause.SelectedItemKey, 1);
    h->Tap(vk::DOWN);
    EXPECT_EQ(pause.SelectedItemKey, 0);
    h->Press(68);  // held into the stage: flushed on the way back
    h->Tap(vk::SPACE);
    h->Release(68);
    EXPECT_EQ(h->ActiveScreen(), "screen_stage_play");
    EXPECT_EQ(StageActual::StageTimer->isActive, 1);
    EXPECT_NEAR(StageActual::StageTimer->Value(), time, 0.02);
    EXPECT_FLOAT_EQ(Player::X, x);
    // Escape pauses whatever the binding; a joystick's pause button too.
    h->Tap(vk::ESCAPE);
    EXPECT_EQ(h->ActiveScreen(), "screen_pause");
    h->Tap(vk::ENTER);
    FakeJoystick& pad = AttachFakeJoystick();
    pad.Hold(7);
    h->RunFrames(1);
    EXPECT_EQ(h->ActiveScreen(), "screen_pause");
}

TEST_F(Screens, LeavingTheWindowPausesAStageInPlayAndNothingElse) {
    Start({kQuickStage});
    h->RunFor(3000);
    ASSERT_EQ(h->ActiveScreen(), "screen_titlescreen");
    // Another window takes the focus, or this one is minimised: menus stay where they are.
    for (auto [away, back] : {std::pair{InputEvent::FOCUS_LOST, InputEvent::FOCUS_GAINED},
                              std::pair{InputEvent::HIDDEN, InputEvent::SHOWN}}) {
        PostInputEvent({away});
        h->RunFrames(3);
        PostInputEvent({back});
        h->RunFrames(1);
        EXPECT_EQ(h->ActiveScreen(), "screen_titlescreen");
    }
    // Left while the curtains open: the stage pauses once the player would be in control.
    h->StartGame();
    h->RunFrames(2);
    PostInputEvent({InputEvent::FOCUS_LOST});
    for (int i = 0; i < 600 && h->ActiveScreen() == "screen_stage_play"; ++i) h->RunFrames(1);
    ASSERT_EQ(h->ActiveScreen(), "screen_pause");
    EXPECT_EQ(StageActual::Curtains->Action, TStageCurtins::FIN);
    // Coming back leaves the pause up until the player chooses.
    PostInputEvent({InputEvent::FOCUS_GAINED});
    h->RunFor(2000);
    EXPECT_EQ(h->ActiveScreen(), "screen_pause");
    h->Tap(vk::SPACE);
    EXPECT_EQ(h->ActiveScreen(), "screen_stage_play");
    // Minimised during play: paused at once, with the stage kept exactly.
    h->RunFrames(10);
    const float time = StageActual::StageTimer->Value();
    PostInputEvent({InputEvent::HIDDEN});
    h->RunFrames(1);
    EXPECT_EQ(h->ActiveScreen(), "screen_pause");
    h->RunFor(3000);
    PostInputEvent({InputEvent::SHOWN});
    h->Tap(vk::SPACE);
    EXPECT_EQ(h->ActiveScreen(), "screen_stage_play");
    EXPECT_NEAR(StageActual::StageTimer->Value(), time, 0.02);
}

TEST_F(Screens, AnUnpluggedPadPausesAndThePadsPauseButtonContinues) {
    Start({kQuickStage});
    FakeJoystick& pad = AttachFakeJoystick(1);
    AttachFakeJoystick(2);
    h->StartGame();
    h->RunUntilPlaying();
    // The pause button pauses and, pressed again, continues.
    pad.Hold(7);
    h->RunFrames(1);
    ASSERT_EQ(h->ActiveScreen(), "screen_pause");
    pad.Let(7);
    h->RunFrames(1);
    pad.Hold(7);
    h->RunFrames(1);
    EXPECT_EQ(h->ActiveScreen(), "screen_stage_play");
    pad.Let(7);
    h->RunFrames(1);
    // Another pad going is no reason to stop; the one being played with is.
    DetachJoystick(2);
    h->RunFrames(1);
    EXPECT_EQ(h->ActiveScreen(), "screen_stage_play");
    DetachJoystick(1);
    h->RunFrames(1);
    EXPECT_EQ(h->ActiveScreen(), "screen_pause");
}

TEST_F(Screens, EndGameGoesToTheTitleWithItsMusic) {
    Start({kQuickStage});
    h->StartGame();
    h->RunUntilPlaying();
    h->Tap(vk::ESCAPE);
    h->MusicCued();
    h->Tap(vk::DOWN);
    h->Tap(vk::SPACE);
    EXPECT_EQ(h->ActiveScreen(), "screen_titlescreen");
    EXPECT_EQ(h->MusicCued(), (std::vector<std::string>{"music_title"}));
    EXPECT_EQ(StageActual::StageTimer->isActive, 1);  // resumed by the pause's finish
}

TEST_F(Screens, NoPauseWhileThePlayerDies) {
    Start({kDeadlyStage});
    h->StartGame();
    h->RunUntilPlaying();
    h->RunFrames(1);
    ASSERT_EQ(Player::Dying, 1);
    h->Tap(vk::ESCAPE);
    EXPECT_EQ(h->ActiveScreen(), "screen_stage_play");
    h->RunFor(2000);
    EXPECT_EQ(h->ActiveScreen(), "screen_stage_play");
}

TEST_F(Screens, WinningEveryStageShowsTheNumbersThenTheEndingThenTheTitle) {
    Start({kQuickStage, kQuickStage}, {{"Stage Final", 2}});
    h->StartGame();
    WinQuickStage();
    EXPECT_EQ(h->ActiveScreen(), "screen_stage_ready");
    EXPECT_TRUE(h->Drew("STAGE: 02"));
    EXPECT_EQ(StageActual::StageNumber, 1);
    h->RunFor(600);
    h->Tap(vk::SPACE);
    WinQuickStage();
    // The last stage won: the ready screen hands over to the ending at once.
    EXPECT_EQ(h->ActiveScreen(), "screen_ending");
    EXPECT_TRUE(h->Drew("CONGRATULATIONS YOU MADE IT   "));
    EXPECT_TRUE(h->Drew("THROUGH ALL THE STAGES, SADLY "));
    EXPECT_TRUE(h->Drew("THERE IS NO PRIZE BUT HAVE AN "));
    EXPECT_TRUE(h->Drew("E-HUG (HUG).                  "));
    for (const DrawnText& t : h->Texts())
        if (t.style == 6) {
            EXPECT_FLOAT_EQ(t.x, 128 - 15 * 6);
        }
    h->MusicCued();
    for (int key : {65, 68, 27}) h->Tap(key);
    EXPECT_EQ(h->ActiveScreen(), "screen_ending");
    h->Tap(vk::SPACE);
    EXPECT_EQ(h->ActiveScreen(), "screen_titlescreen");
    EXPECT_EQ(h->MusicCued(), (std::vector<std::string>{"music_title"}));
}

TEST_F(Screens, LosingEveryLifeShowsGameOverThenTheTitle) {
    Start({kDeadlyStage}, {{"Player Lives", 1}});
    h->StartGame();
    UntilScreen("screen_stage_ready");
    EXPECT_TRUE(h->Drew("STAGE: 01"));
    EXPECT_TRUE(h->Drew("x0"));
    h->RunFor(600);
    h->Tap(vk::SPACE);
    UntilScreen("screen_stage_ready");
    EXPECT_TRUE(h->Drew("GAME OVER!"));
    EXPECT_TRUE(h->Drew("YOU GOT TO STAGE 1 0F 4"));
    h->MusicCued();
    h->RunFor(600);
    h->Tap(vk::SPACE);
    EXPECT_EQ(h->ActiveScreen(), "screen_titlescreen");
    EXPECT_EQ(h->MusicCued(), (std::vector<std::string>{"music_title"}));
}

TEST_F(Screens, TheReadyScreenStopsTheMusicAndRearmsThePoofSound) {
    Start({kQuickStage});
    h->StartGame();
    h->RunUntilPlaying();
    EXPECT_EQ(TEnemyPoof::poofSoundPlayed, 0);
    TEnemyPoof::poofSoundPlayed = 1;
    Player::Lives = 3;
    screenManager->Show("screen_stage_ready");
    EXPECT_EQ(TEnemyPoof::poofSoundPlayed, 0);
    EXPECT_EQ(SFX::MusicChannel, nullptr);
}

}  // namespace
