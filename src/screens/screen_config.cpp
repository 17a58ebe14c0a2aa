#include "screens/screen_config.h"

#include <algorithm>

#include "engine/input.h"
#include "engine/render2d.h"
#include "engine/text.h"
#include "screens/screen_names.h"
#include "shell/display.h"
#include "shell/game_window.h"
#include "shell/settings.h"
#include "shell/sfx.h"
#include "toolkit/bitmap_font.h"

namespace {
constexpr int kExit = 4;
}  // namespace

int ScreenConfig::Start() {
    FlushKeys();
    FlushJoy(-1);
    gameFont->SetStyle(6);
    MenuItems.clear();
    const int x = display->Width() / 2;
    MenuItems["0"] = TMenuItem::Add(x, 70, "MUSIC     :    ");
    MenuItems["1"] = TMenuItem::Add(x, 82, "SFX       :    ");
    MenuItems["2"] = TMenuItem::Add(x, 94, "SCANLINES :    ");
    MenuItems["3"] = TMenuItem::Add(x, 106, "WINDOWED  :    ");
    MenuItems["4"] = TMenuItem::Add(x, 118, "      EXIT     ");
    MenuItems["4"]->Selected = 1;
    SelectedItemKey = kExit;
    return 0;
}

int ScreenConfig::Finish() {
    MenuItems.clear();
    SaveConfig();
    return 0;
}

void ScreenConfig::ActOnMusic() {
    // Right, press and left are each asked once a frame, so several can act together.
    const int right = TMenuItem::Right(), press = TMenuItem::Press(), left = TMenuItem::Left();
    // A hand-edited step outside 0..4 counts as the nearest step the screen knows.
    if (right || press || left) cfgMusic = std::clamp(cfgMusic, 0, 4);
    if (right) {
        ++cfgMusic;
        SFX::SetMusicVolume();
    }
    if (press) {
        ++cfgMusic;
        SFX::SetMusicVolume();
    }
    if (left) {
        --cfgMusic;
        SFX::SetMusicVolume();
    }
    if (cfgMusic > 4) {
        cfgMusic = 0;
        SFX::StopMusic();
    }
    if (cfgMusic < 0) {
        cfgMusic = 4;
        SFX::SetMusicVolume();
    }
}

void ScreenConfig::Toggle(int& setting) {
    const int right = TMenuItem::Right(), press = TMenuItem::Press(), left = TMenuItem::Left();
    // Any hand-edited value but 0 is on, as the game reads it.
    if (right || press || left) setting = setting != 0 ? 1 : 0;
    setting += right + press - left;
    if (setting > 1) setting = 0;
    if (setting < 0) setting = 1;
}

int ScreenConfig::Update() {
    TMenuItem::Update();
    if (TMenuItem::Down()) {
        Select(SelectedItemKey + 1);
        FlushKeys();
        return 0;
    }
    if (TMenuItem::Up()) {
        Select(SelectedItemKey - 1);
        FlushKeys();
        return 0;
    }
    switch (SelectedItemKey) {
        case 0:
            ActOnMusic();
            break;
        case 1:
            Toggle(cfgSound);
            break;
        case 2:
            Toggle(cfgScanLines);
            break;
        case 3: {
            // Values other than 0 open the window, so they count as 1.
            const int before = cfgFullscreen != 0 ? 1 : 0;
            Toggle(cfgFullscreen);
            if (cfgFullscreen != before) ChangeRes();
            break;
        }
        default:
            if (TMenuItem::Press()) {
                Quit();
                return 0;
            }
    }
    RefreshTexts();
    return 0;
}

std::string ScreenConfig::MusicText() {
    const int step = std::clamp(cfgMusic, 0, 4);
    if (step == 0) return "MUSIC     : OFF";
    if (step == 4) return "MUSIC     :100%";
    return "MUSIC     : " + FromInt(step * 25) + "%";
}

std::string ScreenConfig::SoundText() {
    return cfgSound == 0 ? "SFX       : OFF" : "SFX       :  ON";
}

std::string ScreenConfig::ScanLinesText() {
    return cfgScanLines == 0 ? "SCANLINES : OFF" : "SCANLINES :  ON";
}

std::string ScreenConfig::WindowedText() {
    return cfgFullscreen != 0 ? "WINDOWED  :  ON" : "WINDOWED  : OFF";
}

void ScreenConfig::RefreshTexts() {
    MenuItems["0"]->SetText(MusicText());
    MenuItems["1"]->SetText(SoundText());
    MenuItems["2"]->SetText(ScanLinesText());
    MenuItems["3"]->SetText(WindowedText());
}

int ScreenConfig::Render() {
    SetColor(202, 202, 0);
    gameFont->Draw("--- OPTIONS ---", display->Width() / 2, 56, TBitMapFont::ALIGN_CENTER);
    SetColor(255, 255, 255);
    for (auto& [key, item] : MenuItems) item->Render();
    return 0;
}

int ScreenConfig::Quit() {
    screenManager->Show(SCREEN_TITLE);
    return 0;
}

int ScreenConfig::ChangeRes() {
    if (cfgFullscreen != 0 && cfgFullscreen != 1) return 0;
    OpenDisplayFromSettings();
    SetBlend(ALPHABLEND);
    return 0;
}
