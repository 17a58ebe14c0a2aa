#include "screens/screen_stage_ready.h"

#include "actors/enemy.h"
#include "actors/player.h"
#include "engine/input.h"
#include "engine/render2d.h"
#include "engine/text.h"
#include "screens/screen_names.h"
#include "shell/display.h"
#include "shell/image.h"
#include "shell/sfx.h"
#include "toolkit/bitmap_font.h"
#include "world/stage_actual.h"

namespace {
// Presses sooner than this after the screen appears are used up and ignored.
constexpr int kIgnoreMs = 500;
constexpr int kPromptDelayMs = 1000;

struct Rgb {
    int r, g, b;
};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kYellow{255, 255, 0};
constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kGreen{0, 255, 0};

// Colours of the four lines by state; a state outside the four is all white.
std::array<Rgb, 4> Colours(int state) {
    switch (state) {
        case StageActual::STATE_NEWGAME:
            return {kWhite, kWhite, kWhite, Rgb{0, 202, 0}};
        case StageActual::STATE_WON:
        case StageActual::STATE_LOST:
            return {kWhite, kYellow, kWhite, kGreen};
        case StageActual::STATE_GAMEOVER:
            return {kRed, kWhite, kWhite, kGreen};
        default:
            return {kWhite, kWhite, kWhite, kWhite};
    }
}

void Colour(const Rgb& c) {
    SetColor(c.r, c.g, c.b);
}
}  // namespace

int ScreenStageReady::Create() {
    GetReadyFlash = CreateTween(tweenLinear.get(), 0, 2, 1000);
    return 0;
}

int ScreenStageReady::Start() {
    SFX::StopMusic();
    TEnemyPoof::poofSoundPlayed = 0;
    GetReadyFlash->SetLooping(1);
    GetReadyFlash->Start();
    gameFont->SetStyle(6);
    GetReadyFlashDelay = GameMilliSecs() + kPromptDelayMs;
    FlushKeys();
    FlushJoy(-1);
    // The final stage is never played: the ending follows at once.
    if (StageActual::StageNumber == StageActual::FinalStage) screenManager->Show(SCREEN_ENDING);
    return 0;
}

int ScreenStageReady::Finish() {
    if (StageActual::Curtains) StageActual::Curtains->Action = TStageCurtins::OPEN;
    return 0;
}

int ScreenStageReady::Update() {
    // GetReadyFlashDelay is 1000 ms after Start, so this asks for at least 500 ms on screen.
    if (Player::Control_Action() && GetReadyFlashDelay < GameMilliSecs() + kIgnoreMs) {
        if (StageActual::State == StageActual::STATE_GAMEOVER) {
            SFX::PlayMusic(SFX::MUSIC_TITLE);
            screenManager->Show(SCREEN_TITLE);
            return 0;
        }
        if (StageActual::StageNumber < StageActual::FinalStage) {
            screenManager->Show(SCREEN_STAGE_PLAY);
            StageActual::Load();
            return 0;
        }
        screenManager->Show(SCREEN_ENDING);
    }
    GetReadyFlash->Update();
    return 0;
}

std::string ScreenStageReady::FormatedStageNumber(int offset) {
    const long long n = static_cast<long long>(StageActual::StageNumber) + 1;
    if (n < 10) return std::string("0").append(std::to_string(n));
    return std::to_string(n - offset);
}

std::array<std::string, 4> ScreenStageReady::Lines() {
    switch (StageActual::State) {
        case StageActual::STATE_NEWGAME:
            return {"COLLECT THE GEMS AND GOLD COINS WHILE",
                    "AVOIDING ENEMIES AND HAZARDS, BEWARE ",
                    "THE RED SKULL OF DEATH IF YOU DAWDLE.", "PRESS ANY KEY TO BEGIN"};
        case StageActual::STATE_WON: {
            const int k = StageActual::StageNumber < StageActual::FinalStage ? 0 : 1;
            return {"", std::string("STAGE: ").append(FormatedStageNumber(k)), "",
                    "PRESS ANY KEY TO CONTINUE"};
        }
        case StageActual::STATE_LOST:
            return {"", std::string("STAGE: ").append(FormatedStageNumber(0)), "",
                    "PRESS ANY KEY TO TRY AGAIN"};
        case StageActual::STATE_GAMEOVER:
            return {"GAME OVER!", "",
                    "YOU GOT TO STAGE " +
                        std::to_string(static_cast<long long>(StageActual::StageNumber) + 1) +
                        " 0F " + FromInt(StageActual::FinalStage),
                    "PRESS ANY KEY"};
        default:
            return {"", "", "", ""};
    }
}

int ScreenStageReady::Render() {
    const int cx = display->Width() / 2;
    const int base = display->Height() / 2 - 2 * gameFont->Height() - 8;
    const std::array<std::string, 4> lines = Lines();
    const std::array<Rgb, 4> colours = Colours(StageActual::State);
    for (int i = 0; i < 3; ++i) {
        Colour(colours[static_cast<std::size_t>(i)]);
        gameFont->Draw(lines[static_cast<std::size_t>(i)], cx, base - 16 + 8 * i,
                       TBitMapFont::ALIGN_CENTER);
    }
    Colour(colours[3]);
    if (GetReadyFlashDelay < GameMilliSecs() && Int(GetReadyFlash->Value()) == 0)
        gameFont->Draw(lines[3], cx, base + 14, TBitMapFont::ALIGN_CENTER);
    SetColor(255, 255, 255);
    if (StageActual::State == StageActual::STATE_GAMEOVER) return 0;
    Image::Player->Render(float(cx - 16), float(base + 32), 0, 0, 1, 1);
    SetColor(0, 255, 255);
    gameFont->Draw(std::string("x").append(FromInt(Player::Lives)), cx + 8, base + 38,
                   TBitMapFont::ALIGN_CENTER);
    return 0;
}
