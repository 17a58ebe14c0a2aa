#include "screens/screen_title.h"

#include "actors/player.h"
#include "engine/input.h"
#include "engine/render2d.h"
#include "engine/system.h"
#include "engine/text.h"
#include "shell/image.h"
#include "shell/settings.h"
#include "toolkit/bitmap_font.h"
#include "toolkit/shape.h"
#include "world/stage_actual.h"

namespace {
constexpr int kItems = 4;
constexpr int kMenuY = 140;
constexpr float kDropDepth = 40;
constexpr int kDropTime = 3000;
constexpr int kWaitTime = 3000;
}  // namespace

int TitleSpider::Init() {
    SpiderX = 218;
    SpiderY = 70.0f;
    Phase = 0;
    PhaseTimer = GameMilliSecs() + 1000;
    DropTween = CreateTween(tweenCirc->EaseOut.get(), 0, 0, 0);
    DropTween->Start();
    SpiderAnim = CreateAnim({0, 1, 2, 1}, 100);
    return 0;
}

int TitleSpider::Update() {
    if (!DropTween) return 0;
    DropTween->Update();
    SpiderAnim->Update();
    switch (Phase) {
        case 0:
        case 3:
            if (PhaseTimer < GameMilliSecs()) ++Phase;
            break;
        case 1:
        case 4:
            DropTween = CreateTween(tweenSine->EaseInOut.get(), Phase == 1 ? 0 : kDropDepth,
                                    Phase == 1 ? kDropDepth : 0, kDropTime);
            DropTween->Start();
            ++Phase;
            break;
        case 2:
        case 5:
            if (DropTween->isActive == 0) {
                PhaseTimer = GameMilliSecs() + kWaitTime;
                Phase = Phase == 2 ? 3 : 0;
            }
            break;
        default:
            break;
    }
    return 0;
}

int TitleSpider::RendeR() {
    if (!DropTween) return 0;
    const float v = DropTween->Value();
    SetColor(0, 0, 202);
    Shape::DrawRect(float(SpiderX + 8), SpiderY - 4, 1, v + 6, 1, 1);
    SetColor(255, 255, 255);
    Image::Spider->Render(float(SpiderX), SpiderY + v, SpiderAnim->Value(), 0, 1, 1);
    return 0;
}

void TitleSpider::Reset() {
    state_ = TitleSpiderState{};
}

int ScreenTitle::Start() {
    FlushKeys();
    FlushJoy(-1);
    MenuItems.clear();
    MenuItems["0"] = TMenuItem::Add(32, kMenuY, "PLAY");
    MenuItems["1"] = TMenuItem::Add(96, kMenuY, "CONTROLS");
    MenuItems["2"] = TMenuItem::Add(160, kMenuY, "OPTIONS");
    MenuItems["3"] = TMenuItem::Add(224, kMenuY, "QUIT");
    MenuItems["0"]->Selected = 1;
    SelectedItemKey = 0;
    TitleSpider::Init();
    return 0;
}

int ScreenTitle::Finish() {
    MenuItems.clear();
    return 0;
}

int ScreenTitle::Update() {
    TMenuItem::Update();
    if (TMenuItem::Right()) {
        Select(SelectedItemKey + 1);
    } else if (TMenuItem::Left()) {
        Select(SelectedItemKey - 1);
    }
    if (TMenuItem::Press()) {
        switch (SelectedItemKey) {
            case 0:
                PlayGame();
                break;
            case 1:
                Controls();
                break;
            case 2:
                Settings();
                break;
            default:
                Quit();
                break;
        }
    }
    TitleSpider::Update();
    return 0;
}

int ScreenTitle::Render() {
    Image::Title->Render(0, 0, 0, 1, 1);
    gameFont->SetStyle(6);
    for (auto& [key, item] : MenuItems) item->Render();
    TitleSpider::RendeR();
    return 0;
}

int ScreenTitle::PlayGame() {
    LoadConfig();
    Player::SetLivesCount(cfgPlayerLives);
    StageActual::StageNumber = cfgStageStart;
    StageActual::State = StageActual::STATE_NEWGAME;
    if (StageActual::Curtains) StageActual::Curtains->ForceClosed();
    screenManager->Show("screen_stage_ready");
    return 0;
}

int ScreenTitle::Controls() {
    screenManager->Show("screen_controls");
    return 0;
}

int ScreenTitle::Settings() {
    screenManager->Show("screen_config");
    return 0;
}

int ScreenTitle::Quit() {
    End();
}
