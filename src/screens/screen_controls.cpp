#include "screens/screen_controls.h"

#include "engine/input.h"
#include "engine/render2d.h"
#include "engine/text.h"
#include "screens/screen_ctrl_config.h"
#include "screens/screen_names.h"
#include "shell/display.h"
#include "shell/settings.h"
#include "toolkit/bitmap_font.h"

namespace {
constexpr int kJoystick = 1;
constexpr int kExit = 2;
}  // namespace

int ScreenControls::Start() {
    FlushKeys();
    FlushJoy(-1);
    gameFont->SetStyle(6);
    MenuItems.clear();
    const int x = display->Width() / 2;
    MenuItems["0"] = TMenuItem::Add(x, 92, "CONFIG KEYBOARD");
    MenuItems["1"] = TMenuItem::Add(x, 104, "CONFIG JOYSTICK");
    MenuItems["2"] = TMenuItem::Add(x, 116, "EXIT");
    MenuItems["2"]->Selected = 1;
    SelectedItemKey = kExit;
    return 0;
}

int ScreenControls::Finish() {
    MenuItems.clear();
    SaveConfig();
    return 0;
}

int ScreenControls::Update() {
    TMenuItem::Update();
    const bool pad = JoyCount() > 0;
    // Every frame, so plugging or unplugging a pad shows at once.
    MenuItems["1"]->SetText(pad ? "CONFIG JOYSTICK" : "<!NO JOYSTICK DETECTED!>");
    if (!pad && SelectedItemKey == kJoystick) Select(kExit);
    if (TMenuItem::Down()) {
        Select(SelectedItemKey + 1);
        if (!pad && SelectedItemKey == kJoystick) Select(kExit);
    } else if (TMenuItem::Up()) {
        Select(SelectedItemKey - 1);
        if (!pad && SelectedItemKey == kJoystick) Select(0);
    }
    if (!TMenuItem::Press()) return 0;
    if (SelectedItemKey == kExit) return Quit();
    ScreenCtrlConfig::ctrlMode =
        SelectedItemKey == kJoystick ? ScreenCtrlConfig::JOYPAD : ScreenCtrlConfig::KEYB;
    screenManager->Show(SCREEN_CTRL_CONFIG);
    return 0;
}

int ScreenControls::Render() {
    SetColor(202, 202, 0);
    gameFont->Draw("--- CONTROLS ---", display->Width() / 2, 78, TBitMapFont::ALIGN_CENTER);
    SetColor(255, 255, 255);
    for (auto& [key, item] : MenuItems) item->Render();
    return 0;
}

int ScreenControls::Quit() {
    screenManager->Show(SCREEN_TITLE);
    return 0;
}
