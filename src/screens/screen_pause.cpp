#include "screens/screen_pause.h"

#include "engine/input.h"
#include "engine/render2d.h"
#include "engine/text.h"
#include "screens/screen_names.h"
#include "shell/display.h"
#include "shell/settings.h"
#include "shell/sfx.h"
#include "toolkit/bitmap_font.h"
#include "world/stage_actual.h"

namespace {
void FlushInput() {
    FlushKeys();
    FlushJoy(-1);
}
}  // namespace

int ScreenPause::Start() {
    SFX::PauseMusic();
    FlushInput();
    gameFont->SetStyle(6);
    MenuItems.clear();
    MenuItems["0"] = TMenuItem::Add(display->Width() / 2, 90, "CONTINUE");
    MenuItems["1"] = TMenuItem::Add(display->Width() / 2, 102, "END GAME");
    MenuItems["0"]->Selected = 1;
    SelectedItemKey = 0;
    if (StageActual::StageTimer) StageActual::StageTimer->Stop();
    return 0;
}

int ScreenPause::Finish() {
    SFX::ResumeMusic();
    FlushInput();
    if (StageActual::StageTimer) StageActual::StageTimer->Resume();
    return 0;
}

int ScreenPause::Update() {
    // The pad's pause button gives the game back as it took it away; bound to the pad's confirm
    // button it keeps the menu's meaning.
    if (cfgJoyPause != 0 && cfgJoyPause != cfgJoyAction && JoyHit(cfgJoyPause, 0)) {
        FlushInput();
        screenManager->Show(SCREEN_STAGE_PLAY);
        return 0;
    }
    TMenuItem::Update();
    if (TMenuItem::Down()) {
        Select(SelectedItemKey + 1);
    } else if (TMenuItem::Up()) {
        Select(SelectedItemKey - 1);
    }
    if (!TMenuItem::Press()) return 0;
    FlushInput();
    if (SelectedItemKey == 0) {
        screenManager->Show(SCREEN_STAGE_PLAY);
    } else {
        SFX::PlayMusic(SFX::MUSIC_TITLE);
        screenManager->Show(SCREEN_TITLE);
    }
    return 0;
}

int ScreenPause::Render() {
    SetColor(202, 202, 0);
    gameFont->Draw("--- PAUSED ---", display->Width() / 2, 76, TBitMapFont::ALIGN_CENTER);
    SetColor(255, 255, 255);
    for (auto& [key, item] : MenuItems) item->Render();
    return 0;
}
