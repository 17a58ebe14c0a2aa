#include "screens/screen_stage_play.h"

#include "actors/player.h"
#include "engine/input.h"
#include "shell/settings.h"
#include "toolkit/bitmap_font.h"
#include "world/stage_actual.h"
#include "world/stage_store.h"

int ScreenStagePlay::Create() {
    StageStore::GetDataFromExtFile();
    Player::Create();
    StageActual::Init();
    return 0;
}

int ScreenStagePlay::Start() {
    gameFont->SetStyle(0);
    FlushKeys();
    FlushJoy(-1);
    return 0;
}

int ScreenStagePlay::Finish() {
    FlushKeys();
    FlushJoy(-1);
    return 0;
}

int ScreenStagePlay::PauseHit() {
    if (KeyHit(vk::ESCAPE)) return 1;
    if (JoyHit(cfgJoyPause, 0)) return 1;
    return KeyHit(cfgKeysPause) ? 1 : 0;
}

int ScreenStagePlay::Update() {
    StageActual::Update();
    // A press while the curtains move or the player dies is used up and dropped.
    if (PauseHit() && StageActual::Curtains->Action == TStageCurtins::FIN && Player::Dying == 0)
        screenManager->Show("screen_pause");
    return 0;
}

int ScreenStagePlay::Render() {
    StageActual::Render();
    return 0;
}
