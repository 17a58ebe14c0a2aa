#include "screens/screen_ending.h"

#include "actors/player.h"
#include "engine/input.h"
#include "engine/render2d.h"
#include "engine/text.h"
#include "screens/screen_names.h"
#include "shell/display.h"
#include "shell/sfx.h"
#include "toolkit/bitmap_font.h"

int ScreenEnding::Start() {
    Message = {"congratulations you made it   ", "through all the stages, sadly ",
               "there is no prize but have an ", "e-hug (hug).                  "};
    gameFont->SetStyle(6);
    FlushJoy(-1);
    FlushKeys();
    return 0;
}

int ScreenEnding::Update() {
    if (Player::Control_Action()) {
        SFX::PlayMusic(SFX::MUSIC_TITLE);
        screenManager->Show(SCREEN_TITLE);
    }
    return 0;
}

int ScreenEnding::Render() {
    SetColor(202, 202, 0);
    for (int i = 0; i < 4; ++i)
        gameFont->Draw(Upper(Message[static_cast<std::size_t>(i)]), display->Width() / 2,
                       80 + 10 * i, TBitMapFont::ALIGN_CENTER);
    SetColor(255, 255, 255);
    return 0;
}
