#include "screens/screen_stage_play.h"

#include "actors/player.h"
#include "engine/input.h"
#include "screens/screen_names.h"
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
    // A window left or a pad unplugged on another screen, or before the pause screen's
    // CONTINUE, does not pause this stage.
    AppLeftHit();
    JoyLostHit();
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
    // A won or lost stage has closed its curtains: the ready screen tells what comes next.
    if (StageActual::Curtains->HaveClosed()) {
        screenManager->Show(SCREEN_STAGE_READY);
        return 0;
    }
    // A press while the curtains move or the player dies is used up and dropped. A player who
    // has left the window (another window took the focus, or this one was minimised) or lost
    // his pad is not playing: the stage pauses as for the pause key, instead of running on
    // without him, as soon as he would be in control.
    const bool inControl =
        StageActual::Curtains->Action == TStageCurtins::FIN && Player::Dying == 0;
    if ((PauseHit() && inControl) || (inControl && (AppLeftHit() || JoyLostHit())))
        screenManager->Show(SCREEN_PAUSE);
    return 0;
}

int ScreenStagePlay::Render() {
    StageActual::Render();
    return 0;
}
