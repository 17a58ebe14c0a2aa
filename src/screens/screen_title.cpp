#include "screens/screen_title.h"

#include "actors/player.h"
#include "engine/input.h"
#include "engine/render2d.h"
#include "engine/system.h"
#include "engine/text.h"
#include "screens/screen_names.h"
#include "shell/image.h"
#include "shell/settings.h"
#include "toolkit/bitmap_font.h"
#include "world/stage_actual.h"

namespace {
constexpr int kMenuY = 140;
}  // namespace

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
    screenManager->Show(SCREEN_STAGE_READY);
    return 0;
}

int ScreenTitle::Controls() {
    screenManager->Show(SCREEN_CONTROLS);
    return 0;
}

int ScreenTitle::Settings() {
    screenManager->Show(SCREEN_CONFIG);
    return 0;
}

int ScreenTitle::Quit() {
    End();
}
